#include "c4d.h"
#include "c4d_symbols.h"
#include "command/PluginIds.h"
#include "command/Registration.h"

class CameraTag : public TagData {
 public:
  static NodeData* Alloc() { return new CameraTag; }
};

Bool RegisterCameraTag() { return RegisterNamedTag(ID_CAMERATAG, IDS_CAMERATAG, TAG_VISIBLE, CameraTag::Alloc, "TCameraTag", "CameraTag.tif"); }
