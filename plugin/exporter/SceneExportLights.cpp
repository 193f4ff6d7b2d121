#include "helpers/HelpersPaths.h"
#include "description/oMyMaterialHelper.h"
#include "description/tMyLightTag.h"
#include "description/oMyRenderSettings.h"
#include "exporter/KyranoSceneExporter.h"

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
// has no relative form (too short, too long), as it is.
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

// Lights become emitting geometry. Until the light writers exist no light is written and no
// light uses a number.
Bool KyranoSceneExporter::ExportLightObject(BaseObject*, Matrix, long) { return FALSE; }

// The environment. Without a render settings node the scene gets a uniform white background.
LONG KyranoSceneExporter::SceneExportLighting() {
  if (!renderSettings) {
    SceneExportSpectrumUniform(1.0f, AppendElement("spectrum", AppendElement("background", sceneElement)));
    return 1;
  }
  if (renderSettings->GetLong(RENDERSETTINGS_ENVIRONMENT, RENDERSETTINGS_ENVIRONMENT_NONE) == RENDERSETTINGS_ENVIRONMENT_SKY)
    SceneExportSkylight();
  // The background material is written with the material writers, which come later.
  return 1;
}

// The sun shines from the linked object's position (relative to its parent), straight up
// when none is linked.
void KyranoSceneExporter::SceneExportSkylight() {
  TiXmlElement* sky = AppendElement("skylight", sceneElement);
  BaseObject* sun = renderSettings->GetObjectLink(RENDERSETTINGS_SUN, document);
  const Vector dir = sun ? !sun->GetPos() : Vector(0, 1, 0);
  SceneExportVectorValue("sundir", dir, sky, 1);
  SceneExportRealValue("turbidity", renderSettings->GetReal(RENDERSETTINGS_TURBIDITY, 0), sky);
  SceneExportBoolValue("extra_atmospheric", renderSettings->GetBool(RENDERSETTINGS_EXTRA_ATMOSPHERIC, FALSE), sky);
}

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

void KyranoSceneExporter::SceneExportLigthScalingLT(TiXmlElement* parent, BaseTag* lightTag) {
  if (!lightTag) return;
  BaseContainer* data = lightTag->GetDataInstance();
  SceneExportEmissionScaleElementLT(parent, data);
  const Filename ies = data->GetFilename(LIGHTTAG_IES_FILE, Filename());
  if (data->GetBool(LIGHTTAG_USE_IES, FALSE) && ies.Content())
    SceneExportIESProfile(parent, "defaultLight", PathFromScene(outputDirectory, ies));
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
    const Filename ies = data->GetFilename(MATHELPER_IES_FILE, Filename());
    if (data->GetBool(MATHELPER_USE_IES, FALSE) && ies.Content())
      SceneExportIESProfile(parent, entry->name, PathFromScene(outputDirectory, ies));
  }
}
