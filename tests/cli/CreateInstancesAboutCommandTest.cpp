#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "cli/CliRun.h"

using namespace testing_support;
using json = nlohmann::json;

namespace {

const json* Child(const json& objects, const std::string& name, int nth = 0) {
  for (const json& o : objects)
    if (o.value("name", "") == name && nth-- == 0) return &o;
  return nullptr;
}

}  // namespace

TEST(CreateInstancesCommand, InstancesTheNamedObjectsAndSavesTheDocument) {
  TempDir dir("createinst");
  const std::string doc = std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json";
  const std::string out = dir.str("sub/with.json");
  CommandRun r = RunWithBuiltPlugin({"create-instances", doc, "/Room/Box", "Ball", "-o", out});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("/Room/Box#2\t/Room/Box\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("/Room/Ball#2\t/Room/Ball\n"), std::string::npos);

  const json saved = json::parse(ReadFile(out));
  const json& room = Child(saved["objects"], "Room")->at("children");
  const json* box = Child(room, "Box", 1);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->at("type"), "Okyranoinstance");
  EXPECT_EQ(box->at("data").at("10000"), json({{"link", "/Room/Box"}}));
  EXPECT_EQ(box->at("position"), json({-150.0, 50.0, 100.0}));
  EXPECT_EQ(room[2], *box) << "the instance stands right after its object";

  // The output exists now: it is kept unless --overwrite yes.
  r = RunWithBuiltPlugin({"create-instances", doc, "-o", out});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(out + " exists: give --overwrite yes to replace it"), std::string::npos) << r.err;
  EXPECT_EQ(json::parse(ReadFile(out)), saved);

  // Nothing named: one unlinked instance at the top.
  r = RunWithBuiltPlugin({"create-instances", doc, "-o", out, "--overwrite", "yes"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("/Kyrano Instance\t(no link)\n"), std::string::npos) << r.out;
  EXPECT_EQ(json::parse(ReadFile(out))["objects"][0]["type"], "Okyranoinstance");

  r = RunWithBuiltPlugin({"create-instances", doc, "/Room/Nope", "-o", dir.str("other.json")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no object '/Room/Nope'"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.str("other.json")));
}

TEST(AboutCommand, PrintsTheAboutBox) {
  CommandRun r = RunWithBuiltPlugin({"about"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\nAbout\n  Tavrell 2.0.5\n  Developed by: "), std::string::npos) << r.out;
  EXPECT_TRUE(r.err.empty()) << r.err;
}
