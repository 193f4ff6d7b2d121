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
  // Filled from the back, last polygon first, so that each list comes out in increasing order
  // and start[p + 1] ends at the first entry of list p; one shift puts it at start[p].
  const LONG total = pp.start.back();
  pp.polys.resize(size_t(total));
  for (LONG i = polyCount - 1; i >= 0; i--)
    ForEachCorner(polys[i], [&](LONG p) {
      if (valid(p)) pp.polys[size_t(--pp.start[size_t(p) + 1])] = i;
    });
  for (size_t i = 0; i + 1 < pp.start.size(); i++) pp.start[i] = pp.start[i + 1];
  pp.start.back() = total;
  return pp;
}

// TRUE when every polygon around the point takes in every other one (its own normal within
// the angle of the other's, or without direction of its own): then every corner at the point
// sums the same normals in the same order, and the sum is made once for all of them. The dot
// product is the same both ways round, so each pair is looked at once.
bool AllTakeEachOther(const LONG* polys, LONG count, const std::vector<Vector>& faceNormals, Real cosLimit) {
  for (LONG i = 0; i < count; i++) {
    const Vector& a = faceNormals[size_t(polys[i])];
    const bool aTakesAll = a == Vector();
    for (LONG j = i; j < count; j++) {
      const Vector& b = faceNormals[size_t(polys[j])];
      // Within the angle both take each other; otherwise only two polygons without direction do.
      if (!(a * b >= cosLimit - 1e-6f) && !(aTakesAll && b == Vector())) return false;
    }
  }
  return true;
}

// A quick proof that every polygon around a point takes in every other one: when each unit
// normal is within an angle t of the direction of their sum, any two are within 2t of each
// other. It is trusted only with a margin well above the rounding of the dot products, so it
// never says yes where comparing each pair would say no; where it says no, the pairs are
// compared. Polygons without a direction are left to the comparison of pairs.
bool WithinOneCone(const LONG* polys, LONG count, const std::vector<Vector>& faceNormals, const Vector& sum,
                   Real cosLimit) {
  const Real length = Len(sum);
  if (!(length > 0)) return false;
  Real lowest = 1;
  for (LONG k = 0; k < count; k++) {
    const Vector& n = faceNormals[size_t(polys[k])];
    if (n == Vector()) return false;
    lowest = std::min(lowest, n * sum / length);
  }
  return lowest > 0 && 2 * lowest * lowest - 1 >= cosLimit + 1e-4f;
}

// The normal all corners at a point share, when they do: the normalised sum of the polygons'
// normals around it. FALSE when the corners may differ, or the sum has no length (each
// corner then keeps its own polygon's normal).
bool SharedNormal(LONG point, const std::vector<Vector>& faceNormals, const PointPolygons& pp, bool limit,
                  Real cosLimit, Vector* shared) {
  const LONG* polys = pp.polys.data() + pp.start[size_t(point)];
  const LONG count = pp.start[size_t(point) + 1] - pp.start[size_t(point)];
  if (count == 0) return false;
  Vector sum;
  for (LONG k = 0; k < count; k++) sum += faceNormals[size_t(polys[k])];
  if (limit && !WithinOneCone(polys, count, faceNormals, sum, cosLimit) &&
      !AllTakeEachOther(polys, count, faceNormals, cosLimit))
    return false;
  if (sum == Vector()) return false;
  *shared = !sum;
  return true;
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

  // Most points are smooth all round: their normal is made once, not once per corner. Without
  // an angle limit every point is: the sums are made straight from the polygons, adding in
  // the order a point's list of polygons would (increasing, a polygon once per corner there).
  std::vector<Vector> shared(static_cast<size_t>(pointCount));
  std::vector<bool> isShared(static_cast<size_t>(pointCount));
  PointPolygons pp;
  if (limit) {
    pp = CollectPointPolygons(polys, polyCount, pointCount);
    for (LONG p = 0; p < pointCount; p++)
      isShared[size_t(p)] = SharedNormal(p, faceNormals, pp, limit, cosLimit, &shared[size_t(p)]);
  } else {
    for (LONG i = 0; i < polyCount; i++)
      ForEachCorner(polys[i], [&](LONG p) {
        if (p >= 0 && p < pointCount) shared[size_t(p)] += faceNormals[size_t(i)];
      });
    for (LONG p = 0; p < pointCount; p++) {
      Vector& sum = shared[size_t(p)];
      isShared[size_t(p)] = sum != Vector();
      if (isShared[size_t(p)]) sum = !sum;
    }
  }

  const size_t count = size_t(polyCount) * 4;
  void* memory = std::malloc(sizeof(Vector) * (count ? count : 1));
  if (!memory) return nullptr;
  Vector* normals = static_cast<Vector*>(memory);
  for (LONG i = 0; i < polyCount; i++) {
    const CPolygon& p = polys[i];
    const LONG corners[4] = {p.a, p.b, p.c, p.d};
    for (int k = 0; k < 4; k++) {
      const LONG point = corners[k];
      const bool sharing = point >= 0 && point < pointCount && isShared[size_t(point)];
      // Without a limit a point shares no normal only when its sum has no length (or the
      // point is missing): each corner keeps its polygon's own then.
      Vector n;
      if (sharing) n = shared[size_t(point)];
      else if (limit) n = CornerNormal(i, point, faceNormals, pp, limit, cosLimit);
      else n = faceNormals[size_t(i)];
      new (&normals[size_t(i) * 4 + size_t(k)]) Vector(n);
    }
  }
  return normals;
}

void GeFree(void* p) { std::free(p); }
