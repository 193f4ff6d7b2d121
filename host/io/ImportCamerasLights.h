// The file's cameras and lights as host camera and light objects.
#pragma once
#include <string>

#include <assimp/types.h>

#include "ImportContext.h"

struct aiCamera;
struct aiLight;
struct aiScene;

namespace host {
namespace import {

// Where a camera or light sits inside its node and where it looks, in host axes: the host's
// cameras and lights look along their +z axis with +y up.
Matrix ViewFrame(const aiVector3D& position, const aiVector3D& direction, const aiVector3D& up, Real unit);
// With `atNodeOrigin` the camera's or light's own position is ignored.
Matrix CameraFrame(const aiCamera& cam, Real unit, bool atNodeOrigin);
Matrix LightFrame(const aiLight& light, Real unit, bool atNodeOrigin);

// Mends, in the scene as Assimp read it and before it is built, where its readers got the
// cameras' and lights' view wrong (each checked against the models of Debian's
// assimp-testmodels):
// - ASE and LightWave scene cameras, and LightWave and Blender lights, look down their node's
//   -z axis (as in the tools that wrote them), but the readers say +z or give no direction;
// - a 3DS camera that is animated loses its direction to the reader, which also drops its
//   target's track: the camera is aimed at its target again at every frame of their tracks
//   (taken linear between keys), from the file itself (`path`); a still 3DS camera gets its
//   up direction in the file's axes (z up);
// - the Quick3D reader puts its camera at the origin without a direction: it is left out, with
//   a warning, and the editor camera frames the scene instead.
void MendViews(aiScene& scene, const std::string& path);

// A host camera with the file's field of view as focal length on a 36 mm film.
BaseObject* MakeCamera(const aiCamera& cam, const ImportContext& ctx, const std::string& where);
// A host light (omni, spot, area or distant) with the file's colour and brightness; null,
// with a warning, for a kind of light the host has no object for (ambient light).
BaseObject* MakeLight(const aiLight& light, Real unit, const ImportContext& ctx, const std::string& where);

}  // namespace import
}  // namespace host
