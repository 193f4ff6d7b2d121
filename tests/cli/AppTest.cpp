#include <gtest/gtest.h>

#include "App.h"
#include "TestSupport.h"
#include "cli/CliRun.h"
#include "c4d.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"

using namespace testing_support;

namespace {

CommandRun Tavrell(const std::vector<std::string>& args) { return RunCommand(args); }

}  // namespace

TEST(TavrellCommand, PluginsShowsTheBannerAndEveryRegistration) {
  CommandRun r = Tavrell({"--plugin-dir", TAVRELL_PLUGIN_DIR, "plugins"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("._.-. Tavrell 2.0.5\n"), std::string::npos);
  EXPECT_NE(r.out.find("1023920\tcommand\t"), std::string::npos);
  EXPECT_NE(r.out.find("1022083\ttag\t"), std::string::npos);
  EXPECT_NE(r.out.find("1020896\tvideo post\t"), std::string::npos);
  EXPECT_NE(r.out.find("1023863\tshader\t"), std::string::npos);
}

TEST(TavrellCommand, TheExampleDocumentRoundTripsThroughOpen) {
  TempDir dir("open");
  const std::string out1 = dir.str("once.json"), out2 = dir.str("twice.json");
  CommandRun r = Tavrell({"--plugin-dir", TAVRELL_PLUGIN_DIR, "open", std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json", "-o", out1});
  ASSERT_EQ(r.code, 0) << r.err;
  r = Tavrell({"--plugin-dir", TAVRELL_PLUGIN_DIR, "open", out1, "-o", out2});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFile(out1), ReadFile(out2));
  // Symbolic names were turned into the ids the plug-in stores.
  EXPECT_NE(ReadFile(out1).find("\"1386\": 1389"), std::string::npos);
}

TEST(TavrellCommand, BadInputGivesOneLineAndANonZeroExit) {
  TempDir dir("bad");
  CommandRun r = Tavrell({"frobnicate"});
  EXPECT_NE(r.code, 0);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  r = Tavrell({"--plugin-dir", TAVRELL_PLUGIN_DIR, "open", "/no/such.json", "-o", dir.str("x.json")});
  EXPECT_NE(r.code, 0);
  EXPECT_NE(r.err.find("/no/such.json"), std::string::npos);
  const std::string broken = dir.str("broken.json");
  WriteFile(broken, R"({"objects": [{"type": "Onull", "data": {"5": {"link": "/Gone"}}}]})");
  r = Tavrell({"--plugin-dir", TAVRELL_PLUGIN_DIR, "open", broken, "-o", dir.str("out.json")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(broken + ": $.objects[0].data.5: dangling link: no object '/Gone'"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.str("out.json")));
  r = Tavrell({"--plugin-dir", "/no/plugins", "plugins"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: plug-in folder not found: /no/plugins\n");
  r = Tavrell({"open", broken});
  EXPECT_EQ(r.code, 2);
}
