#include "c4d_basedraw.h"

#include "c4d_basedocument.h"

BaseObject* BaseDraw::GetSceneCamera(const BaseDocument* doc) const {
  BaseList2D* l = camera_ ? BaseList2D::FindByUniqueId(camera_) : nullptr;
  if (!l || l->GetClassification() != Obase) return nullptr;
  if (doc && l->GetDocument() != doc) return nullptr;
  return static_cast<BaseObject*>(l);
}
