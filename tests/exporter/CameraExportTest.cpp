#include <cmath>
#include <cstdio>
#include <sstream>

#include "SceneSettingsFixture.h"

using Strings = std::vector<std::string>;

namespace {

// A document in metres with the given render data entries and one scene camera.
std::string Document(const std::string& camera, const std::string& renderData = R"({"5008": 800, "5009": 600})") {
  return R"({"renderData": [{"data": )" + renderData + R"(, "videoPosts": [{"type": "oMyRenderSettings",
              "data": {"RENDERSETTINGS_UNIT": "RENDERSETTINGS_UNIT_M"}}]}],
             "objects": [)" + camera + R"(], "renderCamera": "/Camera"})";
}

std::string Camera(const std::string& data, const std::string& tags = "[]") {
  return R"({"type": "Ocamera", "name": "Camera", "data": {)" + data + R"(}, "tags": )" + tags + "}";
}

std::string Tag(const std::string& data) { return R"([{"type": "TCameraTag", "data": {)" + data + "}}]"; }

std::vector<double> Numbers(const std::string& text) {
  std::vector<double> out;
  std::istringstream in(text);
  for (double v; in >> v;) out.push_back(v == 0 ? 0.0 : v);
  return out;
}

}  // namespace

TEST_F(SceneSettingsExport, TheCameraIsPlacedInTheRenderersAxesAndUnits) {
  const TiXmlElement* scene = Export(R"({"renderData": [{"videoPosts": [{"type": "oMyRenderSettings",
      "data": {"RENDERSETTINGS_UNIT": "RENDERSETTINGS_UNIT_CM"}}]}],
      "objects": [{"type": "Ocamera", "name": "Camera", "position": [100, 200, 300], "rotation": [90, 0, 0]}],
      "renderCamera": "/Camera"})");
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Text(scene, "camera/pos"), "1.000000 3.000000 2.000000");
  // Heading 90 degrees: the camera looks along the host's x axis and y stays up, which the
  // renderer's axes (x, z, y) make z.
  EXPECT_EQ(Numbers(Text(scene, "camera/up")), (std::vector<double>{0, 0, 1}));
  const std::vector<double> forwards = Numbers(Text(scene, "camera/forwards"));
  ASSERT_EQ(forwards.size(), 3u);
  EXPECT_NEAR(std::fabs(forwards[0]), 1.0, 1e-6);
  EXPECT_NEAR(forwards[1], 0.0, 1e-6);
  EXPECT_NEAR(forwards[2], 0.0, 1e-6);
}

TEST_F(SceneSettingsExport, ATaggedCameraWritesItsLensAndImageSettings) {
  const TiXmlElement* scene = Export(Document(Camera(R"("500": 36.0, "1006": 36.0, "1010": 4.0)", Tag(""))));
  ASSERT_NE(scene, nullptr);
  // The tag's defaults: f/16, generated aperture, post-process diffraction, cubic filters.
  EXPECT_EQ(Children(scene->FirstChildElement("camera")),
            (Strings{"aspect_ratio=1.333333", "exposure_duration=0.050000", "pos=0.000000 0.000000 0.000000",
                     "up=0.000000 0.000000 1.000000", "forwards=0.000000 1.000000 0.000000", "focus_distance=4.000000",
                     "sensor_width=0.036000", "lens_sensor_dist=0.036000", "aperture_radius=0.001125", "aperture_shape",
                     "white_balance=D65", "autofocus", "lens_shift_up_distance=-0.000000",
                     "lens_shift_right_distance=0.000000"}));
  EXPECT_EQ(Children(scene->FirstChildElement("camera")->FirstChildElement("aperture_shape")->FirstChildElement("generated")),
            (Strings{"num_blades=6", "blade_offset=0.400000", "blade_curvature_radius=3.000000", "start_angle=0.200000"}));
  // The image settings follow the render settings; width and height come last.
  const Strings settings = Children(scene->FirstChildElement("renderer_settings"));
  const Strings tail(settings.end() - 9, settings.end());
  EXPECT_EQ(tail, (Strings{"aperture_diffraction=false", "post_process_diffraction=true", "super_sample_factor=1",
                           "splat_filter", "downsize_filter", "watermark=false", "info_overlay=false", "width=800",
                           "height=600"}));
  EXPECT_EQ(settings[settings.size() - 10], "polarisation=false");
  EXPECT_EQ(Children(scene->FirstChildElement("renderer_settings")->FirstChildElement("splat_filter")->FirstChildElement("mn_cubic")),
            (Strings{"ring=0.333000", "blur=0.333000"}));
}

