#include "exporter/ExternalMaterialFile.h"

#include <tinyxml.h>

#include "exporter/SceneExportText.h"
#include "helpers/HelpersPaths.h"
#include "kyrano_utils/KyranoXmlFile.h"

namespace {

// The text of an element's child; "" when the child is missing or empty (<name/>).
std::string ChildText(const TiXmlElement* parent, const char* name) {
  const TiXmlElement* child = parent->FirstChildElement(name);
  const char* text = child ? child->GetText() : nullptr;
  return text ? text : "";
}

}  // namespace

ExternalMaterialFile ExternalMaterialFile::Load(const Filename& file, const Filename& documentPath) {
  ExternalMaterialFile out;
  if (!file.Content()) {
    out.error = "no material file is given";
    return out;
  }
  out.path = Helpers::GetTexturePath(file, documentPath);
  if (!out.path.Content()) {
    out.error = "the material file " + SceneExportText::ToStd(file.GetString()) + " is not found";
    return out;
  }
  TiXmlDocument xml;
  if (!Kyrano::loadXmlFile(SceneExportText::ToStd(out.path.GetString()), xml, out.error)) return out;
  const TiXmlElement* root = xml.FirstChildElement("scenedata");
  const TiXmlElement* first = root ? root->FirstChildElement("material") : nullptr;
  if (!first) {
    out.error = SceneExportText::ToStd(out.path.GetString()) + " holds no material";
    return out;
  }
  for (const TiXmlElement* e = first; e; e = e->NextSiblingElement()) {
    if (!e->FirstChildElement("name")) continue;
    const std::string name = ChildText(e, "name");
    out.choices.push_back(name);
    if (e->ValueStr() == "material") out.materials.insert(name);
  }
  out.loaded = true;
  return out;
}

std::string ExternalMaterialFile::ChoiceName(LONG choice) const {
  const LONG k = choice - EXTERNAL_MATERIAL_FIRST_CHOICE;
  return k >= 0 && k < LONG(choices.size()) ? choices[size_t(k)] : std::string();
}
