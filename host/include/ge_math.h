// Basic types and vector/matrix arithmetic of the host interface.
#pragma once
#include <cmath>
#include <cstdint>

typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int64_t LLONG;
typedef float Real;
typedef double LReal;
typedef int Bool;
typedef char CHAR;
typedef unsigned char UCHAR;
typedef int16_t SWORD;
typedef uint16_t UWORD;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef NOTOK
#define NOTOK (-1)
#endif

const Real pi = 3.14159265358979323846f;
inline Real Rad(Real degrees) { return degrees * (pi / 180.0f); }
inline Real Deg(Real radians) { return radians * (180.0f / pi); }

struct Vector {
  Real x = 0, y = 0, z = 0;
  Vector() = default;
  explicit Vector(Real v) : x(v), y(v), z(v) {}
  Vector(Real x_, Real y_, Real z_) : x(x_), y(y_), z(z_) {}
  Vector operator+(const Vector& o) const { return Vector(x + o.x, y + o.y, z + o.z); }
  Vector operator-(const Vector& o) const { return Vector(x - o.x, y - o.y, z - o.z); }
  Vector operator-() const { return Vector(-x, -y, -z); }
  Vector operator*(Real s) const { return Vector(x * s, y * s, z * s); }
  Vector operator/(Real s) const { return Vector(x / s, y / s, z / s); }
  // The host's * between two vectors is the dot product and % the cross product.
  Real operator*(const Vector& o) const { return x * o.x + y * o.y + z * o.z; }
  Vector operator%(const Vector& o) const {
    return Vector(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
  }
  Vector& operator+=(const Vector& o) { x += o.x; y += o.y; z += o.z; return *this; }
  Vector& operator-=(const Vector& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
  Vector& operator*=(Real s) { x *= s; y *= s; z *= s; return *this; }
  bool operator==(const Vector& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const Vector& o) const { return !(*this == o); }
};
inline Vector operator*(Real s, const Vector& v) { return v * s; }
inline Real Len(const Vector& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
inline Vector operator!(const Vector& v) {
  Real l = Len(v);
  return l == 0 ? Vector() : v / l;
}
// Component-wise product.
inline Vector VMul(const Vector& a, const Vector& b) { return Vector(a.x * b.x, a.y * b.y, a.z * b.z); }

// A host matrix: an offset and the images of the three unit axes. A point p maps to
// off + p.x*v1 + p.y*v2 + p.z*v3.
struct Matrix {
  Vector off, v1{1, 0, 0}, v2{0, 1, 0}, v3{0, 0, 1};
  Matrix() = default;
  Matrix(const Vector& o, const Vector& a, const Vector& b, const Vector& c) : off(o), v1(a), v2(b), v3(c) {}
  Vector operator*(const Vector& p) const { return off + v1 * p.x + v2 * p.y + v3 * p.z; }
  Matrix operator*(const Matrix& m) const {
    return Matrix(*this * m.off, Rotate(m.v1), Rotate(m.v2), Rotate(m.v3));
  }
  Vector Rotate(const Vector& p) const { return v1 * p.x + v2 * p.y + v3 * p.z; }
  bool operator==(const Matrix& m) const { return off == m.off && v1 == m.v1 && v2 == m.v2 && v3 == m.v3; }
};
// Applies only the 3x3 part of the matrix.
inline Vector operator^(const Vector& p, const Matrix& m) { return m.Rotate(p); }
// Full inverse (assumes a non-singular matrix; a singular one gives the identity).
Matrix operator!(const Matrix& m);

// Heading, pitch, bank rotation (radians) of the host, applied as H about y, P about x, B about z.
Matrix HPBToMatrix(const Vector& hpb);
Vector MatrixToHPB(const Matrix& m);
// Splits the rotation part of a matrix into a unit axis and an angle in radians.
void MatrixToRotAxis(const Matrix& m, Vector* axis, Real* angle);
Matrix RotAxisToMatrix(const Vector& axis, Real angle);
