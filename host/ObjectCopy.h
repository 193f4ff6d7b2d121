// Copies of objects and tags, and moving links from one node to another: what the host's
// modelling commands and generator caches need (not part of the plug-in interface).
#pragma once
#include <cstdint>
#include "c4d.h"

namespace host {

// A copy of a tag: type, name, container and, for UVW and selection tags, their data. Null
// when the type can no longer be allocated (a plug-in tag whose plug-in is gone).
BaseTag* CloneTag(const BaseTag* tag);
// A copy of an object with its name, placement, modes, container, points and polygons, tags
// and children; not its cache, tracks or layer.
BaseObject* CloneObject(const BaseObject* op);
// From now on links to `from` lead to `to`: the parameter links of every node of the
// document, its render camera and active object, and every BaseLink (which remembers the
// transfer).
void TransferGoal(BaseDocument* doc, const BaseList2D* from, BaseList2D* to);
// The node that a unique id stands for, following transfers; null when it is gone.
BaseList2D* FindGoal(uint64_t uid);

}  // namespace host
