#include "SceneSettingsFixture.h"
#include "helpers/HelpersSettings.h"

using Strings = std::vector<std::string>;

namespace {

// A document with one render data (800 x 600) holding the given video posts, and a camera at
// (100, 200, 300) focused at 500 host units, carrying the given tags.
std::string Document(const std::string& videoPosts, const std::string& cameraTags = "[]") {
  return R"({"renderData": [{"data": {"5008": 800, "5009": 600}, "videoPosts": )" + videoPosts + R"(}],
             "objects": [{"type": "Ocamera", "name": "Camera", "position": [100, 200, 300],
                          "data": {"1010": 500.0}, "tags": )" + cameraTags + R"(}],
             "renderCamera": "/Camera"})";
}

std::string Node(const std::string& data, bool enabled = true) {
  return std::string(R"({"type": "oMyRenderSettings", "enabled": )") + (enabled ? "true" : "false") + R"(, "data": {)" + data + "}}";
}

}  // namespace

TEST_F(SceneSettingsExport, ANewNodeWritesItsSettingsAndTheCentimetreScale) {
  const TiXmlElement* scene = Export(Document("[" + Node("") + "]"));
  ASSERT_NE(scene, nullptr);
  // Advanced settings are off and threads automatic: neither group is written.
  EXPECT_EQ(Children(scene->FirstChildElement("renderer_settings")),
            (Strings{"metropolis=true", "halt_time=-1.000000", "halt_samples_per_pixel=-1.000000", "bidirectional=true",
                     "hybrid=false", "logging=true", "display_period=60", "image_save_period=300",
                     "save_untonemapped_exr=false", "save_tonemapped_exr=false", "save_kyi=true",
                     "auto_choose_num_threads=true", "cache_trees=true", "polarisation=false", "width=800", "height=600"}));
  // Centimetres: 0.01 metres per host unit.
  EXPECT_EQ(Text(scene, "camera/focus_distance"), "5.000000");
  EXPECT_EQ(Text(scene, "camera/pos"), "1.000000 3.000000 2.000000");
}

TEST_F(SceneSettingsExport, AdvancedSettingsAndAFixedThreadCountAreWrittenInPlace) {
  const TiXmlElement* scene = Export(Document("[" + Node(R"("RENDERSETTINGS_ADVANCED": true, "RENDERSETTINGS_AUTO_THREADS": false,
      "RENDERSETTINGS_NUM_THREADS": 4, "RENDERSETTINGS_MODE": "RENDERSETTINGS_MODE_PATH",
      "RENDERSETTINGS_DISPLAY_PERIOD": 12.9, "RENDERSETTINGS_HALT_SPP": 256.0)") + "]"));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Children(scene->FirstChildElement("renderer_settings")),
            (Strings{"metropolis=false", "large_mutation_prob=0.400000", "max_change=0.010000",
                     "max_num_consec_rejections=1000", "max_depth=10000", "bih_tri_threshold=800", "halt_time=-1.000000",
                     "halt_samples_per_pixel=256.000000", "bidirectional=false", "hybrid=false", "logging=true",
                     "display_period=12", "image_save_period=300", "save_untonemapped_exr=false",
                     "save_tonemapped_exr=false", "save_kyi=true", "auto_choose_num_threads=false", "num_threads=4",
                     "cache_trees=true", "polarisation=false", "width=800", "height=600"}));
}

TEST_F(SceneSettingsExport, TheFirstEnabledNodeIsUsed) {
  const std::string disabled = Node(R"("RENDERSETTINGS_MODE": "RENDERSETTINGS_MODE_PATH", "RENDERSETTINGS_UNIT": "RENDERSETTINGS_UNIT_M")", false);
  const std::string enabled = Node(R"("RENDERSETTINGS_MODE": "RENDERSETTINGS_MODE_METROPOLIS", "RENDERSETTINGS_UNIT": "RENDERSETTINGS_UNIT_MM")");
  const TiXmlElement* scene = Export(Document("[" + disabled + ", " + enabled + "]"));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Text(scene, "renderer_settings/metropolis"), "true");
  EXPECT_EQ(Text(scene, "renderer_settings/bidirectional"), "false");
  EXPECT_EQ(Text(scene, "camera/focus_distance"), "0.500000");

  // Only disabled nodes: the renderer's plain defaults, and the scale stays one metre.
  scene = Export(Document("[" + disabled + "]"));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Children(scene->FirstChildElement("renderer_settings")),
            (Strings{"metropolis=true", "bidirectional=false", "width=800", "height=600"}));
  EXPECT_EQ(Text(scene, "camera/focus_distance"), "500.000000");
}

