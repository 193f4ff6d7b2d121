// Instance objects through the exporting commands of the plug-in loaded from a private copy of
// its folder (Export and Run with its dialog, Quick Render): while an export runs they generate
// nothing, so the scene holds the linked object once, where it stands; afterwards their copies
// come back.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"
#include "host/PluginRegistry.h"

using namespace testing_support;

namespace {

const LONG kExportAndRun = 1021741;
const LONG kQuickRender = 1023920;

const char* const kCubeWithTwoInstances = R"({"objects": [
  {"type": "Ocube", "name": "Cube", "position": [100, 0, 0]},
  {"type": "Okyranoinstance", "name": "First", "position": [0, 0, 300], "data": {"INSTANCE_LINK": {"link": "/Cube"}}},
  {"type": "Okyranoinstance", "name": "Second", "position": [0, 0, -300], "data": {"INSTANCE_LINK": {"link": "/Cube"}}}]})";

int CountChildren(const TiXmlElement* scene, const char* name) {
  int n = 0;
  for (const TiXmlElement* e = scene->FirstChildElement(name); e; e = e->NextSiblingElement(name)) n++;
  return n;
}

class InstanceExport : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin = CopyPluginFolder(dir);
    host::Console::Get().SetEcho(false);
    ASSERT_TRUE(library.Load(plugin)) << library.error();
    host::Interaction& in = host::Interaction::Get();
    in.Reset();
    in.showProgress = false;
    in.fileAnswersByTitle["Choose Kyrano dir"] = TAVRELL_RENDERER_DIR;
    doc = host::ParseDocument(kCubeWithTwoInstances, "instances.json");
    SetActiveDocument(doc);
    // As the host shows the document: each instance holds a copy of the cube.
    AnimateDocument(doc, TRUE, TRUE);
    ASSERT_NE(doc->SearchObject("First")->GetCache(), nullptr);
  }
  void TearDown() override {
    SetActiveDocument(nullptr);
    BaseDocument::Free(doc);
    library.Unload();
    host::Interaction::Get().Reset();
    host::Interaction::Get().showProgress = true;
  }

  // Runs a plug-in command; the console lines it printed.
  std::vector<std::string> Run(LONG command) {
    host::Console::Get().StartCapture();
    host::PluginRegistry::Get().Find(command)->command->Execute(doc);
    return host::Console::Get().StopCapture();
  }

  // The scene holds the cube once, at its own place.
  static void ExpectTheCubeOnce(const std::string& scene) {
    TiXmlDocument xml;
    ASSERT_TRUE(xml.LoadFile(scene.c_str())) << scene;
    const TiXmlElement* root = xml.FirstChildElement("scene");
    EXPECT_EQ(CountChildren(root, "mesh"), 1);
    ASSERT_EQ(CountChildren(root, "model"), 1);
    EXPECT_STREQ(root->FirstChildElement("model")->FirstChildElement("pos")->GetText(), "100.000000 0.000000 0.000000");
  }

  TempDir dir{"instexport"};
  std::string plugin;
  host::PluginLibrary library;
  BaseDocument* doc = nullptr;
};

}  // namespace

TEST_F(InstanceExport, ACubeWithTwoInstancesExportsOneMeshAndOneModelAndTheCopiesComeBackAfter) {
  const std::string scene = dir.str("scene.kys");
  host::Interaction& in = host::Interaction::Get();
  in.fileAnswersByTitle["Save kys..."] = scene;
  in.gadgetScript = {host::GadgetStep::SetTo("EXPORTDLG_EXPORT_AND_RUN", "off"),
                     host::GadgetStep::Pressing("EXPORTDLG_EXPORT")};
  const std::vector<std::string> lines = Run(kExportAndRun);
  ASSERT_TRUE(in.dialogs.back().result) << (in.errors.empty() ? "" : in.errors.back());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Instanced objects found: 1"), lines.end());
  ExpectTheCubeOnce(scene);

  // The next evaluation after the export brings the copies back.
  AnimateDocument(doc, TRUE, TRUE);
  BaseObject* copy = doc->SearchObject("First")->GetCache();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetType(), Ocube);
  EXPECT_NE(doc->SearchObject("Second")->GetCache(), nullptr);
}

TEST_F(InstanceExport, QuickRenderLeavesOutTheCopiesAlreadyInTheCaches) {
  WriteFile(plugin + "/presets/tavrellSettings.cfg", "<last_settings><EXPORTANDRUN>true</EXPORTANDRUN></last_settings>");
  Run(kQuickRender);
  EXPECT_TRUE(host::Interaction::Get().messages.empty()) << host::Interaction::Get().messages.front();
  const std::string scene = plugin + "/presets/quickrender/quickrender.kys";
  ExpectTheCubeOnce(scene);
  // The renderer was started on the scene: its report comes before the folder goes.
  for (int i = 0; i < 600 && !fs::exists(scene + ".report.txt"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(fs::exists(scene + ".report.txt"));
}
