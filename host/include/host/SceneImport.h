// Opening scene files of other 3D tools (glTF, FBX, OBJ, Collada, ...) as host documents.
#pragma once
#include <string>
#include "c4d.h"

namespace host {

// Whether a file is opened through the scene importer (anything but a host document, .json).
bool IsForeignScene(const std::string& path);
// Reads the scene into a new host document. Throws DocumentError naming the file and the
// fault; never returns a half-built document.
BaseDocument* ImportScene(const std::string& path);

}  // namespace host
