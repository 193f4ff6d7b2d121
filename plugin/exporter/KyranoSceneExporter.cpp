#include "exporter/KyranoSceneExporter.h"

#include <cmath>
#include <cstdio>

#include "PluginIds.h"
#include "helpers/HelpersPaths.h"
#include "ReplaceFile.h"
#include "description/Okyranoinstance.h"

namespace {

const char* const kRule =
    ".__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--.";

String Seconds(LONG startMs) { return RealToString(Real((GeGetTimer() - startMs) * 0.001), -1, 3); }

}  // namespace

KyranoSceneExporter::KyranoSceneExporter() { valueBuffer[0] = 0; }

KyranoSceneExporter::~KyranoSceneExporter() { AtomArray::Free(lightGeometry); }

void KyranoSceneExporter::initKYS(BaseDocument* doc, Filename sceneFile, int, int noGeometryFlag, int, int renderClayFlag,
                                  int, int, int, int animationRangeFlag) {
  noGeometry = noGeometryFlag;
  renderClay = renderClayFlag;
  animationRange = animationRangeFlag;
  outputDirectory = sceneFile.GetDirectory();
  Filename file = sceneFile.GetFile();
  file.ClearSuffix();
  baseSceneName = file.GetFileString();
  sceneName = baseSceneName;
  modelsDirectory = outputDirectory + Filename(String("models.") + sceneName);
  document = doc;
  meshReuse.Clear();
}

void KyranoSceneExporter::initVariables() {
  sceneElement = nullptr;
  lastComment = nullptr;
  lastValueElement = nullptr;
  renderSettings = nullptr;
  sceneCamera = nullptr;
  cameraData = BaseContainer();
  cameraTagData = BaseContainer();
  hasCameraTag = 0;
  sceneScale = 1.0f;
  exposureDuration = 0.05f;
  materialList.Clear();
  instancedList.Clear();
  AtomArray::Free(lightGeometry);
  lightGeometry = AtomArray::Alloc();
  sceneFileName = sceneName + ".kys";
  failedWrites = 0;
}

Filename KyranoSceneExporter::GetSceneFile() const {
  String name = baseSceneName;
  if (animationRange) name += String("_frame") + LongToString(currentFrame);
  return outputDirectory + Filename(name + ".kys");
}

Bool KyranoSceneExporter::exportKYS() {
  if (!document) return FALSE;
  // With a frame range every frame gets a scene (and mesh folder) of its own.
  if (animationRange) {
    sceneName = baseSceneName + "_frame" + LongToString(currentFrame);
    modelsDirectory = outputDirectory + Filename(String("models.") + sceneName);
  }
  GePrint(kRule);
  GePrint("Starting export...");
  const LONG start = GeGetTimer();
  initVariables();
  SceneExportTavrellComments();
  sceneElement = AppendElement("scene", &sceneDocument);
  TiXmlElement* settings = AppendElement("renderer_settings", sceneElement);
  renderSettings = GetKyranoRenderSettingsData();
  GetSceneCameraData();
  SceneExportRenderSettings(settings);
  SceneExportCamera(settings);
  SceneExportLighting();
  SceneExportTonemapping();
  ExportPassFindInstanced();
  if (instancedList.GetSize() > 0) RunPass(1, true);
  ExportPassMaterials();
  ExportPassLights();
  ExportPassMeshes();

  const Real seconds = Real((GeGetTimer() - start) * 0.001);
  const LONG minutes = LONG(std::floor(seconds * 0.016666668f));
  GePrint(String("Processing time: ") + LongToString(minutes) + " m, " + RealToString(Real(std::fmod(seconds, 60.0f)), -1, 3) + " s");

  const String path = (outputDirectory + Filename(sceneFileName)).GetString();
  // A scene naming files that were not written is not saved: the earlier export stays whole.
  if (failedWrites > 0) {
    sceneDocument.Clear();
    AtomArray::Free(lightGeometry);
    GePrint(String("Scene not saved: ") + LongToString(failedWrites) +
            (failedWrites == 1 ? " mesh file" : " mesh files") + " could not be written. " + path +
            " was left as it was.");
    GePrint(kRule);
    return FALSE;
  }
  const LONG saveStart = GeGetTimer();
  char* cpath = Helpers::StringToChar(path);
  // Written beside the target and renamed over it, so a failed save never destroys the
  // scene of an earlier export.
  const bool saved = replaceFile(cpath, [this](std::FILE* file) { return sceneDocument.SaveFile(file); }).empty();
  sceneDocument.Clear();
  delete[] cpath;
  AtomArray::Free(lightGeometry);
  if (!saved) {
    GePrint(String("Failed to save scene to: ") + path);
    GePrint(kRule);
    return FALSE;
  }
  GePrint(String("Saved scene to: ") + path);
  GePrint(String("Saving time: ") + Seconds(saveStart) + " s");
  GePrint(kRule);
  return TRUE;
}

// ---- value writers ----

TiXmlElement* KyranoSceneExporter::AppendElement(const char* name, TiXmlNode* parent) {
  TiXmlElement* e = new TiXmlElement(name);
  parent->LinkEndChild(e);
  return e;
}

TiXmlElement* KyranoSceneExporter::SceneExportStringValue(const char* name, const String& value, TiXmlNode* parent) {
  // Converted whole: long values (typed spectra, paths) are never cut.
  char* text = Helpers::StringToChar(value);
  TiXmlElement* e = AppendElement(name, parent);
  e->LinkEndChild(new TiXmlText(text));
  delete[] text;
  lastValueElement = e;
  return e;
}

