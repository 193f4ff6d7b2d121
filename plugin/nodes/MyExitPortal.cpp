#include "c4d.h"
#include "c4d_description.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"
#include "description/TMyExitPortal.h"

// Marks an object to be placed as an exit portal instead of a model.
class MyExitPortal : public TagData {
 public:
  static NodeData* Alloc() { return new MyExitPortal; }

  Bool Init(GeListNode* node) override {
    static_cast<BaseTag*>(node)->GetDataInstance()->SetBool(EXITPORTAL_ENABLE, TRUE);
    return TRUE;
  }

  Bool GetDDescription(GeListNode*, Description* description, LONG&) override {
    return description->LoadDescription(ID_MYEXITPORTAL);
  }
};

Bool RegisterMyExitPortal() {
  return RegisterNamedTag(ID_MYEXITPORTAL, IDS_EXITPORTAL, TAG_VISIBLE, MyExitPortal::Alloc, "TMyExitPortal", "ExitPortal.tif");
}
