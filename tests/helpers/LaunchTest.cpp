// Finding the renderer, choosing its folder, the batch file byte for byte, and starting the
// stand-in renderer on a scene whose path would run commands if a shell ever saw it.
#include "helpers/HelpersLaunch.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "helpers/HelpersSettings.h"
#include "host/Console.h"
#include "host/PluginLoader.h"

using namespace testing_support;

namespace {

class Launch : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin = CopyPluginFolder(dir);
    host::SetPluginPath(plugin);
    host::Console::Get().SetEcho(false);
    host::Interaction::Get().Reset();
  }

  void StoreFolder(const std::string& folder) {
    Helpers::GlobalSettings global;
    global.path = String(folder.c_str());
    Helpers::SaveSettings(nullptr, &global);
  }

  std::string Exe(int withFile, int console, const std::string& start = "") {
    Filename exe(start.c_str());
    return Helpers::GetKyranoExe(&exe, withFile, console) ? exe.GetString().str() : "unknown, left as " + exe.GetString().str();
  }

  std::vector<std::string> LaunchCapturing(const std::string& scene, int console, int* result) {
    host::Console::Get().StartCapture();
    *result = Helpers::LaunchKyrano(Filename(scene.c_str()), 0, console, 0, 1, 7000, Filename("/o/x.png"), 100);
    return host::Console::Get().StopCapture();
  }

  TempDir dir{"launch"};
  std::string plugin;
};

// The batch text with each seed replaced by N; the seeds must be whole non-negative numbers.
std::string WithoutSeeds(const std::string& text) {
  return std::regex_replace(text, std::regex("-seed [0-9]+ "), "-seed N ");
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 600 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return fs::exists(path);
}

}  // namespace

TEST_F(Launch, ExecutablePathFollowsTheStoredFolder) {
  EXPECT_EQ(Helpers::GetWritePath().GetString().str(), plugin + "/presets");
  EXPECT_EQ(Exe(1, 0, "/keep/me"), "unknown, left as /keep/me") << "no settings file";
  WriteFile(plugin + "/presets/tavrellSettings.cfg", "<global_settings></global_settings>");
  EXPECT_EQ(Exe(1, 0, "/keep/me"), "unknown, left as /keep/me");
  WriteFile(plugin + "/presets/tavrellSettings.cfg", "<global_settings><PATH></PATH></global_settings>");
  EXPECT_EQ(Exe(1, 0, "/keep/me"), "unknown, left as /keep/me");

  StoreFolder("/Applications/Kyrano");
  EXPECT_EQ(Exe(1, 0), "/Applications/Kyrano/Kyrano.app/Contents/MacOS/Kyrano");
  EXPECT_EQ(Exe(1, 1), "/Applications/Kyrano/Kyrano.app/Contents/MacOS/KyranoConsole");
  EXPECT_EQ(Exe(0, 1, "/old/place/previous.bin"), "/Applications/Kyrano/Kyrano.app/Contents/MacOS/previous.bin");
  StoreFolder("/Applications/Kyrano/");
  EXPECT_EQ(Exe(1, 0), "/Applications/Kyrano//Kyrano.app/Contents/MacOS/Kyrano");
}

TEST_F(Launch, ChoosingTheFolderStoresTheAnswerButNotACancel) {
  host::Interaction& ui = host::Interaction::Get();
  ui.fileAnswers = {"/opt/kyrano"};
  EXPECT_EQ(Helpers::ChooseKyranoExe(), 1);
  EXPECT_EQ(ui.questions, std::vector<std::string>{"Choose Kyrano dir"});
  EXPECT_EQ(Exe(1, 0), "/opt/kyrano/Kyrano.app/Contents/MacOS/Kyrano");

  // A cancel keeps the folder chosen before.
  ui.fileAnswers = {""};
  EXPECT_EQ(Helpers::ChooseKyranoExe(), 1);
  EXPECT_EQ(Exe(1, 0), "/opt/kyrano/Kyrano.app/Contents/MacOS/Kyrano");
  EXPECT_EQ(ui.questions.size(), 2u);
}

