#include "exporter/TavrellMaterialList.h"

#include "description/oMyMaterialHelper.h"

namespace {

// Names the exporter gives its own materials; a helper may not take them.
bool IsFixedName(const String& name) {
  return !name.Content() || name == "defaultMat" || name == "nullMat" || name == "defaultLight" || name == "previewMat";
}

}  // namespace

void TavrellMaterialList::AddTavrellMaterial(BaseObject* helper) {
  if (!helper) return;
  String name = helper->GetName();
  while (IsFixedName(name) || FindMaterialWithName(name)) name += "_";
  TavrellMaterial entry;
  entry.object = helper;
  // Resolved once: meshes look their materials up for every polygon selection.
  entry.material = static_cast<BaseMaterial*>(helper->GetDataInstance()->GetLink(MATHELPER_MATERIAL, nullptr, Mbase));
  entry.name = name;
  entry.isExternal = helper->GetDataInstance()->GetLong(MATHELPER_TYPE, 0) == MATHELPER_TYPE_EXTERNAL ? 1 : 0;
  entries_.push_back(entry);
}

TavrellMaterial* TavrellMaterialList::GetTavrellMaterial(int index) {
  if (index < 0 || index >= GetSize()) return nullptr;
  return &entries_[size_t(index)];
}

TavrellMaterial* TavrellMaterialList::FindMaterialWithPointer(BaseMaterial* material) {
  if (!material) return nullptr;
  for (TavrellMaterial& e : entries_)
    if (e.object && e.material == material) return &e;
  return nullptr;
}

TavrellMaterial* TavrellMaterialList::FindMaterialWithName(const String& name) {
  for (TavrellMaterial& e : entries_)
    if (e.name == name) return &e;
  return nullptr;
}

TavrellMaterial* TavrellMaterialList::FindMaterialWithObject(BaseObject* helper) {
  for (TavrellMaterial& e : entries_)
    if (e.object == helper) return &e;
  return nullptr;
}
