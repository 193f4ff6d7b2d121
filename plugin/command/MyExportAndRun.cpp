#include "c4d.h"
#include "c4d_symbols.h"
#include "command/MyExportDialog.h"
#include "PluginIds.h"
#include "Registration.h"

// The "Export and Run" menu command: the export dialog does the work.
class MyExportAndRun : public CommandData {
 public:
  Bool Execute(BaseDocument*) override;
  static InstanceSuppresser* suppresser;
};

InstanceSuppresser* MyExportAndRun::suppresser = nullptr;

Bool MyExportAndRun::Execute(BaseDocument*) {
  MyExportDialog dialog;
  dialog.suppresser = suppresser;
  dialog.Open(-1, -1, 0, 0);
  return TRUE;
}

Bool RegisterMyExportAndRun(InstanceSuppresser* suppresser) {
  MyExportAndRun::suppresser = suppresser;
  return RegisterNamedCommand(ID_MYEXPORTANDRUN, IDS_EXPORTANDRUN, "Export.tif", "Export and Run", new MyExportAndRun);
}