TEST_F(SceneSettingsExport, LensValuesFollowTheFilmAndTheFNumber) {
  struct Case {
    const char* camera;
    const char* tag;
    const char* sensor;
    const char* lensSensor;
    const char* radius;
  };
  const Case cases[] = {
      // With a tag the lens-sensor distance is the focal length, whatever the film width.
      {R"("500": 50.0, "1006": 24.0)", R"("CAMERATAG_APERTURE": "CAMERATAG_APERTURE_F2")", "0.024000", "0.050000", "0.012500"},
      // f/1.4 as the host stores it, in single precision.
      {R"("500": 36.0, "1006": 36.0)", R"("CAMERATAG_APERTURE": "CAMERATAG_APERTURE_F1_4")", "0.036000", "0.036000", "0.012857"},
      // An aperture outside the table counts as f/8.
      {R"("500": 36.0, "1006": 36.0)", R"("CAMERATAG_APERTURE": 77)", "0.036000", "0.036000", "0.002250"},
      // A focal length of 0 has no field of view: the distance is written as 0.
      {R"("500": 0.0, "1006": 36.0)", "", "0.036000", "0.000000", "0.000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.camera + std::string(" ") + c.tag);
    const TiXmlElement* scene = Export(Document(Camera(c.camera, Tag(c.tag))));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(Text(scene, "camera/sensor_width"), c.sensor);
    EXPECT_EQ(Text(scene, "camera/lens_sensor_dist"), c.lensSensor);
    EXPECT_EQ(Text(scene, "camera/aperture_radius"), c.radius);
  }
}

TEST_F(SceneSettingsExport, FilmOffsetsShiftTheLens) {
  const TiXmlElement* scene =
      Export(Document(Camera(R"("500": 36.0, "1006": 36.0, "1118": 0.25, "1119": 0.1)", Tag("")), R"({"5008": 900, "5009": 600})"));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Text(scene, "camera/aspect_ratio"), "1.500000");
  EXPECT_EQ(Text(scene, "camera/lens_shift_up_distance"), "-0.002400");
  EXPECT_EQ(Text(scene, "camera/lens_shift_right_distance"), "0.009000");
}

