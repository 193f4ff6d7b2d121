#include "exporter/KyranoSceneExporter.h"

// The material pass: the fixed materials every scene carries. The helpers' own materials are
// gathered and written here once their writers exist; until then every mesh uses the
// fixed "defaultMat".
void KyranoSceneExporter::ExportPassMaterials() {
  const LONG start = GeGetTimer();
  GePrint("Exporting materials...");
  SceneExportDefaultMats();
  GePrint(String("Material export time: ") + RealToString(Real((GeGetTimer() - start) * 0.001), -1, 3) + " s");
  GePrint(" ");
}

void KyranoSceneExporter::SceneExportDefaultMats() {
  TiXmlElement* mat = AppendElement("material", sceneElement);
  SceneExportStringValue("name", "defaultMat", mat);
  if (renderClay) {
    TiXmlElement* clay = AppendElement("oren_nayar", mat);
    SceneExportSpectrumRGB(Vector(0.71f, 0.62f, 0.53f), 2.2f, 1.0f, AppendElement("constant", AppendElement("albedo", clay)));
    SceneExportRealValue("constant", 0.3f, AppendElement("sigma", clay));
  } else {
    TiXmlElement* diffuse = AppendElement("diffuse", mat);
    SceneExportSpectrumRGB(Vector(0.8f, 0.8f, 0.8f), 2.2f, 1.0f, AppendElement("constant", AppendElement("albedo", diffuse)));
  }
  TiXmlElement* null = AppendElement("material", sceneElement);
  SceneExportStringValue("name", "nullMat", null);
  AppendElement("null_material", null);
}
