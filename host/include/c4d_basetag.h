// Tags: nodes attached to an object that carry extra data.
#pragma once
#include "c4d_baselist.h"

class BaseObject;
class BaseMaterial;

enum {
  Tphong = 5612,
  Ttexture = 5616,
  Tuvw = 5671,
  Tpoint = 5600,
  Tpolygon = 5604,
  Tpointselection = 5674,
  Tpolygonselection = 5673,
  Tmotionblur = 5636,
  Tcompositing = 5637,
  Ttarget = 5676,
};

class BaseTag : public BaseList2D {
 public:
  // A new tag of a built-in or registered plug-in type; null for an unknown type.
  static BaseTag* Alloc(LONG type);
  static void Free(BaseTag*& tag) {
    delete tag;
    tag = nullptr;
  }
  BaseTag* GetNext() const { return static_cast<BaseTag*>(GeListNode::GetNext()); }
  BaseTag* GetPred() const { return static_cast<BaseTag*>(GeListNode::GetPred()); }
  // The object that carries the tag.
  BaseObject* GetObject() const;
  BaseDocument* GetDocument() const override;

 protected:
  explicit BaseTag(LONG type) : BaseList2D(type, Tbase) {}
};

// Texture tag parameters.
enum {
  TEXTURETAG_MATERIAL = 1010,
  TEXTURETAG_PROJECTION = 1011,
  TEXTURETAG_OFFSETX = 1000,
  TEXTURETAG_OFFSETY = 1001,
  TEXTURETAG_LENGTHX = 1002,
  TEXTURETAG_LENGTHY = 1003,
  TEXTURETAG_RESTRICTION = 1006,
};

class TextureTag : public BaseTag {
 public:
  static TextureTag* Alloc() { return static_cast<TextureTag*>(BaseTag::Alloc(Ttexture)); }
  BaseMaterial* GetMaterial() const;
  void SetMaterial(BaseMaterial* mat);

 private:
  friend class BaseTag;
  TextureTag() : BaseTag(Ttexture) {}
};
