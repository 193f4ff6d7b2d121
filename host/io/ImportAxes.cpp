#include "ImportAxes.h"

#include <assimp/scene.h>

#include <cmath>

namespace host {
namespace import {

namespace {

const Real kTwoPi = 6.28318530717958647692f;

// A unit vector perpendicular to n (which has unit length).
Vector AnyPerpendicular(const Vector& n) {
  const Vector helper = std::fabs(n.x) < 0.9f ? Vector(1, 0, 0) : Vector(0, 1, 0);
  return !(n % helper);
}

// The angle plus the whole turns that bring it closest to `target`.
Real Nearest(Real angle, Real target) { return angle + kTwoPi * std::round((target - angle) / kTwoPi); }

Vector NearestTurns(const Vector& hpb, const Vector& previous) {
  return Vector(Nearest(hpb.x, previous.x), Nearest(hpb.y, previous.y), Nearest(hpb.z, previous.z));
}

Real Distance(const Vector& a, const Vector& b) {
  return std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z);
}

}  // namespace

std::string ReaderOf(const aiScene& scene) {
  aiString value;
  return scene.mMetaData && scene.mMetaData->Get("SourceAsset_Format", value) ? std::string(value.C_Str()) : std::string();
}

bool TurnZUpSceneToYUp(aiScene& scene) {
  if (!scene.mRootNode || ReaderOf(scene).rfind("Blender 3D Importer", 0) != 0) return false;
  // Rows: x stays, z becomes y, y becomes -z.
  const aiMatrix4x4 zUpToYUp(1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1);
  scene.mRootNode->mTransformation = zUpToYUp * scene.mRootNode->mTransformation;
  return true;
}

Vector HostPoint(const aiVector3D& p, Real unit) { return Vector(p.x * unit, p.y * unit, -p.z * unit); }

Vector HostDirection(const aiVector3D& d) { return Vector(d.x, d.y, -d.z); }

Matrix HostMatrix(const aiMatrix4x4& m, Real unit) {
  // Columns of Assimp's matrix are the images of the axes; S M S negates the entries whose
  // row or column (not both) is z.
  return Matrix(Vector(m.a4 * unit, m.b4 * unit, -m.c4 * unit), Vector(m.a1, m.b1, -m.c1), Vector(m.a2, m.b2, -m.c2),
                Vector(-m.a3, -m.b3, m.c3));
}

bool IsFinite(const aiMatrix4x4& m) {
  for (unsigned r = 0; r < 4; r++)
    for (unsigned c = 0; c < 4; c++)
      if (!std::isfinite(m[r][c])) return false;
  return true;
}

bool IsIdentity(const Matrix& m, Real tolerance) {
  const Matrix id;
  return Distance(m.off, id.off) <= tolerance && Distance(m.v1, id.v1) <= tolerance &&
         Distance(m.v2, id.v2) <= tolerance && Distance(m.v3, id.v3) <= tolerance;
}

Placement Decompose(const Matrix& m) {
  Placement p;
  p.pos = m.off;
  Real sx = Len(m.v1), sy = Len(m.v2), sz = Len(m.v3);
  const Real tiny = 1e-12f;
  // An orthonormal frame from the axes (Gram-Schmidt); axes of zero length borrow a
  // direction from the others.
  Vector nx = sx > tiny ? m.v1 / sx : (sy > tiny && sz > tiny ? !(m.v2 % m.v3) : Vector(1, 0, 0));
  if (Len(nx) < 0.5f) nx = Vector(1, 0, 0);
  Vector ny = m.v2 - nx * (nx * m.v2);
  ny = Len(ny) > tiny ? !ny : (sz > tiny ? !(m.v3 % nx) : AnyPerpendicular(nx));
  if (Len(ny) < 0.5f) ny = AnyPerpendicular(nx);
  const Vector nz = nx % ny;
  // A mirroring matrix: its z axis points against the right-hand completion of x and y.
  if (nz * m.v3 < 0) sz = -sz;
  const Real shear = 1e-3f;
  if (sy > tiny && std::fabs(nx * m.v2) > shear * sy) p.sheared = true;
  if (sz != 0 && (std::fabs(nx * m.v3) > shear * std::fabs(sz) || std::fabs(ny * m.v3) > shear * std::fabs(sz)))
    p.sheared = true;
  p.scale = Vector(sx, sy, sz);
  p.rot = MatrixToHPB(Matrix(Vector(), nx, ny, nz));
  return p;
}

Placement Decompose(const Matrix& m, const Vector& previous) {
  Placement p = Decompose(m);
  // Heading, pitch, bank (h, p, b) and (h + pi, pi - p, b + pi) give the same rotation.
  const Vector a = NearestTurns(p.rot, previous);
  const Vector b = NearestTurns(Vector(p.rot.x + pi, pi - p.rot.y, p.rot.z + pi), previous);
  p.rot = Distance(a, previous) <= Distance(b, previous) ? a : b;
  return p;
}

void ApplyPlacement(BaseObject* op, const Placement& p) {
  op->SetPos(p.pos);
  op->SetRot(p.rot);
  op->SetScale(p.scale);
}

}  // namespace import
}  // namespace host
