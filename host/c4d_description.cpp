#include "c4d_description.h"

#include "host/PluginRegistry.h"

namespace {

LONG DataTypeOf(host::ParamType type) {
  switch (type) {
    case host::ParamType::Bool: return DTYPE_BOOL;
    case host::ParamType::Long: return DTYPE_LONG;
    case host::ParamType::Real: return DTYPE_REAL;
    case host::ParamType::Vector: return DTYPE_VECTOR;
    case host::ParamType::String: return DTYPE_STRING;
    case host::ParamType::Filename: return DTYPE_FILENAME;
    case host::ParamType::Link: return DTYPE_BASELISTLINK;
    case host::ParamType::Group: return DTYPE_GROUP;
    case host::ParamType::Other: return DTYPE_BUTTON;
    case host::ParamType::Unknown: break;
  }
  return DTYPE_NONE;
}

const host::DescriptionResource* ResourceOf(LONG type) {
  const host::PluginRecord* rec = host::PluginRegistry::Get().Find(type);
  return rec ? rec->resource.get() : nullptr;
}

}  // namespace

BaseContainer GetCustomDataTypeDefault(LONG type) { return BaseContainer(type); }

Bool Description::LoadDescription(LONG type) {
  const host::DescriptionResource* res = ResourceOf(type);
  if (!res) return FALSE;
  params_.clear();
  for (const host::DescriptionParam& p : res->params) {
    BaseContainer bc = GetCustomDataTypeDefault(DataTypeOf(p.type));
    bc.SetString(DESC_NAME, String(res->Label(p.symbol)));
    bc.SetString(DESC_SHORT_NAME, String(res->Label(p.symbol)));
    bc.SetLong(DESC_PARENTGROUP, p.parentGroup);
    if (!p.cycle.empty()) {
      BaseContainer cycle;
      for (const std::string& v : p.cycle) cycle.SetString(res->symbols.at(v), String(res->Label(v)));
      bc.SetContainer(DESC_CYCLE, cycle);
      bc.SetLong(DESC_CUSTOMGUI, CUSTOMGUI_CYCLE);
    }
    params_.emplace_back(p.id, bc);
  }
  loaded_ = type;
  return TRUE;
}

BaseContainer* Description::GetParameterI(const DescID& id, AtomArray*) {
  for (auto& p : params_)
    if (p.first == id[0]) return &p.second;
  return nullptr;
}

const BaseContainer* Description::Find(LONG id) const {
  for (const auto& p : params_)
    if (p.first == id) return &p.second;
  return nullptr;
}

Bool Description::SetParameter(const DescID& id, const BaseContainer& param, const DescID& groupid) {
  if (!id[0]) return FALSE;
  BaseContainer bc = param;
  if (groupid[0]) bc.SetLong(DESC_PARENTGROUP, groupid[0]);
  if (BaseContainer* existing = GetParameterI(id)) {
    *existing = bc;
    return TRUE;
  }
  params_.emplace_back(id[0], bc);
  return TRUE;
}

std::string Description::GetSymbol(LONG id) const {
  if (const host::DescriptionResource* res = ResourceOf(loaded_))
    if (const host::DescriptionParam* p = res->FindParam(id)) return p->symbol;
  return "#" + std::to_string(id);
}

std::string Description::GetCycleSymbol(LONG id, LONG value) const {
  const host::DescriptionResource* res = ResourceOf(loaded_);
  const host::DescriptionParam* p = res ? res->FindParam(id) : nullptr;
  if (!p) return std::string();
  for (const std::string& v : p->cycle)
    if (res->symbols.at(v) == value) return v;
  return std::string();
}

bool Description::IsShown(LONG id) const {
  // The walk up the groups is bounded, so a group set as its own parent cannot loop.
  for (size_t step = 0; step <= params_.size(); step++) {
    const BaseContainer* bc = Find(id);
    if (!bc) return true;
    if (bc->GetBool(DESC_HIDE, FALSE)) return false;
    id = bc->GetLong(DESC_PARENTGROUP, 0);
    if (!id) return true;
  }
  return true;
}

int Description::GetGroupDepth(LONG id) const {
  int depth = 0;
  for (size_t step = 0; step <= params_.size(); step++) {
    const BaseContainer* bc = Find(id);
    id = bc ? bc->GetLong(DESC_PARENTGROUP, 0) : 0;
    if (!id) break;
    depth++;
  }
  return depth;
}
