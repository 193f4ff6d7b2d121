// Next-event estimation: picks an emitter in proportion to its power (emitting triangles,
// emitting spheres and the sun) and a direction towards it, with the density in solid angle
// that multiple importance sampling needs.
#pragma once
#include <vector>

#include "RenderScene.h"
#include "Sampling.h"

namespace renderer::render {

struct LightSample {
  Vec3 wi;                // unit, from the shaded point towards the light
  float distance = 0;     // to the light's surface (infinite for the sun)
  Rgb radiance;           // arriving along -wi
  float pdf = 0;          // solid angle, with the choice of the light
};

class LightSampler {
 public:
  explicit LightSampler(const RenderScene& scene);

  bool Empty() const { return cdf_.empty(); }
  bool Sample(const Vec3& p, float time, Rng& rng, LightSample& sample) const;
  // Density (solid angle, with the choice) of reaching emitter `light` at `hit` from p.
  float Pdf(int light, const Vec3& p, const SurfaceHit& hit) const;
  float SunPdf() const;

  // Radiance an emitting surface sends along `towards` (unit, away from the surface).
  static Rgb Emitted(const RenderScene& scene, const SurfaceHit& hit, const Vec3& towards);

 private:
  float Probability(std::size_t index) const;
  const RenderScene& scene_;
  std::vector<float> cdf_;  // lights, then the sun when there is one
  bool sun_ = false;
};

}  // namespace renderer::render
