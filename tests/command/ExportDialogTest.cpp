// The Export and Run dialog and the Quick Render command of the plug-in loaded from a private
// copy of its folder, driven through the host's dialog script: defaults and enabled states,
// cancelled and refused exports, frame ranges, a failed save, and the quick-render folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"
#include "host/PluginRegistry.h"

using namespace testing_support;
using host::GadgetStep;

namespace {

const LONG kExportAndRun = 1021741;
const LONG kQuickRender = 1023920;
const std::string kRule =
    ".__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__."
    "--._.-.__.--.";

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 600 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return fs::exists(path);
}

size_t Count(const std::vector<std::string>& lines, const std::string& line) {
  return size_t(std::count(lines.begin(), lines.end(), line));
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

class ExportDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin = CopyPluginFolder(dir);
    settings = plugin + "/presets/tavrellSettings.cfg";
    host::Console::Get().SetEcho(false);
    ASSERT_TRUE(library.Load(plugin)) << library.error();
    host::Interaction::Get().Reset();
    host::Interaction::Get().showProgress = false;
    doc = host::LoadDocument(std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json");
    SetActiveDocument(doc);
  }
  void TearDown() override {
    SetActiveDocument(nullptr);
    BaseDocument::Free(doc);
    library.Unload();
    host::Interaction::Get().Reset();
    host::Interaction::Get().showProgress = true;
  }

  // Runs a plug-in command with fresh answers; the console lines it printed.
  std::vector<std::string> RunCommand(LONG id, std::vector<GadgetStep> steps, Bool* result = nullptr) {
    host::Interaction& in = host::Interaction::Get();
    in.Reset();
    in.fileAnswersByTitle["Choose Kyrano dir"] = TAVRELL_RENDERER_DIR;
    in.fileAnswersByTitle["Save kys..."] = scene;
    in.questionAnswersByText = answers;
    in.gadgetScript.assign(steps.begin(), steps.end());
    host::Console::Get().StartCapture();
    const Bool r = host::PluginRegistry::Get().Find(id)->command->Execute(doc);
    if (result) *result = r;
    return host::Console::Get().StopCapture();
  }

  std::vector<std::string> Export(std::vector<GadgetStep> steps) { return RunCommand(kExportAndRun, steps); }

  const host::DialogRecord& Dialog() const { return host::Interaction::Get().dialogs.back(); }
  LONG Value(const char* symbol) const { return Dialog().Find(std::string(symbol))->value.GetLong(); }
  bool Enabled(const char* symbol) const { return Dialog().Find(std::string(symbol))->enabled; }
  std::string Errors() const {
    std::string all;
    for (const std::string& e : host::Interaction::Get().errors) all += e + "\n";
    return all;
  }

  TempDir dir{"exportdlg"};
  std::string plugin, settings;
  std::string scene = dir.str("out/room.kys");
  std::map<std::string, bool> answers;
  host::PluginLibrary library;
  BaseDocument* doc = nullptr;
};

}  // namespace

