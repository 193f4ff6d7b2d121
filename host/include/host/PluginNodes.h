// Making nodes of the types plug-ins registered.
#pragma once
#include "host/PluginRegistry.h"

namespace host {

// A new node of a plug-in type: made by `make`, given the plug-in's data and initialised.
// Null when the type is not registered as `kind` or its Init refuses.
template <typename Node, typename Make>
Node* AllocPluginNode(const PluginRecord& rec, PluginKind kind, Make make) {
  if (rec.kind != kind || !rec.allocator) return nullptr;
  Node* node = make();
  NodeData* data = rec.allocator();
  node->SetNodeData(data);
  if (data && !data->Init(node)) {
    delete node;
    return nullptr;
  }
  return node;
}

}  // namespace host
