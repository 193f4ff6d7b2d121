#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "c4d.h"
#include "host/BuiltinTypes.h"

// The polygon form of the primitive objects. Every primitive is built around its main axis +Y
// (a plane or disc faces +Y) and then turned to the axis PRIM_AXIS asks for. Polygons are wound
// so that the host's face normal, (b - a) % (c - a), points out of the solid; a quad
// a, b, c, d laid out on a grid as P(i, j), P(i, j + 1), P(i + 1, j + 1), P(i + 1, j) has the
// normal V % U, U being the step of i and V the step of j. Each polygon gets its texture
// coordinates in a UVW tag.

namespace host {

namespace {

const double kPi = 3.14159265358979323846;
const LONG kMaxSegments = 1000;  // per direction: a document cannot ask for billions of polygons

LONG Segments(const BaseContainer* bc, LONG id, LONG def, LONG minimum) {
  return std::min(kMaxSegments, std::max(minimum, bc->GetLong(id, def)));
}

Real Length(const BaseContainer* bc, LONG id, Real def) { return std::max(Real(0), bc->GetReal(id, def)); }

class MeshOut {
 public:
  LONG Point(const Vector& p) {
    points_.push_back(p);
    return LONG(points_.size() - 1);
  }
  void Quad(LONG a, LONG b, LONG c, LONG d, const UVWStruct& uv) {
    polys_.push_back(CPolygon(a, b, c, d));
    uvs_.push_back(uv);
  }
  void Triangle(LONG a, LONG b, LONG c, const Vector& ua, const Vector& ub, const Vector& uc) {
    polys_.push_back(CPolygon(a, b, c));
    uvs_.push_back(UVWStruct(ua, ub, uc, uc));
  }
  void Turn(const Matrix& m) {
    for (Vector& p : points_) p = m * p;
  }
  PolygonObject* Make() const {
    PolygonObject* op = PolygonObject::Alloc(LONG(points_.size()), LONG(polys_.size()));
    UVWTag* uvw = UVWTag::Alloc(LONG(uvs_.size()));
    if (!op || !uvw) {
      PolygonObject::Free(op);
      UVWTag::Free(uvw);
      return nullptr;
    }
    std::copy(points_.begin(), points_.end(), op->GetPointW());
    std::copy(polys_.begin(), polys_.end(), op->GetPolygonW());
    for (size_t i = 0; i < uvs_.size(); i++) uvw->Set(LONG(i), uvs_[i]);
    op->InsertTag(uvw);
    return op;
  }

