// Opening scene files of other 3D tools (glTF, FBX, OBJ, Collada, ...) as host documents.
#pragma once
#include <functional>
#include <string>
#include "c4d.h"

namespace host {

// Whether a file is opened through the scene importer: a suffix Assimp reads, or a file that
// is not named .json and does not read as a JSON object (Assimp then detects its format).
bool IsForeignScene(const std::string& path);
// Reads the scene into a new host document (the caller owns it): nodes become objects in the
// host's left-handed y-up axes, meshes polygon objects with UVW, Phong and texture tags,
// materials standard materials, cameras and lights host cameras and lights, node animation
// tracks. One host unit is one metre, and the host's unit preference is set to metres. What
// had to be left out or changed is printed as "Warning: <file>: <where>: <what>" lines.
// Throws DocumentError naming the file and the fault; never returns a half-built document.
// Files on which the importer would read for ever are refused before it sees them where that
// is cheap to tell (a PLY header without its end); otherwise an import that has not finished
// after timeoutSeconds is abandoned with a DocumentError (its thread runs on, see
// ImportsAbandoned).
const double kDefaultImportTimeout = 120;
BaseDocument* ImportScene(const std::string& path, double timeoutSeconds = kDefaultImportTimeout);

// Runs job on a thread with a large stack and waits for it at most timeoutSeconds: true when
// it finished (its exception, if any, is thrown here), false when it was abandoned still
// running. The job must own what it touches, since it may outlive the call.
bool RunWithTimeLimit(const std::function<void()>& job, double timeoutSeconds);

// Whether an import was abandoned and still runs: the process should then end without running
// the destructors of the libraries that thread may be using (std::_Exit).
bool ImportsAbandoned();

}  // namespace host
