// The stand-in renderer's speed, as ratios and rates measured in one run:
//  - acceleration structure: seconds per million triangles to read a 2,000,000-triangle mesh
//    file and build its Embree geometry (the first argument overrides the count);
//  - primary rays: our camera rays with their surface shading, per second, against a bare
//    rtcIntersect1 loop over the same rays on the same Embree scene (one thread each);
//  - the path tracer: samples per second on both cores;
//  - the example room (exported with the tavrell command) as a 400 x 300, 16 samples per pixel
//    preview: the time it takes.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include <cmath>

#include "geometry/KyranoMesh.h"
#include "render/Integrator.h"
#include "render/SceneBuilder.h"

namespace fs = std::filesystem;
using namespace renderer::render;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A wavy grid of about `count` triangles in the x-y plane, 10 m across.
Kyrano::KyranoMesh Grid(std::size_t count) {
  const std::size_t side = std::size_t(std::sqrt(double(count) / 2)) + 1;
  Kyrano::KyranoMesh mesh;
  mesh.uvMappingCount = 1;
  mesh.materialNames = {"defaultMat"};
  mesh.uvSetExpositions = {{"default", 0}};
  mesh.uvs = {{0, 0}};
  for (std::size_t j = 0; j <= side; ++j)
    for (std::size_t i = 0; i <= side; ++i) {
      const float x = 10.0f * float(i) / float(side) - 5, y = 10.0f * float(j) / float(side) - 5;
      mesh.positions.push_back({x, y, 0.2f * std::sin(3 * x) * std::cos(2 * y)});
    }
  for (std::size_t j = 0; j < side; ++j)
    for (std::size_t i = 0; i < side; ++i) {
      const auto a = std::uint32_t(j * (side + 1) + i), b = a + 1, c = a + std::uint32_t(side + 1) + 1,
                 d = a + std::uint32_t(side + 1);
      mesh.triangles.push_back({{a, b, c}, {0, 0, 0}, 0});
      mesh.triangles.push_back({{a, c, d}, {0, 0, 0}, 0});
    }
  return mesh;
}

std::string GridScene(const fs::path& dir, std::size_t triangles) {
  const std::string meshPath = (dir / "grid.kymesh").string();
  if (!Kyrano::KyranoMesh::writeToFile(meshPath, Grid(triangles))) std::exit(1);
  const std::string scene = (dir / "grid.kys").string();
  std::ofstream(scene) << "<scene><renderer_settings><width>400</width><height>300</height></renderer_settings>"
                          "<camera><aspect_ratio>1.333333</aspect_ratio><pos>0 -9 6</pos><up>0 0.55 0.83</up>"
                          "<forwards>0 0.83 -0.55</forwards><sensor_width>0.036</sensor_width>"
                          "<lens_sensor_dist>0.036</lens_sensor_dist></camera>"
                          "<skylight><sundir>0.3 -0.4 0.8</sundir><turbidity>2</turbidity></skylight>"
                          "<tonemapping><reinhard><pre_scale>3</pre_scale></reinhard></tonemapping>"
                          "<material><name>defaultMat</name><diffuse><albedo><constant><rgb><rgb>0.8 0.8 0.8</rgb>"
                          "<gamma>2.2</gamma></rgb></constant></albedo></diffuse></material>"
                          "<mesh><name>grid</name><normal_smoothing>false</normal_smoothing><external><path>" +
                              meshPath + "</path></external></mesh>"
                          "<model><scale>1</scale><mesh_name>grid</mesh_name><pos>0 0 0</pos><rotation><matrix>"
                          "1 0 0 0 1 0 0 0 1</matrix></rotation></model></scene>";
  return scene;
}

std::unique_ptr<RenderScene> BuildOrExit(const std::string& path) {
  std::string error;
  auto scene = BuildRenderScene(path, error);
  if (!scene) {
    std::fprintf(stderr, "bench_render: %s\n", error.c_str());
    std::exit(1);
  }
  return scene;
}

