// The material helper objects gathered for one export, each under a unique material name.
#pragma once
#include <vector>
#include "c4d.h"

struct TavrellMaterial {
  BaseObject* object = nullptr;  // the helper; not owned
  String name;                   // unique exported name
  int isExternal = 0;
  int exported = 0;
};

class TavrellMaterialList {
 public:
  // Appends the helper under its object name, with "_" added while the name is taken.
  void AddTavrellMaterial(BaseObject* helper);
  LONG GetSize() const { return LONG(entries_.size()); }
  TavrellMaterial* GetTavrellMaterial(int index);
  // The first entry whose helper links the material (resolved in the active document).
  TavrellMaterial* FindMaterialWithPointer(BaseMaterial* material);
  TavrellMaterial* FindMaterialWithName(const String& name);
  void Clear() { entries_.clear(); }

 private:
  std::vector<TavrellMaterial> entries_;
};
