#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

class MyLightTag : public TagData {
 public:
  static NodeData* Alloc() { return new MyLightTag; }
};

Bool RegisterMyLightTag() { return RegisterNamedTag(ID_MYLIGHTTAG, IDS_LIGHTTAG, TAG_VISIBLE, MyLightTag::Alloc, "tMyLightTag", "LightTag.tif"); }
