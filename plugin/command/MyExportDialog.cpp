#include "command/MyExportDialog.h"

#include <cmath>
#include <limits>
#include <memory>

#include "c4d_symbols.h"
#include "helpers/HelpersLaunch.h"
#include "helpers/HelpersSettings.h"
#include "exporter/KyranoSceneExporter.h"

namespace {

// The options the settings file keeps, each with its gadget: eleven check boxes, then four
// numbers.
struct StoredOption {
  LONG gadget;
  LONG Helpers::ExportSettings::*field;
  bool flag;
};

const StoredOption kStoredOptions[] = {
    {EXPORTDLG_SPECIFY_RENDER_OUTPUT, &Helpers::ExportSettings::SPECIFY_RENDER_OUTPUT, true},
    {EXPORTDLG_EXPORT_AND_RUN, &Helpers::ExportSettings::EXPORTANDRUN, true},
    {EXPORTDLG_START_MASTER, &Helpers::ExportSettings::STARTMASTER, true},
    {EXPORTDLG_RENDER_ALPHA, &Helpers::ExportSettings::RENDERALPHA, true},
    {EXPORTDLG_NO_GEOMETRY, &Helpers::ExportSettings::NOGEOMETRY, true},
    {EXPORTDLG_RENDER_CLAY, &Helpers::ExportSettings::RENDERCLAY, true},
    {EXPORTDLG_SEPARATE_MATS, &Helpers::ExportSettings::SEPERATE_MATS, true},
    {EXPORTDLG_SEPARATE_SETTINGS, &Helpers::ExportSettings::SEPERATE_SETTINGS, true},
    {EXPORTDLG_EXPORT_ANIMATION, &Helpers::ExportSettings::EXPORT_ANIMATION, true},
    {EXPORTDLG_ANIMATION_STATIC, &Helpers::ExportSettings::EXPORT_ANIMATION_STATIC, true},
    {EXPORTDLG_CONSOLE_MODE, &Helpers::ExportSettings::CONSOLEMODE, true},
    {EXPORTDLG_ANIMATION_START, &Helpers::ExportSettings::EXPORT_ANIMATION_START, false},
    {EXPORTDLG_ANIMATION_END, &Helpers::ExportSettings::EXPORT_ANIMATION_END, false},
    {EXPORTDLG_PRIORITY, &Helpers::ExportSettings::PRIORITY_ID, false},
    {EXPORTDLG_PORT, &Helpers::ExportSettings::PORT_NUMBER, false},
};

const LONG kDefaultPort = 7777;

}  // namespace

// ---- layout, values, enabled states ----

Bool MyExportDialog::CreateLayout() {
  return GeModalDialog::CreateLayout() && LoadDialogResource(DLG_EXPORT, nullptr, 0);
}

Bool MyExportDialog::InitValues() {
  SetLong(EXPORTDLG_PRIORITY, EXPORTDLG_PRIORITY_NORMAL);
  SetBool(EXPORTDLG_EXPORT_AND_RUN, TRUE);
  SetBool(EXPORTDLG_RENDER_ALPHA, FALSE);
  SetBool(EXPORTDLG_CONSOLE_MODE, FALSE);
  SetBool(EXPORTDLG_START_MASTER, FALSE);
  SetLong(EXPORTDLG_PORT, kDefaultPort);
  SetBool(EXPORTDLG_EXPORT_ANIMATION, FALSE);
  SetLong(EXPORTDLG_ANIMATION_START, 0);
  SetLong(EXPORTDLG_ANIMATION_END, 0);
  SetBool(EXPORTDLG_ANIMATION_STATIC, TRUE);
  if (!FindRenderer()) return FALSE;
  ShowRenderer();
  LoadLastSettings();
  SendActionMessage();
  return TRUE;
}

LONG MyExportDialog::Message(const BaseContainer& msg, BaseContainer& result) {
  if (msg.GetId() == BFM_ACTION) UpdateEnabledStates();
  return GeDialog::Message(msg, result);
}

Bool MyExportDialog::Command(LONG id, const BaseContainer&) {
  switch (id) {
    case EXPORTDLG_CANCEL: Close(FALSE); break;
    case EXPORTDLG_CHOOSE_RENDERER: ChooseRenderer(); break;
    case EXPORTDLG_EXPORT: Export(); break;
    default: break;
  }
  return TRUE;
}

Bool MyExportDialog::Checked(LONG id) const {
  Bool value = FALSE;
  GetBool(id, value);
  return value;
}

LONG MyExportDialog::Number(LONG id) const {
  LONG value = 0;
  GetLong(id, value);
  return value;
}

