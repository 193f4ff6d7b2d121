#include "c4d_geometry.h"

#include "ObjectCopy.h"

// A link follows its node when a modelling command replaces the node by a new one (make
// editable), as the host's links do.
BaseList2D* BaseLink::GetLink(const BaseDocument* doc, LONG instanceof) const {
  BaseList2D* node = host::FindGoal(uid_);
  if (!node) return nullptr;
  if (doc && node->GetDocument() != doc) return nullptr;
  if (instanceof && !node->IsInstanceOf(instanceof)) return nullptr;
  return node;
}
