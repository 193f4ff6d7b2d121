#include "LightSampler.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace renderer::render {

LightSampler::LightSampler(const RenderScene& scene) : scene_(scene) {
  std::vector<float> power;
  for (const EmitterLight& light : scene.lights) {
    const Material& m = scene.materials[std::size_t(light.material)];
    const float radiance = m.emission.texture >= 0 ? 1.0f : Luminance(m.emission.constant);
    power.push_back(std::max(0.0f, radiance * light.scale * light.area));
  }
  sun_ = scene.environment.HasSun();
  if (sun_) {
    // The sun's power on the scene: its irradiance over the scene's cross-section.
    RTCBounds bounds;
    rtcGetSceneBounds(scene.Top(), &bounds);
    const Vec3 extent(bounds.upper_x - bounds.lower_x, bounds.upper_y - bounds.lower_y, bounds.upper_z - bounds.lower_z);
    const float radius = std::isfinite(Length(extent)) ? 0.5f * Length(extent) : 1.0f;
    const float solidAngle = 2 * kPi * (1 - scene.environment.SunCosMax());
    power.push_back(Luminance(scene.environment.SunRadiance()) * solidAngle * radius * radius);
  }
  float total = 0;
  for (float p : power) total += p;
  if (total <= 0) return;
  float running = 0;
  for (float p : power) cdf_.push_back(running += p / total);
  cdf_.back() = 1;
}

float LightSampler::Probability(std::size_t index) const { return cdf_[index] - (index ? cdf_[index - 1] : 0.0f); }

float LightSampler::SunPdf() const {
  if (!sun_ || cdf_.empty()) return 0;
  return Probability(cdf_.size() - 1) / (2 * kPi * (1 - scene_.environment.SunCosMax()));
}

Rgb LightSampler::Emitted(const RenderScene& scene, const SurfaceHit& hit, const Vec3& towards) {
  const Material& m = scene.materials[std::size_t(hit.material)];
  if (!m.emits || Dot(hit.ng, towards) <= 0) return Rgb(0.0f);
  Rgb radiance = m.emission.Eval(scene.textures, hit.u, hit.v) * hit.emissionScale;
  if (hit.ies) radiance *= hit.ies->Factor(towards);
  return radiance;
}

bool LightSampler::Sample(const Vec3& p, float time, Rng& rng, LightSample& sample) const {
  if (cdf_.empty()) return false;
  const float pick = rng.Uniform();
  const std::size_t index = std::size_t(std::lower_bound(cdf_.begin(), cdf_.end(), pick) - cdf_.begin());
  const std::size_t chosen = std::min(index, cdf_.size() - 1);
  const float choice = Probability(chosen);
  if (choice <= 0) return false;
  const float u1 = rng.Uniform(), u2 = rng.Uniform();
  if (sun_ && chosen == cdf_.size() - 1) {
    const Environment& env = scene_.environment;
    sample.wi = Frame(env.SunDirection()).ToWorld(SampleCone(u1, u2, env.SunCosMax()));
    sample.distance = std::numeric_limits<float>::infinity();
    sample.radiance = env.SunRadiance();
    sample.pdf = SunPdf();
    return true;
  }
  const EmitterLight& light = scene_.lights[chosen];
  SurfaceHit on;
  on.material = light.material;
  on.emissionScale = light.scale;
  on.ies = light.ies;
  if (light.sphere) {
    const Vec3 toCentre = light.centre - p;
    const float d2 = Dot(toCentre, toCentre), r2 = light.radius * light.radius;
    if (d2 <= r2) return false;  // inside the emitter: it lights this point by being hit
    const float cosMax = std::sqrt(std::max(0.0f, 1 - r2 / d2));
    const Vec3 axis = toCentre / std::sqrt(d2);
    sample.wi = Frame(axis).ToWorld(SampleCone(u1, u2, cosMax));
    // The nearer intersection of the ray with the sphere.
    const float b = Dot(sample.wi, toCentre);
    const float disc = std::max(0.0f, b * b - (d2 - r2));
    sample.distance = b - std::sqrt(disc);
    on.p = p + sample.wi * sample.distance;
    on.ng = on.ns = Normalize(on.p - light.centre);
    on.u = std::atan2(on.ng.y, on.ng.x) * (0.5f * kInvPi) + 0.5f;
    on.v = 1 - std::acos(std::min(1.0f, std::max(-1.0f, on.ng.z))) * kInvPi;
    sample.pdf = choice / (2 * kPi * (1 - cosMax));
  } else {
    float a = u1, b = u2;
    if (a + b > 1) {
      a = 1 - a;
      b = 1 - b;
    }
    on.p = light.p0 + light.e1 * a + light.e2 * b;
    on.ng = on.ns = light.n;
    const float w = 1 - a - b;
    on.u = light.uv[0][0] * w + light.uv[1][0] * a + light.uv[2][0] * b;
    on.v = light.uv[0][1] * w + light.uv[1][1] * a + light.uv[2][1] * b;
    const Vec3 d = on.p - p;
    const float dist2 = Dot(d, d);
    if (dist2 <= 0) return false;
    sample.distance = std::sqrt(dist2);
    sample.wi = d / sample.distance;
    const float cosLight = -Dot(sample.wi, light.n);
    if (cosLight <= 0) return false;
    sample.pdf = choice * dist2 / (cosLight * light.area);
  }
  (void)time;
  sample.radiance = Emitted(scene_, on, -sample.wi);
  return !IsBlack(sample.radiance) && sample.pdf > 0;
}

float LightSampler::Pdf(int light, const Vec3& p, const SurfaceHit& hit) const {
  if (light < 0 || cdf_.empty()) return 0;
  const EmitterLight& l = scene_.lights[std::size_t(light)];
  const float choice = Probability(std::size_t(light));
  if (l.sphere) {
    const Vec3 toCentre = l.centre - p;
    const float d2 = Dot(toCentre, toCentre), r2 = l.radius * l.radius;
    if (d2 <= r2) return 0;
    const float cosMax = std::sqrt(std::max(0.0f, 1 - r2 / d2));
    return choice / (2 * kPi * (1 - cosMax));
  }
  const Vec3 d = hit.p - p;
  const float dist2 = Dot(d, d);
  const float cosLight = std::fabs(Dot(Normalize(d), l.n));
  return cosLight > 0 ? choice * dist2 / (cosLight * l.area) : 0.0f;
}

}  // namespace renderer::render
