#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

class KyranoInstance : public ObjectData {
 public:
  static NodeData* Alloc() { return new KyranoInstance; }
  // While an export runs the flag is set and instances build no geometry.
  static InstanceSuppresser* suppresser;
};

InstanceSuppresser* KyranoInstance::suppresser = nullptr;

Bool RegisterKyranoInstance(InstanceSuppresser* suppresser) {
  KyranoInstance::suppresser = suppresser;
  return RegisterNamedObject(ID_KYRANOINSTANCE, IDS_INSTANCE, OBJECT_GENERATOR_INPUT, KyranoInstance::Alloc, "Okyranoinstance", "instance.tif");
}
