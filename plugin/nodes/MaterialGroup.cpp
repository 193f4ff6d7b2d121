#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

class MaterialGroup : public ObjectData {
 public:
  static NodeData* Alloc() { return new MaterialGroup; }
};

Bool RegisterMaterialGroup() {
  return RegisterNamedObject(ID_MATERIALGROUP, IDS_MATERIALGROUP, OBJECT_GROUP_ONLY, MaterialGroup::Alloc, "oMaterialGroup", "convertmats.tif");
}
