// Exports a document given as JSON with the plug-in loaded and reads the scene file back.
#pragma once
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <vector>

#include "SceneTestHelpers.h"
#include "TestSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"

class SceneSettingsExport : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Console::Get().SetEcho(false);
    ASSERT_TRUE(lib_.Load(PluginFolder())) << lib_.error();
  }
  void TearDown() override {
    SetActiveDocument(nullptr);
    BaseDocument::Free(doc_);
    lib_.Unload();
  }
  virtual std::string PluginFolder() { return TAVRELL_PLUGIN_DIR; }

  // The "scene" element of the exported document, or null when the export failed.
  const TiXmlElement* Export(const std::string& json) {
    BaseDocument::Free(doc_);
    doc_ = host::ParseDocument(json, "test.json");
    SetActiveDocument(doc_);
    const std::string path = dir_.str("scene.kys");
    KyranoSceneExporter ex;
    ex.initKYS(doc_, Filename(path.c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
    host::Console::Get().StartCapture();
    const Bool ok = ex.exportKYS();
    host::Console::Get().StopCapture();
    if (!ok || !scene_.LoadFile(path.c_str())) return nullptr;
    return scene_.FirstChildElement("scene");
  }

  // The children of an element as "name=text" (just "name" for an element without text).
  static std::vector<std::string> Children(const TiXmlElement* e) {
    std::vector<std::string> out;
    for (const TiXmlElement* c = e ? e->FirstChildElement() : nullptr; c; c = c->NextSiblingElement())
      out.push_back(c->GetText() ? std::string(c->Value()) + "=" + c->GetText() : std::string(c->Value()));
    return out;
  }

  // The text of the child element at a path such as "camera/pos".
  static std::string Text(const TiXmlElement* e, const std::string& path) { return testing_support::TextAtPath(e, path); }

  testing_support::TempDir dir_{"scenesettings"};
  host::PluginLibrary lib_;
  BaseDocument* doc_ = nullptr;
  TiXmlDocument scene_;
};
