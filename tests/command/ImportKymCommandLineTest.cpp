// tavrell import-kym, convert-materials and export --convert-materials: the commands on real
// documents and files, what they save, print and exit with.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "TestSupport.h"
#include "cli/CliRun.h"
#include "description/oMyMaterialHelper.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"

#include <tinyxml.h>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

class MaterialCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Console::Get().SetEcho(false);
    WriteFile(dir.str("doc.json"), R"({"materials": [{"name": "Red", "data": {"2100": [1, 0, 0], "2008": false}},
      {"name": "Glass", "active": true, "data": {"2002": true, "1005": 1.5}}]})");
  }
  // The saved document's helpers under the named group: "name type".
  std::vector<std::string> Helpers(const std::string& file, const std::string& group) {
    host::PluginLibrary lib;
    EXPECT_TRUE(lib.Load(TAVRELL_PLUGIN_DIR)) << lib.error();
    BaseDocument* doc = host::LoadDocument(file);
    std::vector<std::string> out;
    BaseObject* g = doc ? doc->SearchObject(String(group)) : nullptr;
    for (BaseObject* op = g ? g->GetDown() : nullptr; op; op = op->GetNext())
      out.push_back(op->GetName().str() + " " + std::to_string(op->GetDataInstance()->GetLong(MATHELPER_TYPE)));
    BaseDocument::Free(doc);
    lib.Unload();
    return out;
  }

  TempDir dir{"materialcmds"};
};

}  // namespace

TEST_F(MaterialCommands, ImportKymSavesTheImportedHelpersAndReportsWarnings) {
  WriteFile(dir.str("m.kym"), "<scenedata><material><name>Wood</name><diffuse/></material>"
                              "<material><name>Wood</name><diffuse/></material></scenedata>");
  CommandRun r = RunWithBuiltPlugin({"import-kym", dir.str("doc.json"), dir.str("m.kym"), "-o", dir.str("out.json")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Imported 1 material from " + dir.str("m.kym") + "\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "Import warnings:\n- Material \"Wood\" appears more than once; only the first is imported.\n");
  EXPECT_EQ(Helpers(dir.str("out.json"), "Imported Materials"), std::vector<std::string>{"Wood 1003"});

  // An existing output is kept unless replacing is asked for.
  r = RunWithBuiltPlugin({"import-kym", dir.str("doc.json"), dir.str("m.kym"), "-o", dir.str("out.json")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + dir.str("out.json") + " exists: give --overwrite yes to replace it\n");

  // A broken file: its message, exit 1, nothing saved.
  WriteFile(dir.str("bad.kym"), "<scenedata><material>");
  r = RunWithBuiltPlugin({"import-kym", dir.str("doc.json"), dir.str("bad.kym"), "-o", dir.str("bad.json")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("Cannot read '" + dir.str("bad.kym") + "' as XML"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("tavrell: " + dir.str("bad.kym") + ": nothing imported\n"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.str("bad.json")));

  WriteFile(dir.str("m.xml"), "<scenedata/>");
  r = RunWithBuiltPlugin({"import-kym", dir.str("doc.json"), dir.str("m.xml"), "-o", dir.str("x.json")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + dir.str("m.xml") + ": not a material file (.kym)\n");
}

// --selected-only answers the question: only the selected glass; without it, every material.
TEST_F(MaterialCommands, ConvertMaterialsAnswersTheQuestionFromItsFlag) {
  CommandRun r = RunWithBuiltPlugin({"convert-materials", dir.str("doc.json"), "-o", dir.str("sel.json"), "--selected-only"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("/Materials/Glass\n"), std::string::npos) << r.out;
  EXPECT_EQ(Helpers(dir.str("sel.json"), "Materials"), std::vector<std::string>{"Glass 1005"});

  r = RunWithBuiltPlugin({"convert-materials", dir.str("doc.json"), "-o", dir.str("all.json")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Helpers(dir.str("all.json"), "Materials"), (std::vector<std::string>{"Red 1003", "Glass 1005"}));
}

// A model of another tool exported with its materials converted: the texture of its colour
// reaches the scene by a path that exists from the scene's folder, and the renderer accepts it.
TEST_F(MaterialCommands, ExportConvertsAModelsMaterialsWithTheirTextures) {
  const std::string duck = "/usr/share/assimp/models/Collada/duck.dae";
  if (!fs::exists(duck)) GTEST_SKIP() << "Debian's assimp-testmodels package is not installed";
  const std::string plugin = CopyPluginFolder(dir);
  const std::string scene = dir.str("out/duck.kys");
  const CommandRun r = RunCommand({"--plugin-dir", plugin, "export", duck, "-o", scene, "--convert-materials", "--run"});
  ASSERT_EQ(r.code, 0) << r.err;

  TiXmlDocument doc;
  ASSERT_TRUE(doc.LoadFile(scene));
  const TiXmlElement* material = nullptr;
  for (const TiXmlElement* m = doc.RootElement()->FirstChildElement("material"); m; m = m->NextSiblingElement("material"))
    if (std::string(m->FirstChildElement("name")->GetText()) == "blinn3") material = m;
  ASSERT_NE(material, nullptr);
  const TiXmlElement* diffuse = material->FirstChildElement("diffuse");
  ASSERT_NE(diffuse, nullptr) << "a black reflective colour makes no metal";
  const TiXmlElement* path = diffuse->FirstChildElement("texture")->FirstChildElement("path");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(fs::path(path->GetText()).filename(), "duckCM.tga");
  EXPECT_TRUE(fs::exists(fs::path(scene).parent_path() / path->GetText())) << path->GetText();

  const std::string report = scene + ".report.txt";
  for (int i = 0; i < 600 && !fs::exists(report); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_NE(ReadFile(report).find("Problems: 0\n"), std::string::npos) << ReadFile(report);
}
