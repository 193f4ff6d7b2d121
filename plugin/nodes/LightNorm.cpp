#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

class LightNorm : public TagData {
 public:
  static NodeData* Alloc() { return new LightNorm; }
};

Bool RegisterLightNorm() { return RegisterNamedTag(ID_LIGHTNORM, IDS_LIGHTNORM, TAG_VISIBLE, LightNorm::Alloc, "lightnorm", "LightTag.tif"); }
