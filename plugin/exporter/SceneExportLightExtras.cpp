// The light-related extras of a model element: absolute emission scales and IES profiles,
// from a light tag for light geometry and from the material helpers of an ordinary model.
#include "description/oMyMaterialHelper.h"
#include "description/tMyLightTag.h"
#include "exporter/KyranoSceneExporter.h"
#include "helpers/HelpersPaths.h"
#include "nodes/IesProfile.h"

namespace {

// The emission scale measures by the names the renderer knows; an unknown choice gives an
// empty text.
const char* LightTagMeasure(LONG measure) {
  switch (measure) {
    case LIGHTTAG_LUMINOUS_FLUX: return "luminous_flux";
    case LIGHTTAG_LUMINOUS_INTENSITY: return "luminous_intensity";
    case LIGHTTAG_LUMINANCE: return "luminance";
    case LIGHTTAG_LUMINOUS_EMITTANCE: return "luminous_emittance";
    default: return "";
  }
}

const char* HelperMeasure(LONG measure) {
  switch (measure) {
    case MATHELPER_SCALE_LUMINOUS_FLUX: return "luminous_flux";
    case MATHELPER_SCALE_LUMINOUS_INTENSITY: return "luminous_intensity";
    case MATHELPER_SCALE_LUMINANCE: return "luminance";
    case MATHELPER_SCALE_LUMINOUS_EMITTANCE: return "luminous_emittance";
    default: return "";
  }
}

// The profile's path as the scene refers to it: relative to the scene's folder, or, when it
// has no relative form (too short, too long), its full path, which the renderer can open.
String PathFromScene(const Filename& sceneFolder, const Filename& file) {
  char* folder = Helpers::StringToChar(sceneFolder.GetString());
  char* name = Helpers::StringToChar(file.GetString());
  const char* relative = Helpers::GetRelativeFilename(folder, name);
  const String path = relative ? String(relative) : file.GetString();
  delete[] folder;
  delete[] name;
  return path;
}

}  // namespace

void KyranoSceneExporter::SceneExportIESProfile(TiXmlElement* parent, const String& materialName, const String& path) {
  TiXmlElement* ies = AppendElement("ies_profile", parent);
  SceneExportStringValue("material_name", materialName, ies);
  SceneExportStringValue("path", path, ies);
}

void KyranoSceneExporter::SceneExportEmissionScaleElementLT(TiXmlElement* parent, BaseContainer* lightTagData) {
  if (!lightTagData || !lightTagData->GetBool(LIGHTTAG_USE_SCALE, FALSE)) return;
  TiXmlElement* scale = AppendElement("emission_scale", parent);
  SceneExportStringValue("material_name", "defaultLight", scale);
  SceneExportStringValue("measure", LightTagMeasure(lightTagData->GetLong(LIGHTTAG_SCALE_MEASURE, LIGHTTAG_LUMINANCE)),
                         scale);
  SceneExportRealValue("value", lightTagData->GetReal(LIGHTTAG_SCALE_VALUE, 100.0f), scale);
}

Bool KyranoSceneExporter::SceneExportLigthScalingLT(TiXmlElement* parent, BaseTag* lightTag) {
  if (!lightTag) return FALSE;
  BaseContainer* data = lightTag->GetDataInstance();
  SceneExportEmissionScaleElementLT(parent, data);
  const Filename ies = IesProfileFile(data->GetFilename(LIGHTTAG_IES_FILE, Filename()), document);
  if (!data->GetBool(LIGHTTAG_USE_IES, FALSE) || !ies.Content()) return FALSE;
  SceneExportIESProfile(parent, "defaultLight", PathFromScene(outputDirectory, ies));
  return TRUE;
}

void KyranoSceneExporter::SceneExportEmissionScaleElement(TiXmlElement* parent, BaseContainer* helperData,
                                                          const String& materialName) {
  if (!helperData) return;
  const LONG measure = helperData->GetLong(MATHELPER_EMISSION_SCALE, MATHELPER_SCALE_NONE);
  if (measure == MATHELPER_SCALE_NONE) return;
  TiXmlElement* scale = AppendElement("emission_scale", parent);
  SceneExportStringValue("material_name", materialName, scale);
  SceneExportStringValue("measure", HelperMeasure(measure), scale);
  SceneExportRealValue("value", helperData->GetReal(MATHELPER_EMISSION_SCALE_VALUE, 100.0f), scale);
}

// An ordinary model's extras come from the helpers of the materials on its texture tags.
void KyranoSceneExporter::SceneExportLigthScaling(TiXmlElement* parent, BaseObject* object) {
  if (!object) return;
  for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext()) {
    if (tag->GetType() != Ttexture) continue;
    BaseMaterial* material = static_cast<TextureTag*>(tag)->GetMaterial();
    TavrellMaterial* entry = material ? materialList.FindMaterialWithPointer(material) : nullptr;
    if (!entry || !entry->object) continue;
    BaseContainer* data = entry->object->GetDataInstance();
    SceneExportEmissionScaleElement(parent, data, entry->name);
    const Filename ies = IesProfileFile(data->GetFilename(MATHELPER_IES_FILE, Filename()), document);
    if (data->GetBool(MATHELPER_USE_IES, FALSE) && ies.Content())
      SceneExportIESProfile(parent, entry->name, PathFromScene(outputDirectory, ies));
  }
}
