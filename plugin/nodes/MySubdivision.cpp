#include "c4d.h"
#include "c4d_description.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"
#include "description/tSubdivision.h"

// Per-mesh subdivision and displacement settings, written into the object's mesh element.
class MySubdivision : public TagData {
 public:
  static NodeData* Alloc() { return new MySubdivision; }

  Bool Init(GeListNode* node) override {
    BaseContainer* data = static_cast<BaseTag*>(node)->GetDataInstance();
    data->SetLong(SUBDIVTAG_MAX_SUBDIVISIONS, 3);
    data->SetReal(SUBDIVTAG_CURVATURE_THRESHOLD, 0.1f);
    data->SetReal(SUBDIVTAG_DISPLACEMENT_ERROR_THRESHOLD, 0.0f);
    data->SetBool(SUBDIVTAG_WRAP_U, FALSE);
    data->SetBool(SUBDIVTAG_WRAP_V, FALSE);
    return TRUE;
  }

  Bool GetDDescription(GeListNode*, Description* description, LONG&) override {
    return description->LoadDescription(ID_MYSUBDIVISION);
  }
};

Bool RegisterMySubdivision() {
  return RegisterNamedTag(ID_MYSUBDIVISION, IDS_SUBDIVISION, TAG_VISIBLE, MySubdivision::Alloc, "tSubdivision", "subdivtag.tif");
}
