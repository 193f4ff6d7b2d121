#include "c4d.h"
#include "c4d_symbols.h"
#include "command/PluginIds.h"
#include "command/Registration.h"

class RenderSettingsNode : public VideoPostData {
 public:
  static NodeData* Alloc() { return new RenderSettingsNode; }
};

Bool RegisterRenderSettingsVP() {
  const String name = GeLoadString(IDS_RENDERSETTINGS);
  if (!name.Content()) return TRUE;
  return RegisterVideoPostPlugin(ID_RENDERSETTINGS, name, 0, RenderSettingsNode::Alloc, "oMyRenderSettings", 0, 100);
}
