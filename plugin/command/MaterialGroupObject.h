// The folder object under which the material commands put the helpers they make.
#pragma once
#include "c4d.h"

// The first object of the document with that name when it is a material group; otherwise a
// new material group of that name, inserted at the top of the object list. Null only when the
// host cannot make the object.
BaseObject* FindOrMakeMaterialGroup(BaseDocument* doc, const String& name);

// A new material helper for the material, named like it, inserted as the first child of the
// group, with a texture tag that holds the material and its material link set. Null when the
// host cannot make it.
BaseObject* MakeHelperFor(BaseDocument* doc, BaseObject* group, BaseMaterial* material);
