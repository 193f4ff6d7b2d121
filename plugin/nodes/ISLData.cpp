#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

// A channel shader that carries a program in the renderer's shading language and up to three
// texture files. The host never runs the program: inside the host the shader is plain white;
// the exporter writes the program and its textures into the renderer material.
class ISLData : public ShaderData {
 public:
  static NodeData* Alloc() { return new ISLData; }

  Bool GetDDescription(GeListNode*, Description* description, LONG& flags) override {
    if (!description->LoadDescription(ID_ISLSHADER)) return FALSE;
    flags |= DESCFLAGS_DESC_LOADED;
    return TRUE;
  }
  LONG GetRenderInfo(PluginShader*) override { return 0; }
  LONG InitRender(PluginShader*, InitRenderStruct*) override { return INITRENDERRESULT_OK; }
  void FreeRender(PluginShader*) override {}
  Vector Output(PluginShader*, ChannelData*) override { return Vector(1, 1, 1); }
};

// The shader registers without checking its name, as the separators do.
Bool RegisterISL() { return RegisterShaderPlugin(ID_ISLSHADER, GeLoadString(IDS_ISLSHADER), 0, ISLData::Alloc, "xtavrellislshader", 0); }