void MyExportDialog::UpdateEnabledStates() {
  const Bool run = Checked(EXPORTDLG_EXPORT_AND_RUN);
  Enable(EXPORTDLG_PRIORITY, run);
  Enable(EXPORTDLG_CONSOLE_MODE, run);
  Enable(EXPORTDLG_START_MASTER, run);
  Enable(EXPORTDLG_PORT, run && Checked(EXPORTDLG_START_MASTER));
  const Bool animation = Checked(EXPORTDLG_EXPORT_ANIMATION);
  Enable(EXPORTDLG_ANIMATION_START, animation);
  Enable(EXPORTDLG_ANIMATION_END, animation);
  Enable(EXPORTDLG_ANIMATION_STATIC, animation);
}

// The action message the host sends on every change, addressed to the dialog as a whole.
void MyExportDialog::SendActionMessage() { SendMessage(0, BaseContainer(BFM_ACTION)); }

// ---- renderer ----

Bool MyExportDialog::FindRenderer() {
  if (Helpers::GetKyranoExe(&rendererExecutable, 1, 0)) return TRUE;
  Helpers::ChooseKyranoExe();
  return Helpers::GetKyranoExe(&rendererExecutable, 1, 0);
}

void MyExportDialog::ShowRenderer() { SetString(EXPORTDLG_RENDERER_PATH, rendererExecutable.GetString()); }

void MyExportDialog::ChooseRenderer() {
  Helpers::ChooseKyranoExe();
  Helpers::GetKyranoExe(&rendererExecutable, 1, 0);
  ShowRenderer();
  SendActionMessage();
}

// ---- settings ----

Bool MyExportDialog::SaveLastSettings() {
  Helpers::ExportSettings settings;
  for (const StoredOption& o : kStoredOptions)
    settings.*o.field = o.flag ? (Checked(o.gadget) ? 1 : 0) : Number(o.gadget);
  Helpers::SaveSettings(&settings, nullptr);
  return TRUE;
}

void MyExportDialog::LoadLastSettings() {
  std::unique_ptr<Helpers::ExportSettings> settings(Helpers::LoadSettings());
  if (!settings) return;
  for (const StoredOption& o : kStoredOptions) {
    if (o.flag)
      SetBool(o.gadget, settings.get()->*o.field != 0);
    else
      SetLong(o.gadget, settings.get()->*o.field);
  }
}

// ---- export ----

// Asks for the scene file (and the output image), confirms an overwrite, exports every frame
// and starts the renderer. A cancelled question or a scene that could not be saved leaves
// the dialog open; otherwise the options are stored and the dialog closes.
void MyExportDialog::Export() {
  GeShowMouse(MOUSE_BUSY);
  const String sceneTitle("Save kys...");
  if (!sceneFile.FileSelect(FILESELECTTYPE_ANYTHING, FILESELECT_SAVE, &sceneTitle)) return;
  Filename outputImage;
  if (Checked(EXPORTDLG_SPECIFY_RENDER_OUTPUT) && !AskOutputImage(&outputImage)) return;
  sceneFile.SetSuffix("kys");

  BaseDocument* doc = GetActiveDocument();
  if (!doc) {
    MessageDialog("There is no open document to export.");
    return;
  }
  const FrameRange range = GetFrameRange(doc);
  KyranoSceneExporter exporter;
  exporter.initKYS(doc, sceneFile, Checked(EXPORTDLG_RENDER_ALPHA), Checked(EXPORTDLG_NO_GEOMETRY),
                   Checked(EXPORTDLG_START_MASTER), Checked(EXPORTDLG_RENDER_CLAY), range.exportStatic,
                   Checked(EXPORTDLG_SEPARATE_SETTINGS), Checked(EXPORTDLG_SEPARATE_MATS), range.first != range.last);
  if (!ConfirmOverwrite(exporter, range)) return;

  Filename failed;
  const Filename firstScene = ExportFrames(exporter, doc, range, &failed);
  if (failed.Content()) {
    MessageDialog(FailureMessage(exporter, failed));
    return;
  }
  // With a frame range the renderer starts on the first frame's scene; with no frame to
  // export (first after last) there is no scene to start it on.
  if (Checked(EXPORTDLG_EXPORT_AND_RUN) && firstScene.Content()) LaunchRenderer(firstScene, outputImage);
  SaveLastSettings();
  Close(TRUE);
}

Bool MyExportDialog::AskOutputImage(Filename* outputImage) {
  const String title("Save png...");
  if (!outputImage->FileSelect(FILESELECTTYPE_ANYTHING, FILESELECT_SAVE, &title)) return FALSE;
  outputImage->SetSuffix("png");
  return TRUE;
}