TEST_F(SceneSettingsExport, TheUnitSetsTheSceneScale) {
  const std::pair<const char*, const char*> cases[] = {
      {R"("RENDERSETTINGS_UNIT": "RENDERSETTINGS_UNIT_KM")", "500000.000000"},
      {R"("RENDERSETTINGS_UNIT": "RENDERSETTINGS_UNIT_M")", "500.000000"},
      {R"("RENDERSETTINGS_UNIT": "RENDERSETTINGS_UNIT_CUSTOM", "RENDERSETTINGS_CUSTOM_SCALE": 0.25)", "125.000000"},
      // An unknown unit leaves the scale at one metre per host unit.
      {R"("RENDERSETTINGS_UNIT": 4711)", "500.000000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    const TiXmlElement* scene = Export(Document("[" + Node(c.first) + "]"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(Text(scene, "camera/focus_distance"), c.second);
  }
}

TEST_F(SceneSettingsExport, ToneMappingFollowsTheCameraTag) {
  // No tag: Reinhard with the renderer's defaults.
  const TiXmlElement* scene = Export(Document("[]"));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Children(scene->FirstChildElement("tonemapping")), Strings{"reinhard"});
  EXPECT_EQ(Children(scene->FirstChildElement("tonemapping")->FirstChildElement("reinhard")),
            (Strings{"pre_scale=3.000000", "post_scale=1.000000", "burn=10.000000"}));

  // Linear: the tone scale is the linear scale.
  scene = Export(Document("[]", R"([{"type": "TCameraTag", "data": {"CAMERATAG_TONEMAPPING": "CAMERATAG_TONEMAPPING_LINEAR",
                                                                   "CAMERATAG_TONE_SCALE": 2.0}}])"));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Children(scene->FirstChildElement("tonemapping")), Strings{"linear"});
  EXPECT_EQ(Children(scene->FirstChildElement("tonemapping")->FirstChildElement("linear")), Strings{"scale=2.000000"});

  // A tag without tone values of its own reads the Reinhard defaults.
  scene = Export(Document("[]", R"([{"type": "TCameraTag", "data": {"CAMERATAG_TONEMAPPING": "CAMERATAG_TONEMAPPING_REINHARD",
                                                                   "CAMERATAG_POST_SCALE": 0.5}}])"));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Children(scene->FirstChildElement("tonemapping")->FirstChildElement("reinhard")),
            (Strings{"pre_scale=3.000000", "post_scale=0.500000", "burn=10.000000"}));
}

// The camera response file is written relative to the renderer's folder, which the settings
// file in the plug-in's presets folder stores; a private copy of the plug-in keeps the
// settings of this test to itself.
class CameraResponseExport : public SceneSettingsExport {
 protected:
  std::string PluginFolder() override { return testing_support::CopyPluginFolder(plugin_); }
  testing_support::TempDir plugin_{"responseplugin"};
};

TEST_F(CameraResponseExport, TheResponseFileIsRelativeToTheRendererFolder) {
  const std::string tag = R"([{"type": "TCameraTag", "data": {"CAMERATAG_TONEMAPPING": "CAMERATAG_TONEMAPPING_CAMERA",
                                                              "CAMERATAG_EV_ADJUST": -1.5}}])";
  // No renderer folder yet: the file name as the tag stores it.
  const TiXmlElement* scene = Export(Document("[]", tag));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Children(scene->FirstChildElement("tonemapping")->FirstChildElement("camera")),
            (Strings{"film_iso=400.000000", "ev_adjust=-1.500000",
                     "response_function_path=data/camera_response_functions/Advantix-100CD.txt"}));

  Helpers::GlobalSettings settings;
  settings.path = "/opt/Kyrano";
  Helpers::SaveSettings(nullptr, &settings);
  // A name relative to the renderer's folder stays as it is.
  scene = Export(Document("[]", tag));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Text(scene, "tonemapping/camera/response_function_path"), "data/camera_response_functions/Advantix-100CD.txt");
  // A file inside the renderer's executable folder becomes relative to it.
  scene = Export(Document("[]", R"([{"type": "TCameraTag", "data": {"CAMERATAG_TONEMAPPING": "CAMERATAG_TONEMAPPING_CAMERA",
      "CAMERATAG_RESPONSE_FUNCTION": "/opt/Kyrano/Kyrano.app/Contents/MacOS/data/crf/film.txt"}}])"));
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Text(scene, "tonemapping/camera/response_function_path"), "data/crf/film.txt");
}
