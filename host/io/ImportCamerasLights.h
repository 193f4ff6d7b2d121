// The file's cameras and lights as host camera and light objects.
#pragma once
#include <string>

#include <assimp/types.h>

#include "ImportContext.h"

struct aiCamera;
struct aiLight;

namespace host {
namespace import {

// Where a camera or light sits inside its node and where it looks, in host axes: the host's
// cameras and lights look along their +z axis with +y up.
Matrix ViewFrame(const aiVector3D& position, const aiVector3D& direction, const aiVector3D& up, Real unit);
// With `atNodeOrigin` the camera's or light's own position is ignored.
Matrix CameraFrame(const aiCamera& cam, Real unit, bool atNodeOrigin);
Matrix LightFrame(const aiLight& light, Real unit, bool atNodeOrigin);

// A host camera with the file's field of view as focal length on a 36 mm film.
BaseObject* MakeCamera(const aiCamera& cam, const ImportContext& ctx, const std::string& where);
// A host light (omni, spot, area or distant) with the file's colour and brightness; null,
// with a warning, for a kind of light the host has no object for (ambient light).
BaseObject* MakeLight(const aiLight& light, Real unit, const ImportContext& ctx, const std::string& where);

}  // namespace import
}  // namespace host
