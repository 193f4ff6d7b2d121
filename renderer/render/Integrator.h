// The path tracer: unidirectional paths from the camera with next-event estimation towards
// the emitters and the sun, combined with the BSDF's own sampling by the power heuristic, and
// Russian roulette after a few bounces. The picture is drawn in passes over 16 x 16 tiles
// shared out to every core; each pass adds samples to every pixel.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "Film.h"
#include "LightSampler.h"
#include "RenderScene.h"

namespace renderer::render {

struct RenderStats {
  int samplesPerPixel = 0;
  std::uint64_t rays = 0;
  double seconds = 0;
};

class Integrator {
 public:
  Integrator(const RenderScene& scene, std::uint64_t seed) : scene_(scene), lights_(scene), seed_(seed) {}

  // Draws `samplesPerPixel` samples into the film on `threads` threads (0: every core). After
  // each pass `progress` is told the samples per pixel so far.
  RenderStats Render(Film& film, int samplesPerPixel, unsigned threads,
                     const std::function<void(int samplesSoFar)>& progress) const;

  // The radiance arriving at the camera along one ray (exposed for tests).
  Rgb Li(const Vec3& origin, const Vec3& direction, float time, Rng& rng, std::uint64_t& rays) const;

 private:
  void RenderTile(Film& film, int x0, int y0, int x1, int y1, int firstSample, int samples,
                  std::uint64_t& rays) const;

  const RenderScene& scene_;
  LightSampler lights_;
  std::uint64_t seed_;
};

// Sets the camera's focus distance to the distance of what its centre sees, when it has
// autofocus; leaves it when nothing is there.
void ApplyAutofocus(RenderScene& scene);

// The silhouette through the scene camera: 255 where the ray through a pixel's centre hits any
// geometry, 0 elsewhere.
PngImage RenderMask(const RenderScene& scene);

}  // namespace renderer::render
