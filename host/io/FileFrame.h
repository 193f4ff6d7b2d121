// How a file's coordinates relate to metres and to right-handed, y-up axes.
#pragma once
#include <string>

#include <assimp/types.h>

#include "c4d.h"

struct aiScene;

namespace host {
namespace import {

struct FileFrame {
  Real metresPerUnit = 1.0f;
  // How the unit was found, for the import's summary line.
  std::string source;
  // Turns the file's axes into right-handed, y-up ones (FBX files say which axis is up).
  aiMatrix4x4 axes;
  // Readers whose cameras and lights stand at their node's origin, although they copy the
  // node's translation into the camera's own position (glTF, 3DS): that copy is ignored.
  bool viewsAtNodeOrigin = false;
  // The glTF 2 reader hands out the vertical angle of view times the aspect ratio as the
  // horizontal angle; the true horizontal angle is computed from it.
  bool fovIsVerticalTimesAspect = false;
};

// The unit of the file: glTF and X3D are metres by definition; FBX says how many centimetres
// a unit is; Collada's unit has already been applied by Assimp's reader (its root node then
// carries the scale); 3MF and AMF are millimetres unless they say otherwise; any other file
// says nothing and is taken as metres.
FileFrame ReadFileFrame(const aiScene& scene, const std::string& path);

}  // namespace import
}  // namespace host
