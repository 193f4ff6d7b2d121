// The corner normals of a polygon object in a compact form: most points have one normal for
// all their corners, so each point keeps that one and only the corners that differ keep
// their own. A fraction of the memory of four normals per polygon, read back bit for bit.
#pragma once
#include <cstdint>
#include <vector>

#include "c4d.h"
#include "geometry/KyranoMesh.h"

namespace geometry {

class CornerNormals {
 public:
  // `phong` holds four normals per polygon (corners a, b, c, d), as the host makes them. Each
  // is kept as the renderer gets it: of unit length ((1, 0, 0) for one without length) and
  // with y and z exchanged. Polygons naming points the object does not have are left out.
  CornerNormals(const Vector* phong, LONG pointCount, const CPolygon* polygons, LONG polygonCount);

  // TRUE when corner `corner` (0 to 3) of `polygon` has its point's normal.
  bool HasPointNormal(LONG polygon, int corner) const {
    if (others_.empty()) return true;
    const size_t c = size_t(polygon) * 4 + size_t(corner);
    return ((marked_[c >> 6] >> (c & 63)) & 1) == 0;
  }
  // The normal of the point's corners; that of its first corner in polygon order.
  const Kyrano::Vec3f& OfPoint(LONG point) const { return pointNormals_[size_t(point)]; }
  // The normal of a corner whose own differs from its point's.
  const Kyrano::Vec3f& OfCorner(LONG polygon, int corner) const;
  size_t OwnNormalCount() const { return others_.size(); }

 private:
  std::vector<Kyrano::Vec3f> pointNormals_;
  std::vector<uint64_t> marked_;        // a bit per corner: it has a normal of its own
  std::vector<uint32_t> markedBefore_;  // per word of marked_: the marked corners before it
  std::vector<Kyrano::Vec3f> others_;   // the own normals, in corner order
};

}  // namespace geometry
