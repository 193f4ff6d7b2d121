#include "c4d_basetag.h"

#include "c4d_basematerial.h"
#include "c4d_baseobject.h"
#include "c4d_nodedata.h"
#include "host/BuiltinTypes.h"
#include "host/PluginRegistry.h"

namespace {
// A built-in tag: its data lives in its container.
class PlainTag : public BaseTag {
 public:
  explicit PlainTag(LONG type) : BaseTag(type) {}
};
}  // namespace

BaseTag* BaseTag::Alloc(LONG type) {
  if (type == Ttexture) return new TextureTag();
  if (const host::PluginRecord* rec = host::PluginRegistry::Get().Find(type)) {
    if (rec->kind != host::PluginKind::Tag || !rec->allocator) return nullptr;
    BaseTag* tag = new PlainTag(type);
    NodeData* data = rec->allocator();
    tag->SetNodeData(data);
    if (data && !data->Init(tag)) {
      delete tag;
      return nullptr;
    }
    return tag;
  }
  if (!host::IsBuiltinTagType(type)) return nullptr;
  BaseTag* tag = new PlainTag(type);
  if (type == Tphong) {
    tag->GetDataInstance()->SetBool(1000, TRUE);     // angle limit
    tag->GetDataInstance()->SetReal(1001, Rad(80));  // phong angle
  } else if (type == Tmotionblur) {
    tag->GetDataInstance()->SetReal(1000, 1.0f);     // strength
  }
  return tag;
}

BaseObject* BaseTag::GetObject() const {
  GeListHead* head = GetListHead();
  GeListNode* owner = head ? head->GetOwner() : nullptr;
  return owner && owner->GetClassification() == Obase ? static_cast<BaseObject*>(owner) : nullptr;
}

BaseDocument* BaseTag::GetDocument() const {
  BaseObject* op = GetObject();
  return op ? op->GetDocument() : nullptr;
}

BaseMaterial* TextureTag::GetMaterial() const {
  BaseList2D* l = GetDataInstance()->GetLink(TEXTURETAG_MATERIAL, nullptr);
  return l && l->GetClassification() == Mbase ? static_cast<BaseMaterial*>(l) : nullptr;
}

void TextureTag::SetMaterial(BaseMaterial* mat) { GetDataInstance()->SetLink(TEXTURETAG_MATERIAL, mat); }
