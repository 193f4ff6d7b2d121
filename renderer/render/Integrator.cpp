#include "Integrator.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "Bsdf.h"

namespace renderer::render {

namespace {

constexpr int kTileSize = 16;
constexpr int kMaxDepth = 64;
constexpr int kRouletteDepth = 3;

float Epsilon(const Vec3& p) {
  return 1e-4f * std::max(1.0f, std::max(std::fabs(p.x), std::max(std::fabs(p.y), std::fabs(p.z))));
}

// The start of a new ray leaving the surface towards `direction`.
Vec3 Offset(const SurfaceHit& hit, const Vec3& direction) {
  const float e = Epsilon(hit.p);
  return hit.p + (Dot(direction, hit.ng) > 0 ? hit.ng : -hit.ng) * e;
}

bool IsGlass(MaterialKind kind) { return kind == MaterialKind::Specular || kind == MaterialKind::GlossyTransparent; }

}  // namespace

Rgb Integrator::Li(const Vec3& origin, const Vec3& direction, float time, Rng& rng, std::uint64_t& rays) const {
  Rgb radiance(0.0f), throughput(1.0f);
  Vec3 o = origin, d = direction;
  bool lastDelta = true;
  float lastPdf = 0;
  Vec3 lastP = origin;
  Rgb absorption(0.0f);  // of the medium the path is inside, per metre
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    SurfaceHit hit;
    if (!scene_.Intersect(o, d, std::numeric_limits<float>::infinity(), time, hit, rays)) {
      radiance += throughput * scene_.environment.Radiance(d);
      const Environment& env = scene_.environment;
      if (env.HasSun() && Dot(d, env.SunDirection()) >= env.SunCosMax()) {
        const float weight = lastDelta ? 1.0f : PowerHeuristic(lastPdf, lights_.SunPdf());
        radiance += throughput * env.SunRadiance() * weight;
      }
      break;
    }
    if (!IsBlack(absorption))
      throughput *= Rgb(std::exp(-absorption.x * hit.t), std::exp(-absorption.y * hit.t), std::exp(-absorption.z * hit.t));
    const Vec3 wo = -d;
    // Light the surface sends back along the path.
    const Rgb emitted = LightSampler::Emitted(scene_, hit, wo);
    if (!IsBlack(emitted)) {
      float weight = 1;
      if (!lastDelta && hit.light >= 0) weight = PowerHeuristic(lastPdf, lights_.Pdf(hit.light, lastP, hit));
      radiance += throughput * emitted * weight;
    }
    const int index = ResolveBlend(scene_.materials, scene_.textures, hit.material, hit.u, hit.v, rng);
    if (index < 0 || scene_.materials[std::size_t(index)].kind == MaterialKind::Null) {
      o = hit.p + d * Epsilon(hit.p);  // a blend that came out null: the path goes on unchanged
      continue;
    }
    const Material& material = scene_.materials[std::size_t(index)];
    const Bsdf bsdf(material, scene_.textures, hit.u, hit.v);
    // Opaque materials are two-sided: the frame turns to the side the path comes from. Glass
    // keeps the outward normal, which tells entering from leaving.
    Vec3 ns = hit.ns;
    if (!IsGlass(material.kind) && Dot(wo, hit.ng) < 0) ns = -ns;
    const Frame frame(ns);
    const Vec3 woLocal = frame.ToLocal(wo);
    if (bsdf.HasDensity()) {
      LightSample ls;
      if (lights_.Sample(hit.p, time, rng, ls)) {
        const Vec3 wiLocal = frame.ToLocal(ls.wi);
        const Rgb f = bsdf.Eval(woLocal, wiLocal);
        if (!IsBlack(f)) {
          const Vec3 start = Offset(hit, ls.wi);
          const float reach = std::isfinite(ls.distance) ? ls.distance * (1 - 1e-3f) : std::numeric_limits<float>::infinity();
          if (!scene_.Occluded(start, ls.wi, reach, time, rays)) {
            const float weight = PowerHeuristic(ls.pdf, bsdf.Pdf(woLocal, wiLocal));
            radiance += throughput * f * ls.radiance * (std::fabs(wiLocal.z) * weight / ls.pdf);
          }
        }
      }
    }
    BsdfSample bs;
    if (!bsdf.Sample(woLocal, rng, bs)) break;
    throughput *= bs.weight;
    const Vec3 wi = frame.ToWorld(bs.wi);
    if (IsGlass(material.kind) && Dot(wi, hit.ng) * Dot(wo, hit.ng) < 0)
      absorption = Dot(wo, hit.ng) > 0 ? material.absorption : Rgb(0.0f);  // entering or leaving the medium
    lastDelta = bs.delta;
    lastPdf = bs.pdf;
    lastP = hit.p;
    o = Offset(hit, wi);
    d = wi;
    if (depth >= kRouletteDepth) {
      const float keep = std::min(0.95f, MaxComponent(throughput));
      if (rng.Uniform() >= keep) break;
      throughput = throughput / keep;
    }
  }
  return radiance;
}

