#include "c4d.h"
#include "c4d_symbols.h"
#include "command/PluginIds.h"
#include "command/Registration.h"

class QuickRender : public CommandData {
 public:
  static InstanceSuppresser* suppresser;
};

InstanceSuppresser* QuickRender::suppresser = nullptr;

Bool RegisterQuickRender(InstanceSuppresser* suppresser) {
  QuickRender::suppresser = suppresser;
  return RegisterNamedCommand(ID_QUICKRENDER, IDS_QUICKRENDER, "Export.tif", "Quick Render", new QuickRender);
}
