// The host's own node types: their names in documents, their default parameters and the
// polygon form of the primitives.
#pragma once
#include <string>
#include "c4d.h"

namespace host {

bool IsBuiltinObjectType(LONG type);
bool IsBuiltinTagType(LONG type);
// Symbolic names of built-in types ("Ocube", "Tphong", "Mmaterial"...), both ways.
bool LookupBuiltinType(const std::string& name, LONG* type);
std::string BuiltinTypeName(LONG type);
// Sets the parameters a new object of a built-in type starts with.
void InitBuiltinObject(BaseObject* op);

// Cube, plane, disc, cylinder and sphere: the objects the host turns into polygons itself.
bool IsPrimitiveType(LONG type);
// The polygon form of a primitive, from its current parameters: points and polygons in the
// primitive's own space, a UVW tag, and the primitive's name. Null for any other object; the
// caller owns the result.
PolygonObject* BuildPrimitive(const BaseObject* op);

}  // namespace host
