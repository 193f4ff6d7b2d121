// The view picture: formats by suffix, its size, named groups, the render region, the mask's
// pixel-centre rule, spheres, and the flags that pick the camera and the time.
#include <cairo.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>

#include "TestSupport.h"
#include "cli/CliRun.h"

using namespace testing_support;
using json = nlohmann::json;

namespace {

// The pictures of one test replace each other.
CommandRun Tavrell(std::vector<std::string> args) {
  if (!args.empty() && args[0] == "view") args.insert(args.end(), {"--overwrite", "yes"});
  return RunWithBuiltPlugin(args);
}

const std::string kRoom = std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json";

json RoomDocument() { return json::parse(ReadFile(kRoom)); }

// A picture read back with Cairo: its size and the grey (or red) level of each pixel.
struct Picture {
  int width = 0, height = 0;
  std::vector<int> level;
  int At(int x, int y) const { return level[size_t(y) * width + x]; }
  int Count(int value) const { return int(std::count(level.begin(), level.end(), value)); }
};

Picture ReadPng(const std::string& path) {
  Picture p;
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    p.width = cairo_image_surface_get_width(s);
    p.height = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const bool grey = cairo_image_surface_get_format(s) == CAIRO_FORMAT_A8;
    const unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < p.height; y++)
      for (int x = 0; x < p.width; x++) {
        const unsigned char* px = data + size_t(y) * stride;
        p.level.push_back(grey ? px[x] : int((reinterpret_cast<const uint32_t*>(px)[x] >> 16) & 0xff));
      }
  }
  cairo_surface_destroy(s);
  return p;
}

// A document in centimetres: a camera at the origin looking along +z (36 mm lens on 36 mm
// film), a 400 x 400 render, and the given objects.
std::string StraightAhead(const std::string& objects, const std::string& extra = "") {
  return R"({"fps": 25, "minFrame": 0, "maxFrame": 10, "renderData": [{"data": {"5008": 400, "5009": 400}}],
             "objects": [{"type": "Ocamera", "name": "Camera", "data": {"500": 36.0, "1006": 36.0}}, )" +
         objects + R"(], "renderCamera": "/Camera")" + extra + "}";
}

// Every number of the "d" attributes of the paths in the SVG group with that id.
std::vector<double> PathNumbers(const TiXmlElement* svg, const std::string& id) {
  std::vector<double> out;
  std::function<void(const TiXmlElement*, bool)> walk = [&](const TiXmlElement* e, bool inside) {
    inside = inside || (e->Attribute("id") && e->Attribute("id") == id);
    if (inside && e->ValueStr() == "path") {
      std::istringstream d(e->Attribute("d"));
      for (std::string token; d >> token;)
        if (token != "M" && token != "L" && token != "Z") out.push_back(std::stod(token));
    }
    for (const TiXmlElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) walk(c, inside);
  };
  walk(svg, false);
  return out;
}

}  // namespace

TEST(ViewCommand, WritesTheFormatItsSuffixNamesWithNamedObjectGroups) {
  TempDir dir("viewformats");
  CommandRun r = Tavrell({"view", kRoom, "-o", dir.str("room.svg")});
  ASSERT_EQ(r.code, 0) << r.err;
  TiXmlDocument svg;
  ASSERT_TRUE(svg.LoadFile(dir.str("room.svg").c_str()));
  const TiXmlElement* root = svg.FirstChildElement("svg");
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(root->Attribute("viewBox"), "0 0 800 600");
  // One group per object, named by its id and titled with its path, in hierarchy order.
  std::vector<std::string> groups;
  for (const TiXmlElement* g = root->FirstChildElement("g"); g; g = g->NextSiblingElement("g"))
    groups.push_back(std::string(g->Attribute("id")) + " " + g->FirstChildElement("title")->GetText());
  EXPECT_EQ(groups, (std::vector<std::string>{"background view frame and safe frame", "object-Sun /Sun", "object-Room /Room",
                                              "object-Room-Floor /Room/Floor", "object-Room-Box /Room/Box",
                                              "object-Room-Ball /Room/Ball", "object-Floor /Floor", "object-Red /Red",
                                              "node-drawing drawing of plug-in objects and tags"}));
  EXPECT_FALSE(PathNumbers(root, "object-Room-Ball").empty());

  r = Tavrell({"view", kRoom, "-o", dir.str("room.PDF")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.str("room.PDF")).substr(0, 5), "%PDF-");

  r = Tavrell({"view", kRoom, "-o", dir.str("room.png")});
  ASSERT_EQ(r.code, 0) << r.err;
  const Picture png = ReadPng(dir.str("room.png"));
  EXPECT_EQ(png.width, 800);
  EXPECT_EQ(png.height, 600);

  r = Tavrell({"view", kRoom, "-o", dir.str("room.jpg")});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("the picture must end in .svg, .pdf or .png"), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  EXPECT_FALSE(fs::exists(dir.str("room.jpg")));
}