 private:
  std::vector<Vector> points_;
  std::vector<CPolygon> polys_;
  std::vector<UVWStruct> uvs_;
};

Vector UV(double u, double v) { return Vector(Real(u), Real(v), 0); }

// Turns the +Y axis into the requested one; every value is a proper rotation, so windings
// and normals stay outward.
Matrix AxisMatrix(LONG axis) {
  switch (axis) {
    case PRIM_AXIS_XP: return Matrix(Vector(), Vector(0, -1, 0), Vector(1, 0, 0), Vector(0, 0, 1));
    case PRIM_AXIS_XN: return Matrix(Vector(), Vector(0, 1, 0), Vector(-1, 0, 0), Vector(0, 0, 1));
    case PRIM_AXIS_YN: return Matrix(Vector(), Vector(1, 0, 0), Vector(0, -1, 0), Vector(0, 0, -1));
    case PRIM_AXIS_ZP: return Matrix(Vector(), Vector(1, 0, 0), Vector(0, 0, 1), Vector(0, -1, 0));
    case PRIM_AXIS_ZN: return Matrix(Vector(), Vector(1, 0, 0), Vector(0, 0, -1), Vector(0, 1, 0));
    default: return Matrix();
  }
}

// A cube of size s with n segments per direction. The faces share the points along their
// edges, so the default cube has 8 points and 6 quads. The cube follows the object's own axes
// (PRIM_AXIS does not turn it), so its size vector stays x, y, z. Its texture coordinates
// unfold it as a cross in a 4 × 3 grid: the four sides in the middle row (-X, -Z, +X, +Z, in
// order around the cube), the top above and the bottom below the -Z side, each seen from
// outside; the default cube thus uses 14 distinct texture coordinates.
void BuildCube(const BaseContainer* bc, MeshOut& out) {
  const Vector size = bc->GetVector(PRIM_CUBE_LEN, Vector(200, 200, 200));
  const LONG n[3] = {Segments(bc, PRIM_CUBE_SUBX, 1, 1), Segments(bc, PRIM_CUBE_SUBY, 1, 1), Segments(bc, PRIM_CUBE_SUBZ, 1, 1)};
  const Real s[3] = {std::fabs(size.x), std::fabs(size.y), std::fabs(size.z)};
  std::unordered_map<LLONG, LONG> shared;
  auto point = [&](const LONG l[3]) {
    const LLONG key = (LLONG(l[0]) * (n[1] + 1) + l[1]) * (n[2] + 1) + l[2];
    auto it = shared.find(key);
    if (it != shared.end()) return it->second;
    Real c[3];
    for (int k = 0; k < 3; k++) c[k] = s[k] * (Real(l[k]) / Real(n[k]) - 0.5f);
    const LONG index = out.Point(Vector(c[0], c[1], c[2]));
    shared.emplace(key, index);
    return index;
  };
  // Each face: its fixed axis and side; the axes U and V of its grid, with V % U pointing
  // outwards; the axes (and directions) that are right and up in its cell of the cross; the
  // cell's column and row.
  struct Face {
    int axis, side, u, v;
    int right, rightSign, up, upSign;
    int column, row;
  };
  const Face faces[6] = {
      {0, 1, 2, 1, 2, 1, 1, 1, 2, 1},   // +X
      {0, 0, 1, 2, 2, -1, 1, 1, 0, 1},  // -X
      {1, 1, 0, 2, 0, 1, 2, 1, 1, 0},   // +Y
      {1, 0, 2, 0, 0, 1, 2, -1, 1, 2},  // -Y
      {2, 1, 1, 0, 0, -1, 1, 1, 3, 1},  // +Z
      {2, 0, 0, 1, 0, 1, 1, 1, 1, 1},   // -Z
  };
  for (const Face& f : faces) {
    auto lattice = [&](LONG i, LONG j, LONG l[3]) {
      l[f.axis] = f.side ? n[f.axis] : 0;
      l[f.u] = i;
      l[f.v] = j;
    };
    auto corner = [&](LONG i, LONG j, Vector& uv) {
      LONG l[3];
      lattice(i, j, l);
      const double right = double(l[f.right]) / n[f.right], up = double(l[f.up]) / n[f.up];
      const double cu = f.rightSign > 0 ? right : 1 - right, cv = f.upSign > 0 ? 1 - up : up;
      uv = UV((f.column + cu) / 4, (f.row + cv) / 3);
      return point(l);
    };
    for (LONG i = 0; i < n[f.u]; i++)
      for (LONG j = 0; j < n[f.v]; j++) {
        UVWStruct uv;
        const LONG a = corner(i, j, uv.a), b = corner(i, j + 1, uv.b), c = corner(i + 1, j + 1, uv.c), d = corner(i + 1, j, uv.d);
        out.Quad(a, b, c, d, uv);
      }
  }
}

// A grid in the XZ plane facing +Y: width along x, height along z.
void BuildPlane(const BaseContainer* bc, MeshOut& out) {
  const Real w = Length(bc, PRIM_PLANE_WIDTH, 400), h = Length(bc, PRIM_PLANE_HEIGHT, 400);
  const LONG nw = Segments(bc, PRIM_PLANE_SUBW, 20, 1), nh = Segments(bc, PRIM_PLANE_SUBH, 20, 1);
  for (LONG i = 0; i <= nw; i++)
    for (LONG j = 0; j <= nh; j++) out.Point(Vector(w * (Real(i) / nw - 0.5f), 0, h * (Real(j) / nh - 0.5f)));
  auto at = [nh](LONG i, LONG j) { return i * (nh + 1) + j; };
  for (LONG i = 0; i < nw; i++)
    for (LONG j = 0; j < nh; j++) {
      const double u0 = double(i) / nw, u1 = double(i + 1) / nw, v0 = 1 - double(j) / nh, v1 = 1 - double(j + 1) / nh;
      out.Quad(at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j), UVWStruct(UV(u0, v0), UV(u0, v1), UV(u1, v1), UV(u1, v0)));
    }
}

// Points on a circle of radius r at height y, counter-clockwise seen from +Y's side so that
// (tangent % radial) is +Y.
Vector OnCircle(double r, double y, LONG s, LONG segments) {
  const double t = 2 * kPi * double(s) / double(segments);
  return Vector(Real(r * std::cos(t)), Real(y), Real(r * std::sin(t)));
}

// Planar texture coordinates of a point of a disc of radius r in the XZ plane.
Vector DiscUV(const Vector& p, Real r) {
  return r > 0 ? UV(0.5 + 0.5 * p.x / r, 0.5 - 0.5 * p.z / r) : UV(0.5, 0.5);
}

// A fan of triangles from a centre point to a ring, facing +Y (up) or -Y.
void Fan(MeshOut& out, LONG centre, const std::vector<LONG>& ring, Real r, bool up, const std::vector<Vector>& pts) {
  const LONG n = LONG(ring.size());
  for (LONG s = 0; s < n; s++) {
    const LONG a = ring[size_t(s)], b = ring[size_t((s + 1) % n)];
    const Vector uc = DiscUV(pts[size_t(centre)], r), ua = DiscUV(pts[size_t(a)], r), ub = DiscUV(pts[size_t(b)], r);
    if (up) out.Triangle(centre, b, a, uc, ub, ua);
    else out.Triangle(centre, a, b, uc, ua, ub);
  }
}

void BuildDisc(const BaseContainer* bc, MeshOut& out) {
  const Real ro = Length(bc, PRIM_DISC_ORAD, 100);
  const Real ri = std::min(ro, Length(bc, PRIM_DISC_IRAD, 0));
  const LONG rings = Segments(bc, PRIM_DISC_SUB, 1, 1), segs = Segments(bc, PRIM_DISC_CSUB, 36, 3);
  std::vector<Vector> pts;
  auto add = [&](const Vector& p) {
    pts.push_back(p);
    return out.Point(p);
  };
  // Without a hole the innermost ring is a single centre point with a fan around it.
  const bool hole = ri > 0;
  std::vector<std::vector<LONG>> ring(size_t(rings) + 1);
  LONG centre = -1;
  for (LONG k = hole ? 0 : 1; k <= rings; k++) {
    const double r = ri + (ro - ri) * double(k) / rings;
    for (LONG s = 0; s < segs; s++) ring[size_t(k)].push_back(add(OnCircle(r, 0, s, segs)));
  }
  if (!hole) {
    centre = add(Vector());
    Fan(out, centre, ring[1], ro, true, pts);
  }
  for (LONG k = hole ? 0 : 1; k < rings; k++)
    for (LONG s = 0; s < segs; s++) {
      const LONG t = (s + 1) % segs;
      const LONG a = ring[size_t(k)][size_t(s)], b = ring[size_t(k)][size_t(t)];
      const LONG c = ring[size_t(k) + 1][size_t(t)], d = ring[size_t(k) + 1][size_t(s)];
      out.Quad(a, b, c, d, UVWStruct(DiscUV(pts[size_t(a)], ro), DiscUV(pts[size_t(b)], ro), DiscUV(pts[size_t(c)], ro), DiscUV(pts[size_t(d)], ro)));
    }
}

// A closed cylinder along +Y, centred on the origin, with a fan on each end.
void BuildCylinder(const BaseContainer* bc, MeshOut& out) {
  const Real r = Length(bc, PRIM_CYLINDER_RADIUS, 50), h = Length(bc, PRIM_CYLINDER_HEIGHT, 200);
  const LONG hs = Segments(bc, PRIM_CYLINDER_HSUB, 1, 1), segs = Segments(bc, PRIM_CYLINDER_SEG, 36, 3);
  std::vector<Vector> pts;
  std::vector<std::vector<LONG>> ring(size_t(hs) + 1);
  for (LONG j = 0; j <= hs; j++)
    for (LONG s = 0; s < segs; s++) {
      const Vector p = OnCircle(r, h * (double(j) / hs - 0.5), s, segs);
      pts.push_back(p);
      ring[size_t(j)].push_back(out.Point(p));
    }
  for (LONG j = 0; j < hs; j++)
    for (LONG s = 0; s < segs; s++) {
      const LONG t = (s + 1) % segs;
      const double u0 = double(s) / segs, u1 = double(s + 1) / segs, v0 = 1 - double(j) / hs, v1 = 1 - double(j + 1) / hs;
      out.Quad(ring[size_t(j)][size_t(s)], ring[size_t(j) + 1][size_t(s)], ring[size_t(j) + 1][size_t(t)], ring[size_t(j)][size_t(t)],
               UVWStruct(UV(u0, v0), UV(u0, v1), UV(u1, v1), UV(u1, v0)));
    }
  const LONG top = out.Point(Vector(0, 0.5f * h, 0));
  pts.push_back(Vector(0, 0.5f * h, 0));
  Fan(out, top, ring[size_t(hs)], r, true, pts);
  const LONG bottom = out.Point(Vector(0, -0.5f * h, 0));
  pts.push_back(Vector(0, -0.5f * h, 0));
  Fan(out, bottom, ring[0], r, false, pts);
}

// A sphere of latitude bands between single pole points; the hemisphere is its upper half,
// open at the equator.
void BuildSphere(const BaseContainer* bc, MeshOut& out) {
  const Real r = Length(bc, PRIM_SPHERE_RAD, 100);
  const LONG segs = Segments(bc, PRIM_SPHERE_SUB, 24, 3);
  const bool hemi = bc->GetLong(PRIM_SPHERE_TYPE, PRIM_SPHERE_TYPE_STANDARD) == PRIM_SPHERE_TYPE_HEMISPHERE;
  const LONG bands = hemi ? std::max<LONG>(1, segs / 4) : std::max<LONG>(2, segs / 2);
  const double last = hemi ? kPi / 2 : kPi;  // latitude angle from the top pole to the last ring
  const LONG northPole = out.Point(Vector(0, r, 0));
  std::vector<std::vector<LONG>> ring(size_t(bands) + 1);
  const LONG lastRing = hemi ? bands : bands - 1;
  for (LONG k = 1; k <= lastRing; k++) {
    const double phi = last * double(k) / bands;
    for (LONG s = 0; s < segs; s++) ring[size_t(k)].push_back(out.Point(OnCircle(r * std::sin(phi), r * std::cos(phi), s, segs)));
  }
  const LONG southPole = hemi ? -1 : out.Point(Vector(0, -r, 0));
  for (LONG k = 0; k < bands; k++)
    for (LONG s = 0; s < segs; s++) {
      const LONG t = (s + 1) % segs;
      const double u0 = double(s) / segs, u1 = double(s + 1) / segs;
      const double v0 = double(k) / bands * (hemi ? 0.5 : 1), v1 = double(k + 1) / bands * (hemi ? 0.5 : 1);
      if (k == 0) {
        out.Triangle(northPole, ring[1][size_t(t)], ring[1][size_t(s)], UV(0.5 * (u0 + u1), v0), UV(u1, v1), UV(u0, v1));
      } else if (k + 1 == bands && !hemi) {
        out.Triangle(ring[size_t(k)][size_t(s)], ring[size_t(k)][size_t(t)], southPole, UV(u0, v0), UV(u1, v0), UV(0.5 * (u0 + u1), v1));
      } else {
        out.Quad(ring[size_t(k)][size_t(s)], ring[size_t(k)][size_t(t)], ring[size_t(k) + 1][size_t(t)], ring[size_t(k) + 1][size_t(s)],
                 UVWStruct(UV(u0, v0), UV(u1, v0), UV(u1, v1), UV(u0, v1)));
      }
    }
}

}  // namespace

bool IsPrimitiveType(LONG type) {
  return type == Ocube || type == Oplane || type == Odisc || type == Ocylinder || type == Osphere;
}

PolygonObject* BuildPrimitive(const BaseObject* op) {
  if (!op || !IsPrimitiveType(op->GetType())) return nullptr;
  const BaseContainer* bc = op->GetDataInstance();
  MeshOut out;
  switch (op->GetType()) {
    case Ocube: BuildCube(bc, out); break;
    case Oplane: BuildPlane(bc, out); break;
    case Odisc: BuildDisc(bc, out); break;
    case Ocylinder: BuildCylinder(bc, out); break;
    default: BuildSphere(bc, out); break;
  }
  if (op->GetType() != Ocube) out.Turn(AxisMatrix(bc->GetLong(PRIM_AXIS, PRIM_AXIS_YP)));
  PolygonObject* poly = out.Make();
  if (poly) poly->SetName(op->GetName());
  return poly;
}

}  // namespace host
