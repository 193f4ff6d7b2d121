// Where things land in the picture: a host document with an object up and to the right of
// the camera's axis and another down and to the left, exported by the plug-in, must come out
// of the renderer's silhouette in those corners. This pins the axis exchange, the handedness
// of the camera frame and the mesh's orientation end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "MaskIoU.h"
#include "TestSupport.h"
#include "cli/CliRun.h"
#include "render/Integrator.h"
#include "render/SceneBuilder.h"

using namespace testing_support;
using namespace renderer::render;

TEST(Framing, ExportedObjectsLandLeftRightUpAndDownAsTheHostPlacesThem) {
  TempDir dir("render_framing");
  // The host is y up and left-handed: a camera without rotation looks along +z with +x to
  // its right.
  WriteFile(dir.str("doc.json"), R"({
    "fps": 25, "frame": 0, "renderCamera": "/Camera",
    "renderData": [{"name": "R", "data": {"5008": 64, "5009": 48}}],
    "objects": [
      {"type": "Ocamera", "name": "Camera", "position": [0, 0, 0], "data": {"500": 36.0, "1006": 36.0}},
      {"type": "Ocube", "name": "UpRight", "position": [150, 100, 600], "data": {"1100": [100, 100, 100]}},
      {"type": "Osphere", "name": "DownLeft", "position": [-150, -100, 600], "data": {"1110": 50.0}}
    ]})");
  const CommandRun run = RunCommand({"export", dir.str("doc.json"), "-o", dir.str("scene.kys"), "--current-frame",
                                     "--no-output-image", "--overwrite", "yes"});
  ASSERT_EQ(run.code, 0) << run.err;
  std::string error;
  const auto scene = BuildRenderScene(dir.str("scene.kys"), error);
  ASSERT_TRUE(scene) << error;
  const PngImage mask = RenderMask(*scene);
  ASSERT_EQ(mask.width, 64);
  ASSERT_EQ(mask.height, 48);
  int quadrant[2][2] = {{0, 0}, {0, 0}};  // [lower][right]
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      if (mask.pixels[std::size_t(y * 64 + x)]) ++quadrant[y >= 24][x >= 32];
  // A 36 mm lens on a 36 mm film: a point at (x, y, z) lands 64 x / z pixels right of the
  // centre. The cube covers at least its front face (at z = 550) and at most the box around
  // its corners; the sphere of radius 50 at distance d a disc of radius about 64 * 50 / d,
  // stretched by 1 / cos^3 of its angle off the axis.
  const double front = 64.0 * 100 / 550;
  const double boxWidth = 64.0 * (200.0 / 550 - 100.0 / 650), boxHeight = 64.0 * (150.0 / 550 - 50.0 / 650);
  EXPECT_GE(quadrant[0][1], front * front);
  EXPECT_LE(quadrant[0][1], boxWidth * boxHeight);
  const double distance = std::sqrt(150.0 * 150 + 100 * 100 + 600 * 600), cosine = 600 / distance;
  const double disc = 3.14159 * std::pow(64.0 * 50 / distance, 2) / std::pow(cosine, 3);
  EXPECT_NEAR(quadrant[1][0], disc, 0.05 * disc);
  EXPECT_EQ(quadrant[0][0], 0);
  EXPECT_EQ(quadrant[1][1], 0);

  // The mask compared with itself and with a copy missing the cube.
  ASSERT_EQ(WritePng(dir.str("mask.png"), mask), "");
  PngImage noCube = mask;
  for (int y = 0; y < 24; ++y)
    for (int x = 32; x < 64; ++x) noCube.pixels[std::size_t(y * 64 + x)] = 0;
  ASSERT_EQ(WritePng(dir.str("nocube.png"), noCube), "");
  EXPECT_DOUBLE_EQ(MaskIoU(dir.str("mask.png"), dir.str("mask.png"), error), 1.0);
  EXPECT_DOUBLE_EQ(MaskIoU(dir.str("mask.png"), dir.str("nocube.png"), error),
                   double(quadrant[1][0]) / double(quadrant[1][0] + quadrant[0][1]));
  EXPECT_EQ(MaskIoU(dir.str("mask.png"), dir.str("missing.png"), error), -1);
  EXPECT_NE(error.find("missing.png"), std::string::npos);
}

