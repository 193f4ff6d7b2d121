#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "App.h"
#include "TestSupport.h"
#include "cli/CliRun.h"

using namespace testing_support;
using json = nlohmann::json;

namespace {

CommandRun Tavrell(std::vector<std::string> args) {
  args.insert(args.begin(), {"--plugin-dir", TAVRELL_PLUGIN_DIR});
  return RunCommand(args);
}

bool HasLine(const std::string& out, const std::string& start) {
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (line.find_first_not_of(' ') != std::string::npos && line.substr(line.find_first_not_of(' ')).rfind(start, 0) == 0)
      return true;
  return false;
}

json RoomDocument() { return json::parse(ReadFile(std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json")); }

}  // namespace

TEST(DescribeCommand, ShowsWhatTheAttributeViewShows) {
  TempDir dir("describe");
  json doc = RoomDocument();
  doc["objects"][0]["tags"][0]["data"]["CAMERATAG_TONEMAPPING"] = "CAMERATAG_TONEMAPPING_LINEAR";
  const std::string path = dir.str("linear.json");
  WriteFile(path, doc.dump());

  CommandRun r = Tavrell({"describe", path, "/Camera", "--tag", "TCameraTag"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(HasLine(r.out, "CAMERATAG_TONEMAPPING\t1945\tCYCLE\tCAMERATAG_TONEMAPPING_LINEAR"));
  EXPECT_TRUE(HasLine(r.out, "CAMERATAG_WHITE_BALANCE\t1917\tCYCLE\tCAMERATAG_WB_D65"));
  EXPECT_TRUE(HasLine(r.out, "CAMERATAG_TONE_SCALE\t1949\tREAL\t3"));
  // Linear tone mapping has no post scale, burn or response function.
  for (const char* hidden : {"CAMERATAG_POST_SCALE\t", "CAMERATAG_BURN\t", "CAMERATAG_GROUP_RESPONSE\t", "CAMERATAG_FILM_ISO\t",
                             "CAMERATAG_RESPONSE_FUNCTION\t"})
    EXPECT_FALSE(HasLine(r.out, hidden)) << hidden;

  r = Tavrell({"describe", path, "Camera", "--tag", "TCameraTag", "--all"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(HasLine(r.out, "CAMERATAG_POST_SCALE\t1950\tREAL\t1\t(hidden)"));
  EXPECT_TRUE(HasLine(r.out, "CAMERATAG_RESPONSE_FUNCTION\t1944\tFILENAME\t\"data/camera_response_functions/Advantix-100CD.txt\"\t(hidden)"));

  // The render settings node of the example: sky light with its sun, centimetres.
  r = Tavrell({"describe", std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json", "--video-post", "oMyRenderSettings"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(HasLine(r.out, "RENDERSETTINGS_UNIT\t1386\tCYCLE\tRENDERSETTINGS_UNIT_CM"));
  EXPECT_TRUE(HasLine(r.out, "RENDERSETTINGS_SUN\t1301\tLINK\t/Sun"));
  EXPECT_NE(r.out.find("\n  RENDERSETTINGS_SUN\t"), std::string::npos);
  EXPECT_FALSE(HasLine(r.out, "RENDERSETTINGS_BACKGROUND_MATERIAL\t"));
  EXPECT_FALSE(HasLine(r.out, "RENDERSETTINGS_CUSTOM_SCALE\t"));
}

TEST(DescribeCommand, NodesItCannotDescribeGiveOneLineAndAnError) {
  const std::string room = std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json";
  CommandRun r = Tavrell({"describe", room, "/Nowhere"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + room + ": no object '/Nowhere'\n");
  r = Tavrell({"describe", room, "/Camera"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: /Camera is one of the host's own nodes; it has no plug-in description\n");
  r = Tavrell({"describe", room, "/Sun", "--tag", "TCameraTag"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + room + ": /Sun has no tag TCameraTag\n");
  r = Tavrell({"describe", room, "/Camera", "--tag", "TNoSuchTag"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: unknown node type 'TNoSuchTag'\n");
}