TEST_F(ExportDialog, OpensWithItsDefaultsAndKeepsTheEnabledStatesInStep) {
  Export({});
  EXPECT_TRUE(Dialog().opened);
  EXPECT_EQ(Dialog().title, "Kyrano Export");
  EXPECT_EQ(host::Interaction::Get().questions, std::vector<std::string>{"Choose Kyrano dir"})
      << "no renderer stored yet";
  EXPECT_EQ(Dialog().Find(std::string("EXPORTDLG_RENDERER_PATH"))->value.GetString().str(),
            std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/Kyrano");
  EXPECT_EQ(Value("EXPORTDLG_PRIORITY"), 1660);
  EXPECT_EQ(Value("EXPORTDLG_EXPORT_AND_RUN"), 1);
  EXPECT_EQ(Value("EXPORTDLG_PORT"), 7777);
  EXPECT_EQ(Value("EXPORTDLG_ANIMATION_STATIC"), 1);
  for (const char* off :
       {"EXPORTDLG_RENDER_ALPHA", "EXPORTDLG_CONSOLE_MODE", "EXPORTDLG_START_MASTER", "EXPORTDLG_EXPORT_ANIMATION",
        "EXPORTDLG_ANIMATION_START", "EXPORTDLG_ANIMATION_END", "EXPORTDLG_NO_GEOMETRY", "EXPORTDLG_RENDER_CLAY",
        "EXPORTDLG_SPECIFY_RENDER_OUTPUT", "EXPORTDLG_SEPARATE_MATS", "EXPORTDLG_SEPARATE_SETTINGS"})
    EXPECT_EQ(Value(off), 0) << off;
  EXPECT_TRUE(Enabled("EXPORTDLG_PRIORITY"));
  EXPECT_TRUE(Enabled("EXPORTDLG_CONSOLE_MODE"));
  EXPECT_TRUE(Enabled("EXPORTDLG_START_MASTER"));
  EXPECT_FALSE(Enabled("EXPORTDLG_PORT")) << "the port belongs to the master";
  EXPECT_FALSE(Enabled("EXPORTDLG_ANIMATION_START"));
  EXPECT_FALSE(Enabled("EXPORTDLG_ANIMATION_STATIC"));
  EXPECT_FALSE(Dialog().result);
  EXPECT_NE(Errors().find("was still open when its script ended"), std::string::npos);

  Export({GadgetStep::SetTo("EXPORTDLG_START_MASTER", "on"), GadgetStep::SetTo("EXPORTDLG_EXPORT_ANIMATION", "on")});
  EXPECT_EQ(host::Interaction::Get().questions, std::vector<std::string>{}) << "the renderer folder is stored now";
  EXPECT_TRUE(Enabled("EXPORTDLG_PORT"));
  EXPECT_TRUE(Enabled("EXPORTDLG_ANIMATION_START"));
  EXPECT_TRUE(Enabled("EXPORTDLG_ANIMATION_END"));
  EXPECT_TRUE(Enabled("EXPORTDLG_ANIMATION_STATIC"));

  Export({GadgetStep::SetTo("EXPORTDLG_START_MASTER", "on"), GadgetStep::SetTo("EXPORTDLG_EXPORT_AND_RUN", "off"),
          GadgetStep::SetTo("EXPORTDLG_CONSOLE_MODE", "on"), GadgetStep::Pressing("EXPORTDLG_EXPORT")});
  for (const char* off : {"EXPORTDLG_PRIORITY", "EXPORTDLG_CONSOLE_MODE", "EXPORTDLG_START_MASTER", "EXPORTDLG_PORT"})
    EXPECT_FALSE(Enabled(off)) << off;
  EXPECT_EQ(Errors(),
            "The gadget EXPORTDLG_CONSOLE_MODE (1695) of the dialog \"Kyrano Export\" is disabled: it cannot be set to "
            "'on'.\n");
  EXPECT_FALSE(fs::exists(scene)) << "the refused step ended the script before the export";
}

TEST_F(ExportDialog, CancelAndARefusedOverwriteExportNothing) {
  Export({GadgetStep::SetTo("EXPORTDLG_RENDER_CLAY", "on"), GadgetStep::Pressing("EXPORTDLG_CANCEL")});
  EXPECT_TRUE(Dialog().opened);
  EXPECT_FALSE(Dialog().result);
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(ReadFile(settings).find("last_settings"), std::string::npos) << "a cancelled dialog stores no options";

  // A cancelled file request keeps the dialog open.
  const std::string chosen = scene;
  scene = "";
  EXPECT_EQ(Count(Export({GadgetStep::Pressing("EXPORTDLG_EXPORT")}), "Starting export..."), 0u);
  EXPECT_NE(Errors().find("was still open when its script ended"), std::string::npos);
  scene = chosen;

  fs::create_directories(dir.path() / "out");
  WriteFile(scene, "keep me");
  answers["File already exists. Overwrite?"] = false;
  const std::vector<std::string> lines = Export({GadgetStep::Pressing("EXPORTDLG_EXPORT")});
  EXPECT_EQ(host::Interaction::Get().questions,
            (std::vector<std::string>{"Save kys...", "File already exists. Overwrite?"}));
  EXPECT_EQ(ReadFile(scene), "keep me");
  EXPECT_EQ(Count(lines, "Starting export..."), 0u);
  EXPECT_TRUE(Dialog().opened);
  EXPECT_FALSE(Dialog().result) << "the dialog stayed open until its script ended";

  answers["File already exists. Overwrite?"] = true;
  Export({GadgetStep::SetTo("EXPORTDLG_EXPORT_AND_RUN", "off"), GadgetStep::Pressing("EXPORTDLG_EXPORT")});
  EXPECT_TRUE(Dialog().result) << Errors();
  EXPECT_EQ(ReadFile(scene).rfind("<!--Generated by Tavrell 2.0.5-->", 0), 0u);
}

TEST_F(ExportDialog, FramesFiveToThreeWriteNothingButStoreTheOptions) {
  const BaseTime before = doc->GetTime();
  const std::vector<std::string> lines = Export(
      {GadgetStep::SetTo("EXPORTDLG_EXPORT_ANIMATION", "on"), GadgetStep::SetTo("EXPORTDLG_ANIMATION_START", "5"),
       GadgetStep::SetTo("EXPORTDLG_ANIMATION_END", "3"), GadgetStep::Pressing("EXPORTDLG_EXPORT")});
  EXPECT_TRUE(Dialog().result) << Errors();
  EXPECT_EQ(Count(lines, "Starting export..."), 0u);
  EXPECT_FALSE(HasLineStarting(lines, "Launching Kyrano")) << "no scene to start the renderer on";
  EXPECT_FALSE(fs::exists(dir.path() / "out"));
  EXPECT_TRUE(doc->GetTime() == before);
  const std::string stored = ReadFile(settings);
  EXPECT_NE(stored.find("<EXPORT_ANIMATION_START>5</EXPORT_ANIMATION_START>"), std::string::npos) << stored;
  EXPECT_NE(stored.find("<EXPORT_ANIMATION_END>3</EXPORT_ANIMATION_END>"), std::string::npos);

  // The next dialog starts from the stored options, with the states that go with them.
  Export({});
  EXPECT_EQ(Value("EXPORTDLG_EXPORT_ANIMATION"), 1);
  EXPECT_EQ(Value("EXPORTDLG_ANIMATION_START"), 5);
  EXPECT_TRUE(Enabled("EXPORTDLG_ANIMATION_END"));
}

TEST_F(ExportDialog, FramesZeroToTwoWriteAScenePerFrameAndStartTheFirst) {
  doc->SetTime(BaseTime(7, 25));
  fs::create_directories(dir.path() / "out");
  const std::vector<std::string> lines =
      Export({GadgetStep::SetTo("EXPORTDLG_EXPORT_ANIMATION", "on"), GadgetStep::SetTo("EXPORTDLG_ANIMATION_END", "2"),
              GadgetStep::Pressing("EXPORTDLG_EXPORT")});
  EXPECT_TRUE(Dialog().result) << Errors();
  EXPECT_EQ(Count(lines, "Starting export..."), 3u);
  EXPECT_EQ(Count(lines, kRule), 6u);
  std::vector<std::string> order;
  for (const std::string& l : lines) {
    if (l == kRule || l == "Starting export..." || l.rfind("Processing time: ", 0) == 0 ||
        l.rfind("Saved scene to: ", 0) == 0 || l.rfind("Saving time: ", 0) == 0)
      order.push_back(l.rfind("Saved scene to: ", 0) == 0 ? l : l.substr(0, 12));
  }
  const std::string out = dir.str("out");
  std::vector<std::string> expected;
  for (int frame = 0; frame < 3; frame++) {
    expected.insert(expected.end(), {kRule.substr(0, 12), "Starting exp", "Processing t",
                                     "Saved scene to: " + out + "/room_frame" + std::to_string(frame) + ".kys",
                                     "Saving time:", kRule.substr(0, 12)});
  }
  EXPECT_EQ(order, expected);
  for (int frame = 0; frame < 3; frame++) EXPECT_TRUE(fs::exists(out + "/room_frame" + std::to_string(frame) + ".kys"));
  EXPECT_FALSE(fs::exists(scene)) << "a range writes no plain scene";
  EXPECT_TRUE(doc->GetTime() == BaseTime(7, 25)) << "the document's time is restored";

  // The renderer starts on the first frame's scene, once.
  EXPECT_EQ(Count(lines, "Launching Kyrano..."), 1u);
  const std::string launch = "\"" + std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/Kyrano\" -seed ";
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.rfind(launch, 0) == 0 && l.find(" \"" + out + "/room_frame0.kys\"") != std::string::npos;
  }));
  EXPECT_TRUE(WaitForFile(out + "/room_frame0.kys.report.txt"));
}

