// Small geometry helpers shared by the host's polygon code (not part of the plug-in interface).
#pragma once
#include "c4d_baseobject.h"

namespace host {

// The unit normal of a polygon: (b - a) % (c - a) for a triangle, the cross product of the
// diagonals (c - a) % (d - b) for a quad; the zero vector for a degenerate polygon or one with
// a point index outside [0, pointCount).
inline Vector FaceNormal(const Vector* points, LONG pointCount, const CPolygon& p) {
  auto ok = [pointCount](LONG i) { return i >= 0 && i < pointCount; };
  if (!ok(p.a) || !ok(p.b) || !ok(p.c) || !ok(p.d)) return Vector();
  const Vector& a = points[p.a];
  const Vector& b = points[p.b];
  const Vector& c = points[p.c];
  const Vector& d = points[p.d];
  const Vector n = p.c == p.d ? (b - a) % (c - a) : (c - a) % (d - b);
  return !n;
}

}  // namespace host
