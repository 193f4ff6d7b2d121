#include <vector>

#include "c4d.h"
#include "host/BuiltinTypes.h"
#include "ObjectCopy.h"

// Make editable. The polygon form of a primitive is built from its parameters (the sphere
// too, which has no cache while the document is evaluated); a plug-in generator's form is a
// copy of its cache, built first when the generator has none yet. The new object takes the
// generator's name, placement, modes, layer, tags, tracks and children and its place in the
// document, and links to the generator lead to it from then on.

ModelingCommandData::~ModelingCommandData() { AtomArray::Free(result); }

namespace {

// The polygon form, placed like the generator, or null when the object has none.
BaseObject* EditableForm(BaseObject* op) {
  if (host::IsPrimitiveType(op->GetType())) {
    BaseObject* made = host::BuildPrimitive(op);
    if (!made) return nullptr;
    made->SetPos(op->GetPos());
    made->SetRot(op->GetRot());
    made->SetScale(op->GetScale());
    return made;
  }
  ObjectData* data = dynamic_cast<ObjectData*>(op->GetNodeData());
  if (!data) return nullptr;
  HierarchyHelp help(op->GetDocument(), BUILDFLAGS_RENDERGEOMETRY);
  if (!op->GetCache()) op->SetCache(data->GetVirtualObjects(op, &help));
  const BaseObject* cache = op->GetCache();
  BaseObject* made = host::CloneObject(cache);
  if (!made) return nullptr;
  // The cache sits inside the generator: the copy takes both placements.
  if (cache->GetMl() == Matrix()) {
    made->SetPos(op->GetPos());
    made->SetRot(op->GetRot());
    made->SetScale(op->GetScale());
  } else {
    made->SetMl(op->GetMl() * cache->GetMl());
  }
  return made;
}

void TakeOverLooks(const BaseObject* op, BaseObject* made) {
  made->SetName(op->GetName());
  made->SetRenderMode(op->GetRenderMode());
  made->SetEditorMode(op->GetEditorMode());
  made->SetAllBits(op->GetAllBits());
  made->SetLayerObject(op->GetLayerObject(nullptr));
}

// The generator's tags come first, in their order, then the ones the polygon form brought
// along; a generated UVW tag gives way to the generator's own.
void TakeOverTags(BaseObject* op, BaseObject* made, bool move) {
  std::vector<BaseTag*> generated;
  while (BaseTag* t = made->GetFirstTag()) {
    t->Remove();
    generated.push_back(t);
  }
  const bool ownUVW = op->GetTag(Tuvw) != nullptr;
  BaseTag* pred = nullptr;
  auto append = [&](BaseTag* t) {
    made->InsertTag(t, pred);
    pred = t;
  };
  if (move) {
    while (BaseTag* t = op->GetFirstTag()) {
      t->Remove();
      append(t);
    }
  } else {
    for (const BaseTag* t = op->GetFirstTag(); t; t = t->GetNext())
      if (BaseTag* c = host::CloneTag(t)) append(c);
  }
  for (BaseTag* t : generated) {
    if (ownUVW && t->GetType() == Tuvw) BaseTag::Free(t);
    else append(t);
  }
}

void TakeOverTracksAndChildren(BaseObject* op, BaseObject* made) {
  while (CTrack* t = op->GetFirstCTrack()) made->GetCTrackRoot()->InsertLast(t);
  while (BaseObject* child = op->GetDown()) child->InsertUnderLast(made);
}

}  // namespace

Bool SendModelingCommand(LONG command, ModelingCommandData& data) {
  if (command != MCOMMAND_MAKEEDITABLE || !data.op) return FALSE;
  AtomArray::Free(data.result);
  data.result = AtomArray::Alloc();
  BaseObject* op = data.op;
  if (op->GetType() == Opolygon) {
    data.result->Append(op);  // already editable: it stays where it is
    return TRUE;
  }
  BaseObject* made = EditableForm(op);
  if (!made) return FALSE;
  TakeOverLooks(op, made);
  // An object inside a document is replaced there; any other object (one in no document, or
  // one inside a cache) stays as it is and the caller receives a new object it owns.
  const bool replace = data.doc && !op->GetCacheParent() && op->GetDocument() == data.doc;
  TakeOverTags(op, made, replace);
  if (replace) {
    TakeOverTracksAndChildren(op, made);
    made->InsertAfter(op);
    host::TransferGoal(data.doc, op, made);
    BaseObject::Free(op);
    data.op = made;
  }
  data.result->Append(made);
  return TRUE;
}