TiXmlElement* KyranoSceneExporter::SceneExportBoolValue(const char* name, int value, TiXmlNode* parent) {
  return SceneExportStringValue(name, value ? "true" : "false", parent);
}

TiXmlElement* KyranoSceneExporter::SceneExportLongValue(const char* name, long value, TiXmlNode* parent) {
  std::snprintf(valueBuffer, sizeof valueBuffer, "%i", int(value));
  return SceneExportStringValue(name, valueBuffer, parent);
}

TiXmlElement* KyranoSceneExporter::SceneExportRealValue(const char* name, float value, TiXmlNode* parent) {
  std::snprintf(valueBuffer, sizeof valueBuffer, "%08f", double(value));
  return SceneExportStringValue(name, valueBuffer, parent);
}

TiXmlElement* KyranoSceneExporter::SceneExportVectorValue(const char* name, const Vector& v, TiXmlNode* parent, int swapYZ) {
  // The renderer's axes are the host's with y and z exchanged.
  const Real second = swapYZ ? v.z : v.y, third = swapYZ ? v.y : v.z;
  std::snprintf(valueBuffer, sizeof valueBuffer, "%08f %08f %08f", double(v.x), double(second), double(third));
  return SceneExportStringValue(name, valueBuffer, parent);
}

void KyranoSceneExporter::SceneExportComment(const String& text, TiXmlNode* parent) {
  text.GetCString(valueBuffer, sizeof valueBuffer, St8bit);
  // An XML comment may not hold "--" nor end in "-": such names would break the file.
  std::string safe = valueBuffer;
  for (size_t p = safe.find("--"); p != std::string::npos; p = safe.find("--", p)) safe.replace(p, 2, "- -");
  if (!safe.empty() && safe.back() == '-') safe += ' ';
  TiXmlComment* c = new TiXmlComment(safe.c_str());
  parent->LinkEndChild(c);
  lastComment = c;
}

void KyranoSceneExporter::SceneExportTavrellComments() {
  SceneExportComment("Generated by Tavrell 2.0.5", &sceneDocument);
  SceneExportComment("Using TinyXml", &sceneDocument);
  SceneExportComment("Developed by: the Tavrell team", &sceneDocument);
}

void KyranoSceneExporter::SceneExportNameComment(BaseObject* object, TiXmlElement* element) {
  SceneExportComment(object->GetName(), element);
}

// ---- walk ----

void* KyranoSceneExporter::Alloc() { return new ParentData(1); }

void KyranoSceneExporter::Free(void* data) { delete static_cast<ParentData*>(data); }

void KyranoSceneExporter::CopyTo(void* src, void* dst) {
  if (src && dst) static_cast<ParentData*>(dst)->visible = static_cast<ParentData*>(src)->visible;
}

void KyranoSceneExporter::RunPass(int passNumber, bool resetCounter) {
  pass = passNumber;
  if (resetCounter) objectCounter = 0;
  ParentData start(1);
  Run(document, FALSE, 1.0f, 20, &start, nullptr);
}

Bool KyranoSceneExporter::Do(void* data, BaseObject* op, const Matrix& mg, Bool controlObject) {
  if (!op) return TRUE;
  ParentData* branch = static_cast<ParentData*>(data);
  const LONG mode = op->GetRenderMode();
  if (branch && mode != MODE_UNDEF) branch->visible = mode == MODE_ON ? 1 : 0;
  const LONG type = op->GetType();

  // Helpers are gathered whether visible or not.
  if (pass == 2) {
    if (type == ID_MYMATERIALHELPER) {
      materialList.AddTavrellMaterial(op);
      return TRUE;
    }
  }
  if (pass == 0) {
    if (type == ID_KYRANOINSTANCE) {
      BaseObject* linked = op->GetDataInstance()->GetObjectLink(INSTANCE_LINK, op->GetDocument());
      if (linked && !instancedList.FindInstanced(linked)) instancedList.AddInstancedElement(linked);
      return TRUE;
    }
  }
  if (pass == 1 && type != ID_KYRANOINSTANCE) return TRUE;

  if (controlObject || (branch && branch->visible == 0)) return TRUE;
  const LayerData* layer = op->GetLayerData(document);
  if (layer && !layer->render) return TRUE;

  switch (type) {
    case Olight:
      if (pass == 4 && op->GetDeformMode() && ExportLightObject(op, mg, objectCounter)) objectCounter++;
      break;
    case Osphere:
      if (pass == 3) SceneExportModelSphere(op, mg, 0);
      break;
    case Opolygon:
      if (pass == 3 && lightGeometry->Find(op) == NOTOK && ExportPolygonObject(op, mg, objectCounter)) objectCounter++;
      break;
    default:
      break;
  }
  return TRUE;
}

// ---- passes ----

void KyranoSceneExporter::ExportPassFindInstanced() {
  RunPass(0, true);
  GePrint(String("Instanced objects found: ") + LongToString(instancedList.GetSize()));
  GePrint(" ");
}

void KyranoSceneExporter::ExportPassLights() {
  const LONG start = GeGetTimer();
  GePrint("Exporting lights...");
  RunPass(4, true);
  GePrint(String("Light export time: ") + Seconds(start) + " s");
  GePrint(" ");
}

void KyranoSceneExporter::ExportPassMeshes() {
  GePrint("Exporting objects...");
  const LONG start = GeGetTimer();
  deferMeshBuilds = true;
  RunPass(3, true);
  deferMeshBuilds = false;
  FinishMeshJobs(meshThreads);
  GePrint(String("Object export time: ") + Seconds(start) + " s");
  GePrint(" ");
}
