// Choosing the Phong tag that reproduces a file's smoothing.
#include <algorithm>
#include <cmath>

#include "ImportAxes.h"
#include "ImportMeshes.h"

namespace host {
namespace import {

namespace {

// Faces meeting at less than this angle (radians) lie in one plane.
const Real kFlat = 0.002f;
// Angles between faces are counted in bins of a hundredth of a degree.
const int kBins = 18000;

// Corners of a polygon: three for a triangle (c == d), else four.
int CornerCount(const CPolygon& p) { return p.c == p.d ? 3 : 4; }

LONG Corner(const CPolygon& p, int k) { return k == 0 ? p.a : k == 1 ? p.b : k == 2 ? p.c : p.d; }

// Newell's normal: robust for quads that are not quite flat.
Vector FaceNormal(const std::vector<Vector>& points, const CPolygon& p) {
  const int n = CornerCount(p);
  Vector sum;
  for (int k = 0; k < n; k++) {
    const Vector& u = points[size_t(Corner(p, k))];
    const Vector& v = points[size_t(Corner(p, (k + 1) % n))];
    sum += Vector((u.y - v.y) * (u.z + v.z), (u.z - v.z) * (u.x + v.x), (u.x - v.x) * (u.y + v.y));
  }
  return !sum;
}

// Two corner normals the file draws as one (a smooth edge), with a tolerance of half a degree.
bool SameNormal(const Vector& a, const Vector& b) {
  // Corners of one vertex of the file have one normal: equal normals of a length whose
  // square is a normal float need no square roots (their quotient is 1 within rounding).
  if (a == b) {
    const Real square = a * a;
    if (square >= 1e-30f && square <= 1e30f) return true;
  }
  const Real la = Len(a), lb = Len(b);
  if (la == 0 || lb == 0 || !std::isfinite(la) || !std::isfinite(lb)) return la == lb;
  return (a * b) / (la * lb) > 0.99996f;
}

// One polygon edge, kept at the point it starts from.
struct HalfEdge {
  LONG to;
  LONG poly;
  int slot;  // corner slot of the start point in the polygon
};

// How many shared edges of each angle the file draws smooth and hard.
struct AngleCounts {
  std::vector<size_t> smooth = std::vector<size_t>(kBins, 0), hard = std::vector<size_t>(kBins, 0);
  std::vector<Real> lo = std::vector<Real>(kBins, 0), hi = std::vector<Real>(kBins, 0);
  size_t smoothTotal = 0;

