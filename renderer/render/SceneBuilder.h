// Turns a checked scene file into the render scene: settings, camera, tone mapping,
// environment, materials (spectra to RGB, textures loaded), media, meshes, models, spheres
// and emitters. A material named more than once means, for each element that names it, the
// latest definition before that element.
#pragma once
#include <memory>
#include <string>

#include "RenderScene.h"

namespace renderer::render {

// Returns null and sets error to one sentence when something the checks could not see fails
// (a texture whose pixels do not decode, for one).
std::unique_ptr<RenderScene> BuildRenderScene(const std::string& scenePath, std::string& error);

}  // namespace renderer::render
