// Evaluating a document: animation tracks and generator caches.
#pragma once
#include "c4d.h"

namespace host {

// Sets the values a node's tracks hold at the given time.
void AnimateNode(BaseList2D* node, const BaseTime& time);
// The same for every object of a tree, depth first.
void AnimateTree(BaseObject* first, const BaseTime& time);
// Rebuilds the caches of every generator of the document: plug-in generators call their
// GetVirtualObjects; cube, plane, disc and cylinder primitives get their polygon form with
// copies of their Phong and plug-in tags (their texture and motion blur tags are found through
// the cache parent). A sphere primitive gets no cache: the exporter writes it as an analytic
// sphere, so its polygons must not appear in the hierarchy walk; make editable builds them on
// request. Generators that are switched off get no cache, and generators inside caches get
// theirs too.
void BuildCaches(BaseDocument* doc);

}  // namespace host