TEST_F(Launch, BatchFileTextByteForByte) {
  StoreFolder("/opt/k");
  const std::string batch = plugin + "/presets/kyrano_run.cmd";
  Filename written = Helpers::WriteBatchFile(Filename("/s/room.kys"), 1, Filename("/o/img.tif"), 0, 1, 7000, 0, 3, 4, 1);
  EXPECT_EQ(written.GetString().str(), batch);
  EXPECT_EQ(WithoutSeeds(ReadFile(batch)),
            "@echo off\n"
            "cd /d \"/opt/k/Kyrano.app/Contents/MacOS\"\n"
            "echo Rendering frame 3...\n"
            "start /belownormal /wait /min Kyrano -seed N \"/s\\room_frame3.kys\" -haltspp 0 -n wm -p 7000 "
            "-o \"/o\\img_frame3.png\"\n"
            "echo Done!\n"
            "echo ------------------\n"
            "echo Rendering frame 4...\n"
            "start /belownormal /wait /min Kyrano -seed N \"/s\\room_frame4.kys\" -haltspp 0 -n wm -p 7000 "
            "-o \"/o\\img_frame4.png\"\n"
            "echo Done!\n"
            "echo ------------------\n");

  // Without the animation flag every block names the same files; -1 suppresses the halt.
  Helpers::WriteBatchFile(Filename("/s/room.kys"), 0, Filename(), 1, 0, 7000, -1, 1, 2, 0);
  const std::string block = "start kyrano_console.exe -seed N \"/s\\room.kys\"\necho Done!\necho ------------------\n";
  EXPECT_EQ(WithoutSeeds(ReadFile(batch)), "@echo off\ncd /d \"/opt/k/Kyrano.app/Contents/MacOS\"\n"
                                           "echo Rendering frame 1...\n" + block + "echo Rendering frame 2...\n" + block);

  Helpers::WriteBatchFile(Filename("/s/room.kys"), 0, Filename(), 0, 0, 0, -1, 5, 4, 1);
  EXPECT_EQ(ReadFile(batch), "@echo off\ncd /d \"/opt/k/Kyrano.app/Contents/MacOS\"\n");
  for (const auto& entry : fs::directory_iterator(plugin + "/presets")) EXPECT_NE(entry.path().extension(), ".tmp");
}

// A quote or a line break would end the quoting and let the rest of the path run as commands:
// such paths are refused, and the batch file of before stays. A percent sign is doubled, so
// that the batch does not expand it.
TEST_F(Launch, BatchFilesRefuseWhatTheyCannotQuote) {
  StoreFolder("/opt/k");
  const std::string batch = plugin + "/presets/kyrano_run.cmd";
  Helpers::WriteBatchFile(Filename("/s/100%/room.kys"), 0, Filename(), 0, 0, 0, -1, 1, 1, 0);
  const std::string before = ReadFile(batch);
  EXPECT_NE(WithoutSeeds(before).find("-seed N \"/s/100%%\\room.kys\"\n"), std::string::npos) << before;

  host::Console::Get().StartCapture();
  for (const char* scene : {"/s/a\" & calc & \".kys", "/s/a\nrd /s /q C:\\\n.kys", "/s/a\r.kys"})
    EXPECT_FALSE(Helpers::WriteBatchFile(Filename(scene), 0, Filename(), 0, 0, 0, -1, 1, 1, 0).Content()) << scene;
  EXPECT_FALSE(Helpers::WriteBatchFile(Filename("/s/room.kys"), 0, Filename("/o/\"x.png"), 0, 0, 0, -1, 1, 1, 0).Content());
  StoreFolder("/opt/k\"");
  EXPECT_FALSE(Helpers::WriteBatchFile(Filename("/s/room.kys"), 0, Filename(), 0, 0, 0, -1, 1, 1, 0).Content());
  const std::vector<std::string> lines = host::Console::Get().StopCapture();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "Batch file not written: the path /s/a\" & calc & \".kys holds a double quote or a line break, which "
                      "a batch file cannot quote.");
  EXPECT_EQ(ReadFile(batch), before);
}

