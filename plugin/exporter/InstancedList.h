// The distinct objects that instance objects point to, in the order the walk met them.
#pragma once
#include <vector>
#include "c4d.h"

struct InstancedElement {
  BaseObject* object = nullptr;  // not owned
  LONG index = -1;
};

class InstancedList {
 public:
  LONG GetSize() const { return LONG(entries_.size()); }
  void Clear() { entries_.clear(); }
  InstancedElement* FindInstanced(BaseObject* object);
  // Appends without checking for duplicates; callers look first.
  void AddInstancedElement(BaseObject* object);

 private:
  std::vector<InstancedElement> entries_;
};
