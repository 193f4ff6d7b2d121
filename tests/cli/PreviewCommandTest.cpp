#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "TestSupport.h"
#include "cli/CliRun.h"

using namespace testing_support;

namespace {

// Width and height from a PNG's header (big-endian at bytes 16 and 20).
std::pair<unsigned, unsigned> PngSize(const std::string& png) {
  auto word = [&png](size_t at) {
    return (unsigned(static_cast<unsigned char>(png[at])) << 24) | (unsigned(static_cast<unsigned char>(png[at + 1])) << 16) |
           (unsigned(static_cast<unsigned char>(png[at + 2])) << 8) | unsigned(static_cast<unsigned char>(png[at + 3]));
  };
  return png.size() > 24 && png.compare(1, 3, "PNG") == 0 ? std::make_pair(word(16), word(20)) : std::make_pair(0u, 0u);
}

// The renderer draws here (the suite's environment lets it only check): the shipped scene made
// 24 pixels square so that the drawing takes a moment, with a settings file the dialog leaves be.
class PreviewCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin = CopyPluginFolder(dir);
    const std::string scene = plugin + "/preview/preview.kys";
    WriteFile(scene, std::regex_replace(ReadFile(scene), std::regex("<(width|height)>200<"), "<$1>24<"));
    WriteFile(plugin + "/preview/settings.kys", "<scenedata/>\n");
    const char* checkOnly = std::getenv("KYRANO_CHECK_ONLY");
    if (checkOnly) saved = checkOnly;
    unsetenv("KYRANO_CHECK_ONLY");
  }
  void TearDown() override {
    if (!saved.empty()) setenv("KYRANO_CHECK_ONLY", saved.c_str(), 1);
  }
  CommandRun Tavrell(std::vector<std::string> args) {
    args.insert(args.begin(), {"--plugin-dir", plugin, "preview", example});
    return RunCommand(args);
  }

  TempDir dir{"preview_cli"};
  std::string plugin, saved;
  const std::string example = std::string(TAVRELL_SOURCE_DIR) + "/examples/materials.json";
};

}  // namespace

TEST_F(PreviewCommand, WaitsForThePictureAndCopiesIt) {
  const std::string out = dir.str("pictures/glass.png");
  CommandRun r = Tavrell({"/Materials/Glass", "--quality", "draft", "--subdivide", "3", "-o", out, "--renderer-dir",
                          TAVRELL_RENDERER_DIR});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Preview image: " + out + "\n"), std::string::npos) << r.out;
  EXPECT_EQ(PngSize(ReadFile(out)), std::make_pair(24u, 24u));
  EXPECT_NE(ReadFile(plugin + "/preview/preview.kys").find("<max_num_subdivisions>3</max_num_subdivisions>"),
            std::string::npos);
  EXPECT_NE(ReadFile(plugin + "/preview/preview.kys.report.txt").find(", halt at 75 samples per pixel, "),
            std::string::npos);

  r = Tavrell({"Glass", "-o", out});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(out + " exists: give --overwrite yes to replace it"), std::string::npos) << r.err;
  r = Tavrell({"/Materials", "-o", dir.str("x.png")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(example + ": /Materials is not a material helper"), std::string::npos) << r.err;
  r = Tavrell({"Glass", "-o", dir.str("x.jpg")});
  EXPECT_EQ(r.code, 2);
  r = Tavrell({"Glass", "--resolution", "300", "-o", dir.str("x.png")});
  EXPECT_EQ(r.code, 2);
  EXPECT_FALSE(fs::exists(dir.str("x.png")));
}

// A scene the renderer refuses gives no picture: the command says so at once, with the report.
TEST_F(PreviewCommand, ARefusedSceneIsReportedNotWaitedFor) {
  WriteFile(plugin + "/preview/preview.kys",
            std::regex_replace(ReadFile(plugin + "/preview/preview.kys"), std::regex("preview_floor.kymesh"), "gone.kymesh"));
  const CommandRun r = Tavrell({"Clay", "-o", dir.str("clay.png"), "--timeout", "60"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("the renderer did not draw the preview; its report " + plugin + "/preview/preview.kys.report.txt says:"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("gone.kymesh"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.str("clay.png")));
}
