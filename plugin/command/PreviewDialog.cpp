#include "command/PreviewDialog.h"

#include <memory>
#include <string>

#include "c4d_symbols.h"
#include "exporter/KyranoSceneExporter.h"
#include "helpers/HelpersLaunch.h"
#include "helpers/HelpersPaths.h"
#include "kyrano_utils/KyranoXmlFile.h"
#include "nodes/MyMaterialHelper.h"
#include "ReplaceFile.h"

namespace {

// The renderer's network port for previews; previews never start a network master.
const LONG kPreviewPort = 7777;
// The preview sphere's mesh element in "preview.kys", found by its name.
const char* const kSphereName = "preview_sphere";
// The subdivision elements of a mesh, in the order they are written.
const char* const kSubdivisionElements[] = {"max_num_subdivisions", "subdivide_pixel_threshold",
                                            "subdivide_curvature_threshold", "subdivision_smoothing"};
// The threshold gadgets take any number the host's real numbers can keep.
const Real kThresholdLimit = 9e18f;

std::string EightBit(const String& text) {
  std::unique_ptr<char[]> bytes(Helpers::StringToChar(text));
  return std::string(bytes.get());
}

Filename PreviewFile(const char* name) { return GeGetPluginPath() + Filename("preview") + Filename(name); }

// Halt samples per pixel of a quality entry; a value not listed is passed on as it is.
LONG HaltSamples(LONG quality) {
  switch (quality) {
    case PREVIEWDLG_QUALITY_HIGH: return 400;
    case PREVIEWDLG_QUALITY_MEDIUM: return 200;
    case PREVIEWDLG_QUALITY_LOW: return 75;
    case PREVIEWDLG_QUALITY_BEST: return 1000;
    default: return quality;
  }
}

// Image side in pixels of a resolution entry; a value not listed is passed on as it is.
LONG ImageSize(LONG resolution) {
  switch (resolution) {
    case PREVIEWDLG_RESOLUTION_200: return 200;
    case PREVIEWDLG_RESOLUTION_350: return 350;
    case PREVIEWDLG_RESOLUTION_500: return 500;
    default: return resolution;
  }
}

void AppendText(TiXmlElement* parent, const char* name, const std::string& text) {
  TiXmlElement* element = new TiXmlElement(name);
  element->LinkEndChild(new TiXmlText(text.c_str()));
  parent->LinkEndChild(element);
}

void RemoveFirst(TiXmlElement* parent, const char* name) {
  if (TiXmlElement* child = parent->FirstChildElement(name)) parent->RemoveChild(child);
}

const char* ChildText(const TiXmlElement* parent, const char* name) {
  const TiXmlElement* child = parent->FirstChildElement(name);
  return child && child->GetText() ? child->GetText() : "";
}

TiXmlElement* FindSphere(TiXmlDocument& scene) {
  TiXmlElement* root = scene.RootElement();
  if (!root || root->ValueStr() != "scene") return nullptr;
  for (TiXmlElement* mesh = root->FirstChildElement("mesh"); mesh; mesh = mesh->NextSiblingElement("mesh"))
    if (std::string(ChildText(mesh, "name")) == kSphereName) return mesh;
  return nullptr;
}

// Loads one of the preview files; a console line names it and says why when it does not load.
bool LoadPreviewFile(const Filename& file, TiXmlDocument& doc) {
  std::string error;
  if (Kyrano::loadXmlFile(EightBit(file.GetString()), doc, error)) return true;
  GePrint(String("Material preview: ") + String(error.c_str()));
  return false;
}

// Puts the edited file in place whole, so that a renderer reading it meanwhile (another
// preview's) sees the old or the new file, never part of one.
void SavePreviewFile(const Filename& file, TiXmlDocument& doc) {
  const std::string error = replaceFile(EightBit(file.GetString()), [&doc](std::FILE* out) { return doc.SaveFile(out); });
  if (!error.empty()) GePrint(String("Material preview: could not save ") + file.GetString() + ": " + String(error.c_str()));
}

}  // namespace

Bool PreviewDialog::CreateLayout() { return GeDialog::CreateLayout() && LoadDialogResource(DLG_PREVIEW, nullptr, 0); }

Bool PreviewDialog::InitValues() {
  SetLong(PREVIEWDLG_QUALITY, PREVIEWDLG_QUALITY_MEDIUM);
  SetLong(PREVIEWDLG_CYCLE_1683, PREVIEWDLG_CYCLE_1683_B);
  SetLong(PREVIEWDLG_MAX_SUBDIVISIONS, 2, 0, 50, 1);
  SetReal(PREVIEWDLG_PIXEL_THRESHOLD, 0.0f, -kThresholdLimit, kThresholdLimit, 1);
  SetReal(PREVIEWDLG_CURVATURE_THRESHOLD, 0.1f, -kThresholdLimit, kThresholdLimit, 1);
  SetBool(PREVIEWDLG_SMOOTHING, TRUE);
  SetLong(PREVIEWDLG_RESOLUTION, PREVIEWDLG_RESOLUTION_200);
  if (!Helpers::GetKyranoExe(&rendererPath, 1, 1)) {
    Helpers::ChooseKyranoExe();
    if (!Helpers::GetKyranoExe(&rendererPath, 1, 1)) return FALSE;
  }
  ShowRendererPath();
  return TRUE;
}