TEST_F(ExportDialog, AFailedSaveIsShownAndStartsNothing) {
  scene = dir.str("missing/room.kys");
  // Without geometry the scene is the first file the export writes.
  const std::vector<std::string> lines =
      Export({GadgetStep::SetTo("EXPORTDLG_NO_GEOMETRY", "on"), GadgetStep::Pressing("EXPORTDLG_EXPORT")});
  EXPECT_EQ(host::Interaction::Get().messages,
            std::vector<std::string>{"Could not save the scene " + scene +
                                     ". Check that its folder exists and can be written."});
  EXPECT_TRUE(HasLineStarting(lines, "Failed to save scene to: " + scene));
  EXPECT_FALSE(HasLineStarting(lines, "Launching Kyrano"));
  EXPECT_FALSE(HasLineStarting(lines, "Saved scene to: "));
  EXPECT_FALSE(Dialog().result) << "the dialog stays open for another choice";
  EXPECT_EQ(ReadFile(settings).find("last_settings"), std::string::npos);
}

TEST_F(ExportDialog, AFractionalPortIsCutToItsWholePart) {
  fs::create_directories(dir.path() / "out");
  const std::vector<std::string> lines = Export(
      {GadgetStep::SetTo("EXPORTDLG_START_MASTER", "on"), GadgetStep::SetTo("EXPORTDLG_PORT", "7777.9"),
       GadgetStep::SetTo("EXPORTDLG_PRIORITY", "EXPORTDLG_PRIORITY_LOW"), GadgetStep::Pressing("EXPORTDLG_EXPORT")});
  EXPECT_TRUE(Dialog().result) << Errors();
  EXPECT_FLOAT_EQ(Dialog().Find(std::string("EXPORTDLG_PORT"))->value.GetReal(), 7777.9f);
  EXPECT_EQ(Count(lines, "Launching Kyrano..."), 1u);
  const std::string stored = ReadFile(settings);
  EXPECT_NE(stored.find("<PORT_NUMBER>7777</PORT_NUMBER>"), std::string::npos) << stored;
  EXPECT_NE(stored.find("<PRIORITY_ID>1662</PRIORITY_ID>"), std::string::npos);
  EXPECT_NE(stored.find("<STARTMASTER>true</STARTMASTER>"), std::string::npos);
  EXPECT_TRUE(WaitForFile(scene + ".report.txt"));
}

