#include <gtest/gtest.h>
#include <tinyxml.h>

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

struct SvgLine {
  double x1, y1, x2, y2;
  std::string stroke;
};

std::vector<SvgLine> LinesOfGroup(const TiXmlElement* svg, const std::string& id) {
  std::vector<SvgLine> lines;
  for (const TiXmlElement* g = svg->FirstChildElement("g"); g; g = g->NextSiblingElement("g")) {
    if (!g->Attribute("id") || g->Attribute("id") != id) continue;
    for (const TiXmlElement* l = g->FirstChildElement("line"); l; l = l->NextSiblingElement("line"))
      lines.push_back(SvgLine{std::atof(l->Attribute("x1")), std::atof(l->Attribute("y1")), std::atof(l->Attribute("x2")),
                              std::atof(l->Attribute("y2")), l->Attribute("stroke")});
  }
  return lines;
}

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

TEST(ViewCommand, DrawsTheRenderRegionInTheSafeFrame) {
  TempDir dir("view");
  json doc = RoomDocument();
  json& tag = doc["objects"][0]["tags"][0]["data"];
  tag["CAMERATAG_RENDER_REGION"] = true;
  tag["CAMERATAG_REGION_X1"] = 0;
  tag["CAMERATAG_REGION_X2"] = 400;
  tag["CAMERATAG_REGION_Y1"] = 0;
  tag["CAMERATAG_REGION_Y2"] = 300;
  const std::string path = dir.str("region.json"), svgPath = dir.str("view.svg");
  WriteFile(path, doc.dump());

  CommandRun r = Tavrell({"view", path, "-o", svgPath, "--width", "1000", "--height", "600"});
  ASSERT_EQ(r.code, 0) << r.err;
  TiXmlDocument svg;
  ASSERT_TRUE(svg.LoadFile(svgPath.c_str()));
  const TiXmlElement* root = svg.FirstChildElement("svg");
  ASSERT_NE(root, nullptr);
  // An 800 x 600 image in a 1000 x 600 view: the safe frame is the middle 800 columns.
  const TiXmlElement* safe = root->FirstChildElement("rect")->NextSiblingElement("rect");
  ASSERT_NE(safe, nullptr);
  EXPECT_STREQ(safe->Attribute("x"), "100");
  EXPECT_STREQ(safe->Attribute("width"), "800");
  EXPECT_FALSE(LinesOfGroup(root, "objects").empty());

  // The left half of the image's upper half, one pixel in from the frame's edge.
  const std::vector<SvgLine> region = LinesOfGroup(root, "node-drawing");
  ASSERT_EQ(region.size(), 4u);
  double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
  for (const SvgLine& l : region) {
    EXPECT_EQ(l.stroke, "#ff0000");
    left = std::min({left, l.x1, l.x2});
    right = std::max({right, l.x1, l.x2});
    top = std::min({top, l.y1, l.y2});
    bottom = std::max({bottom, l.y1, l.y2});
  }
  EXPECT_DOUBLE_EQ(left, 101.0);
  EXPECT_DOUBLE_EQ(right, 500.5);
  EXPECT_DOUBLE_EQ(top, 0.0);
  EXPECT_DOUBLE_EQ(bottom, 299.5);

  // The example as it ships has the region off: the tag draws nothing.
  r = Tavrell({"view", std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json", "-o", svgPath});
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(svg.LoadFile(svgPath.c_str()));
  EXPECT_TRUE(LinesOfGroup(svg.FirstChildElement("svg"), "node-drawing").empty());
}

TEST(ViewCommand, BadInputGivesOneLineAndNoFile) {
  TempDir dir("viewbad");
  json doc = RoomDocument();
  doc.erase("renderCamera");
  const std::string path = dir.str("nocamera.json"), svgPath = dir.str("view.svg");
  WriteFile(path, doc.dump());
  CommandRun r = Tavrell({"view", path, "-o", svgPath});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + path + ": the document has no scene camera to look through (set \"renderCamera\")\n");
  EXPECT_FALSE(fs::exists(svgPath));

  r = Tavrell({"view", std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json", "-o", svgPath, "--width", "0"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  EXPECT_FALSE(fs::exists(svgPath));

  r = Tavrell({"view", std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json", "-o", dir.str("no/such/folder/view.svg")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: cannot write " + dir.str("no/such/folder/view.svg") + "\n");
}
