#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

class ISLData : public ShaderData {
 public:
  static NodeData* Alloc() { return new ISLData; }
};

// The shader registers without checking its name, as the separators do.
Bool RegisterISL() { return RegisterShaderPlugin(ID_ISLSHADER, GeLoadString(IDS_ISLSHADER), 0, ISLData::Alloc, "xtavrellislshader", 0); }
