#include "exporter/KyranoSceneExporter.h"

void KyranoSceneExporter::GetSceneCameraData() {}

Bool KyranoSceneExporter::SceneExportCamera(TiXmlElement*) {
  AppendElement("camera", sceneElement);
  return TRUE;
}
