// The material helper objects gathered for one export, each under a unique material name.
#pragma once
#include <vector>
#include "c4d.h"

struct TavrellMaterial {
  BaseObject* object = nullptr;      // the helper; not owned
  BaseMaterial* material = nullptr;  // the helper's material when the entry was made; not owned
  String name;                       // unique exported name
  int isExternal = 0;
  int exported = 0;  // written in the current export
  int writing = 0;   // being written: its blend components are on their way out
};

class TavrellMaterialList {
 public:
  // Appends the helper under its object name, with "_" added while the name is taken by an
  // entry or by one of the fixed materials every scene carries.
  void AddTavrellMaterial(BaseObject* helper);
  LONG GetSize() const { return LONG(entries_.size()); }
  TavrellMaterial* GetTavrellMaterial(int index);
  // The first entry whose helper links the material; null for no material.
  TavrellMaterial* FindMaterialWithPointer(BaseMaterial* material);
  TavrellMaterial* FindMaterialWithName(const String& name);
  // The entry of that helper, or null.
  TavrellMaterial* FindMaterialWithObject(BaseObject* helper);
  void Clear() { entries_.clear(); }

 private:
  std::vector<TavrellMaterial> entries_;
};
