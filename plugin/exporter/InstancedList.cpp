#include "exporter/InstancedList.h"

InstancedElement* InstancedList::FindInstanced(BaseObject* object) {
  for (InstancedElement& e : entries_)
    if (e.object == object) return &e;
  return nullptr;
}

void InstancedList::AddInstancedElement(BaseObject* object) {
  if (object) entries_.push_back(InstancedElement{object, -1});
}
