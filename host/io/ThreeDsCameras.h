// The cameras of a 3DS file as the file holds them: position, target and roll, fixed and over
// time. Assimp's 3DS reader keeps a camera's direction only while the camera is not animated,
// and drops the target's track, so a target camera would look along its node's axis instead
// of at its target; the import reads them here to mend that.
#pragma once
#include <map>
#include <string>
#include <vector>

#include <assimp/types.h>

namespace host {
namespace import {

// A key of a 3DS track: the frame and the value (a position, or the roll in degrees in x).
struct ThreeDsKey {
  double frame;
  aiVector3D value;
};

struct ThreeDsCamera {
  // The camera's definition, in the file's axes (z up): where it stands and looks at, its roll
  // in degrees.
  aiVector3D position, target;
  float roll = 0;
  // The keyframer's tracks; empty when the file has none for the camera.
  std::vector<ThreeDsKey> positionKeys, targetKeys, rollKeys;
};

// The file's cameras by name. A file that cannot be read, or chunks that run past their
// parent, give what could be read before them: the import has read the file already and
// only mends what it can.
std::map<std::string, ThreeDsCamera> ReadThreeDsCameras(const std::string& path);

// A track's value at the frame: linear between keys, held before the first and after the last.
aiVector3D TrackValue(const std::vector<ThreeDsKey>& keys, double frame);

}  // namespace import
}  // namespace host