void PrimaryRays(const RenderScene& scene) {
  const CameraSettings& s = scene.camera->Settings();
  std::vector<CameraRay> rays;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) rays.push_back(scene.camera->Pinhole(float(x) + 0.5f, float(y) + 0.5f));
  const int rounds = 5;
  std::uint64_t counted = 0, hits = 0;
  auto start = Clock::now();
  for (int r = 0; r < rounds; ++r)
    for (const CameraRay& ray : rays) {
      SurfaceHit hit;
      hits += scene.Intersect(ray.origin, ray.direction, std::numeric_limits<float>::infinity(), 0, hit, counted);
    }
  const double ours = double(counted) / Seconds(start);
  start = Clock::now();
  std::uint64_t bareHits = 0;
  for (int r = 0; r < rounds; ++r)
    for (const CameraRay& ray : rays) {
      RTCIntersectContext context;
      rtcInitIntersectContext(&context);
      RTCRayHit rh;
      rh.ray.org_x = ray.origin.x, rh.ray.org_y = ray.origin.y, rh.ray.org_z = ray.origin.z;
      rh.ray.dir_x = ray.direction.x, rh.ray.dir_y = ray.direction.y, rh.ray.dir_z = ray.direction.z;
      rh.ray.tnear = 0, rh.ray.tfar = std::numeric_limits<float>::infinity(), rh.ray.time = 0;
      rh.ray.mask = 0xFFFFFFFFu, rh.ray.flags = 0, rh.ray.id = 0;
      rh.hit.geomID = rh.hit.instID[0] = RTC_INVALID_GEOMETRY_ID;
      rtcIntersect1(scene.Top(), &context, &rh);
      bareHits += rh.hit.geomID != RTC_INVALID_GEOMETRY_ID;
    }
  const double bare = double(rays.size() * rounds) / Seconds(start);
  std::printf("  primary rays: %.2f M/s with shading, bare rtcIntersect1 %.2f M/s, ratio %.2f (hits %llu / %llu)\n",
              ours / 1e6, bare / 1e6, ours / bare, static_cast<unsigned long long>(hits),
              static_cast<unsigned long long>(bareHits));
}

void PathTracer(const RenderScene& scene, int spp, const char* what) {
  Film film(scene.camera->Settings().width, scene.camera->Settings().height);
  const RenderStats stats = Integrator(scene, 1).Render(film, spp, 0, nullptr);
  const double samples = double(film.Width()) * film.Height() * stats.samplesPerPixel;
  std::printf("  path tracer%s: %d x %d at %d spp in %.2f s: %.2f M samples/s, %.2f M rays/s\n", what, film.Width(),
              film.Height(), spp, stats.seconds, samples / stats.seconds / 1e6, double(stats.rays) / stats.seconds / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t triangles = argc > 1 ? std::size_t(std::atol(argv[1])) : 2000000;
  const fs::path dir = fs::temp_directory_path() / ("tavrell_bench_render_" + std::to_string(::getpid()));
  fs::create_directories(dir);

  std::printf("Grid of %zu triangles\n", triangles);
  const std::string grid = GridScene(dir, triangles);
  auto start = Clock::now();
  auto scene = BuildOrExit(grid);
  const double build = Seconds(start);
  std::printf("  build (read the mesh file, build the BVH): %.3f s, %.3f s per million triangles\n", build,
              build / (double(scene->triangleCount) / 1e6));
  PrimaryRays(*scene);
  PathTracer(*scene, 4, "");

  const std::string room = (dir / "room.kys").string();
  const std::string command = std::string(TAVRELL_BINARY_DIR) + "/bin/tavrell export " + TAVRELL_SOURCE_DIR +
                              "/examples/room.json -o " + room +
                              " --current-frame --no-output-image --no-run --overwrite yes > /dev/null";
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "bench_render: exporting the example room failed: %s\n", command.c_str());
    return 1;
  }
  std::printf("Example room\n");
  start = Clock::now();
  auto roomScene = BuildOrExit(room);
  CameraSettings preview = roomScene->camera->Settings();
  preview.width = 400;
  preview.height = 300;
  roomScene->camera = std::make_unique<Camera>(preview);
  ApplyAutofocus(*roomScene);
  std::printf("  build: %.3f s\n", Seconds(start));
  PrimaryRays(*roomScene);
  start = Clock::now();
  PathTracer(*roomScene, 16, " (preview)");
  std::printf("  preview total: %.2f s (aim: under 2 s)\n", Seconds(start));
  fs::remove_all(dir);
  return 0;
}
