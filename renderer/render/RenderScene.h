// The scene as the drawing sees it: Embree geometry (one triangle geometry per mesh file,
// instanced once per model, and one geometry of all analytic spheres), the materials, the
// textures, the emitters, the environment, the camera and the picture's settings.
#pragma once
#include <embree3/rtcore.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../IesProfile.h"
#include "Camera.h"
#include "Environment.h"
#include "Film.h"
#include "Material.h"
#include "Transform.h"
#include "geometry/KyranoMesh.h"

namespace renderer::render {

struct MeshGeometry {
  std::string name;
  Kyrano::KyranoMesh mesh;
  bool smooth = false;
  RTCScene scene = nullptr;
};

// How an IES profile shapes an emitter: the profile's vertical angle 0 points along `axis`,
// its horizontal angle 0 along `across`.
struct IesShape {
  std::shared_ptr<const IesProfile> profile;
  Vec3 axis{0, 0, -1}, across{1, 0, 0};
  float Factor(const Vec3& direction) const;
};

struct Instance {
  int mesh = 0;
  std::vector<Transform> steps;           // evenly spread over the exposure; one when still
  std::vector<int> materials;             // render material of each of the mesh's material names
  std::vector<float> emissionScale;       // per mesh material name
  std::vector<IesShape> ies;              // per mesh material name (no profile: empty)
  std::vector<int> lightOfTriangle;       // emitting triangles: their light; empty when none emits
  Transform At(float time) const;
};

struct Sphere {
  Vec3 centre;
  float radius = 0;
  int material = 0;
  int light = -1;
};

// A surface point found by a ray.
struct SurfaceHit {
  Vec3 p, ng, ns;  // geometric normal (by the triangle's winding, outward) and shading normal
  float u = 0, v = 0;
  float t = 0;
  int material = -1;
  int light = -1;
  float emissionScale = 1;
  const IesShape* ies = nullptr;
};

struct EmitterLight {
  bool sphere = false;
  Vec3 p0, e1, e2, n;  // triangle: corner, edges, unit normal (time 0)
  float uv[3][2] = {};
  Vec3 centre;
  float radius = 0;
  float area = 0;
  int material = 0;
  float scale = 1;
  const IesShape* ies = nullptr;
};

struct RenderSettings {
  int width = 1, height = 1;
  ToneMapping tone;
};

class RenderScene {
 public:
  RenderScene();
  ~RenderScene();
  RenderScene(const RenderScene&) = delete;
  RenderScene& operator=(const RenderScene&) = delete;

  // Builds the top-level Embree scene once the geometry lists are filled.
  void Commit();

  // The nearest surface along the ray within tMax, passing through null materials.
  bool Intersect(const Vec3& origin, const Vec3& direction, float tMax, float time, SurfaceHit& hit,
                 std::uint64_t& rays) const;
  // Whether anything (but null materials) lies along the ray within tMax.
  bool Occluded(const Vec3& origin, const Vec3& direction, float tMax, float time, std::uint64_t& rays) const;
  // Whether any geometry at all lies along the ray (the silhouette).
  bool HitsAnything(const Vec3& origin, const Vec3& direction) const;
  RTCScene Top() const { return top_; }
  RTCDevice Device() const { return device_; }

  RenderSettings settings;
  std::unique_ptr<Camera> camera;
  Environment environment;
  std::vector<Material> materials;
  std::vector<Texture> textures;
  std::vector<std::unique_ptr<MeshGeometry>> meshes;
  std::vector<Instance> instances;
  std::vector<Sphere> spheres;
  std::vector<std::unique_ptr<IesShape>> iesShapes;
  std::vector<EmitterLight> lights;
  std::set<std::string> notDrawn;  // what the scene asks for that this renderer leaves out
  std::uint64_t triangleCount = 0;

 private:
  bool RawIntersect(const Vec3& origin, const Vec3& direction, float tMin, float tMax, float time, RTCRayHit& rh) const;
  void Shade(const RTCRayHit& rh, const Vec3& origin, const Vec3& direction, float time, SurfaceHit& hit) const;
  bool IsNull(int material) const;

  RTCDevice device_ = nullptr;
  RTCScene top_ = nullptr;
  unsigned sphereGeometry_ = RTC_INVALID_GEOMETRY_ID;
  bool hasNull_ = false;
};

}  // namespace renderer::render
