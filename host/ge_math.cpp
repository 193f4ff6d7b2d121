#include "ge_math.h"

Matrix operator!(const Matrix& m) {
  const Vector& a = m.v1;
  const Vector& b = m.v2;
  const Vector& c = m.v3;
  const LReal det = (LReal)a.x * (b.y * c.z - b.z * c.y) - (LReal)b.x * (a.y * c.z - a.z * c.y) +
                    (LReal)c.x * (a.y * b.z - a.z * b.y);
  if (det == 0) return Matrix();
  const LReal inv = 1.0 / det;
  Matrix r;
  // Rows of the inverse are the cross products of the columns, divided by the determinant.
  Vector r0 = b % c, r1 = c % a, r2 = a % b;
  r.v1 = Vector(Real(r0.x * inv), Real(r1.x * inv), Real(r2.x * inv));
  r.v2 = Vector(Real(r0.y * inv), Real(r1.y * inv), Real(r2.y * inv));
  r.v3 = Vector(Real(r0.z * inv), Real(r1.z * inv), Real(r2.z * inv));
  r.off = -r.Rotate(m.off);
  return r;
}

// The host is left-handed with y up: a positive pitch raises the z axis (looks up), a
// positive heading turns the z axis towards -x.
static Matrix RotX(Real a) {
  Real s = std::sin(a), c = std::cos(a);
  return Matrix(Vector(), Vector(1, 0, 0), Vector(0, c, -s), Vector(0, s, c));
}
static Matrix RotY(Real a) {
  Real s = std::sin(a), c = std::cos(a);
  return Matrix(Vector(), Vector(c, 0, s), Vector(0, 1, 0), Vector(-s, 0, c));
}
static Matrix RotZ(Real a) {
  Real s = std::sin(a), c = std::cos(a);
  return Matrix(Vector(), Vector(c, s, 0), Vector(-s, c, 0), Vector(0, 0, 1));
}

Matrix HPBToMatrix(const Vector& hpb) { return RotY(hpb.x) * RotX(hpb.y) * RotZ(hpb.z); }

Vector MatrixToHPB(const Matrix& m) {
  // Inverse of HPBToMatrix on the normalised axes: v3 = (-sinH cosP, sinP, cosH cosP).
  Vector x = !m.v1, y = !m.v2, z = !m.v3;
  Real sp = z.y;
  if (sp > 1) sp = 1;
  if (sp < -1) sp = -1;
  Real p = std::asin(sp);
  Real h, b;
  if (std::fabs(z.y) < 0.99999f) {
    h = std::atan2(-z.x, z.z);
    b = std::atan2(x.y, y.y);
  } else {
    // Gimbal lock: pitch is +-90 degrees, fold the bank into the heading.
    h = std::atan2(x.z, x.x);
    b = 0;
  }
  return Vector(h, p, b);
}

void MatrixToRotAxis(const Matrix& m, Vector* axis, Real* angle) {
  // Works on the normalised axes, so a scaled matrix gives the rotation of its directions.
  Vector a = !m.v1, b = !m.v2, c = !m.v3;
  LReal trace = (LReal)a.x + b.y + c.z;
  LReal cosA = (trace - 1.0) * 0.5;
  if (cosA > 1) cosA = 1;
  if (cosA < -1) cosA = -1;
  LReal ang = std::acos(cosA);
  Vector ax(b.z - c.y, c.x - a.z, a.y - b.x);
  if (Len(ax) < 1e-6f) {
    if (ang < 1e-3) {
      *axis = Vector(0, 1, 0);
      *angle = 0;
      return;
    }
    // 180 degrees: the axis is the column of (R + I) / 2 with the largest diagonal.
    LReal xx = (a.x + 1) * 0.5, yy = (b.y + 1) * 0.5, zz = (c.z + 1) * 0.5;
    if (xx >= yy && xx >= zz) ax = Vector(Real(std::sqrt(xx)), a.y / (2 * Real(std::sqrt(xx))), a.z / (2 * Real(std::sqrt(xx))));
    else if (yy >= zz) ax = Vector(b.x / (2 * Real(std::sqrt(yy))), Real(std::sqrt(yy)), b.z / (2 * Real(std::sqrt(yy))));
    else ax = Vector(c.x / (2 * Real(std::sqrt(zz))), c.y / (2 * Real(std::sqrt(zz))), Real(std::sqrt(zz)));
  }
  *axis = !ax;
  *angle = Real(ang);
}

Matrix RotAxisToMatrix(const Vector& axisIn, Real angle) {
  Vector u = !axisIn;
  Real c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  Matrix m;
  m.v1 = Vector(t * u.x * u.x + c, t * u.x * u.y + s * u.z, t * u.x * u.z - s * u.y);
  m.v2 = Vector(t * u.x * u.y - s * u.z, t * u.y * u.y + c, t * u.y * u.z + s * u.x);
  m.v3 = Vector(t * u.x * u.z + s * u.y, t * u.y * u.z - s * u.x, t * u.z * u.z + c);
  return m;
}
