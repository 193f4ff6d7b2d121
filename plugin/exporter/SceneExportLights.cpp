#include "exporter/KyranoSceneExporter.h"

// Lights become emitting geometry. Until the light writers exist no light is written and no
// light uses a number.
Bool KyranoSceneExporter::ExportLightObject(BaseObject*, Matrix, long) { return FALSE; }

// The environment. Without a render settings node the scene gets a uniform white background.
LONG KyranoSceneExporter::SceneExportLighting() {
  if (!renderSettings) {
    SceneExportSpectrumUniform(1.0f, AppendElement("spectrum", AppendElement("background", sceneElement)));
    return 1;
  }
  return 1;
}

void KyranoSceneExporter::SceneExportIESProfile(TiXmlElement* parent, const String& materialName, const String& path) {
  TiXmlElement* ies = AppendElement("ies_profile", parent);
  SceneExportStringValue("material_name", materialName, ies);
  SceneExportStringValue("path", path, ies);
}

void KyranoSceneExporter::SceneExportEmissionScaleElementLT(TiXmlElement*, BaseContainer*) {}
void KyranoSceneExporter::SceneExportLigthScalingLT(TiXmlElement*, BaseTag*) {}
void KyranoSceneExporter::SceneExportEmissionScaleElement(TiXmlElement*, BaseContainer*, const String&) {}
void KyranoSceneExporter::SceneExportLigthScaling(TiXmlElement*, BaseObject*) {}