TEST(ViewCommand, AWidthOrHeightAloneKeepsTheRenderAspect) {
  TempDir dir("viewsize");
  const std::string out = dir.str("v.png");
  struct Case {
    std::vector<std::string> flags;
    int width, height;
  } cases[] = {{{}, 800, 600}, {{"--width", "400"}, 400, 300}, {{"--height", "150"}, 200, 150},
               {{"--width", "1000", "--height", "600"}, 1000, 600}};
  for (const Case& c : cases) {
    std::vector<std::string> args = {"view", kRoom, "-o", out};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    CommandRun r = Tavrell(args);
    ASSERT_EQ(r.code, 0) << r.err;
    const Picture p = ReadPng(out);
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
  }
  // 1000 x 600 for an 800 x 600 image: the safe frame is the middle 800 columns.
  const Picture p = ReadPng(out);
  EXPECT_EQ(p.At(50, 5), 0x2b);
  EXPECT_EQ(p.At(150, 5), 0x3c);
  EXPECT_EQ(p.At(850, 5), 0x3c);
  EXPECT_EQ(p.At(950, 5), 0x2b);
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
  // The left half of the image's upper half, one pixel in from the frame's edge, in red.
  const std::vector<double> region = PathNumbers(svg.FirstChildElement("svg"), "node-drawing");
  ASSERT_EQ(region.size(), 16u);
  double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
  for (size_t i = 0; i < region.size(); i += 2) {
    left = std::min(left, region[i]);
    right = std::max(right, region[i]);
    top = std::min(top, region[i + 1]);
    bottom = std::max(bottom, region[i + 1]);
  }
  EXPECT_DOUBLE_EQ(left, 101.0);
  EXPECT_DOUBLE_EQ(right, 500.5);
  EXPECT_DOUBLE_EQ(top, 0.0);
  EXPECT_DOUBLE_EQ(bottom, 299.5);
  EXPECT_NE(ReadFile(svgPath).find("stroke:rgb(100%,0%,0%)"), std::string::npos);

  // The example as it ships has the region off: the tag draws nothing.
  r = Tavrell({"view", kRoom, "-o", svgPath});
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(svg.LoadFile(svgPath.c_str()));
  EXPECT_TRUE(PathNumbers(svg.FirstChildElement("svg"), "node-drawing").empty());
}

TEST(ViewCommand, TheMaskCoversThePixelsWhoseCentreIsInside) {
  // At depth 1000 one unit is 0.4 pixels: the quad spans x 100.6 to 200.4 and y 50.6 to 150.4
  // on the picture, so the centres of columns 101 to 199 and rows 51 to 149 are inside. What
  // is behind the camera or not rendered is left out.
  TempDir dir("viewmask");
  const std::string path = dir.str("quad.json"), out = dir.str("mask.png");
  WriteFile(path, StraightAhead(R"({"type": "Opolygon", "name": "Quad",
      "points": [[-248.5, 124, 1000], [1, 124, 1000], [1, 373.5, 1000], [-248.5, 373.5, 1000]],
      "polygons": [[0, 1, 2, 3]]},
     {"type": "Opolygon", "name": "Behind", "points": [[-500, -500, -10], [500, -500, -10], [0, 500, -10]],
      "polygons": [[0, 1, 2]]},
     {"type": "Opolygon", "name": "NotRendered", "render": "off",
      "points": [[-900, -900, 1000], [900, -900, 1000], [0, 0, 1000]], "polygons": [[0, 1, 2]]},
     {"type": "Opolygon", "name": "Ground", "points": [[-1000, -100, -1000], [1000, -100, -1000], [1000, -100, 1000],
      [-1000, -100, 1000]], "polygons": [[0, 1, 2, 3]]})"));
  CommandRun r = Tavrell({"view", path, "--fill", "-o", out});
  ASSERT_EQ(r.code, 0) << r.err;
  const Picture p = ReadPng(out);
  ASSERT_EQ(p.width, 400);
  ASSERT_EQ(p.height, 400);
  // The ground reaches behind the camera: cut there, it covers every row from its far edge
  // (y 240 on the picture) down.
  EXPECT_EQ(p.Count(255), 99 * 99 + 160 * 400);
  EXPECT_EQ(p.Count(0), 400 * 400 - 99 * 99 - 160 * 400);
  EXPECT_EQ(p.At(0, 240), 255);
  EXPECT_EQ(p.At(399, 399), 255);
  EXPECT_EQ(p.At(200, 239), 0);
  EXPECT_EQ(p.At(101, 51), 255);
  EXPECT_EQ(p.At(199, 149), 255);
  EXPECT_EQ(p.At(100, 100), 0);
  EXPECT_EQ(p.At(200, 100), 0);
  EXPECT_EQ(p.At(150, 50), 0);
  EXPECT_EQ(p.At(150, 150), 0);
}

