#include "host/Evaluation.h"

namespace host {

void AnimateNode(BaseList2D* node, const BaseTime& time) {
  BaseObject* op = node->GetClassification() == Obase ? static_cast<BaseObject*>(node) : nullptr;
  for (CTrack* t = node->GetFirstCTrack(); t; t = t->GetNext()) {
    const Real v = t->GetValue(time);
    const LONG target = t->GetTarget();
    if (op && (target == CTRACK_POSITION || target == CTRACK_ROTATION || target == CTRACK_SCALE)) {
      Vector vec = target == CTRACK_POSITION ? op->GetPos() : target == CTRACK_ROTATION ? op->GetRot() : op->GetScale();
      (t->GetComponent() == 0 ? vec.x : t->GetComponent() == 1 ? vec.y : vec.z) = v;
      if (target == CTRACK_POSITION) op->SetPos(vec);
      else if (target == CTRACK_ROTATION) op->SetRot(vec);
      else op->SetScale(vec);
    } else if (target != CTRACK_POSITION && target != CTRACK_ROTATION && target != CTRACK_SCALE) {
      node->GetDataInstance()->SetReal(target, v);
    }
  }
}

void AnimateTree(BaseObject* op, const BaseTime& time) {
  for (; op; op = op->GetNext()) {
    AnimateNode(op, time);
    AnimateTree(op->GetDown(), time);
  }
}

static void BuildTreeCaches(BaseObject* op) {
  for (; op; op = op->GetNext()) {
    if (ObjectData* data = dynamic_cast<ObjectData*>(op->GetNodeData())) op->SetCache(data->GetVirtualObjects(op, nullptr));
    BuildTreeCaches(op->GetDown());
  }
}

void BuildCaches(BaseDocument* doc) { BuildTreeCaches(doc->GetFirstObject()); }

}  // namespace host
