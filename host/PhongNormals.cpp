#include <algorithm>
#include <cstdlib>
#include <new>

#include "c4d_geometry.h"
#include "PolygonMath.h"

// Per-corner Phong normals. A corner's normal is the normalised sum of the unit normals of the
// polygons around its point whose normal is within the Phong tag's angle of this polygon's own
// (every polygon around the point when the angle limit is off). A cube with the default 80°
// limit therefore keeps hard edges, and without the limit it is smooth.

namespace {

// For every point, the polygons that use it (each polygon once, a triangle's c == d too).
struct PointPolygons {
  std::vector<LONG> start;  // index into polys, one more entry than points
  std::vector<LONG> polys;
};

template <typename F>
void ForEachCorner(const CPolygon& p, F f) {
  f(p.a);
  f(p.b);
  f(p.c);
  if (p.d != p.c) f(p.d);
}

PointPolygons CollectPointPolygons(const CPolygon* polys, LONG polyCount, LONG pointCount) {
  PointPolygons pp;
  pp.start.assign(size_t(pointCount) + 1, 0);
  auto valid = [pointCount](LONG i) { return i >= 0 && i < pointCount; };
  for (LONG i = 0; i < polyCount; i++)
    ForEachCorner(polys[i], [&](LONG p) {
      if (valid(p)) pp.start[size_t(p) + 1]++;
    });
  for (size_t i = 1; i < pp.start.size(); i++) pp.start[i] += pp.start[i - 1];
  pp.polys.resize(size_t(pp.start.back()));
  std::vector<LONG> fill(pp.start.begin(), pp.start.end() - 1);
  for (LONG i = 0; i < polyCount; i++)
    ForEachCorner(polys[i], [&](LONG p) {
      if (valid(p)) pp.polys[size_t(fill[size_t(p)]++)] = i;
    });
  return pp;
}

Vector CornerNormal(LONG poly, LONG point, const std::vector<Vector>& faceNormals, const PointPolygons& pp, bool limit,
                    Real cosLimit) {
  const Vector& own = faceNormals[size_t(poly)];
  if (point < 0 || size_t(point) + 1 >= pp.start.size()) return own;
  // A degenerate polygon has no direction of its own: it takes its neighbours' normals.
  const bool degenerate = own == Vector();
  Vector sum;
  for (LONG k = pp.start[size_t(point)]; k < pp.start[size_t(point) + 1]; k++) {
    const Vector& n = faceNormals[size_t(pp.polys[size_t(k)])];
    if (!limit || degenerate || own * n >= cosLimit - 1e-6f) sum += n;
  }
  return sum == Vector() ? own : !sum;
}

}  // namespace

Vector* PolygonObject::CreatePhongNormals() const {
  const BaseTag* phong = GetTag(Tphong);
  if (!phong) return nullptr;
  const BaseContainer* bc = phong->GetDataInstance();
  const bool limit = bc->GetBool(PHONGTAG_PHONG_ANGLELIMIT, TRUE);
  const Real angle = bc->GetReal(PHONGTAG_PHONG_ANGLE, Rad(80));
  const Real cosLimit = std::cos(std::min(std::max(angle, Real(0)), pi));

  const LONG polyCount = GetPolygonCount(), pointCount = GetPointCount();
  const CPolygon* polys = GetPolygonR();
  const Vector* points = GetPointR();
  std::vector<Vector> faceNormals(static_cast<size_t>(polyCount));
  for (LONG i = 0; i < polyCount; i++) faceNormals[size_t(i)] = host::FaceNormal(points, pointCount, polys[i]);
  const PointPolygons pp = CollectPointPolygons(polys, polyCount, pointCount);

  const size_t count = size_t(polyCount) * 4;
  void* memory = std::malloc(sizeof(Vector) * (count ? count : 1));
  if (!memory) return nullptr;
  Vector* normals = static_cast<Vector*>(memory);
  for (LONG i = 0; i < polyCount; i++) {
    const CPolygon& p = polys[i];
    const LONG corners[4] = {p.a, p.b, p.c, p.d};
    for (int k = 0; k < 4; k++)
      new (&normals[size_t(i) * 4 + size_t(k)]) Vector(CornerNormal(i, corners[k], faceNormals, pp, limit, cosLimit));
  }
  return normals;
}

void GeFree(void* p) { std::free(p); }
