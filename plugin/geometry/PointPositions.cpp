#include "geometry/PointPositions.h"

#include <algorithm>

#include "geometry/FirstSeenIndex.h"

namespace geometry {

namespace {

uint64_t HashPosition(const Kyrano::Vec3f& v) { return Mix(Mix(Pair(v.x, v.y)) ^ Pair(v.z, 0.0f)); }

// The points of an object by their renderer position: a key "appended" is the point being
// looked at.
struct PointStore {
  using Key = Kyrano::Vec3f;
  const Vector* points;
  Real scale;
  uint32_t current = 0;

  static uint64_t Hash(const Key& k) { return HashPosition(k); }
  static bool Same(const Key& a, const Key& b) { return SameVec3(a, b); }
  Key At(uint32_t i) const { return RendererPosition(points[i], scale); }
  uint32_t Append(const Key&) { return current; }
};

}  // namespace

// One sweep over the points; the table's slots lie at random, so each is fetched some points
// ahead of its lookup.
std::vector<uint32_t> FirstPointAtEachPosition(const Vector* points, LONG pointCount, Real scale) {
  std::vector<uint32_t> first(static_cast<size_t>(pointCount));
  bool shared = false;  // some point is at the position of one before it
  FirstSeenIndex<PointStore> positions(PointStore{points, scale}, size_t(pointCount));
  const LONG ahead = 16;
  uint64_t hashes[ahead];
  for (LONG p = 0; p < std::min(ahead, pointCount); ++p) {
    hashes[p] = PointStore::Hash(RendererPosition(points[p], scale));
    positions.Prefetch(hashes[p]);
  }
  for (LONG p = 0; p < pointCount; ++p) {
    const uint64_t hash = hashes[p % ahead];
    if (p + ahead < pointCount) {
      hashes[p % ahead] = PointStore::Hash(RendererPosition(points[p + ahead], scale));
      positions.Prefetch(hashes[p % ahead]);
    }
    positions.store().current = uint32_t(p);
    first[size_t(p)] = positions.Find(RendererPosition(points[p], scale), hash);
    shared = shared || first[size_t(p)] != uint32_t(p);
  }
  if (!shared) return {};
  return first;
}

}  // namespace geometry