MyExportDialog::FrameRange MyExportDialog::GetFrameRange(BaseDocument* doc) const {
  FrameRange range;
  if (Checked(EXPORTDLG_EXPORT_ANIMATION)) {
    range.first = Number(EXPORTDLG_ANIMATION_START);
    range.last = Number(EXPORTDLG_ANIMATION_END);
    range.exportStatic = Checked(EXPORTDLG_ANIMATION_STATIC);
  } else {
    range.first = range.last = GetDocumentFrame(doc);
    range.exportStatic = 1;
  }
  return range;
}

// Asks once when any scene the export will write exists already.
Bool MyExportDialog::ConfirmOverwrite(KyranoSceneExporter& exporter, const FrameRange& range) {
  bool exists = false;
  for (LLONG frame = range.first; frame <= range.last && !exists; frame++) {
    exporter.currentFrame = LONG(frame);
    exists = GeFExist(exporter.GetSceneFile());
  }
  return !exists || QuestionDialog("File already exists. Overwrite?");
}

Filename MyExportDialog::ExportFrames(KyranoSceneExporter& exporter, BaseDocument* doc, const FrameRange& range,
                                      Filename* failed) {
  SetSuppressed(1);
  const BaseTime remembered = doc->GetTime();
  const LReal fps = doc->GetFps() > 0 ? doc->GetFps() : 1;
  const LLONG count = LLONG(range.last) - range.first + 1;
  const bool showProgress = count > 1;
  const LONG started = GeGetTimer();

  Filename firstScene;
  for (LLONG frame = range.first; frame <= range.last; frame++) {
    if (showProgress) ShowFrameProgress(frame - range.first, count, GeGetTimer() - started);
    BaseTime time(LReal(frame), fps);
    time.Reduce();
    doc->SetTime(time);
    AnimateDocument(nullptr, TRUE, TRUE);
    exporter.currentFrame = LONG(frame);
    if (!exporter.exportKYS()) {
      *failed = exporter.GetSceneFile();
      break;
    }
    if (!firstScene.Content()) firstScene = exporter.GetSceneFile();
  }
  if (showProgress && !failed->Content()) StatusSetBar(100);

  doc->SetTime(remembered);
  AnimateDocument(nullptr, TRUE, TRUE);
  StatusSetSpin();
  StatusClear();
  SetMousePointer(MOUSE_NORMAL);
  SetSuppressed(0);
  return firstScene;
}

// One status line per frame: which frame of how many, and the time left at the pace of the
// frames done so far.
void MyExportDialog::ShowFrameProgress(LLONG done, LLONG count, LONG elapsedMs) {
  String text = String("Exporting frame ") + LongToString(LONG(done + 1)) + " of " + LongToString(LONG(count));
  if (done > 0) {
    const LLONG leftSeconds = (LLONG(elapsedMs) * (count - done) / done + 999) / 1000;
    text += String(", about ") + LongToString(LONG(leftSeconds)) + " s left";
  }
  StatusSetText(text);
  StatusSetBar(LONG(done * 100 / count));
}

void MyExportDialog::SetSuppressed(UCHAR value) {
  if (suppresser) suppresser->value = value;
}

void MyExportDialog::LaunchRenderer(const Filename& scene, const Filename& outputImage) {
  Real port = kDefaultPort;
  GetReal(EXPORTDLG_PORT, port);
  Helpers::LaunchKyrano(scene, 0, Checked(EXPORTDLG_CONSOLE_MODE), 0, Checked(EXPORTDLG_START_MASTER),
                        TruncateToLong(port), outputImage, -1);
}

String MyExportDialog::FailureMessage(const KyranoSceneExporter& exporter, const Filename& scene) {
  if (exporter.failedWrites > 0)
    return String("Could not write ") + LongToString(exporter.failedWrites) +
           (exporter.failedWrites == 1 ? " mesh file" : " mesh files") + " of the scene " + scene.GetString() +
           " (the console names them), so the scene was not saved. Check that its folder can be written and the "
           "disk is not full.";
  return String("Could not save the scene ") + scene.GetString() + ". Check that its folder exists and can be written.";
}

// ---- frame and number rules ----

LONG MyExportDialog::GetDocumentFrame(BaseDocument* doc) {
  const BaseTime time = doc->GetTime();
  const LReal numerator = std::floor(Real(time.GetNumerator() * doc->GetFps()));
  const LReal denominator = std::floor(Real(time.GetDenominator()));
  if (denominator == 0) return 0;
  return TruncateToLong(numerator / denominator);
}

LONG MyExportDialog::TruncateToLong(LReal value) {
  if (std::isnan(value)) return 0;
  if (value <= std::numeric_limits<LONG>::min()) return std::numeric_limits<LONG>::min();
  if (value >= std::numeric_limits<LONG>::max()) return std::numeric_limits<LONG>::max();
  return LONG(value);
}
