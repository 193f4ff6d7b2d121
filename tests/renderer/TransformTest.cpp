#include <gtest/gtest.h>

#include <cmath>

#include "render/Transform.h"

using renderer::render::Transform;
using renderer::render::Vec3;

namespace {

void ExpectNear(const Vec3& a, const Vec3& b) {
  EXPECT_NEAR(a.x, b.x, 1e-5f);
  EXPECT_NEAR(a.y, b.y, 1e-5f);
  EXPECT_NEAR(a.z, b.z, 1e-5f);
}

}  // namespace

// A normal must stay perpendicular to the surface it belongs to after the surface is placed:
// a rotation turns it as it turns the surface, a non-uniform scale tilts it the other way.
TEST(Transform, NormalsFollowTheirSurfaces) {
  const float quarter = float(M_PI / 2);
  const Transform turn = Transform::Rotation(Vec3(0, 0, 1), quarter);
  ExpectNear(turn.Vector(Vec3(1, 0, 0)), Vec3(0, 1, 0));
  ExpectNear(turn.Normal(Vec3(1, 0, 0)), Vec3(0, 1, 0));
  // A spot plane facing down stays facing down when turned about the vertical ...
  ExpectNear(turn.Normal(Vec3(0, 0, -1)), Vec3(0, 0, -1));
  // ... and faces along +y once tipped a quarter turn about x.
  ExpectNear(Transform::Rotation(Vec3(1, 0, 0), quarter).Normal(Vec3(0, 0, -1)), Vec3(0, 1, 0));

  // A slanted plane through (1,0,0) and (0,1,0), stretched along x, turned and mirrored.
  const Transform placed = Transform::Rotation(Vec3(1, 2, 3), 0.7f) * Transform::Scale(Vec3(3, 1, -0.5f));
  const Vec3 t1 = placed.Vector(Vec3(1, -1, 0)), t2 = placed.Vector(Vec3(0, 0, 1));
  const Vec3 n = placed.Normal(Vec3(1, 1, 0));
  EXPECT_NEAR(Dot(n, t1), 0.0f, 1e-5f);
  EXPECT_NEAR(Dot(n, t2), 0.0f, 1e-5f);
  EXPECT_NEAR(Dot(n, n), 1.0f, 1e-5f);
}