TEST_F(SceneSettingsExport, TagChoicesSelectTheirElements) {
  const TiXmlElement* scene = Export(Document(Camera(R"("500": 36.0, "1006": 36.0)", Tag(R"(
      "CAMERATAG_APERTURE_SHAPE": "CAMERATAG_APERTURE_SHAPE_IMAGE", "CAMERATAG_APERTURE_IMAGE": "/tex/blades.png",
      "CAMERATAG_DIFFRACTION": "CAMERATAG_DIFFRACTION_APERTURE", "CAMERATAG_OBSTACLE_MAP": true,
      "CAMERATAG_OBSTACLE_MAP_FILE": "/tex/dust.png", "CAMERATAG_WHITE_BALANCE": "CAMERATAG_WB_F11",
      "CAMERATAG_AUTOFOCUS": false, "CAMERATAG_EXPOSURE_DURATION": 0.25,
      "CAMERATAG_SPLAT_FILTER": "CAMERATAG_FILTER_BOX", "CAMERATAG_DOWNSIZE_FILTER": 12,
      "CAMERATAG_RENDER_REGION": true, "CAMERATAG_REGION_X1": 10, "CAMERATAG_REGION_X2": 20,
      "CAMERATAG_REGION_Y1": 30, "CAMERATAG_REGION_Y2": 40)"))));
  ASSERT_NE(scene, nullptr);
  const TiXmlElement* camera = scene->FirstChildElement("camera");
  EXPECT_EQ(Text(camera, "exposure_duration"), "0.250000");
  EXPECT_EQ(Text(camera, "aperture_shape/image/path"), "/tex/blades.png");
  EXPECT_EQ(Text(camera, "obstacle_map/path"), "/tex/dust.png");
  EXPECT_EQ(Text(camera, "white_balance"), "F11");
  EXPECT_EQ(camera->FirstChildElement("autofocus"), nullptr);
  const TiXmlElement* settings = scene->FirstChildElement("renderer_settings");
  EXPECT_EQ(Text(settings, "aperture_diffraction"), "true");
  EXPECT_EQ(Text(settings, "post_process_diffraction"), "false");
  EXPECT_EQ(Children(settings->FirstChildElement("splat_filter")), Strings{"box"});
  // A filter outside the table leaves its element empty.
  EXPECT_EQ(Children(settings->FirstChildElement("downsize_filter")), Strings{});
  EXPECT_EQ(Children(settings->FirstChildElement("render_region")), (Strings{"x1=10", "x2=20", "y1=30", "y2=40"}));

  // Aperture diffraction without the obstacle map writes none; an unknown white balance is empty.
  scene = Export(Document(Camera(R"("500": 36.0)", Tag(R"("CAMERATAG_DIFFRACTION": "CAMERATAG_DIFFRACTION_APERTURE",
      "CAMERATAG_OBSTACLE_MAP": false, "CAMERATAG_WHITE_BALANCE": 3)"))));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(scene->FirstChildElement("camera")->FirstChildElement("obstacle_map"), nullptr);
  ASSERT_NE(scene->FirstChildElement("camera")->FirstChildElement("white_balance"), nullptr);
  EXPECT_EQ(scene->FirstChildElement("camera")->FirstChildElement("white_balance")->GetText(), nullptr);
}

TEST_F(SceneSettingsExport, ACameraWithoutTagGetsTheRenderersDefaults) {
  const TiXmlElement* scene = Export(Document(Camera(R"("500": 72.0, "1006": 36.0, "1010": 3.0)")));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Children(scene->FirstChildElement("camera")),
            (Strings{"aspect_ratio=1.333333", "exposure_duration=0.050000", "pos=0.000000 0.000000 0.000000",
                     "up=0.000000 0.000000 1.000000", "forwards=0.000000 1.000000 0.000000", "focus_distance=3.000000",
                     "sensor_width=0.036000", "lens_sensor_dist=0.072000", "aperture_radius=0.004500", "aperture_shape",
                     "white_balance=D65", "autofocus", "lens_shift_up_distance=-0.000000",
                     "lens_shift_right_distance=0.000000"}));
  EXPECT_EQ(Children(scene->FirstChildElement("camera")->FirstChildElement("aperture_shape")), Strings{"circular"});
  const Strings settings = Children(scene->FirstChildElement("renderer_settings"));
  EXPECT_EQ(Strings(settings.end() - 3, settings.end()), (Strings{"polarisation=false", "width=800", "height=600"}));
}

TEST_F(SceneSettingsExport, NoSceneCameraOrRenderDataStillExports) {
  // No render camera: the view's editor camera, looking at the origin (the document is not
  // evaluated here, so it has not framed it), with the host camera's default lens.
  const TiXmlElement* scene = Export(R"({"renderData": [{"data": {"5008": 640, "5009": 480}}]})");
  ASSERT_NE(scene, nullptr);
  const Vector eye = doc_->GetRenderBaseDraw()->GetEditorCamera()->GetMg().off;
  char focus[64];
  std::snprintf(focus, sizeof focus, "focus_distance=%08f", Len(eye));
  Strings camera = Children(scene->FirstChildElement("camera"));
  ASSERT_EQ(camera.size(), 14u);
  EXPECT_EQ(camera[2].substr(0, 4), "pos=");
  camera.erase(camera.begin() + 2, camera.begin() + 5);
  EXPECT_EQ(camera, (Strings{"aspect_ratio=1.333333", "exposure_duration=0.050000", focus, "sensor_width=0.036000",
                             "lens_sensor_dist=0.036000", "aperture_radius=0.002250", "aperture_shape", "white_balance=D65",
                             "autofocus", "lens_shift_up_distance=-0.000000", "lens_shift_right_distance=0.000000"}));

  // A document read without render data gets the host's default render setting, 800 x 600.
  scene = Export(R"({"renderData": [], "objects": [{"type": "Ocamera", "name": "Camera", "data": {"1119": 0.5}}],
                     "renderCamera": "/Camera"})");
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Children(scene->FirstChildElement("renderer_settings")),
            (Strings{"metropolis=true", "bidirectional=false", "width=800", "height=600"}));
  EXPECT_EQ(Text(scene, "camera/aspect_ratio"), "1.333333");
  EXPECT_EQ(Text(scene, "camera/lens_shift_up_distance"), "-0.013500");
}
