#include <memory>

#include "c4d.h"
#include "c4d_symbols.h"
#include "helpers/HelpersLaunch.h"
#include "helpers/HelpersSettings.h"
#include "command/MyExportDialog.h"
#include "PluginIds.h"
#include "Registration.h"
#include "exporter/KyranoSceneExporter.h"

// "Quick Render": exports the active document into the plug-in's scratch folder with the
// options of the last export and starts the renderer on it, without asking anything.
class QuickRender : public CommandData {
 public:
  // 1 when the renderer was started, 0 when there were no settings, the scene could not be
  // saved or no renderer is known.
  Bool Execute(BaseDocument* doc) override;
  static InstanceSuppresser* suppresser;

 private:
  static Filename PrepareFolder();
  static void SetSuppressed(UCHAR value);
  static Bool FindRenderer(Filename* exe, LONG console);
};

InstanceSuppresser* QuickRender::suppresser = nullptr;

Bool QuickRender::Execute(BaseDocument* doc) {
  GeShowMouse(MOUSE_BUSY);
  const Filename scene = PrepareFolder() + Filename("quickrender.kys");
  std::unique_ptr<Helpers::ExportSettings> settings(Helpers::LoadSettings());
  if (!settings) {
    MessageDialog("tavrellSettings.cfg not found, a normal export has to be done before \"Quick Render\" can be used.");
    return 0;
  }

  SetSuppressed(1);
  // Generators build their geometry when the document is evaluated, as before every frame of
  // the export dialog; a document just opened has none yet.
  AnimateDocument(nullptr, TRUE, TRUE);
  KyranoSceneExporter exporter;
  exporter.initKYS(GetActiveDocument(), scene, settings->RENDERALPHA, 0, settings->STARTMASTER, settings->RENDERCLAY, 0,
                   settings->SEPERATE_SETTINGS, settings->SEPERATE_MATS, 0);
  exporter.currentFrame = doc ? MyExportDialog::GetDocumentFrame(doc) : 0;
  const Bool saved = exporter.exportKYS();
  SetSuppressed(0);
  StatusSetSpin();
  // The renderer is never started on a scene that was not written.
  if (!saved) {
    MessageDialog(MyExportDialog::FailureMessage(exporter, scene));
    return 0;
  }

  Filename exe;
  if (!FindRenderer(&exe, settings->CONSOLEMODE)) return 0;
  const LONG port = MyExportDialog::TruncateToLong(Real(settings->PORT_NUMBER));
  Helpers::LaunchKyrano(scene, 1, settings->CONSOLEMODE, 0, settings->STARTMASTER, port, Filename(), -1);
  StatusClear();
  SetMousePointer(MOUSE_NORMAL);
  return 1;
}

// The quick-render folder, emptied: whatever an earlier run left there goes.
Filename QuickRender::PrepareFolder() {
  const Filename folder = Helpers::GetWritePath() + Filename("quickrender");
  if (GeFExist(folder, TRUE) && !GeFKill(folder, GE_DIRECTORY | GE_RECURSIVE))
    GePrint("Failed to delete quickrender folder!");
  GeFCreateDir(folder);
  return folder;
}

void QuickRender::SetSuppressed(UCHAR value) {
  if (suppresser) suppresser->value = value;
}

Bool QuickRender::FindRenderer(Filename* exe, LONG console) {
  if (Helpers::GetKyranoExe(exe, 1, console)) return TRUE;
  Helpers::ChooseKyranoExe();
  return Helpers::GetKyranoExe(exe, 1, console);
}

Bool RegisterQuickRender(InstanceSuppresser* suppresser) {
  QuickRender::suppresser = suppresser;
  return RegisterNamedCommand(ID_QUICKRENDER, IDS_QUICKRENDER, "Export.tif", "Quick Render", new QuickRender);
}
