#include "c4d_basetag.h"

#include "c4d_basematerial.h"
#include "c4d_baseobject.h"
#include "c4d_geometry.h"
#include "c4d_nodedata.h"
#include "host/BuiltinTypes.h"
#include "host/PluginNodes.h"

namespace {
// A built-in tag: its data lives in its container.
class PlainTag : public BaseTag {
 public:
  explicit PlainTag(LONG type) : BaseTag(type) {}
};
}  // namespace

BaseTag* BaseTag::Alloc(LONG type) {
  switch (type) {
    case Ttexture: return new TextureTag();
    case Tuvw: return UVWTag::Alloc(0);
    case Tpolygonselection:
    case Tpointselection: return SelectionTag::Alloc(type);
    default: break;
  }
  if (const host::PluginRecord* rec = host::PluginRegistry::Get().Find(type))
    return host::AllocPluginNode<BaseTag>(*rec, host::PluginKind::Tag, [type] { return new PlainTag(type); });
  if (!host::IsBuiltinTagType(type)) return nullptr;
  BaseTag* tag = new PlainTag(type);
  BaseContainer* bc = tag->GetDataInstance();
  if (type == Tphong) {
    bc->SetBool(PHONGTAG_PHONG_ANGLELIMIT, TRUE);
    bc->SetReal(PHONGTAG_PHONG_ANGLE, Rad(80));
  } else if (type == Tmotionblur) {
    bc->SetReal(MOTIONBLURTAG_STRENGTH, 1.0f);
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
