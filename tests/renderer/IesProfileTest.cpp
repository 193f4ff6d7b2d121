// The LM-63 reader: the shipped default profile, interpolation, the symmetries the horizontal
// angles imply, and what a broken file says.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "IesProfile.h"
#include "render/RenderScene.h"

using renderer::IesProfile;

TEST(IesProfile, ReadsTheDefaultSpotAndInterpolatesItsAngles) {
  IesProfile spot;
  std::string error;
  ASSERT_TRUE(spot.Read(std::string(TAVRELL_SOURCE_DIR) + "/plugin/presets/default.ies", error)) << error;
  EXPECT_EQ(spot.VerticalAngles().size(), 19u);
  EXPECT_DOUBLE_EQ(spot.MaxCandela(), 2000);
  EXPECT_DOUBLE_EQ(spot.Candela(0, 0), 2000);
  EXPECT_DOUBLE_EQ(spot.Candela(17.5, 123), (2000 + 1852) / 2.0);  // halfway between 15 and 20 degrees
  EXPECT_DOUBLE_EQ(spot.Candela(45, 0), 0);
  EXPECT_DOUBLE_EQ(spot.Candela(120, 0), 0);  // beyond the last vertical angle
}

TEST(IesProfile, FoldsHorizontalAnglesByTheFilesSymmetryAndAppliesTheMultiplier) {
  IesProfile quadrant;
  std::string error;
  // Two horizontal angles, 0 and 90: a profile symmetric about both planes; multiplier 2.
  ASSERT_TRUE(quadrant.Parse("IESNA91\nTILT=INCLUDE\n1\n2\n0, 90\n1, 1\n1 -1 2.0 2 2 1 1 0 0 0\n1 1 0\n0 90\n0 90\n"
                             "100 0\n50 0\n",
                             "quadrant.ies", error))
      << error;
  EXPECT_DOUBLE_EQ(quadrant.Candela(0, 0), 200);
  EXPECT_DOUBLE_EQ(quadrant.Candela(0, 45), 150);
  EXPECT_DOUBLE_EQ(quadrant.Candela(0, 135), 150);
  EXPECT_DOUBLE_EQ(quadrant.Candela(0, 180), 200);
  EXPECT_DOUBLE_EQ(quadrant.Candela(0, 270), 100);
  EXPECT_DOUBLE_EQ(quadrant.Candela(45, 0), 100);

  const std::pair<const char*, const char*> broken[] = {
      {"IESNA:LM-63-2002\n1 2 3\n", "has no 'TILT=' line"},
      {"IESNA:LM-63-2002\nTILT=lamp.tlt\n", "names a separate tilt file"},
      {"IESNA:LM-63-2002\nTILT=NONE\n1 1000 1 0 1 1 2 0 0 0\n1 1 0\n", "an angle count of 0"},
      {"IESNA:LM-63-2002\nTILT=NONE\n1 1000 1 2 1 1 2 0 0 0\n1 1 0\n0 90\n0\n10 -1\n", "a candela value is negative"},
      {"IESNA:LM-63-2002\nTILT=NONE\n1 1000 1 2 1 1 2 0 0 0\n1 1 0\n90 0\n0\n10 1\n", "vertical angles must rise"},
      {"IESNA:LM-63-2002\nTILT=NONE\n1 1000 1 2 1 1 2 0 0 0\n1 1 0\n0 90\n0\n10 nan\n",
       "line 7: 'nan' is not a finite number (the candela values)"}};
  for (const auto& [text, message] : broken) {
    IesProfile profile;
    EXPECT_FALSE(profile.Parse(text, "x.ies", error)) << text;
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
}

TEST(IesProfile, ShapesAnEmitterAboutItsAxis) {
  auto profile = std::make_shared<IesProfile>();
  std::string error;
  ASSERT_TRUE(profile->Read(std::string(TAVRELL_SOURCE_DIR) + "/plugin/presets/default.ies", error)) << error;
  renderer::render::IesShape shape;
  shape.profile = profile;
  shape.axis = renderer::render::Vec3(0, 1, 0);
  shape.across = renderer::render::Vec3(1, 0, 0);
  const float c30 = std::cos(30 * 3.14159265f / 180), s30 = std::sin(30 * 3.14159265f / 180);
  EXPECT_FLOAT_EQ(shape.Factor(renderer::render::Vec3(0, 1, 0)), 1.0f);
  EXPECT_NEAR(shape.Factor(renderer::render::Vec3(s30, c30, 0)), 1000.0f / 2000, 1e-4f);
  EXPECT_NEAR(shape.Factor(renderer::render::Vec3(0, c30, -s30)), 1000.0f / 2000, 1e-4f);
  EXPECT_FLOAT_EQ(shape.Factor(renderer::render::Vec3(0, -1, 0)), 0.0f);
}
