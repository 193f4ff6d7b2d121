#include <algorithm>
#include <cmath>

#include "c4d_geometry.h"
#include "PolygonMath.h"

// Texture projection. The texture tag carries no placement of its own here: a projection
// works in the space of the object that carries the tag (the active camera's space for the
// frontal and camera projections, when the view has a camera), fitted to the bounding box of
// the projected object in that space. Coordinates are then normalised to [-1, 1] per axis and
// mapped to u to the right and v downwards, 0 to 1. The tag's offset and length parameters are
// left to the caller.

namespace {

const double kTwoPi = 6.28318530717958647692;

struct ProjectionSpace {
  std::vector<Vector> points;  // the object's points in normalised projection space
};

// The object's points in the projection space, fitted so that the bounding box spans [-1, 1]
// on every axis (an axis without extent maps to 0).
ProjectionSpace Normalise(const PolygonObject* poly, const Matrix& toSpace) {
  ProjectionSpace s;
  const LONG n = poly->GetPointCount();
  s.points.resize(size_t(n));
  if (n == 0) return s;
  Vector lo(HUGE_VALF), hi(-HUGE_VALF);
  for (LONG i = 0; i < n; i++) {
    const Vector q = toSpace * poly->GetPointR()[i];
    s.points[size_t(i)] = q;
    lo = Vector(std::min(lo.x, q.x), std::min(lo.y, q.y), std::min(lo.z, q.z));
    hi = Vector(std::max(hi.x, q.x), std::max(hi.y, q.y), std::max(hi.z, q.z));
  }
  const Vector centre = (lo + hi) * 0.5f;
  auto half = [](Real a, Real b) { return (b - a) * 0.5f > 1e-12f ? (b - a) * 0.5f : Real(0); };
  const Vector h(half(lo.x, hi.x), half(lo.y, hi.y), half(lo.z, hi.z));
  for (Vector& q : s.points) {
    const Vector d = q - centre;
    q = Vector(h.x > 0 ? d.x / h.x : 0, h.y > 0 ? d.y / h.y : 0, h.z > 0 ? d.z / h.z : 0);
  }
  return s;
}

// Planar coordinates (s to the right, t upwards, both in [-1, 1]) to texture coordinates.
Vector Planar(Real s, Real t) { return Vector(0.5f + 0.5f * s, 0.5f - 0.5f * t, 0); }

Real Longitude(const Vector& n) {
  if (n.x == 0 && n.z == 0) return 0.5f;
  return Real(0.5 + std::atan2(double(n.x), double(-n.z)) / kTwoPi);
}

Vector Spherical(const Vector& n) {
  const Real len = Len(n);
  if (len == 0) return Vector(0.5f, 0.5f, 0);
  const double lat = std::asin(std::max(-1.0, std::min(1.0, double(n.y / len))));
  return Vector(Longitude(n), Real(0.5 - lat / (kTwoPi / 2)), 0);
}

Vector Cylindrical(const Vector& n) { return Vector(Longitude(n), 0.5f - 0.5f * n.y, 0); }

// One of the six faces of a box, chosen by the polygon's normal, each seen from outside.
Vector Cubic(const Vector& n, const Vector& faceNormal) {
  const Real ax = std::fabs(faceNormal.x), ay = std::fabs(faceNormal.y), az = std::fabs(faceNormal.z);
  if (ax >= ay && ax >= az) return Planar(faceNormal.x > 0 ? n.z : -n.z, n.y);
  if (ay >= az) return Planar(n.x, faceNormal.y > 0 ? n.z : -n.z);
  return Planar(faceNormal.z > 0 ? -n.x : n.x, n.y);
}

// Around a seam the longitude of a polygon's corners jumps from near 1 to near 0; moving the
// small ones up by 1 keeps the polygon's texture in one piece. A corner on the axis (a pole)
// has no longitude of its own and takes the mean of the polygon's other corners.
void CloseSeam(Vector* c[4], const bool onAxis[4]) {
  Real lo = 2, hi = -1;
  for (int k = 0; k < 4; k++)
    if (!onAxis[k]) {
      lo = std::min(lo, c[k]->x);
      hi = std::max(hi, c[k]->x);
    }
  if (hi < lo) return;  // every corner on the axis
  if (hi - lo > 0.5f)
    for (int k = 0; k < 4; k++)
      if (!onAxis[k] && c[k]->x < 0.5f) c[k]->x += 1.0f;
  Real sum = 0;
  int n = 0;
  for (int k = 0; k < 4; k++)
    if (!onAxis[k]) {
      sum += c[k]->x;
      n++;
    }
  for (int k = 0; k < 4; k++)
    if (onAxis[k]) c[k]->x = sum / Real(n);
}

Matrix SpaceOf(LONG projection, BaseObject* op, const Matrix& texopmg, BaseDraw* view) {
  if (view && (projection == P_FRONTAL || projection == P_CAMERAMAP))
    if (BaseObject* cam = view->GetSceneCamera(op->GetDocument())) return cam->GetMg();
  return texopmg;
}

}  // namespace

UVWTag* GenerateUVW(BaseObject* op, const Matrix& opmg, TextureTag* tp, const Matrix& texopmg, BaseDraw* view) {
  if (!op || !tp || op->GetType() != Opolygon) return nullptr;
  const LONG projection = tp->GetDataInstance()->GetLong(TEXTURETAG_PROJECTION, P_UVW);
  if (projection < P_SPHERICAL || projection > P_CAMERAMAP || projection == P_UVW) return nullptr;

  const PolygonObject* poly = static_cast<const PolygonObject*>(op);
  const ProjectionSpace space = Normalise(poly, !SpaceOf(projection, op, texopmg, view) * opmg);
  const LONG polyCount = poly->GetPolygonCount();
  const LONG pointCount = poly->GetPointCount();
  UVWTag* tag = UVWTag::Alloc(polyCount);
  if (!tag) return nullptr;
  for (LONG i = 0; i < polyCount; i++) {
    const CPolygon& p = poly->GetPolygonR()[i];
    const Vector faceNormal = host::FaceNormal(space.points.data(), pointCount, p);
    UVWStruct uv;
    Vector* corners[4] = {&uv.a, &uv.b, &uv.c, &uv.d};
    const LONG index[4] = {p.a, p.b, p.c, p.d};
    bool onAxis[4] = {false, false, false, false};
    for (int k = 0; k < 4; k++) {
      if (index[k] < 0 || index[k] >= pointCount) continue;
      const Vector& n = space.points[size_t(index[k])];
      onAxis[k] = std::fabs(n.x) < 1e-5f && std::fabs(n.z) < 1e-5f;
      switch (projection) {
        case P_SPHERICAL:
        case P_SHRINKWRAP: *corners[k] = Spherical(n); break;
        case P_CYLINDRICAL: *corners[k] = Cylindrical(n); break;
        case P_CUBIC: *corners[k] = Cubic(n, faceNormal); break;
        default: *corners[k] = Planar(n.x, n.y); break;  // flat, spatial, frontal, camera
      }
    }
    if (projection == P_SPHERICAL || projection == P_SHRINKWRAP || projection == P_CYLINDRICAL) CloseSeam(corners, onAxis);
    tag->Set(i, uv);
  }
  return tag;
}
