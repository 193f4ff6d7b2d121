// The material preview: a helper's preview button opens the dialog of the plug-in loaded from
// a private copy of its folder; the dialog, driven through the host's dialog script, writes the
// material file, edits the shipped preview scene and settings, and starts the renderer (which
// only checks the scene in these tests).
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <regex>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "command/PreviewDialog.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"
#include "host/PluginRegistry.h"

using namespace testing_support;
using host::GadgetStep;

namespace {

const LONG kPreviewButton = 1085;   // MATHELPER_PREVIEW
const LONG kPreviewImage = 1096;    // MATHELPER_PREVIEW_IMAGE
const LONG kPreviewFile = 1097;     // MATHELPER_PREVIEW_FILE

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string LineStarting(const std::vector<std::string>& lines, const std::string& start) {
  for (const std::string& l : lines)
    if (l.rfind(start, 0) == 0) return l;
  return "";
}

class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin = CopyPluginFolder(dir);
    folder = plugin + "/preview/";
    for (const char* left : {"preview.kys.report.txt", "renders"}) fs::remove_all(folder + left);
    host::Console::Get().SetEcho(false);
    ASSERT_TRUE(library.Load(plugin)) << library.error();
    host::Interaction::Get().Reset();
    host::Interaction::Get().showProgress = false;
    doc = host::LoadDocument(std::string(TAVRELL_SOURCE_DIR) + "/examples/materials.json");
    SetActiveDocument(doc);
    glass = doc->SearchObject("Glass");
    ASSERT_NE(glass, nullptr);
  }
  void TearDown() override {
    SetActiveDocument(nullptr);
    BaseDocument::Free(doc);
    library.Unload();
    host::Interaction::Get().Reset();
    host::Interaction::Get().showMessages = true;
    host::Interaction::Get().showProgress = true;
  }

  // Presses the helper's preview button with the dialog script given; the console lines.
  std::vector<std::string> Press(BaseObject* helper, std::vector<GadgetStep> steps) {
    host::Interaction& in = host::Interaction::Get();
    in.Reset();
    in.showMessages = false;
    in.fileAnswersByTitle["Choose Kyrano dir"] = TAVRELL_RENDERER_DIR;
    in.gadgetScript.assign(steps.begin(), steps.end());
    host::Console::Get().StartCapture();
    DescriptionCommand press;
    press.id = DescID(kPreviewButton);
    helper->Message(MSG_DESCRIPTION_COMMAND, &press);
    return host::Console::Get().StopCapture();
  }
  std::vector<std::string> Render(std::vector<GadgetStep> steps = {}) {
    steps.push_back(GadgetStep::Pressing("PREVIEWDLG_RENDER"));
    return Press(glass, steps);
  }

  // The renderer's report on the preview scene, once it has written it.
  std::string Report() const {
    const std::string report = folder + "preview.kys.report.txt";
    for (int i = 0; i < 600 && !fs::exists(report); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::string text = ReadFile(report);
    fs::remove(report);
    return text;
  }

  // The texts of the preview sphere's children, as "name=text" in file order, after the
  // external mesh file element.
  std::vector<std::string> SphereExtras() const {
    TiXmlDocument scene;
    EXPECT_TRUE(scene.LoadFile((folder + "preview.kys").c_str()));
    std::vector<std::string> extras;
    for (const TiXmlElement* mesh = scene.RootElement()->FirstChildElement("mesh"); mesh;
         mesh = mesh->NextSiblingElement("mesh")) {
      if (std::string(mesh->FirstChildElement("name")->GetText()) != "preview_sphere") continue;
      for (const TiXmlElement* e = mesh->FirstChildElement("merge_vertices_with_same_pos_and_normal"); e;
           e = e->NextSiblingElement())
        if (e->ValueStr() != "merge_vertices_with_same_pos_and_normal")
          extras.push_back(e->ValueStr() + "=" + (e->GetText() ? e->GetText() : ""));
    }
    return extras;
  }

  std::string Size() const {
    TiXmlDocument settings;
    EXPECT_TRUE(settings.LoadFile((folder + "settings.kys").c_str()));
    const TiXmlElement* s = settings.RootElement()->FirstChildElement("renderer_settings");
    return std::string(s->FirstChildElement("width")->GetText()) + "x" + s->FirstChildElement("height")->GetText();
  }

  const host::DialogRecord& Dialog() const { return host::Interaction::Get().dialogs.back(); }
  std::string Image() const { return glass->GetDataInstance()->GetFilename(kPreviewFile).str(); }

  TempDir dir{"previewdlg"};
  std::string plugin, folder;
  host::PluginLibrary library;
  BaseDocument* doc = nullptr;
  BaseObject* glass = nullptr;
};

}  // namespace

