// The scene's environment: a uniform background, a sun and sky, or a background material.
#include <cmath>

#include "PluginIds.h"
#include "description/oMyMaterialHelper.h"
#include "description/oMyRenderSettings.h"
#include "exporter/KyranoSceneExporter.h"

namespace {

// The direction towards the sun: from the scene's origin to the sun object's place in the
// scene, whatever its parents do; straight up without a usable place.
Vector SunDirection(BaseObject* sun) {
  const Vector up(0, 1, 0);
  if (!sun) return up;
  // In double precision, so that a sun placed very far away does not overflow.
  const Vector p = sun->GetMg().off;
  const double x = p.x, y = p.y, z = p.z;
  const double length = std::sqrt(x * x + y * y + z * z);
  if (!(length > 0) || !std::isfinite(length)) return up;
  return Vector(Real(x / length), Real(y / length), Real(z / length));
}

}  // namespace

// Without a render settings node the scene gets a uniform white background.
LONG KyranoSceneExporter::SceneExportLighting() {
  if (!renderSettings) {
    SceneExportSpectrumUniform(1.0f, AppendElement("spectrum", AppendElement("background", sceneElement)));
    return 1;
  }
  switch (renderSettings->GetLong(RENDERSETTINGS_ENVIRONMENT, RENDERSETTINGS_ENVIRONMENT_NONE)) {
    case RENDERSETTINGS_ENVIRONMENT_SKY:
      SceneExportSkylight();
      return 1;
    case RENDERSETTINGS_ENVIRONMENT_BACKGROUND:
      return SceneExportBackgroundMaterial();
    default:
      return 1;
  }
}

// The emission of the material helper the render settings name, as a material around the
// scene. Only an emitting helper that describes a host material can be written; 0 otherwise.
LONG KyranoSceneExporter::SceneExportBackgroundMaterial() {
  BaseObject* helper = renderSettings->GetObjectLink(RENDERSETTINGS_BACKGROUND_MATERIAL, document);
  if (!helper || helper->GetType() != ID_MYMATERIALHELPER) return 0;
  BaseContainer* data = helper->GetDataInstance();
  BaseMaterial* material = static_cast<BaseMaterial*>(data->GetLink(MATHELPER_MATERIAL, document, Mbase));
  if (!data->GetBool(MATHELPER_EMISSION, FALSE) || !material) return 0;

  const String name("background_material");
  materialName = name;
  TiXmlElement* settings = AppendElement("background_settings", sceneElement);
  TiXmlElement* element = AppendElement("material", AppendElement("background_material", settings));
  SceneExportStringValue("name", name, element);
  TiXmlElement* diffuse = AppendElement("diffuse", element);
  int counter = 0;
  SceneExportEmissionMap(data, material, diffuse, counter);
  // A picture around the scene is wrapped onto the sphere at infinity, unturned.
  if (TiXmlElement* texture = diffuse->FirstChildElement("texture")) {
    TiXmlElement* rotation = AppendElement(
        "axis_rotation",
        AppendElement("rotation", AppendElement("spherical", AppendElement("tex_coord_generation", texture))));
    SceneExportVectorValue("axis", Vector(0, 0, 1), rotation, 0);
    SceneExportRealValue("angle", 0.0f, rotation);
  }
  SceneExportEmission(data, diffuse);
  SceneExportEmissionScaleElement(settings, data, name);
  return 1;
}

void KyranoSceneExporter::SceneExportSkylight() {
  TiXmlElement* sky = AppendElement("skylight", sceneElement);
  SceneExportVectorValue("sundir", SunDirection(renderSettings->GetObjectLink(RENDERSETTINGS_SUN, document)), sky, 1);
  SceneExportRealValue("turbidity", renderSettings->GetReal(RENDERSETTINGS_TURBIDITY, 2.0f), sky);
  SceneExportBoolValue("extra_atmospheric", renderSettings->GetBool(RENDERSETTINGS_EXTRA_ATMOSPHERIC, FALSE), sky);
}
