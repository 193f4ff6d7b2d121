#include "c4d_hierarchy.h"

#include "c4d_basedocument.h"

Bool Hierarchy::Run(BaseDocument* doc, Bool, Real, LONG, void* startdata, BaseThread* bt) {
  if (!doc) return FALSE;
  doc_ = doc;
  thread_ = bt;
  Walk(doc->GetFirstObject(), Matrix(), startdata);
  return TRUE;
}

// Children before siblings, carrying the parent's matrix and branch data down.
void Hierarchy::Walk(BaseObject* op, const Matrix& parentMg, void* parentData) {
  for (; op; op = op->GetNext()) {
    const Matrix mg = parentMg * op->GetMl();
    void* data = Alloc();
    CopyTo(parentData, data);
    Do(data, op, mg, FALSE);
    if (BaseObject* cache = op->GetCache()) Walk(cache, mg, data);
    Walk(op->GetDown(), mg, data);
    Free(data);
  }
}