// The scene and every option reach the renderer, each as one argument: a path that would run
// commands if a shell ever saw it runs nothing, and the renderer's report lists what it was told.
TEST_F(Launch, SceneAndOptionsReachTheRendererAndRunNothingElse) {
  StoreFolder(TAVRELL_RENDERER_DIR);
  const std::string marker = dir.str("pwned");
  const std::string folder = dir.str() + "/q\"$(touch " + marker + ")`touch " + marker + "`;touch " + marker + " '";
  fs::create_directories(folder);
  const std::string scene = folder + "/room.kys";
  WriteFile(scene, "<!--Generated by Tavrell 2.0.5-->\n<!--Using TinyXml-->\n<!--Developed by: x-->\n<scene/>\n");
  const std::string image = folder + "/out.png";

  host::Console::Get().StartCapture();
  const int result = Helpers::LaunchKyrano(Filename(scene.c_str()), 0, 0, 0, 1, 9000, Filename((folder + "/out.tif").c_str()), 75);
  const std::vector<std::string> lines = host::Console::Get().StopCapture();
  EXPECT_EQ(result, 1);
  const std::string exe = std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/Kyrano";
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Command processor available.");
  EXPECT_EQ(lines[1], "Launching Kyrano...");
  EXPECT_EQ(std::regex_replace(lines[2], std::regex("-seed [0-9]+ "), "-seed N "),
            "\"" + exe + "\" -seed N \"" + scene + "\" -haltspp 75 -n wm -p 9000 -o \"" + image + "\"");
  EXPECT_EQ(lines[3], "successful!");
  // The renderer is not the host's child: nothing is left to reap.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  ASSERT_TRUE(WaitForFile(scene + ".report.txt"));
  const std::string report = ReadFile(scene + ".report.txt");
  EXPECT_NE(report.find("Scene: " + scene + "\n"), std::string::npos);
  EXPECT_NE(std::regex_replace(report, std::regex("seed [0-9]+,"), "seed N,")
                .find("Options: seed N, halt at 75 samples per pixel, network work master on port 9000, output image " +
                      image),
            std::string::npos)
      << report;
  EXPECT_FALSE(fs::exists(marker));
  EXPECT_FALSE(fs::exists("pwned"));
}

// Without a master, a sample limit (-1) or an output, those options are left out.
TEST_F(Launch, OptionsNotAskedForAreLeftOut) {
  StoreFolder(TAVRELL_RENDERER_DIR);
  const std::string scene = dir.str("plain.kys");
  WriteFile(scene, "<!--Generated by Tavrell 2.0.5-->\n<!--Using TinyXml-->\n<!--Developed by: x-->\n<scene/>\n");
  host::Console::Get().StartCapture();
  EXPECT_EQ(Helpers::LaunchKyrano(Filename(scene.c_str()), 1, 1, 1, 0, 7777, Filename(), -1), 1);
  const std::vector<std::string> lines = host::Console::Get().StopCapture();
  ASSERT_EQ(lines.size(), 4u);
  const std::string exe = std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/KyranoConsole";
  EXPECT_EQ(WithoutSeeds(lines[2] + " "), "\"" + exe + "\" -seed N \"" + scene + "\" ");
  ASSERT_TRUE(WaitForFile(scene + ".report.txt"));
  EXPECT_TRUE(std::regex_search(ReadFile(scene + ".report.txt"), std::regex("Options: seed [0-9]+(, check only)?\n")));
}

TEST_F(Launch, AFailedStartIsReportedAsFailed) {
  int result = 1;
  std::vector<std::string> lines = LaunchCapturing(dir.str("room.kys"), 1, &result);
  EXPECT_EQ(result, 0) << "no renderer folder stored";
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], "failed. Check your path settings.");
  EXPECT_EQ(lines[4], "Could not start the renderer: no renderer executable is known");

  StoreFolder(dir.str("nowhere"));
  lines = LaunchCapturing(dir.str("room.kys"), 1, &result);
  lines[2] = WithoutSeeds(lines[2]);
  EXPECT_EQ(result, 0);
  const std::string exe = dir.str("nowhere") + "/Kyrano.app/Contents/MacOS/KyranoConsole";
  EXPECT_EQ(lines, (std::vector<std::string>{"Command processor available.", "Launching Kyrano...",
                                             "\"" + exe + "\" -seed N \"" + dir.str("room.kys") + "\" -haltspp 100 -n wm -p 7000 -o \"/o/x.png\"",
                                             "failed. Check your path settings.",
                                             "Could not start the renderer: cannot run " + exe +
                                                 ": No such file or directory"}));
}
