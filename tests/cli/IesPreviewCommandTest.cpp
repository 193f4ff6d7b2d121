#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "TestSupport.h"
#include "cli/CliRun.h"

using namespace testing_support;
using json = nlohmann::json;

TEST(IesPreviewCommand, RendersTheTagsProfileAndKeepsTheImageName) {
  TempDir dir("iespreview_cli");
  const std::string plugin = CopyPluginFolder(dir);
  const std::string example = std::string(TAVRELL_SOURCE_DIR) + "/examples/lights.json";
  auto tavrell = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--plugin-dir", plugin});
    return RunCommand(args);
  };

  CommandRun r = tavrell({"ies-preview", example, "/Lights/Narrow spot", "--renderer-dir", TAVRELL_RENDERER_DIR, "-o",
                          dir.str("saved.json")});
  ASSERT_EQ(r.code, 0) << r.err;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.out, m, std::regex("Preview image: (.*/preview/renders/ies[0-9]+\\.png)\n"))) << r.out;
  // The saved document remembers the image; the preview scene names the example's profile.
  const json saved = json::parse(ReadFile(dir.str("saved.json")));
  EXPECT_NE(saved.dump().find(m[1].str()), std::string::npos);
  const std::string scene = plugin + "/preview/iespreview.kys";
  EXPECT_NE(ReadFile(scene).find("<path>" + std::string(TAVRELL_SOURCE_DIR) + "/examples/narrow_spot.ies</path>"),
            std::string::npos);
  for (int i = 0; i < 600 && !fs::exists(scene + ".report.txt"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_NE(ReadFile(scene + ".report.txt").find("Problems: 0\n"), std::string::npos);

  r = tavrell({"ies-preview", example, "/Lights/Bulb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(example + ": /Lights/Bulb has no light tag"), std::string::npos) << r.err;
  r = tavrell({"ies-preview", example, "/Lights/Softbox"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(example + ": /Lights/Softbox: the light tag names no IES profile file"), std::string::npos) << r.err;
  r = tavrell({"ies-preview", example, "/Lights/Nowhere"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no object '/Lights/Nowhere'"), std::string::npos) << r.err;
}