TEST_F(ExportDialog, QuickRenderEmptiesItsFolderEveryTime) {
  const std::string folder = plugin + "/presets/quickrender";
  fs::create_directories(folder + "/old/deeper");
  WriteFile(folder + "/old/deeper/stale.kys", "stale");
  Bool started = TRUE;
  std::vector<std::string> lines = RunCommand(kQuickRender, {}, &started);
  EXPECT_FALSE(started);
  EXPECT_EQ(host::Interaction::Get().messages,
            std::vector<std::string>{
                "tavrellSettings.cfg not found, a normal export has to be done before \"Quick Render\" can be used."});
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_EQ(Count(lines, "Starting export..."), 0u);

  fs::create_directories(dir.path() / "out");
  Export({GadgetStep::SetTo("EXPORTDLG_EXPORT_AND_RUN", "off"), GadgetStep::Pressing("EXPORTDLG_EXPORT")});
  ASSERT_TRUE(Dialog().result) << Errors();
  fs::create_directories(folder + "/old");
  WriteFile(folder + "/old/stale.kys", "stale");
  lines = RunCommand(kQuickRender, {}, &started);
  EXPECT_TRUE(started);
  EXPECT_TRUE(host::Interaction::Get().messages.empty());
  EXPECT_FALSE(fs::exists(folder + "/old"));
  EXPECT_TRUE(HasLineStarting(lines, "Saved scene to: " + folder + "/quickrender.kys"));
  EXPECT_EQ(Count(lines, "Launching Kyrano..."), 1u);
  EXPECT_TRUE(WaitForFile(folder + "/quickrender.kys.report.txt"));
}