TEST(ViewCommand, ASphereIsDrawnAsTheCircleItProjectsTo) {
  // Radius 100 at depth 1000: the outline's half angle has the tangent 100 / sqrt(1000^2 -
  // 100^2), which 400 pixels per unit of tangent make a circle of radius 40.2 pixels.
  TempDir dir("viewsphere");
  const std::string path = dir.str("sphere.json"), out = dir.str("mask.png");
  WriteFile(path, StraightAhead(R"({"type": "Osphere", "name": "Ball", "position": [0, 0, 1000], "data": {"1110": 100}})"));
  CommandRun r = Tavrell({"view", path, "--fill", "-o", out});
  ASSERT_EQ(r.code, 0) << r.err;
  const Picture p = ReadPng(out);
  const double radius = 400.0 * 100.0 / std::sqrt(1000.0 * 1000.0 - 100.0 * 100.0);
  EXPECT_NEAR(p.Count(255), pi * radius * radius, 0.01 * pi * radius * radius);
  int across = 0, down = 0;
  for (int k = 0; k < 400; k++) {
    across += p.At(k, 200) == 255;
    down += p.At(200, k) == 255;
  }
  EXPECT_NEAR(across, 2 * radius, 1.0);
  EXPECT_NEAR(down, 2 * radius, 1.0);
  // On the diagonal a circle, not its bounding square.
  EXPECT_EQ(p.At(200 + int(radius * 0.69), 200 + int(radius * 0.69)), 255);
  EXPECT_EQ(p.At(200 + int(radius * 0.73), 200 + int(radius * 0.73)), 0);
}

