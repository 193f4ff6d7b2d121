#include "exporter/KyranoSceneExporter.h"

BaseContainer* KyranoSceneExporter::GetKyranoRenderSettingsData() { return nullptr; }

Bool KyranoSceneExporter::SceneExportRenderSettings(TiXmlElement* settingsElement) {
  SceneExportBoolValue("metropolis", 1, settingsElement);
  SceneExportBoolValue("bidirectional", 0, settingsElement);
  return FALSE;
}

Bool KyranoSceneExporter::SceneExportTonemapping() {
  TiXmlElement* tm = AppendElement("tonemapping", sceneElement);
  TiXmlElement* r = AppendElement("reinhard", tm);
  SceneExportRealValue("pre_scale", 3.0f, r);
  SceneExportRealValue("post_scale", 1.0f, r);
  SceneExportRealValue("burn", 10.0f, r);
  return TRUE;
}