void Integrator::RenderTile(Film& film, int x0, int y0, int x1, int y1, int firstSample, int samples,
                            std::uint64_t& rays) const {
  const Camera& camera = *scene_.camera;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      Rgb sum(0.0f);
      for (int s = firstSample; s < firstSample + samples; ++s) {
        Rng rng(std::uint64_t(y) * std::uint64_t(film.Width()) + std::uint64_t(x), (seed_ << 32) ^ std::uint64_t(s));
        const float px = float(x) + rng.Uniform(), py = float(y) + rng.Uniform();
        const float lu = rng.Uniform(), lv = rng.Uniform(), time = rng.Uniform();
        const CameraRay ray = camera.Generate(px, py, lu, lv, time);
        const Rgb l = Li(ray.origin, ray.direction, time, rng, rays);
        // A sample that is not a number would spoil the pixel for good: it is dropped.
        if (std::isfinite(l.x) && std::isfinite(l.y) && std::isfinite(l.z)) sum += l;
      }
      film.Add(x, y, sum);
    }
}

RenderStats Integrator::Render(Film& film, int samplesPerPixel, unsigned threads,
                               const std::function<void(int)>& progress) const {
  const auto start = std::chrono::steady_clock::now();
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  const int tilesX = (film.Width() + kTileSize - 1) / kTileSize, tilesY = (film.Height() + kTileSize - 1) / kTileSize;
  const int tileCount = tilesX * tilesY;
  RenderStats stats;
  std::atomic<std::uint64_t> rays{0};
  int done = 0;
  for (int batch = 1; done < samplesPerPixel; batch = std::min(batch * 2, 64)) {
    const int samples = std::min(batch, samplesPerPixel - done);
    std::atomic<int> next{0};
    auto work = [&]() {
      std::uint64_t local = 0;
      for (int tile = next++; tile < tileCount; tile = next++) {
        const int tx = tile % tilesX, ty = tile / tilesX;
        RenderTile(film, tx * kTileSize, ty * kTileSize, std::min(film.Width(), (tx + 1) * kTileSize),
                   std::min(film.Height(), (ty + 1) * kTileSize), done, samples, local);
      }
      rays += local;
    };
    std::vector<std::thread> pool;
    for (unsigned i = 1; i < threads; ++i) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    done += samples;
    if (progress) progress(done);
  }
  stats.samplesPerPixel = done;
  stats.rays = rays;
  stats.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return stats;
}

void ApplyAutofocus(RenderScene& scene) {
  const CameraSettings& s = scene.camera->Settings();
  if (!s.autofocus) return;
  const CameraRay ray = scene.camera->Pinhole(0.5f * float(s.width), 0.5f * float(s.height));
  SurfaceHit hit;
  std::uint64_t rays = 0;
  if (!scene.Intersect(ray.origin, ray.direction, std::numeric_limits<float>::infinity(), 0, hit, rays)) return;
  // The centre's ray runs along the camera's axis (up to a lens shift), so the distance along
  // it is the focus distance.
  if (hit.t > 0) scene.camera->SetFocusDistance(hit.t);
}

PngImage RenderMask(const RenderScene& scene) {
  const CameraSettings& s = scene.camera->Settings();
  PngImage mask;
  mask.width = s.width;
  mask.height = s.height;
  mask.channels = 1;
  mask.pixels.assign(std::size_t(s.width) * std::size_t(s.height), 0);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const CameraRay ray = scene.camera->Pinhole(float(x) + 0.5f, float(y) + 0.5f);
      if (scene.HitsAnything(ray.origin, ray.direction)) mask.pixels[std::size_t(y) * std::size_t(s.width) + std::size_t(x)] = 255;
    }
  return mask;
}

}  // namespace renderer::render
