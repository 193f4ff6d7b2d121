#include "c4d_basematerial.h"

#include "c4d_nodedata.h"
#include "host/PluginNodes.h"

namespace {
class PlainShader : public BaseShader {
 public:
  explicit PlainShader(LONG type) : BaseShader(type) {}
};
class PlainMaterial : public BaseMaterial {
 public:
  explicit PlainMaterial(LONG type) : BaseMaterial(type) {}
};
}  // namespace

BaseShader* BaseShader::Alloc(LONG type) {
  if (const host::PluginRecord* rec = host::PluginRegistry::Get().Find(type))
    return host::AllocPluginNode<BaseShader>(*rec, host::PluginKind::Shader, [type] { return new PlainShader(type); });
  if (type != Xbitmap) return nullptr;
  return new PlainShader(type);
}

BaseMaterial* BaseMaterial::Alloc(LONG type) {
  if (type == Mmaterial) return new Material();
  return nullptr;
}

BaseDocument* BaseMaterial::GetDocument() const { return GeListNode::GetDocument(); }
