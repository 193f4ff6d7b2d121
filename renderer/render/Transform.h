// Placements of the render scene: an affine map (3 x 3 matrix, row by row, and an offset) and
// keyframed motion over the exposure (time 0 to 1) with rotations as axis and angle.
#pragma once
#include <vector>

#include "Vec3.h"

namespace renderer::render {

struct Transform {
  float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  Vec3 offset;

  Vec3 Point(const Vec3& p) const { return Vector(p) + offset; }
  Vec3 Vector(const Vec3& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
  }
  // Normals go through the inverse transpose; the result is normalised.
  Vec3 Normal(const Vec3& n) const;
  Transform operator*(const Transform& other) const;  // this after other
  static Transform Rotation(const Vec3& axis, float angle);  // right-handed, radians
  static Transform Scale(const Vec3& s);
};

// One keyframe of an element's motion: when (0 at the start of the exposure, 1 at its end),
// where and how rotated.
struct Keyframe {
  float time = 0;
  Vec3 pos;
  Vec3 axis{0, 0, 1};
  float angle = 0;
};

// The placement at a time between the keyframes: positions interpolated linearly, rotations
// along the shortest arc between them (quaternion slerp). Keyframes are sorted by time.
Transform InterpolateKeyframes(const std::vector<Keyframe>& keyframes, float time);

}  // namespace renderer::render
