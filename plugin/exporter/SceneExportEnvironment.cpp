// The scene's environment: a uniform background, a sun and sky, or a background material.
#include <cmath>

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
  if (renderSettings->GetLong(RENDERSETTINGS_ENVIRONMENT, RENDERSETTINGS_ENVIRONMENT_NONE) == RENDERSETTINGS_ENVIRONMENT_SKY)
    SceneExportSkylight();
  // The background material is written with the material writers, which come later.
  return 1;
}

void KyranoSceneExporter::SceneExportSkylight() {
  TiXmlElement* sky = AppendElement("skylight", sceneElement);
  SceneExportVectorValue("sundir", SunDirection(renderSettings->GetObjectLink(RENDERSETTINGS_SUN, document)), sky, 1);
  SceneExportRealValue("turbidity", renderSettings->GetReal(RENDERSETTINGS_TURBIDITY, 2.0f), sky);
  SceneExportBoolValue("extra_atmospheric", renderSettings->GetBool(RENDERSETTINGS_EXTRA_ATMOSPHERIC, FALSE), sky);
}
