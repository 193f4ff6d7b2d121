// Evaluating a document: animation tracks and generator caches.
#pragma once
#include "c4d.h"

namespace host {

// Sets the values a node's tracks hold at the given time.
void AnimateNode(BaseList2D* node, const BaseTime& time);
// The same for every object of a tree, depth first.
void AnimateTree(BaseObject* first, const BaseTime& time);
// Rebuilds the caches of every generator of the document (plug-in generators call their
// GetVirtualObjects).
void BuildCaches(BaseDocument* doc);

}  // namespace host
