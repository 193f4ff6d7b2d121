// Exports documents given as JSON with the plug-in loaded, and reads the materials of the
// scene or material file back: in file order, by name, and through the material reader.
#pragma once
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SceneTestHelpers.h"
#include "TestSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "host/DocumentIO.h"
#include "kyrano_utils/KyranoSceneParseUtils.h"
#include "nodes/NodeFixture.h"

class MaterialExport : public PluginNodes {
 protected:
  // A helper object of the document: its name, its material and more parameters (JSON
  // entries such as "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_PHONG\"").
  static std::string Helper(const std::string& name, const std::string& material, const std::string& more = "") {
    std::string data = material.empty() ? "" : "\"MATHELPER_MATERIAL\": {\"material\": \"" + material + "\"}";
    if (!more.empty()) data += (data.empty() ? "" : ", ") + more;
    return "{\"type\": \"oMyMaterialHelper\", \"name\": \"" + name + "\", \"data\": {" + data + "}}";
  }

  void Load(const std::string& json) {
    BaseDocument::Free(doc_);
    doc_ = host::ParseDocument(json, dir_.str("doc.json"));
    SetActiveDocument(doc_);
  }

  // The "scene" element of the exported document, or null when the export failed.
  const TiXmlElement* Export(const std::string& json, int clay = 0) {
    Load(json);
    return ExportLoaded(clay);
  }

  // The same for the document already loaded (and changed by the test).
  const TiXmlElement* ExportLoaded(int clay = 0) {
    const std::string path = dir_.str("scene.kys");
    KyranoSceneExporter ex;
    ex.initKYS(doc_, Filename(path.c_str()), 0, 0, 0, clay, 0, 0, 0, 0);
    host::Console::Get().StartCapture();
    const Bool ok = ex.exportKYS();
    console_ = host::Console::Get().StopCapture();
    if (!ok || !file_.LoadFile(path.c_str())) return nullptr;
    return file_.FirstChildElement("scene");
  }

  // The root of a material file written for the named helper of the document, or null.
  const TiXmlElement* ExportKym(const std::string& json, const std::string& helper, int asPreview = 0,
                                const std::string& file = "mat.kym") {
    Load(json);
    const std::string path = dir_.str(file);
    KyranoSceneExporter ex;
    host::Console::Get().StartCapture();
    result_ = ex.exportKYM(doc_, doc_->SearchObject(String(helper)), Filename(path.c_str()), asPreview);
    console_ = host::Console::Get().StopCapture();
    // The exporter gives the file the suffix kym.
    const std::string written = std::filesystem::path(path).replace_extension(".kym").string();
    if (!file_.LoadFile(written.c_str())) return nullptr;
    return file_.FirstChildElement("scenedata");
  }

  // "material Name" and "medium Name" for the root's materials and media, in file order.
  static std::vector<std::string> Names(const TiXmlElement* root) {
    std::vector<std::string> out;
    for (const TiXmlElement* e = root ? root->FirstChildElement() : nullptr; e; e = e->NextSiblingElement()) {
      const std::string kind = e->Value();
      if (kind != "material" && kind != "medium") continue;
      const TiXmlElement* name = e->FirstChildElement("name");
      out.push_back(kind + " " + (name && name->GetText() ? name->GetText() : ""));
    }
    return out;
  }

  // The type element ("diffuse", "blend"...) of the first material of that name.
  static const TiXmlElement* TypeOf(const TiXmlElement* root, const std::string& name) {
    for (const TiXmlElement* m = root ? root->FirstChildElement("material") : nullptr; m; m = m->NextSiblingElement("material")) {
      const TiXmlElement* n = m->FirstChildElement("name");
      if (n && n->GetText() && name == n->GetText()) return n->NextSiblingElement();
    }
    return nullptr;
  }

  // The names of an element's children, in order.
  static std::vector<std::string> Children(const TiXmlElement* e) {
    std::vector<std::string> out;
    for (const TiXmlElement* c = e ? e->FirstChildElement() : nullptr; c; c = c->NextSiblingElement()) out.push_back(c->Value());
    return out;
  }

  // The text at a path of child elements such as "albedo/constant/rgb/rgb".
  static std::string Text(const TiXmlElement* e, const std::string& path) { return testing_support::TextAtPath(e, path); }

  // Whether every material of the root reads with the material reader; failures are reported.
  static bool AllMaterialsRead(const TiXmlElement* root) {
    bool ok = root != nullptr;
    for (const TiXmlElement* m = root ? root->FirstChildElement("material") : nullptr; m; m = m->NextSiblingElement("material")) {
      try {
        Kyrano::KyranoSceneParseUtils::parseMaterial(*m);
      } catch (const Kyrano::KyranoSceneParseUtilsExcep& e) {
        ADD_FAILURE() << "material on line " << m->Row() << " does not read: " << e.what();
        ok = false;
      }
    }
    return ok;
  }

  bool Printed(const std::string& line) const {
    for (const std::string& l : console_)
      if (l == line) return true;
    return false;
  }

  testing_support::TempDir dir_{"materials"};
  TiXmlDocument file_;
  std::vector<std::string> console_;
  int result_ = 0;
};
