// Three floats: points, directions and linear RGB colours of the render scene. The render
// scene's frame is the scene file's: right-handed, z up (the exporter writes host (x, y, z) as
// (x, z, y)).
#pragma once
#include <algorithm>
#include <cmath>

namespace renderer::render {

struct Vec3 {
  float x = 0, y = 0, z = 0;
  Vec3() = default;
  constexpr Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
  explicit constexpr Vec3(float v) : x(v), y(v), z(v) {}
  float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
  Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec3 operator*(const Vec3& o) const { return {x * o.x, y * o.y, z * o.z}; }
  Vec3 operator/(const Vec3& o) const { return {x / o.x, y / o.y, z / o.z}; }
  Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
  Vec3 operator/(float s) const { return {x / s, y / s, z / s}; }
  Vec3 operator-() const { return {-x, -y, -z}; }
  Vec3& operator+=(const Vec3& o) { return *this = *this + o; }
  Vec3& operator*=(const Vec3& o) { return *this = *this * o; }
  Vec3& operator*=(float s) { return *this = *this * s; }
};

// Linear RGB radiance, reflectance or weight.
using Rgb = Vec3;

inline Vec3 operator*(float s, const Vec3& v) { return v * s; }
inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }
inline Vec3 Normalize(const Vec3& v) {
  const float l = Length(v);
  return l > 0 ? v / l : Vec3(0, 0, 1);
}
inline float MaxComponent(const Vec3& v) { return std::max(v.x, std::max(v.y, v.z)); }
// Relative luminance of linear sRGB.
inline float Luminance(const Rgb& c) { return 0.2126f * c.x + 0.7152f * c.y + 0.0722f * c.z; }
inline bool IsBlack(const Rgb& c) { return c.x <= 0 && c.y <= 0 && c.z <= 0; }

// An orthonormal frame around a unit normal: local z is the normal.
struct Frame {
  Vec3 s, t, n;
  explicit Frame(const Vec3& normal) : n(normal) {
    // Duff et al., "Building an Orthonormal Basis, Revisited".
    const float sign = std::copysign(1.0f, n.z);
    const float a = -1.0f / (sign + n.z);
    const float b = n.x * n.y * a;
    s = Vec3(1.0f + sign * n.x * n.x * a, sign * b, -sign * n.x);
    t = Vec3(b, sign + n.y * n.y * a, -n.y);
  }
  Vec3 ToLocal(const Vec3& v) const { return {Dot(v, s), Dot(v, t), Dot(v, n)}; }
  Vec3 ToWorld(const Vec3& v) const { return s * v.x + t * v.y + n * v.z; }
};

constexpr float kPi = 3.14159265358979323846f;
constexpr float kInvPi = 1.0f / kPi;

}  // namespace renderer::render