  void Add(Real angle, bool isSmooth) {
    const int b = std::min(kBins - 1, std::max(0, int(angle / pi * kBins)));
    if (smooth[size_t(b)] + hard[size_t(b)] == 0) lo[size_t(b)] = hi[size_t(b)] = angle;
    lo[size_t(b)] = std::min(lo[size_t(b)], angle);
    hi[size_t(b)] = std::max(hi[size_t(b)], angle);
    (isSmooth ? smooth : hard)[size_t(b)]++;
    smoothTotal += isSmooth ? 1 : 0;
  }
};

// With `firstEdgeTells`, counting stops at the first edge that counts.
AngleCounts CountSharedEdges(const std::vector<Vector>& points, const std::vector<CPolygon>& polygons,
                             const CornerNormals& normals, bool firstEdgeTells) {
  // Half-edges grouped by start point (counting sort), so that the faces on either side of an
  // edge are found by looking at a few neighbours of its end point.
  const size_t np = points.size();
  std::vector<LONG> first(np + 1, 0);
  for (const CPolygon& p : polygons)
    for (int k = 0; k < CornerCount(p); k++) first[size_t(Corner(p, k)) + 1]++;
  for (size_t i = 0; i < np; i++) first[i + 1] += first[i];
  std::vector<HalfEdge> half(static_cast<size_t>(first[np]));
  std::vector<LONG> fill(first.begin(), first.end() - 1);
  std::vector<Vector> faceNormals(polygons.size());
  for (size_t i = 0; i < polygons.size(); i++) {
    const CPolygon& p = polygons[i];
    faceNormals[i] = FaceNormal(points, p);
    const int n = CornerCount(p);
    for (int k = 0; k < n; k++) half[size_t(fill[size_t(Corner(p, k))]++)] = HalfEdge{Corner(p, (k + 1) % n), LONG(i), k};
  }
  auto slotOf = [&](LONG poly, LONG point) {
    const CPolygon& p = polygons[size_t(poly)];
    for (int k = 0; k < CornerCount(p); k++)
      if (Corner(p, k) == point) return k;
    return -1;
  };
  AngleCounts counts;
  for (size_t u = 0; u < np; u++) {
    for (LONG h = first[u]; h < first[u + 1]; h++) {
      const HalfEdge& e = half[size_t(h)];
      const LONG v = e.to;
      if (v <= LONG(u)) continue;  // each edge once, from its lower point
      // The other faces along the edge: half-edges v -> u (consistent winding) and other
      // u -> v (flipped faces). Only edges of exactly two faces count.
      LONG other = -1, uses = 1;
      for (LONG g = first[size_t(v)]; g < first[size_t(v) + 1]; g++)
        if (half[size_t(g)].to == LONG(u)) uses++, other = half[size_t(g)].poly;
      for (LONG g = first[u]; g < first[u + 1]; g++)
        if (g != h && half[size_t(g)].to == v) uses++, other = half[size_t(g)].poly;
      if (uses != 2 || other == e.poly) continue;
      const Vector& na = faceNormals[size_t(e.poly)];
      const Vector& nb = faceNormals[size_t(other)];
      // Face normals are of unit length or zero.
      if (na == Vector() || nb == Vector()) continue;
      // Faces this close to parallel are flat whatever acos rounds to (acos(0.999999) is
      // about 0.0014): most edges of a fine mesh end here without one.
      const Real cosine = na * nb;
      if (cosine >= 0.999999f) continue;
      const Real angle = std::acos(std::max(-1.0f, std::min(1.0f, cosine)));
      // Between faces in one plane smooth and hard look the same: such edges tell nothing.
      if (angle <= kFlat) continue;
      const int su = slotOf(other, LONG(u)), sv = slotOf(other, v);
      const int eu = e.slot, ev = (e.slot + 1) % CornerCount(polygons[size_t(e.poly)]);
      if (su < 0 || sv < 0) continue;
      const size_t a = size_t(e.poly) * 4, b = size_t(other) * 4;
      counts.Add(angle, SameNormal(normals.Of(a + size_t(eu)), normals.Of(b + size_t(su))) &&
                            SameNormal(normals.Of(a + size_t(ev)), normals.Of(b + size_t(sv))));
      if (firstEdgeTells) return counts;
    }
  }
  return counts;
}

}  // namespace

Vector CornerNormals::Of(size_t corner) const {
  if (!onePointPerVertex) return HostDirection(normals[vertexOfCorner[corner]]);
  const LONG point = Corner((*polygons)[corner / 4], int(corner % 4));
  return HostDirection(normals[vertexOfPoint[size_t(point)]]);
}

namespace {

// When each point came from one vertex of the file, both faces along an edge take their
// corners' normals from the same two vertices; when each vertex's normal is also the same as
// itself (a number of usable length), every edge that counts is smooth, and the first such
// edge decides as much as all of them: smooth without an angle limit.
bool EveryEdgeSmooth(const CornerNormals& normals) {
  if (!normals.onePointPerVertex) return false;
  for (size_t v = 0; v < normals.vertexCount; v++) {
    const Vector n = HostDirection(normals.normals[v]);
    if (!SameNormal(n, n)) return false;
  }
  return true;
}

// How many polygon edges run between points u and v, either way.
size_t EdgesBetween(const std::vector<CPolygon>& polygons, LONG u, LONG v) {
  size_t count = 0;
  for (const CPolygon& p : polygons) {
    const int n = CornerCount(p);
    for (int k = 0; k < n; k++) {
      const LONG from = Corner(p, k), to = Corner(p, (k + 1) % n);
      count += (from == u && to == v) || (from == v && to == u) ? 1 : 0;
    }
  }
  return count;
}

bool HasEdge(const CPolygon& p, LONG from, LONG to) {
  const int n = CornerCount(p);
  for (int k = 0; k < n; k++)
    if (Corner(p, k) == from && Corner(p, (k + 1) % n) == to) return true;
  return false;
}

// Looks for an edge that the full count would count (two faces, seen from its lower point,
// not flat) among polygons close to each other at the start of the list, where a mesh's
// neighbours usually are, checking each one found against every polygon. FALSE when none
// turns up after a few tries: the full count must decide then.
bool NearbyCountingEdge(const std::vector<Vector>& points, const std::vector<CPolygon>& polygons) {
  const size_t n = polygons.size();
  int checked = 0;
  for (size_t i = 0; i < std::min<size_t>(n, 256); i++) {
    const CPolygon& p = polygons[i];
    for (size_t j = i + 1; j < std::min(n, i + 8); j++) {
      const CPolygon& q = polygons[j];
      for (int k = 0; k < CornerCount(p); k++) {
        const LONG u = Corner(p, k), v = Corner(p, (k + 1) % CornerCount(p));
        const bool along = HasEdge(q, u, v), against = HasEdge(q, v, u);
        // Both edges from the higher point: the count never looks at such an edge.
        if (u == v || (!along && !against) || (u > v && !against)) continue;
        const Vector na = FaceNormal(points, p), nb = FaceNormal(points, q);
        if (na == Vector() || nb == Vector()) continue;
        const Real cosine = na * nb;
        if (cosine >= 0.999999f || std::acos(std::max(-1.0f, std::min(1.0f, cosine))) <= kFlat) continue;
        if (EdgesBetween(polygons, u, v) == 2) return true;
        if (++checked == 8) return false;
      }
    }
  }
  return false;
}

}  // namespace

Smoothing ChooseSmoothing(const std::vector<Vector>& points, const std::vector<CPolygon>& polygons,
                          const CornerNormals* cornerNormals) {
  Smoothing s;
  if (!cornerNormals) {
    s.phong = true;  // no normals in the file: the host's default smoothing
    return s;
  }
  const bool everyEdgeSmooth = EveryEdgeSmooth(*cornerNormals);
  if (everyEdgeSmooth && NearbyCountingEdge(points, polygons)) {
    s.phong = true;
    s.angleLimit = false;
    return s;
  }
  const AngleCounts c = CountSharedEdges(points, polygons, *cornerNormals, everyEdgeSmooth);
  // A limit placed after bin j smooths the edges up to it and keeps the rest hard; count the
  // edges each placement gets wrong and keep the best one (j = -1: no smoothing at all).
  size_t bestErrors = c.smoothTotal, hardBelow = 0, smoothBelow = 0;
  int best = -1, lastUsed = -1;
  for (int j = 0; j < kBins; j++) {
    if (c.smooth[size_t(j)] + c.hard[size_t(j)] == 0) continue;
    hardBelow += c.hard[size_t(j)];
    smoothBelow += c.smooth[size_t(j)];
    lastUsed = j;
    const size_t errors = hardBelow + (c.smoothTotal - smoothBelow);
    if (errors < bestErrors) {
      bestErrors = errors;
      best = j;
    }
  }
  if (best < 0) return s;  // flat
  s.phong = true;
  if (best == lastUsed) {
    s.angleLimit = false;  // every shared edge is smooth
    return s;
  }
  int next = best + 1;
  while (c.smooth[size_t(next)] + c.hard[size_t(next)] == 0) next++;
  s.angleLimit = true;
  s.angle = (c.hi[size_t(best)] + c.lo[size_t(next)]) * 0.5f;
  return s;
}

}  // namespace import
}  // namespace host
