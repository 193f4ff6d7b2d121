#include "RenderScene.h"

#include <cmath>
#include <limits>

namespace renderer::render {

namespace {

constexpr int kMaxNullCrossings = 64;

float RayEpsilon(const Vec3& p) {
  return 1e-4f * std::max(1.0f, std::max(std::fabs(p.x), std::max(std::fabs(p.y), std::fabs(p.z))));
}

}  // namespace

float IesShape::Factor(const Vec3& direction) const {
  if (!profile || profile->MaxCandela() <= 0) return 1;
  const float c = std::min(1.0f, std::max(-1.0f, Dot(direction, axis)));
  const float theta = std::acos(c) * 180.0f / kPi;
  const Vec3 side = Cross(axis, across);
  const float phi = std::atan2(Dot(direction, side), Dot(direction, across)) * 180.0f / kPi;
  return float(profile->Candela(theta, phi) / profile->MaxCandela());
}

Transform Instance::At(float time) const {
  if (steps.size() == 1) return steps[0];
  // Embree interpolates the instance matrices linearly between evenly spread steps; so does this.
  const float f = std::min(1.0f, std::max(0.0f, time)) * float(steps.size() - 1);
  const std::size_t i = std::min(std::size_t(f), steps.size() - 2);
  const float t = f - float(i);
  Transform r;
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) r.m[a][b] = steps[i].m[a][b] * (1 - t) + steps[i + 1].m[a][b] * t;
  r.offset = steps[i].offset * (1 - t) + steps[i + 1].offset * t;
  return r;
}

RenderScene::RenderScene() : device_(rtcNewDevice("verbose=0")), top_(rtcNewScene(device_)) {}

RenderScene::~RenderScene() {
  for (auto& mesh : meshes)
    if (mesh->scene) rtcReleaseScene(mesh->scene);
  rtcReleaseScene(top_);
  rtcReleaseDevice(device_);
}

void RenderScene::Commit() {
  for (const Instance& instance : instances) {
    RTCGeometry geometry = rtcNewGeometry(device_, RTC_GEOMETRY_TYPE_INSTANCE);
    rtcSetGeometryInstancedScene(geometry, meshes[std::size_t(instance.mesh)]->scene);
    rtcSetGeometryTimeStepCount(geometry, unsigned(instance.steps.size()));
    for (std::size_t step = 0; step < instance.steps.size(); ++step) {
      const Transform& t = instance.steps[step];
      const float rowMajor[12] = {t.m[0][0], t.m[0][1], t.m[0][2], t.offset.x, t.m[1][0], t.m[1][1],
                                  t.m[1][2], t.offset.y, t.m[2][0], t.m[2][1], t.m[2][2], t.offset.z};
      rtcSetGeometryTransform(geometry, unsigned(step), RTC_FORMAT_FLOAT3X4_ROW_MAJOR, rowMajor);
    }
    rtcCommitGeometry(geometry);
    rtcAttachGeometry(top_, geometry);  // ids follow the instances' order
    rtcReleaseGeometry(geometry);
  }
  if (!spheres.empty()) {
    RTCGeometry geometry = rtcNewGeometry(device_, RTC_GEOMETRY_TYPE_SPHERE_POINT);
    auto* vertices = static_cast<float*>(
        rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT4, 4 * sizeof(float), spheres.size()));
    for (std::size_t i = 0; i < spheres.size(); ++i) {
      vertices[4 * i] = spheres[i].centre.x;
      vertices[4 * i + 1] = spheres[i].centre.y;
      vertices[4 * i + 2] = spheres[i].centre.z;
      vertices[4 * i + 3] = spheres[i].radius;
    }
    rtcCommitGeometry(geometry);
    sphereGeometry_ = rtcAttachGeometry(top_, geometry);
    rtcReleaseGeometry(geometry);
  }
  for (const Material& m : materials) hasNull_ = hasNull_ || m.kind == MaterialKind::Null;
  rtcCommitScene(top_);
}

bool RenderScene::IsNull(int material) const {
  return material >= 0 && materials[std::size_t(material)].kind == MaterialKind::Null;
}

bool RenderScene::RawIntersect(const Vec3& o, const Vec3& d, float tMin, float tMax, float time, RTCRayHit& rh) const {
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  rh.ray.org_x = o.x;
  rh.ray.org_y = o.y;
  rh.ray.org_z = o.z;
  rh.ray.dir_x = d.x;
  rh.ray.dir_y = d.y;
  rh.ray.dir_z = d.z;
  rh.ray.tnear = tMin;
  rh.ray.tfar = tMax;
  rh.ray.time = time;
  rh.ray.mask = 0xFFFFFFFFu;
  rh.ray.flags = 0;
  rh.ray.id = 0;
  rh.hit.geomID = RTC_INVALID_GEOMETRY_ID;
  rh.hit.instID[0] = RTC_INVALID_GEOMETRY_ID;
  rtcIntersect1(top_, &context, &rh);
  return rh.hit.geomID != RTC_INVALID_GEOMETRY_ID;
}

