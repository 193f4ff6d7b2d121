// Splitting polygons of more than four corners, which the host cannot hold.
#include <cmath>

#include "ImportMeshes.h"

namespace host {
namespace import {

namespace {

struct Point2 {
  double x, y;
};

double Cross(const Point2& o, const Point2& a, const Point2& b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

// The polygon projected onto the plane its normal is most nearly perpendicular to,
// oriented so that it runs counter-clockwise.
std::vector<Point2> Project(const std::vector<Vector>& c) {
  Vector n;
  for (size_t k = 0; k < c.size(); k++) {
    const Vector& u = c[k];
    const Vector& v = c[(k + 1) % c.size()];
    n += Vector((u.y - v.y) * (u.z + v.z), (u.z - v.z) * (u.x + v.x), (u.x - v.x) * (u.y + v.y));
  }
  const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
  std::vector<Point2> p(c.size());
  for (size_t k = 0; k < c.size(); k++) {
    if (az >= ax && az >= ay) p[k] = Point2{c[k].x, c[k].y};
    else if (ay >= ax) p[k] = Point2{c[k].z, c[k].x};
    else p[k] = Point2{c[k].y, c[k].z};
  }
  double area = 0;
  for (size_t k = 0; k < p.size(); k++) area += p[k].x * p[(k + 1) % p.size()].y - p[(k + 1) % p.size()].x * p[k].y;
  if (area < 0)
    for (Point2& q : p) q.x = -q.x;
  return p;
}

bool IsConvex(const std::vector<Point2>& p) {
  for (size_t k = 0; k < p.size(); k++)
    if (Cross(p[k], p[(k + 1) % p.size()], p[(k + 2) % p.size()]) < 0) return false;
  return true;
}

// Quads fanned out from the first corner, and a closing triangle when one corner is left.
std::vector<std::vector<unsigned>> Fan(const std::vector<unsigned>& idx) {
  std::vector<std::vector<unsigned>> pieces;
  const size_t n = idx.size();
  size_t k = 1;
  for (; k + 2 < n; k += 2) pieces.push_back({idx[0], idx[k], idx[k + 1], idx[k + 2]});
  if (k + 1 < n) pieces.push_back({idx[0], idx[k], idx[k + 1]});
  return pieces;
}

bool Inside(const Point2& q, const Point2& a, const Point2& b, const Point2& c) {
  return Cross(a, b, q) >= 0 && Cross(b, c, q) >= 0 && Cross(c, a, q) >= 0;
}

std::vector<std::vector<unsigned>> EarClip(const std::vector<Point2>& p) {
  std::vector<unsigned> left(p.size());
  for (unsigned k = 0; k < left.size(); k++) left[k] = k;
  std::vector<std::vector<unsigned>> pieces;
  while (left.size() > 3) {
    bool clipped = false;
    const size_t n = left.size();
    for (size_t k = 0; k < n && !clipped; k++) {
      const unsigned a = left[(k + n - 1) % n], b = left[k], c = left[(k + 1) % n];
      if (Cross(p[a], p[b], p[c]) <= 0) continue;  // a reflex or flat corner is no ear
      bool empty = true;
      for (unsigned q : left)
        if (q != a && q != b && q != c && Inside(p[q], p[a], p[b], p[c])) empty = false;
      if (!empty) continue;
      pieces.push_back({a, b, c});
      left.erase(left.begin() + long(k));
      clipped = true;
    }
    if (!clipped) {
      // Self-intersecting or degenerate: fan out what is left.
      for (auto& piece : Fan(left)) pieces.push_back(piece);
      return pieces;
    }
  }
  pieces.push_back({left[0], left[1], left[2]});
  return pieces;
}

}  // namespace

std::vector<std::vector<unsigned>> SplitPolygon(const std::vector<Vector>& corners) {
  const std::vector<Point2> p = Project(corners);
  if (IsConvex(p)) {
    std::vector<unsigned> idx(corners.size());
    for (unsigned k = 0; k < idx.size(); k++) idx[k] = k;
    return Fan(idx);
  }
  return EarClip(p);
}

}  // namespace import
}  // namespace host
