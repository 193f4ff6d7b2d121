// The host's own node types: their names in documents and their default parameters.
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

}  // namespace host