TEST_F(Preview, TheDefaultsRenderTheMaterialWithoutSubdivisionAt200Pixels) {
  WriteFile(folder + "settings.kys", "<scenedata><renderer_settings><width>350</width><height>64</height>"
                                     "</renderer_settings></scenedata>");
  const std::vector<std::string> lines = Render();
  ASSERT_TRUE(Dialog().opened);
  EXPECT_TRUE(Dialog().result);
  EXPECT_EQ(Dialog().title, "Kyrano Material Preview");
  const std::string exe = std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/KyranoConsole";
  EXPECT_EQ(Dialog().Find(std::string("PREVIEWDLG_RENDERER_PATH"))->value.GetString().str(), exe);
  EXPECT_EQ(Dialog().Find(std::string("PREVIEWDLG_CYCLE_1683"))->value.GetLong(), 1685);
  EXPECT_EQ(Dialog().Find(std::string("PREVIEWDLG_SUBDIVIDE"))->value.GetLong(), 0);

  EXPECT_EQ(SphereExtras(), std::vector<std::string>{});
  EXPECT_EQ(Size(), "200x200");
  // The helper's own material, named as the preview scene's sphere uses it.
  const std::string kym = ReadFile(folder + "preview.kym");
  EXPECT_NE(kym.find("<name>previewMat</name>\n        <specular>"), std::string::npos) << kym;
  EXPECT_EQ(kym.find("<name>Glass</name>"), std::string::npos);

  // Normal quality, console renderer, no network master, into the helper's new image.
  const std::string image = Image();
  EXPECT_EQ(fs::path(image).parent_path().string(), plugin + "/preview/renders");
  EXPECT_TRUE(fs::is_directory(plugin + "/preview/renders")) << "made for the renderer, which writes only the picture";
  const std::string launch = std::regex_replace(LineStarting(lines, "\"" + exe + "\" -seed "), std::regex("-seed [0-9]+ "), "-seed N ");
  EXPECT_EQ(launch, "\"" + exe + "\" -seed N \"" + folder + "preview.kys\" -haltspp 200 -o \"" + image + "\"");
  EXPECT_TRUE(Has(lines, "successful!"));
  const std::string report = Report();
  EXPECT_NE(report.find("Problems: 0\n"), std::string::npos) << report;
  EXPECT_NE(report.find(", halt at 200 samples per pixel, output image " + image), std::string::npos) << report;
}