void RenderScene::Shade(const RTCRayHit& rh, const Vec3& origin, const Vec3& direction, float time,
                        SurfaceHit& hit) const {
  hit.t = rh.ray.tfar;
  hit.p = origin + direction * hit.t;
  hit.light = -1;
  hit.emissionScale = 1;
  hit.ies = nullptr;
  if (rh.hit.instID[0] == RTC_INVALID_GEOMETRY_ID) {  // an analytic sphere
    const Sphere& s = spheres[rh.hit.primID];
    hit.ng = hit.ns = Normalize(hit.p - s.centre);
    hit.u = std::atan2(hit.ng.y, hit.ng.x) * (0.5f * kInvPi) + 0.5f;
    hit.v = 1 - std::acos(std::min(1.0f, std::max(-1.0f, hit.ng.z))) * kInvPi;
    hit.material = s.material;
    hit.light = s.light;
    return;
  }
  const Instance& instance = instances[rh.hit.instID[0]];
  const MeshGeometry& geometry = *meshes[std::size_t(instance.mesh)];
  const Kyrano::Triangle& tri = geometry.mesh.triangles[rh.hit.primID];
  const Transform toWorld = instance.At(time);
  const auto& pos = geometry.mesh.positions;
  const Kyrano::Vec3f &a = pos[tri.vertexIndices[0]], &b = pos[tri.vertexIndices[1]], &c = pos[tri.vertexIndices[2]];
  const Vec3 pa(a.x, a.y, a.z), pb(b.x, b.y, b.z), pc(c.x, c.y, c.z);
  hit.ng = toWorld.Normal(Cross(pb - pa, pc - pa));
  const float bu = rh.hit.u, bv = rh.hit.v, bw = 1 - bu - bv;
  hit.ns = hit.ng;
  if (geometry.smooth && !geometry.mesh.normals.empty()) {
    const auto& n = geometry.mesh.normals;
    const Kyrano::Vec3f &na = n[tri.vertexIndices[0]], &nb = n[tri.vertexIndices[1]], &nc = n[tri.vertexIndices[2]];
    const Vec3 ns = Vec3(na.x, na.y, na.z) * bw + Vec3(nb.x, nb.y, nb.z) * bu + Vec3(nc.x, nc.y, nc.z) * bv;
    if (Dot(ns, ns) > 0) {
      hit.ns = toWorld.Normal(ns);
      if (Dot(hit.ns, hit.ng) < 0) hit.ns = -hit.ns;
    }
  }
  const auto& uvs = geometry.mesh.uvs;
  if (!uvs.empty()) {
    const Kyrano::Vec2f &ta = uvs[tri.uvIndices[0]], &tb = uvs[tri.uvIndices[1]], &tc = uvs[tri.uvIndices[2]];
    hit.u = ta.x * bw + tb.x * bu + tc.x * bv;
    hit.v = ta.y * bw + tb.y * bu + tc.y * bv;
  }
  hit.material = instance.materials[tri.materialIndex];
  hit.emissionScale = instance.emissionScale[tri.materialIndex];
  hit.ies = instance.ies[tri.materialIndex].profile ? &instance.ies[tri.materialIndex] : nullptr;
  if (!instance.lightOfTriangle.empty()) hit.light = instance.lightOfTriangle[rh.hit.primID];
}

bool RenderScene::Intersect(const Vec3& origin, const Vec3& direction, float tMax, float time, SurfaceHit& hit,
                            std::uint64_t& rays) const {
  Vec3 o = origin;
  float travelled = 0;
  for (int crossing = 0; crossing < kMaxNullCrossings; ++crossing) {
    RTCRayHit rh;
    ++rays;
    if (!RawIntersect(o, direction, 0, tMax - travelled, time, rh)) return false;
    Shade(rh, o, direction, time, hit);
    if (!IsNull(hit.material)) {
      hit.t += travelled;
      return true;
    }
    // A null material lets the ray through: go on just beyond it.
    const float step = hit.t + RayEpsilon(hit.p);
    travelled += step;
    o = o + direction * step;
  }
  return false;
}

bool RenderScene::Occluded(const Vec3& origin, const Vec3& direction, float tMax, float time,
                           std::uint64_t& rays) const {
  if (hasNull_) {
    SurfaceHit hit;
    return Intersect(origin, direction, tMax, time, hit, rays);
  }
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  RTCRay ray;
  ray.org_x = origin.x;
  ray.org_y = origin.y;
  ray.org_z = origin.z;
  ray.dir_x = direction.x;
  ray.dir_y = direction.y;
  ray.dir_z = direction.z;
  ray.tnear = 0;
  ray.tfar = tMax;
  ray.time = time;
  ray.mask = 0xFFFFFFFFu;
  ray.flags = 0;
  ray.id = 0;
  ++rays;
  rtcOccluded1(top_, &context, &ray);
  return ray.tfar < 0;
}

bool RenderScene::HitsAnything(const Vec3& origin, const Vec3& direction) const {
  RTCRayHit rh;
  return RawIntersect(origin, direction, 0, std::numeric_limits<float>::infinity(), 0, rh);
}

}  // namespace renderer::render
