// Instance objects through an export with the Export and Run dialog of the plug-in loaded from
// a private copy of its folder: while the export runs they generate nothing, so the scene holds
// the linked object once; afterwards their copies come back.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <string>
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

const char* const kCubeWithTwoInstances = R"({"objects": [
  {"type": "Ocube", "name": "Cube", "position": [100, 0, 0]},
  {"type": "Okyranoinstance", "name": "First", "position": [0, 0, 300], "data": {"INSTANCE_LINK": {"link": "/Cube"}}},
  {"type": "Okyranoinstance", "name": "Second", "position": [0, 0, -300], "data": {"INSTANCE_LINK": {"link": "/Cube"}}}]})";

int CountChildren(const TiXmlElement* scene, const char* name) {
  int n = 0;
  for (const TiXmlElement* e = scene->FirstChildElement(name); e; e = e->NextSiblingElement(name)) n++;
  return n;
}

}  // namespace

TEST(InstanceExport, ACubeWithTwoInstancesExportsOneMeshAndOneModelAndTheCopiesComeBackAfter) {
  TempDir dir("instexport");
  const std::string plugin = CopyPluginFolder(dir);
  host::Console::Get().SetEcho(false);
  host::PluginLibrary library;
  ASSERT_TRUE(library.Load(plugin)) << library.error();
  host::Interaction& in = host::Interaction::Get();
  in.Reset();
  in.showProgress = false;
  BaseDocument* doc = host::ParseDocument(kCubeWithTwoInstances, "instances.json");
  SetActiveDocument(doc);
  // As the host shows it: each instance holds a copy of the cube.
  AnimateDocument(doc, TRUE, TRUE);
  BaseObject* first = doc->SearchObject("First");
  ASSERT_NE(first->GetCache(), nullptr);

  const std::string scene = dir.str("scene.kys");
  in.fileAnswersByTitle["Choose Kyrano dir"] = TAVRELL_RENDERER_DIR;
  in.fileAnswersByTitle["Save kys..."] = scene;
  in.gadgetScript = {host::GadgetStep::SetTo("EXPORTDLG_EXPORT_AND_RUN", "off"),
                     host::GadgetStep::Pressing("EXPORTDLG_EXPORT")};
  host::Console::Get().StartCapture();
  host::PluginRegistry::Get().Find(kExportAndRun)->command->Execute(doc);
  const std::vector<std::string> lines = host::Console::Get().StopCapture();
  ASSERT_TRUE(in.dialogs.back().result) << (in.errors.empty() ? "" : in.errors.back());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Instanced objects found: 1"), lines.end());

  TiXmlDocument xml;
  ASSERT_TRUE(xml.LoadFile(scene.c_str()));
  const TiXmlElement* root = xml.FirstChildElement("scene");
  EXPECT_EQ(CountChildren(root, "mesh"), 1);
  ASSERT_EQ(CountChildren(root, "model"), 1);
  // The model is the cube where it stands, not at an instance.
  EXPECT_STREQ(root->FirstChildElement("model")->FirstChildElement("pos")->GetText(), "100.000000 0.000000 0.000000");

  // The next evaluation after the export brings the copies back.
  AnimateDocument(doc, TRUE, TRUE);
  ASSERT_NE(first->GetCache(), nullptr);
  EXPECT_EQ(first->GetCache()->GetType(), Ocube);
  EXPECT_NE(doc->SearchObject("Second")->GetCache(), nullptr);

  SetActiveDocument(nullptr);
  BaseDocument::Free(doc);
  library.Unload();
  in.Reset();
  in.showProgress = true;
}
