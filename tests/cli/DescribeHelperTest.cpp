// tavrell describe on a material helper: the attribute view with its channel status lines.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "cli/CliRun.h"

using namespace testing_support;

TEST(DescribeHelper, ShowsWhatTheTypeUsesAndTheChannelStatus) {
  const std::string example = std::string(TAVRELL_SOURCE_DIR) + "/examples/materials.json";
  CommandRun r = RunCommand({"describe", example, "/Materials/Wood"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\n  MATHELPER_DIFFUSE_STATUS\t1257\tSTRING\t\"Texture\"\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n  MATHELPER_BUMP_STATUS\t1261\tSTRING\t\"Texture\"\n"), std::string::npos);
  EXPECT_NE(r.out.find("\n  MATHELPER_BLEND_STATUS\t1258\tSTRING\t\"none\"\n"), std::string::npos);
  EXPECT_NE(r.out.find("\n    MATHELPER_BUMP_B\t1087\tREAL\t0.002\n"), std::string::npos);
  EXPECT_EQ(r.out.find("MATHELPER_GROUP_MEDIUM"), std::string::npos);
  EXPECT_EQ(r.out.find("MATHELPER_PREVIEW\t"), std::string::npos);

  r = RunCommand({"describe", example, "/Materials/Gold"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\n  MATHELPER_EXTERNAL_MATERIAL\t1227\tCYCLE\t\"Gold\"\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("MATHELPER_GROUP_CHANNEL_STATUS"), std::string::npos);
}
