#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

class MyMaterialHelper : public ObjectData {
 public:
  static NodeData* Alloc() { return new MyMaterialHelper; }
};

Bool RegisterMyMaterialHelper() {
  return RegisterNamedObject(ID_MYMATERIALHELPER, IDS_MATERIALHELPER, 0, MyMaterialHelper::Alloc, "oMyMaterialHelper", "MaterialHelper.tif");
}
