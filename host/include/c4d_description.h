// A node's parameter description: what the attribute view shows and hides.
#pragma once
#include <vector>
#include "c4d_basecontainer.h"
#include "c4d_baselist.h"

// Entries of a parameter's description container.
enum {
  DESC_NAME = 1,
  DESC_SHORT_NAME = 2,
  DESC_HIDE = 15,
  DESC_CYCLE = 21,
  DESC_PARENTGROUP = 24,
};

class Description {
 public:
  // Loads the description resource registered for a node type; FALSE when there is none.
  Bool LoadDescription(LONG type);
  // The description container of a parameter, or null when the description has none.
  BaseContainer* GetParameterI(const DescID& id, AtomArray* ar = nullptr);
  // Adds or replaces a parameter's description.
  Bool SetParameter(const DescID& id, const BaseContainer& param, const DescID& groupid);
  LONG GetParameterCount() const { return LONG(params_.size()); }
  // Host side: the parameters in layout order.
  const std::vector<std::pair<LONG, BaseContainer>>& GetParameters() const { return params_; }
  LONG GetLoadedType() const { return loaded_; }

 private:
  std::vector<std::pair<LONG, BaseContainer>> params_;
  LONG loaded_ = 0;
};
