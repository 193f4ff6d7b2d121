#include "ObjectCopy.h"

#include <algorithm>
#include <unordered_map>

namespace host {

namespace {

// Old unique id → the id of the node that took its place.
std::unordered_map<uint64_t, uint64_t>& Transfers() {
  static std::unordered_map<uint64_t, uint64_t> transfers;
  return transfers;
}

void CopyTagData(const BaseTag* from, BaseTag* to) {
  if (from->GetType() == Tuvw) {
    const UVWTag* src = static_cast<const UVWTag*>(from);
    UVWTag* dst = static_cast<UVWTag*>(to);
    dst->Resize(src->GetDataCount());
    UVWStruct uv;
    for (LONG i = 0; i < src->GetDataCount(); i++) {
      src->Get(i, uv);
      dst->Set(i, uv);
    }
  } else if (from->GetType() == Tpolygonselection || from->GetType() == Tpointselection) {
    static_cast<const SelectionTag*>(from)->GetBaseSelect()->CopyTo(static_cast<SelectionTag*>(to)->GetBaseSelect());
  }
}

void RelinkContainer(BaseContainer* bc, uint64_t from, const BaseList2D* to) {
  for (LONG i = 0; i < bc->GetCount(); i++) {
    const LONG id = bc->GetIndexId(i);
    const GeData* d = bc->GetIndexData(i);
    if (d->GetType() == DA_ALIASLINK && d->GetLinkId() == from) bc->SetLink(id, to);
    else if (d->GetType() == DA_CONTAINER) RelinkContainer(bc->GetContainerInstance(id), from, to);
  }
}

void RelinkObjects(BaseObject* op, uint64_t from, const BaseList2D* to) {
  for (; op; op = op->GetNext()) {
    RelinkContainer(op->GetDataInstance(), from, to);
    for (BaseTag* t = op->GetFirstTag(); t; t = t->GetNext()) RelinkContainer(t->GetDataInstance(), from, to);
    RelinkObjects(op->GetDown(), from, to);
  }
}

}  // namespace

BaseTag* CloneTag(const BaseTag* tag) {
  if (!tag) return nullptr;
  BaseTag* copy = BaseTag::Alloc(tag->GetType());
  if (!copy) return nullptr;
  copy->SetName(tag->GetName());
  copy->SetData(*tag->GetDataInstance(), FALSE);
  copy->SetAllBits(tag->GetAllBits());
  CopyTagData(tag, copy);
  return copy;
}

BaseObject* CloneObject(const BaseObject* op) {
  if (!op) return nullptr;
  BaseObject* copy = BaseObject::Alloc(op->GetType());
  if (!copy) return nullptr;
  copy->SetName(op->GetName());
  copy->SetData(*op->GetDataInstance(), FALSE);
  copy->SetPos(op->GetPos());
  copy->SetRot(op->GetRot());
  copy->SetScale(op->GetScale());
  copy->SetRenderMode(op->GetRenderMode());
  copy->SetEditorMode(op->GetEditorMode());
  copy->SetDeformMode(op->GetDeformMode());
  copy->SetAllBits(op->GetAllBits());
  if (op->GetType() == Opolygon) {
    const PolygonObject* src = static_cast<const PolygonObject*>(op);
    PolygonObject* dst = static_cast<PolygonObject*>(copy);
    dst->ResizeObject(src->GetPointCount(), src->GetPolygonCount());
    std::copy(src->GetPointR(), src->GetPointR() + src->GetPointCount(), dst->GetPointW());
    std::copy(src->GetPolygonR(), src->GetPolygonR() + src->GetPolygonCount(), dst->GetPolygonW());
  }
  BaseTag* pred = nullptr;
  for (const BaseTag* t = op->GetFirstTag(); t; t = t->GetNext())
    if (BaseTag* c = CloneTag(t)) {
      copy->InsertTag(c, pred);
      pred = c;
    }
  // Each copy goes after the previous one: looking for the last child every time would make
  // copying a group quadratic in its number of children.
  BaseObject* last = nullptr;
  for (const BaseObject* child = op->GetDown(); child; child = child->GetNext()) {
    BaseObject* c = CloneObject(child);
    if (!c) continue;
    if (last) c->InsertAfter(last);
    else c->InsertUnder(copy);
    last = c;
  }
  return copy;
}

void TransferGoal(BaseDocument* doc, const BaseList2D* from, BaseList2D* to) {
  if (!from || !to || from == to) return;
  const uint64_t old = from->GetUniqueId();
  Transfers()[old] = to->GetUniqueId();
  if (!doc) return;
  RelinkObjects(doc->GetFirstObject(), old, to);
  for (BaseMaterial* m = doc->GetFirstMaterial(); m; m = m->GetNext()) {
    RelinkContainer(m->GetDataInstance(), old, to);
    for (BaseShader* s = m->GetFirstShader(); s; s = s->GetNext()) RelinkContainer(s->GetDataInstance(), old, to);
  }
  for (RenderData* rd = doc->GetFirstRenderData(); rd; rd = rd->GetNext()) {
    RelinkContainer(rd->GetDataInstance(), old, to);
    for (BaseVideoPost* vp = rd->GetFirstVideoPost(); vp; vp = vp->GetNext()) RelinkContainer(vp->GetDataInstance(), old, to);
  }
  if (to->GetClassification() == Obase) {
    BaseObject* target = static_cast<BaseObject*>(to);
    BaseDraw* view = doc->GetRenderBaseDraw();
    if (view && view->GetSceneCamera(doc) == from) view->SetSceneCamera(target);
    if (doc->GetActiveObject() == from) doc->SetActiveObject(target);
  }
}

BaseList2D* FindGoal(uint64_t uid) {
  // Each transfer leads to a newer node, so the chain ends; the bound only guards the loop.
  for (int hops = 0; uid && hops < 1000; hops++) {
    if (BaseList2D* node = BaseList2D::FindByUniqueId(uid)) return node;
    auto it = Transfers().find(uid);
    if (it == Transfers().end()) return nullptr;
    uid = it->second;
  }
  return nullptr;
}

}  // namespace host
