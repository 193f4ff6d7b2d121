// Opening scene files of other 3D tools (glTF, FBX, OBJ, Collada, ...) as host documents.
#pragma once
#include <string>
#include "c4d.h"

namespace host {

// Whether a file is opened through the scene importer (anything but a host document, .json).
bool IsForeignScene(const std::string& path);
// Reads the scene into a new host document (the caller owns it): nodes become objects in the
// host's left-handed y-up axes, meshes polygon objects with UVW, Phong and texture tags,
// materials standard materials, cameras and lights host cameras and lights, node animation
// tracks. One host unit is one metre, and the host's unit preference is set to metres. What
// had to be left out or changed is printed as "Warning: <file>: <where>: <what>" lines.
// Throws DocumentError naming the file and the fault; never returns a half-built document.
BaseDocument* ImportScene(const std::string& path);

}  // namespace host