TEST(ViewCommand, CameraAndFrameFlagsPickTheViewpointAndTheTime) {
  TempDir dir("viewflags");
  // A quad that moves 500 units to the right over ten frames, and a second camera looking up.
  const std::string path = dir.str("moving.json");
  WriteFile(path, StraightAhead(R"({"type": "Opolygon", "name": "Quad",
      "points": [[-100, -100, 1000], [100, -100, 1000], [100, 100, 1000], [-100, 100, 1000]], "polygons": [[0, 1, 2, 3]],
      "tracks": [{"target": "position.x", "keys": [[0, 0], [10, 500]]}]},
     {"type": "Ocamera", "name": "Sky", "rotation": [0, 90, 0]},
     {"type": "Ocamera", "name": "Shifted", "data": {"500": 36.0, "1006": 36.0, "1118": 0.1}})"));
  auto coverage = [&](std::vector<std::string> flags) {
    std::vector<std::string> args = {"view", path, "--fill", "-o", dir.str("m.png")};
    args.insert(args.end(), flags.begin(), flags.end());
    CommandRun r = Tavrell(args);
    EXPECT_EQ(r.code, 0) << r.err;
    const Picture p = ReadPng(dir.str("m.png"));
    int left = -1, right = -1;
    for (int x = 0; x < p.width; x++)
      if (p.At(x, 200) == 255) {
        if (left < 0) left = x;
        right = x;
      }
    return std::make_pair(left, right);
  };
  // 0.4 pixels per unit: 80 pixels wide, centred at frame 0, 200 pixels right at frame 10.
  EXPECT_EQ(coverage({}), std::make_pair(160, 239));
  EXPECT_EQ(coverage({"--frame", "10"}), std::make_pair(360, 399));
  EXPECT_EQ(coverage({"--camera", "/Sky"}), std::make_pair(-1, -1));
  // A film offset of a tenth of the width to the right moves the scene 40 pixels left.
  EXPECT_EQ(coverage({"--camera", "/Shifted"}), std::make_pair(120, 199));

  CommandRun r = Tavrell({"view", path, "-o", dir.str("m.png"), "--camera", "/Quad"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + path + ": /Quad is not a camera\n");
  r = Tavrell({"view", path, "-o", dir.str("m.png"), "--camera", "/Nowhere"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + path + ": no object '/Nowhere'\n");
}

TEST(ViewCommand, WithoutARenderCameraTheEditorCameraFramesEveryObject) {
  TempDir dir("viewnocam");
  json doc = RoomDocument();
  doc.erase("renderCamera");
  const std::string path = dir.str("nocamera.json"), out = dir.str("mask.png");
  WriteFile(path, doc.dump());
  CommandRun r = Tavrell({"view", path, "--fill", "-o", out});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string line = "No render camera: the view renders through the editor camera, framed on every visible object\n";
  EXPECT_NE(r.out.find(line), std::string::npos);
  EXPECT_EQ(r.out.find(line), r.out.rfind(line));
  // Everything inside, within the margin, and filling the picture's width or height.
  const Picture p = ReadPng(out);
  int left = p.width, right = -1, top = p.height, bottom = -1;
  for (int y = 0; y < p.height; y++)
    for (int x = 0; x < p.width; x++)
      if (p.At(x, y) == 255) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  EXPECT_GT(left, 0);
  EXPECT_GT(top, 0);
  EXPECT_LT(right, p.width - 1);
  EXPECT_LT(bottom, p.height - 1);
  EXPECT_TRUE(right - left > 0.9 * p.width || bottom - top > 0.9 * p.height) << left << " " << right << " " << top << " " << bottom;

  // A sphere alone is framed by its outline, not its centre: a circle filling the height.
  const std::string sphere = dir.str("sphere.json");
  WriteFile(sphere, R"({"renderData": [{"data": {"5008": 400, "5009": 200}}],
                        "objects": [{"type": "Osphere", "name": "Ball", "position": [50, 20, 30], "data": {"1110": 70}}]})");
  r = Tavrell({"view", sphere, "--fill", "-o", out});
  ASSERT_EQ(r.code, 0) << r.err;
  const Picture q = ReadPng(out);
  int rows = 0;
  for (int y = 0; y < q.height; y++) rows += std::count(q.level.begin() + y * q.width, q.level.begin() + (y + 1) * q.width, 255) > 0;
  EXPECT_EQ(q.At(0, 0) + q.At(0, 199) + q.At(399, 0) + q.At(399, 199), 0);
  EXPECT_GE(rows, 185);
  EXPECT_LE(rows, 192);
}

TEST(ViewCommand, BadInputGivesOneLineAndNoFile) {
  TempDir dir("viewbad");
  const std::string svgPath = dir.str("view.svg");
  CommandRun r = Tavrell({"view", kRoom, "-o", svgPath, "--width", "0"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  EXPECT_FALSE(fs::exists(svgPath));

  // A missing folder is made; a file in the way of one is named.
  r = Tavrell({"view", kRoom, "-o", dir.str("no/such/folder/view.svg")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir.str("no/such/folder/view.svg")));
  WriteFile(dir.str("plain"), "a file");
  r = Tavrell({"view", kRoom, "-o", dir.str("plain/view.svg")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: cannot create the output folder " + dir.str("plain") + ": Not a directory\n");
  // Without --overwrite an existing picture is kept, and the flag that answers is named.
  r = RunWithBuiltPlugin({"view", kRoom, "-o", dir.str("no/such/folder/view.svg")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + dir.str("no/such/folder/view.svg") +
                       " exists: give --overwrite yes to replace it or --overwrite no to keep it\n");

  // A render resolution beyond what the view draws asks for a size.
  json doc = RoomDocument();
  doc["renderData"][0]["data"]["5008"] = 20000;
  const std::string huge = dir.str("huge.json");
  WriteFile(huge, doc.dump());
  r = Tavrell({"view", huge, "-o", svgPath});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + huge + ": a picture of 20000 x 600 pixels is out of range (1 to 16384 a side); give --width and --height\n");
  EXPECT_FALSE(fs::exists(svgPath));
}