TEST_F(Preview, QualityResolutionAndSubdivisionReachTheFiles) {
  Render({GadgetStep::SetTo("PREVIEWDLG_RESOLUTION", "PREVIEWDLG_RESOLUTION_500"),
          GadgetStep::SetTo("PREVIEWDLG_QUALITY", "PREVIEWDLG_QUALITY_LOW"),
          GadgetStep::SetTo("PREVIEWDLG_SUBDIVIDE", "on"), GadgetStep::SetTo("PREVIEWDLG_MAX_SUBDIVISIONS", "5"),
          GadgetStep::SetTo("PREVIEWDLG_PIXEL_THRESHOLD", "2.5"), GadgetStep::SetTo("PREVIEWDLG_SMOOTHING", "off")});
  EXPECT_EQ(Size(), "500x500");
  EXPECT_EQ(SphereExtras(), (std::vector<std::string>{"max_num_subdivisions=5", "subdivide_pixel_threshold=2.500",
                                                      "subdivide_curvature_threshold=0.100",
                                                      "subdivision_smoothing=false"}));
  EXPECT_NE(Report().find(", halt at 75 samples per pixel, "), std::string::npos);

  // A second render replaces the elements instead of adding more.
  Render({GadgetStep::SetTo("PREVIEWDLG_RESOLUTION", "PREVIEWDLG_RESOLUTION_350"),
          GadgetStep::SetTo("PREVIEWDLG_QUALITY", "PREVIEWDLG_QUALITY_BEST"),
          GadgetStep::SetTo("PREVIEWDLG_SUBDIVIDE", "on"), GadgetStep::SetTo("PREVIEWDLG_MAX_SUBDIVISIONS", "50"),
          GadgetStep::SetTo("PREVIEWDLG_CURVATURE_THRESHOLD", "-1")});
  EXPECT_EQ(Size(), "350x350");
  EXPECT_EQ(SphereExtras(), (std::vector<std::string>{"max_num_subdivisions=50", "subdivide_pixel_threshold=0.000",
                                                      "subdivide_curvature_threshold=-1.000",
                                                      "subdivision_smoothing=true"}));
  EXPECT_NE(Report().find(", halt at 1000 samples per pixel, "), std::string::npos);

  // The dialog opens with its own subdivision values each time.
  Render({GadgetStep::SetTo("PREVIEWDLG_SUBDIVIDE", "on")});
  EXPECT_EQ(SphereExtras(), (std::vector<std::string>{"max_num_subdivisions=2", "subdivide_pixel_threshold=0.000",
                                                      "subdivide_curvature_threshold=0.100",
                                                      "subdivision_smoothing=true"}));
  EXPECT_EQ(Size(), "200x200");
  Report();

  Render({GadgetStep::SetTo("PREVIEWDLG_QUALITY", "PREVIEWDLG_QUALITY_HIGH")});
  EXPECT_EQ(SphereExtras(), std::vector<std::string>{});
  EXPECT_NE(Report().find(", halt at 400 samples per pixel, "), std::string::npos);
  for (const auto& entry : fs::directory_iterator(folder)) EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

// The preview files are put in place whole: a reader holding the old file (a hard link here)
// keeps it, and a file that does not load, or needs no change, is never written back.
TEST_F(Preview, TheSceneFilesAreReplacedWholeAndOnlyWhenEdited) {
  PreviewDialog dialog;
  const std::string scene = folder + "preview.kys", settings = folder + "settings.kys";
  fs::create_hard_link(scene, dir.str("old.kys"));
  const std::string shipped = ReadFile(scene);
  dialog.AddSubdivisionOption(TRUE, 1, 0, 0, TRUE);
  EXPECT_EQ(ReadFile(dir.str("old.kys")), shipped);
  EXPECT_NE(ReadFile(scene), shipped);

  fs::create_hard_link(settings, dir.str("old_settings.kys"));
  dialog.ChangeResolution(200);
  EXPECT_TRUE(fs::equivalent(settings, dir.str("old_settings.kys"))) << "already 200: not rewritten";
  dialog.ChangeResolution(350);
  EXPECT_FALSE(fs::equivalent(settings, dir.str("old_settings.kys")));
  EXPECT_EQ(Size(), "350x350");

  for (const std::string& text : {std::string("<scenedata><renderer_settings><width>1"), std::string("<other/>"),
                                 std::string("<scenedata><camera/></scenedata>")}) {
    WriteFile(settings, text);
    host::Console::Get().StartCapture();
    dialog.ChangeResolution(500);
    const std::vector<std::string> lines = host::Console::Get().StopCapture();
    EXPECT_EQ(ReadFile(settings), text);
    EXPECT_EQ(lines.size(), text.back() == '1' ? 1u : 0u) << "only the unreadable file is reported";
  }
  WriteFile(scene, "<scene><mesh><name>other</name></mesh></scene>");
  dialog.AddSubdivisionOption(TRUE, 1, 0, 0, TRUE);
  EXPECT_EQ(ReadFile(scene), "<scene><mesh><name>other</name></mesh></scene>");
}

TEST_F(Preview, CancelAndChooseRendererChangeNothingTheyShouldNot) {
  const std::string shipped = ReadFile(folder + "preview.kys");
  Press(glass, {GadgetStep::Pressing("PREVIEWDLG_CANCEL")});
  EXPECT_TRUE(Dialog().opened);
  EXPECT_FALSE(Dialog().result);
  EXPECT_EQ(ReadFile(folder + "preview.kys"), shipped);
  EXPECT_FALSE(fs::exists(Image()));

  // Choose Renderer, then cancel the chooser: the working folder stays, shown and stored.
  host::Interaction& in = host::Interaction::Get();
  in.Reset();
  in.fileAnswers = {""};
  in.gadgetScript = {GadgetStep::Pressing("PREVIEWDLG_CHOOSE_RENDERER"), GadgetStep::Pressing("PREVIEWDLG_CANCEL")};
  DescriptionCommand press;
  press.id = DescID(kPreviewButton);
  glass->Message(MSG_DESCRIPTION_COMMAND, &press);
  EXPECT_EQ(in.questions, std::vector<std::string>{"Choose Kyrano dir"}) << "asked once, by Choose Renderer";
  EXPECT_EQ(Dialog().Find(std::string("PREVIEWDLG_RENDERER_PATH"))->value.GetString().str(),
            std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/KyranoConsole");
  EXPECT_NE(ReadFile(plugin + "/presets/tavrellSettings.cfg").find(std::string("<PATH>") + TAVRELL_RENDERER_DIR + "</PATH>"),
            std::string::npos);

  // A helper without a material has nothing to preview: no dialog opens.
  BaseObject* lone = BaseObject::Alloc(host::PluginRegistry::Get().FindByDescription("oMyMaterialHelper")->id);
  doc->InsertObject(lone, nullptr, nullptr);
  Press(lone, {});
  EXPECT_TRUE(in.dialogs.empty());
}

// A material file that cannot be written starts no renderer: an earlier preview's material
// would be rendered and shown as this one.
TEST_F(Preview, AMaterialFileThatCannotBeWrittenStartsNoRenderer) {
  fs::remove(folder + "preview.kym");
  fs::create_directory(folder + "preview.kym");
  const std::vector<std::string> lines = Render();
  EXPECT_FALSE(Dialog().result);
  EXPECT_FALSE(Has(lines, "Launching Kyrano..."));
  ASSERT_EQ(host::Interaction::Get().messages.size(), 1u);
  EXPECT_EQ(host::Interaction::Get().messages[0], "The material preview was not rendered: the material file " + folder +
                                                      "preview.kym could not be written. Check that the plug-in's "
                                                      "preview folder can be written.");
}

// The picture is the helper's bitmap once it is there whole; until then the helper hands over
// none, leaving the one shown as it was, and says why on the console.
TEST_F(Preview, OnlyAWholePictureBecomesTheHelpersBitmap) {
  auto bitmap = [&](std::vector<std::string>* lines) {
    DescriptionGetBitmap request;
    request.id = DescID(kPreviewImage);
    host::Console::Get().StartCapture();
    EXPECT_TRUE(glass->Message(MSG_DESCRIPTION_GETBITMAP, &request));
    *lines = host::Console::Get().StopCapture();
    return request.bmp;
  };
  const std::string image = dir.str("render.png");
  glass->GetDataInstance()->SetFilename(kPreviewFile, Filename(image.c_str()));
  std::vector<std::string> lines;
  EXPECT_EQ(bitmap(&lines), nullptr);
  EXPECT_EQ(lines, std::vector<std::string>{"Material preview: the picture " + image +
                                            " does not exist (yet); the preview shown is unchanged."});

  const std::string png = ReadFile(std::string(TAVRELL_SOURCE_DIR) + "/examples/textures/detail.png");
  WriteFile(image, png.substr(0, png.size() / 2));
  EXPECT_EQ(bitmap(&lines), nullptr);
  EXPECT_EQ(lines, std::vector<std::string>{"Material preview: the picture " + image +
                                            " could not be read; the preview shown is unchanged."});

  WriteFile(image, png);
  BaseBitmap* shown = bitmap(&lines);
  ASSERT_NE(shown, nullptr);
  // The PNG header's width and height, big-endian at bytes 16 and 20.
  auto word = [&png](size_t at) { return LONG((UCHAR(png[at]) << 24) | (UCHAR(png[at + 1]) << 16) | (UCHAR(png[at + 2]) << 8) | UCHAR(png[at + 3])); };
  EXPECT_EQ(shown->GetBw(), word(16));
  EXPECT_EQ(shown->GetBh(), word(20));
  EXPECT_TRUE(lines.empty());
  BaseBitmap::Free(shown);
}
