#include "c4d_description.h"

#include "host/PluginRegistry.h"

Bool Description::LoadDescription(LONG type) {
  const host::PluginRecord* rec = host::PluginRegistry::Get().Find(type);
  if (!rec || !rec->resource) return FALSE;
  params_.clear();
  for (const host::DescriptionParam& p : rec->resource->params) {
    BaseContainer bc(LONG(p.type));
    bc.SetString(DESC_NAME, String(p.symbol));
    if (!p.cycle.empty()) {
      BaseContainer cycle;
      for (const std::string& v : p.cycle) {
        LONG id = 0;
        if (rec->resource->symbols.count(v)) id = rec->resource->symbols.at(v);
        cycle.SetString(id, String(v));
      }
      bc.SetContainer(DESC_CYCLE, cycle);
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

Bool Description::SetParameter(const DescID& id, const BaseContainer& param, const DescID&) {
  if (BaseContainer* bc = GetParameterI(id)) {
    *bc = param;
    return TRUE;
  }
  params_.emplace_back(id[0], param);
  return TRUE;
}
