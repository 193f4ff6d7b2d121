#include "description/oMyMaterialHelper.h"
#include "exporter/ExternalMaterialFile.h"
#include "exporter/KyranoSceneExporter.h"
#include "exporter/SceneExportText.h"

// The material pass: the fixed materials every scene carries, then every material helper of
// the document with what its material depends on.

namespace {

BaseMaterial* LinkedMaterial(const BaseContainer& data, LONG id, BaseDocument* doc) {
  return static_cast<BaseMaterial*>(data.GetLink(id, doc, Mbase));
}

// Clay rendering: one rough, clay-coloured surface for every material.
TiXmlElement* ExportClay(KyranoSceneExporter& ex, TiXmlElement* material) {
  TiXmlElement* clay = ex.AppendElement("oren_nayar", material);
  ex.SceneExportSpectrumRGB(Vector(0.71f, 0.62f, 0.53f), 2.2f, 1.0f, ex.AppendElement("constant", ex.AppendElement("albedo", clay)));
  ex.SceneExportRealValue("constant", 0.3f, ex.AppendElement("sigma", clay));
  return clay;
}

}  // namespace

void KyranoSceneExporter::ExportPassMaterials() {
  const LONG start = GeGetTimer();
  GePrint("Exporting materials...");
  includedFiles.clear();
  SceneExportDefaultMats();
  RunPass(2, false);
  for (LONG i = 0; i < materialList.GetSize(); ++i) {
    TavrellMaterial* entry = materialList.GetTavrellMaterial(i);
    if (!entry->exported) RecoursiveExportMaterials(entry, 0);
  }
  GePrint(String("Material export time: ") + RealToString(Real((GeGetTimer() - start) * 0.001), -1, 3) + " s");
  GePrint(" ");
}

void KyranoSceneExporter::SceneExportDefaultMats() {
  TiXmlElement* mat = AppendElement("material", sceneElement);
  SceneExportStringValue("name", "defaultMat", mat);
  if (renderClay) {
    ExportClay(*this, mat);
  } else {
    TiXmlElement* diffuse = AppendElement("diffuse", mat);
    SceneExportSpectrumRGB(Vector(0.8f, 0.8f, 0.8f), 2.2f, 1.0f, AppendElement("constant", AppendElement("albedo", diffuse)));
  }
  TiXmlElement* null = AppendElement("material", sceneElement);
  SceneExportStringValue("name", "nullMat", null);
  AppendElement("null_material", null);
}

void KyranoSceneExporter::SceneExportInclude(const Filename& file) {
  SceneExportStringValue("pathname", file.GetString(), AppendElement("include", sceneElement));
}

