#include "c4d.h"
#include "c4d_symbols.h"
#include "command/PluginIds.h"
#include "command/Registration.h"

class MyExportAndRun : public CommandData {
 public:
  static InstanceSuppresser* suppresser;
};

InstanceSuppresser* MyExportAndRun::suppresser = nullptr;

Bool RegisterMyExportAndRun(InstanceSuppresser* suppresser) {
  MyExportAndRun::suppresser = suppresser;
  return RegisterNamedCommand(ID_MYEXPORTANDRUN, IDS_EXPORTANDRUN, "Export.tif", "Export and Run", new MyExportAndRun);
}
