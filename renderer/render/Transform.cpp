#include "Transform.h"

#include <cmath>

namespace renderer::render {

namespace {

struct Quaternion {
  float w = 1, x = 0, y = 0, z = 0;
};

Quaternion FromAxisAngle(const Vec3& axis, float angle) {
  const Vec3 a = Normalize(axis);
  const float s = std::sin(angle / 2);
  return {std::cos(angle / 2), a.x * s, a.y * s, a.z * s};
}

Quaternion Slerp(Quaternion a, Quaternion b, float t) {
  float d = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
  if (d < 0) {
    b = {-b.w, -b.x, -b.y, -b.z};
    d = -d;
  }
  float wa = 1 - t, wb = t;
  if (d < 0.9995f) {
    const float theta = std::acos(d), s = std::sin(theta);
    wa = std::sin((1 - t) * theta) / s;
    wb = std::sin(t * theta) / s;
  }
  Quaternion q{wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z};
  const float l = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
  return {q.w / l, q.x / l, q.y / l, q.z / l};
}

Transform ToTransform(const Quaternion& q) {
  Transform t;
  const float w = q.w, x = q.x, y = q.y, z = q.z;
  t.m[0][0] = 1 - 2 * (y * y + z * z);
  t.m[0][1] = 2 * (x * y - w * z);
  t.m[0][2] = 2 * (x * z + w * y);
  t.m[1][0] = 2 * (x * y + w * z);
  t.m[1][1] = 1 - 2 * (x * x + z * z);
  t.m[1][2] = 2 * (y * z - w * x);
  t.m[2][0] = 2 * (x * z - w * y);
  t.m[2][1] = 2 * (y * z + w * x);
  t.m[2][2] = 1 - 2 * (x * x + y * y);
  return t;
}

}  // namespace

Vec3 Transform::Normal(const Vec3& n) const {
  // The cofactor matrix is the inverse transpose up to the determinant's scale.
  const Vec3 r0(m[0][0], m[0][1], m[0][2]), r1(m[1][0], m[1][1], m[1][2]), r2(m[2][0], m[2][1], m[2][2]);
  const Vec3 c0 = Cross(r1, r2), c1 = Cross(r2, r0), c2 = Cross(r0, r1);
  const float det = Dot(r0, c0);
  const Vec3 out = c0 * n.x + c1 * n.y + c2 * n.z;
  return Normalize(det < 0 ? -out : out);
}

Transform Transform::operator*(const Transform& o) const {
  Transform r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
  r.offset = Point(o.offset);
  return r;
}

Transform Transform::Rotation(const Vec3& axis, float angle) { return ToTransform(FromAxisAngle(axis, angle)); }

Transform Transform::Scale(const Vec3& s) {
  Transform t;
  t.m[0][0] = s.x;
  t.m[1][1] = s.y;
  t.m[2][2] = s.z;
  return t;
}

Transform InterpolateKeyframes(const std::vector<Keyframe>& keys, float time) {
  if (keys.empty()) return Transform();
  std::size_t i = 0;
  while (i + 2 < keys.size() && time > keys[i + 1].time) ++i;
  const Keyframe& a = keys[i];
  const Keyframe& b = keys[std::min(i + 1, keys.size() - 1)];
  const float span = b.time - a.time;
  const float t = span > 0 ? std::min(1.0f, std::max(0.0f, (time - a.time) / span)) : 0.0f;
  Transform r = ToTransform(Slerp(FromAxisAngle(a.axis, a.angle), FromAxisAngle(b.axis, b.angle), t));
  r.offset = a.pos * (1 - t) + b.pos * t;
  return r;
}

}  // namespace renderer::render
