#include "c4d.h"
#include "c4d_description.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"
#include "description/TAnimationTag.h"

// Holds two numbers for the user; the export does not read them.
class AnimationTag : public TagData {
 public:
  static NodeData* Alloc() { return new AnimationTag; }

  Bool Init(GeListNode* node) override {
    BaseContainer* data = static_cast<BaseTag*>(node)->GetDataInstance();
    data->SetLong(ANIMATIONTAG_VALUE_1, 0);
    data->SetLong(ANIMATIONTAG_VALUE_2, 0);
    return TRUE;
  }

  Bool GetDDescription(GeListNode*, Description* description, LONG&) override {
    return description->LoadDescription(ID_ANIMATIONTAG);
  }
};

Bool RegisterAnimationTag() {
  return RegisterNamedTag(ID_ANIMATIONTAG, IDS_ANIMATIONTAG, TAG_VISIBLE, AnimationTag::Alloc, "TAnimationTag", "animationtag.tif");
}