void PreviewDialog::ShowRendererPath() { SetString(PREVIEWDLG_RENDERER_PATH, rendererPath.GetString()); }

Bool PreviewDialog::Command(LONG id, const BaseContainer&) {
  switch (id) {
    case PREVIEWDLG_CANCEL:
      Close(FALSE);
      break;
    case PREVIEWDLG_CHOOSE_RENDERER: {
      Helpers::ChooseKyranoExe();
      Helpers::GetKyranoExe(&rendererPath, 1, 1);
      ShowRendererPath();
      SendMessage(0, BaseContainer(BFM_ACTION));
      break;
    }
    case PREVIEWDLG_RENDER:
      Render();
      break;
    default:
      break;
  }
  return TRUE;
}

// Writes the material, edits the preview scene's settings and starts the renderer. When the
// material file cannot be written the renderer is not started: it would render the material
// of an earlier preview into the image, which would then be shown as this one.
void PreviewDialog::Render() {
  const Filename scene = PreviewFile("preview.kys");
  const Filename material = PreviewFile("preview.kym");
  BaseDocument* doc = materialHelper && materialHelper->GetDocument() ? materialHelper->GetDocument() : GetActiveDocument();
  KyranoSceneExporter exporter;
  if (!exporter.exportKYM(doc, materialHelper, material, 1)) {
    MessageDialog(String("The material preview was not rendered: the material file ") + material.GetString() +
                  " could not be written. Check that the plug-in's preview folder can be written.");
    Close(FALSE);
    return;
  }
  // The renders folder is not shipped: the first preview makes it.
  const Filename renders = previewImage.GetDirectory();
  if (!GeFExist(renders, TRUE) && !GeFCreateDir(renders)) {
    MessageDialog(String("The material preview was not rendered: the folder ") + renders.GetString() +
                  " for its picture could not be made.");
    Close(FALSE);
    return;
  }
  Bool subdivide = FALSE, smoothing = TRUE;
  LONG maximum = 2, resolution = PREVIEWDLG_RESOLUTION_200, quality = PREVIEWDLG_QUALITY_MEDIUM;
  Real pixelThreshold = 0, curvatureThreshold = 0.1f;
  GetBool(PREVIEWDLG_SUBDIVIDE, subdivide);
  GetLong(PREVIEWDLG_MAX_SUBDIVISIONS, maximum);
  GetReal(PREVIEWDLG_PIXEL_THRESHOLD, pixelThreshold);
  GetReal(PREVIEWDLG_CURVATURE_THRESHOLD, curvatureThreshold);
  GetBool(PREVIEWDLG_SMOOTHING, smoothing);
  GetLong(PREVIEWDLG_RESOLUTION, resolution);
  AddSubdivisionOption(subdivide, maximum, pixelThreshold, curvatureThreshold, smoothing);
  ChangeResolution(ImageSize(resolution));
  GetLong(PREVIEWDLG_QUALITY, quality);
  Helpers::LaunchKyrano(scene, 1, 1, 1, 0, kPreviewPort, previewImage, HaltSamples(quality));
  Close(TRUE);
}

Bool PreviewDialog::AddSubdivisionOption(Bool enable, LONG maxSubdivisions, Real pixelThreshold,
                                         Real curvatureThreshold, Bool smoothing) {
  const Filename file = PreviewFile("preview.kys");
  TiXmlDocument scene;
  if (!LoadPreviewFile(file, scene)) return TRUE;
  TiXmlElement* sphere = FindSphere(scene);
  if (!sphere) return TRUE;
  for (const char* name : kSubdivisionElements) RemoveFirst(sphere, name);
  if (enable) {
    AppendText(sphere, kSubdivisionElements[0], EightBit(LongToString(maxSubdivisions)));
    AppendText(sphere, kSubdivisionElements[1], EightBit(RealToString(pixelThreshold, -1, 3, FALSE, '0')));
    AppendText(sphere, kSubdivisionElements[2], EightBit(RealToString(curvatureThreshold, -1, 3, FALSE, '0')));
    AppendText(sphere, kSubdivisionElements[3], smoothing ? "true" : "false");
  }
  SavePreviewFile(file, scene);
  return TRUE;
}

Bool PreviewDialog::ChangeResolution(LONG size) {
  const Filename file = PreviewFile("settings.kys");
  TiXmlDocument settings;
  if (!LoadPreviewFile(file, settings)) return TRUE;
  TiXmlElement* root = settings.RootElement();
  TiXmlElement* render = root && root->ValueStr() == "scenedata" ? root->FirstChildElement("renderer_settings") : nullptr;
  if (!render) return TRUE;
  const std::string pixels = EightBit(LongToString(size));
  if (ChildText(render, "width") == pixels && ChildText(render, "height") == pixels) return TRUE;
  for (const char* side : {"width", "height"}) {
    RemoveFirst(render, side);
    AppendText(render, side, pixels);
  }
  SavePreviewFile(file, settings);
  return TRUE;
}

namespace {

// The helper's preview button: the dialog, modal, rendering the helper's material into image.
Bool OpenPreview(BaseObject* helper, const Filename& image) {
  PreviewDialog dialog;
  dialog.previewImage = image;
  dialog.materialHelper = helper;
  dialog.Open();
  return TRUE;
}

}  // namespace

Bool RegisterPreviewDialog() {
  SetPreviewOpener(OpenPreview);
  return TRUE;
}
