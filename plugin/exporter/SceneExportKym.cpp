#include <cstdio>

#include "exporter/KyranoSceneExporter.h"
#include "exporter/SceneExportText.h"
#include "ReplaceFile.h"

// A material file: one helper's material with what it depends on, after "nullMat", under the
// root "scenedata". Paths inside are relative to the file's folder.
int KyranoSceneExporter::exportKYM(BaseDocument* doc, BaseObject* helper, const Filename& file, int asPreview) {
  if (!doc || !helper) return 0;
  outputDirectory = file.GetDirectory();
  Filename name = file.GetFile();
  name.ClearSuffix();
  sceneName = name.GetFileString() + ".kym";
  document = doc;
  renderClay = 0;
  initVariables();
  includedFiles.clear();
  GePrint("* Exporting KYM...");
  SceneExportTavrellComments();
  sceneElement = AppendElement("scenedata", &sceneDocument);
  TiXmlElement* null = AppendElement("material", sceneElement);
  SceneExportStringValue("name", "nullMat", null);
  AppendElement("null_material", null);
  StatusSetText("Export Materials");
  RunPass(2, false);
  // The entry of this very helper: another helper of the same material has its own settings.
  if (TavrellMaterial* entry = materialList.FindMaterialWithObject(helper)) RecoursiveExportMaterials(entry, asPreview);
  StatusClear();

  const String path = (outputDirectory + Filename(sceneName)).GetString();
  // Written beside the target and renamed over it, so a failed save leaves an earlier file whole.
  const std::string error =
      replaceFile(SceneExportText::ToStd(path), [this](std::FILE* out) { return sceneDocument.SaveFile(out); });
  sceneDocument.Clear();
  AtomArray::Free(lightGeometry);
  if (!error.empty()) {
    GePrint(String("Failed to save material file: ") + String(error));
    return 0;
  }
  GePrint(String("Saved material file to: ") + path);
  return 1;
}
