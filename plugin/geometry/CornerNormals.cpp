#include "geometry/CornerNormals.h"

#include <cmath>
#include <cstring>

namespace geometry {

namespace {

// The corner normal as written: unit length, or (1, 0, 0) when it has none. The renderer's
// axes are the host's with y and z exchanged.
Kyrano::Vec3f RendererNormal(const Vector& n) {
  const Real length = Len(n);
  Vector unit;
  if (length < 1e-7f) unit = Vector(1, 0, 0);
  else if (std::fabs(length - 1.0f) < 1e-7f) unit = n;
  else unit = n / length;
  return Kyrano::Vec3f{unit.x, unit.z, unit.y};
}

template <typename T>
bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

}  // namespace

CornerNormals::CornerNormals(const Vector* phong, LONG pointCount, const CPolygon* polygons, LONG polygonCount)
    : pointNormals_(size_t(pointCount)), marked_((size_t(polygonCount) * 4 + 63) / 64, 0) {
  // A point's first host normal, to spare the square root when another corner has the same.
  std::vector<Vector> firstHostNormal(static_cast<size_t>(pointCount));
  std::vector<bool> seen(size_t(pointCount), false);
  auto inRange = [pointCount](LONG p) { return p >= 0 && p < pointCount; };
  for (LONG i = 0; i < polygonCount; ++i) {
    const CPolygon& poly = polygons[i];
    if (!inRange(poly.a) || !inRange(poly.b) || !inRange(poly.c) || !inRange(poly.d)) continue;
    const LONG corners[4] = {poly.a, poly.b, poly.c, poly.d};
    const int count = poly.c == poly.d ? 3 : 4;
    for (int k = 0; k < count; ++k) {
      const size_t p = size_t(corners[k]);
      const Vector& host = phong[size_t(i) * 4 + size_t(k)];
      if (!seen[p]) {
        seen[p] = true;
        firstHostNormal[p] = host;
        pointNormals_[p] = RendererNormal(host);
        continue;
      }
      if (SameBytes(host, firstHostNormal[p])) continue;
      const Kyrano::Vec3f own = RendererNormal(host);
      if (SameBytes(own, pointNormals_[p])) continue;
      const size_t c = size_t(i) * 4 + size_t(k);
      marked_[c >> 6] |= uint64_t(1) << (c & 63);
      others_.push_back(own);
    }
  }
  if (others_.empty()) {
    marked_.clear();
    marked_.shrink_to_fit();
    return;
  }
  markedBefore_.resize(marked_.size());
  uint32_t before = 0;
  for (size_t w = 0; w < marked_.size(); ++w) {
    markedBefore_[w] = before;
    before += uint32_t(__builtin_popcountll(marked_[w]));
  }
}

const Kyrano::Vec3f& CornerNormals::OfCorner(LONG polygon, int corner) const {
  const size_t c = size_t(polygon) * 4 + size_t(corner);
  const uint64_t below = marked_[c >> 6] & ((uint64_t(1) << (c & 63)) - 1);
  return others_[markedBefore_[c >> 6] + uint32_t(__builtin_popcountll(below))];
}

}  // namespace geometry