namespace {

// A blend is written after its components. While it is written it counts as written, so a
// component that leads back to it stops there (and is named "nullMat").
void ExportBlendEntry(KyranoSceneExporter& ex, TavrellMaterial* entry, const String& name, BaseContainer& data) {
  entry->writing = 1;
  for (LONG id : {MATHELPER_BLEND_A, MATHELPER_BLEND_B}) {
    BaseMaterial* component = LinkedMaterial(data, id, ex.document);
    TavrellMaterial* found = component ? ex.materialList.FindMaterialWithPointer(component) : nullptr;
    if (found) ex.RecoursiveExportMaterials(found, 0);
  }
  TiXmlElement* material = ex.AppendElement("material", ex.sceneElement);
  ex.SceneExportStringValue("name", name, material);
  ex.materialName = entry->name;
  ex.SceneExportBlendMat(&data, material);
  entry->writing = 0;
  entry->exported = 1;
}

void ExportClayEntry(KyranoSceneExporter& ex, const String& name, BaseContainer& data, BaseMaterial* host) {
  TiXmlElement* material = ex.AppendElement("material", ex.sceneElement);
  ex.SceneExportStringValue("name", name, material);
  TiXmlElement* clay = ExportClay(ex, material);
  int counter = 0;
  if (host->GetType() == Mmaterial) {
    ex.SceneExportBumpMap(&data, host, clay, counter);
    ex.SceneExportDisplacementMap(&data, host, clay, counter);
  }
  if (data.GetBool(MATHELPER_EMISSION, FALSE)) {
    ex.SceneExportEmission(&data, clay);
    ex.SceneExportEmissionMap(&data, host, clay, counter);
  }
}

// A material the renderer must find under this name but that cannot be taken from where the
// helper says: the default material's look.
void ExportStandIn(KyranoSceneExporter& ex, const String& name) {
  TiXmlElement* material = ex.AppendElement("material", ex.sceneElement);
  ex.SceneExportStringValue("name", name, material);
  TiXmlElement* diffuse = ex.AppendElement("diffuse", material);
  ex.SceneExportSpectrumRGB(Vector(0.8f, 0.8f, 0.8f), 2.2f, 1.0f, ex.AppendElement("constant", ex.AppendElement("albedo", diffuse)));
}

// An external material: its file is included (once per file). When the file's chosen
// material goes by another name than the one meshes use, a blend of that material with
// itself carries it under this name; a file that cannot be used gives the default look.
void ExportExternalEntry(KyranoSceneExporter& ex, const String& name, BaseContainer& data) {
  const ExternalMaterialFile file =
      ExternalMaterialFile::Load(data.GetFilename(MATHELPER_EXTERNAL_FILE, Filename()), ex.document->GetDocumentPath());
  if (!file.loaded) {
    GePrint(String("--External material ") + name + " written as the default material: " + String(file.error));
    ExportStandIn(ex, name);
    return;
  }
  const std::string path = SceneExportText::ToStd(file.path.GetString());
  if (ex.includedFiles.insert(path).second) ex.SceneExportInclude(file.path);
  // The material chosen from the file's list; without a choice, the one of the helper's name.
  std::string target = file.ChoiceName(data.GetLong(MATHELPER_EXTERNAL_MATERIAL, 0));
  const std::string own = SceneExportText::ToStd(name);
  if (!file.materials.count(target)) target = file.materials.count(own) ? own : std::string();
  if (target.empty()) {
    GePrint(String("--External material ") + name + " written as the default material: " + file.path.GetString() +
            " defines no material of that name");
    ExportStandIn(ex, name);
    return;
  }
  GePrint(String("--Included material: ") + String(target) + " from " + file.path.GetString());
  if (target == own) return;
  TiXmlElement* material = ex.AppendElement("material", ex.sceneElement);
  ex.SceneExportStringValue("name", name, material);
  TiXmlElement* blend = ex.AppendElement("blend", material);
  ex.SceneExportStringValue("a_name", String(target), blend);
  ex.SceneExportStringValue("b_name", String(target), blend);
  ex.SceneExportBoolValue("step_blend", 0, blend);
  ex.SceneExportRealValue("constant", 0.0f, ex.AppendElement("blend", blend));
}

// One material of the helper's type; specular and glossy materials get their medium first.
void ExportTypedEntry(KyranoSceneExporter& ex, const String& name, BaseContainer& data, LONG type) {
  if (type == MATHELPER_TYPE_SPECULAR || type == MATHELPER_TYPE_GLOSSY) ex.SceneExportMedium(&data);
  TiXmlElement* material = ex.AppendElement("material", ex.sceneElement);
  ex.SceneExportStringValue("name", name, material);
  switch (type) {
    case MATHELPER_TYPE_DIFFUSE: ex.SceneExportDiffuseMaterial(&data, material); break;
    case MATHELPER_TYPE_PHONG: ex.SceneExportPhongMaterial(&data, material); break;
    case MATHELPER_TYPE_SPECULAR: ex.SceneExportSpecularMaterial(&data, material); break;
    case MATHELPER_TYPE_GLOSSY: ex.SceneExportGlossyMaterial(&data, material); break;
    case MATHELPER_TYPE_DIFFUSE_TRANSMITTER: ex.SceneExportDiffuseTransMaterial(&data, material); break;
    case MATHELPER_TYPE_OREN_NAYAR: ex.SceneExportOrenNayarMaterial(&data, material); break;
    default:
      // A material the renderer would refuse (a name and nothing else) is not written.
      GePrint(String("--Material ") + name + " has the unknown type " + LongToString(type) +
              "; written as the default material");
      ex.sceneElement->RemoveChild(material);
      ExportStandIn(ex, name);
  }
}

}  // namespace

bool KyranoSceneExporter::RecoursiveExportMaterials(TavrellMaterial* entry, int asPreview) {
  if (!entry || !entry->object) return false;
  BaseContainer data = entry->object->GetData();
  BaseMaterial* host = LinkedMaterial(data, MATHELPER_MATERIAL, document);
  if (!host) return false;
  if (entry->exported || entry->writing) return true;
  const String name = asPreview ? String("previewMat") : entry->name;
  const LONG type = data.GetLong(MATHELPER_TYPE, MATHELPER_TYPE_DIFFUSE);
  materialName = entry->name;
  if (type == MATHELPER_TYPE_BLEND) {
    ExportBlendEntry(*this, entry, name, data);
    return true;
  }
  if (renderClay)
    ExportClayEntry(*this, name, data, host);
  else if (type == MATHELPER_TYPE_EXTERNAL)
    ExportExternalEntry(*this, name, data);
  else
    ExportTypedEntry(*this, name, data, type);
  entry->exported = 1;
  return true;
}