TEST(Framing, MotionKeyframesTurnTheCameraAsTheExportedStillFrameDoes) {
  // Written by the exporter for a camera at heading 30 and pitch -10 degrees under a motion
  // blur tag; without the tag the same camera is written with forwards (-0.492404, 0.852868,
  // -0.173648) and up (-0.086824, 0.150384, 0.984808).
  TempDir dir("render_keyframes");
  WriteFile(dir.str("scene.kys"),
            "<scene><renderer_settings><width>4</width><height>4</height></renderer_settings><camera>"
            "<keyframe><time>0</time><pos>0 -6 1.5</pos><rotation_quaternion><axis>0.309318 0.082882 -0.947340</axis>"
            "<angle>0.551287</angle></rotation_quaternion></keyframe>"
            "<keyframe><time>1</time><pos>0 -6 1.5</pos><rotation_quaternion><axis>0.309318 0.082882 -0.947340</axis>"
            "<angle>0.551287</angle></rotation_quaternion></keyframe>"
            "<up>0 0 1</up><forwards>0 1 0</forwards><sensor_width>0.036</sensor_width>"
            "<lens_sensor_dist>0.036</lens_sensor_dist></camera></scene>");
  std::string error;
  const auto scene = BuildRenderScene(dir.str("scene.kys"), error);
  ASSERT_TRUE(scene) << error;
  for (const float time : {0.0f, 0.7f}) {
    const CameraRay centre = scene->camera->Generate(2, 2, 0.5f, 0.5f, time);
    EXPECT_NEAR(centre.direction.x, -0.492404f, 1e-4f);
    EXPECT_NEAR(centre.direction.y, 0.852868f, 1e-4f);
    EXPECT_NEAR(centre.direction.z, -0.173648f, 1e-4f);
    EXPECT_NEAR(centre.origin.y, -6.0f, 1e-5f);
    // The top edge's centre lies towards the camera's up.
    const CameraRay top = scene->camera->Generate(2, 0, 0.5f, 0.5f, time);
    const Vec3 up = Normalize(top.direction - centre.direction * Dot(top.direction, centre.direction));
    EXPECT_NEAR(up.x, -0.086824f, 1e-3f);
    EXPECT_NEAR(up.z, 0.984808f, 1e-3f);
  }
}

namespace {

std::string TestModelsFolder() {
  for (const char* dir : {"/usr/share/assimp/models", "/usr/share/assimp-testmodels", "/usr/share/assimp-testmodels/models"})
    if (fs::exists(std::string(dir) + "/Collada/duck.dae")) return dir;
  return "";
}

}  // namespace

// The renderer's silhouette of an exported document against the host's own view of it, filled,
// through the same camera: any fault of axes, handedness, units, winding or camera between
// the host, the exporter and the renderer shows as pixels in one and not the other.
TEST(Framing, TheRenderedSilhouetteIsTheHostsView) {
  const std::string models = TestModelsFolder();
  std::vector<std::string> documents = {std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json"};
  if (!models.empty())
    for (const char* model : {"glTF2/cameras/Cameras.gltf", "FBX/global_settings.fbx", "Collada/duck.dae"})
      documents.push_back(models + "/" + model);
  TempDir dir("render_iou");
  // A box turned 45 degrees and stretched along its own x: the placement must not shear it.
  documents.push_back(dir.str("bar.json"));
  WriteFile(documents.back(), R"({
    "fps": 25, "frame": 0, "minFrame": 0, "maxFrame": 0,
    "renderData": [{"name": "Kyrano", "data": {"5008": 400, "5009": 300}}],
    "objects": [
      {"type": "Ocamera", "name": "Camera", "position": [0, 400, -500], "rotation": [0, -35, 0]},
      {"type": "Ocube", "name": "Bar", "rotation": [45, 0, 20], "scale": [4, 1, 0.5], "data": {"1100": [100, 100, 100]}}
    ]})");
  for (std::size_t i = 0; i < documents.size(); ++i) {
    SCOPED_TRACE(documents[i]);
    const std::string scene = dir.str("scene" + std::to_string(i) + ".kys");
    const std::string hostMask = dir.str("view" + std::to_string(i) + ".png");
    const std::string renderMask = dir.str("mask" + std::to_string(i) + ".png");
    CommandRun run = RunCommand({"export", documents[i], "-o", scene, "--current-frame", "--no-output-image"});
    ASSERT_EQ(run.code, 0) << run.err;
    run = RunCommand({"view", documents[i], "--fill", "-o", hostMask});
    ASSERT_EQ(run.code, 0) << run.err;
    std::string error;
    const auto built = BuildRenderScene(scene, error);
    ASSERT_TRUE(built) << error;
    ASSERT_EQ(WritePng(renderMask, RenderMask(*built)), "");
    const double iou = MaskIoU(renderMask, hostMask, error);
    EXPECT_GE(iou, 0.98) << error;
  }
  if (models.empty()) GTEST_SKIP() << "Debian's assimp-testmodels package is not installed; the room alone was compared";
}
