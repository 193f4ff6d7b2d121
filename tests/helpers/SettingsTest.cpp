// The settings file in a private copy of the plug-in folder: what is written, what survives a
// rewrite, how odd values read back, and that a failed save keeps the old file.
#include "helpers/HelpersSettings.h"

#include <gtest/gtest.h>
#include <tinyxml.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "fault/FaultSupport.h"
#include "host/Console.h"
#include "host/PluginLoader.h"

using namespace testing_support;

namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin = CopyPluginFolder(dir);
    file = plugin + "/presets/tavrellSettings.cfg";
    host::SetPluginPath(plugin);
    host::Console::Get().SetEcho(false);
  }

  std::unique_ptr<Helpers::ExportSettings> Load() { return std::unique_ptr<Helpers::ExportSettings>(Helpers::LoadSettings()); }

  void SaveFolder(const std::string& folder) {
    Helpers::GlobalSettings global;
    global.path = String(folder.c_str());
    Helpers::SaveSettings(nullptr, &global);
  }

  // The top-level nodes of the file: element names, or "#comment".
  std::vector<std::string> TopLevel() {
    TiXmlDocument doc;
    EXPECT_TRUE(doc.LoadFile(file)) << ReadFile(file);
    std::vector<std::string> names;
    for (const TiXmlNode* n = doc.FirstChild(); n; n = n->NextSibling()) names.push_back(n->ToComment() ? "#comment" : n->ValueStr());
    return names;
  }

  TempDir dir{"settings"};
  std::string plugin, file;
};

const char* const kNames[15] = {"SPECIFY_RENDER_OUTPUT", "EXPORTANDRUN", "STARTMASTER", "RENDERALPHA", "NOGEOMETRY",
                                "RENDERCLAY", "SEPERATE_MATS", "SEPERATE_SETTINGS", "EXPORT_ANIMATION",
                                "EXPORT_ANIMATION_STATIC", "CONSOLEMODE", "EXPORT_ANIMATION_START",
                                "EXPORT_ANIMATION_END", "PRIORITY_ID", "PORT_NUMBER"};

std::vector<LONG> Values(const Helpers::ExportSettings& s) {
  return {s.SPECIFY_RENDER_OUTPUT, s.EXPORTANDRUN, s.STARTMASTER, s.RENDERALPHA, s.NOGEOMETRY,
          s.RENDERCLAY, s.SEPERATE_MATS, s.SEPERATE_SETTINGS, s.EXPORT_ANIMATION, s.EXPORT_ANIMATION_STATIC,
          s.CONSOLEMODE, s.EXPORT_ANIMATION_START, s.EXPORT_ANIMATION_END, s.PRIORITY_ID, s.PORT_NUMBER};
}

std::string LastSettings(const std::string& children) { return "<last_settings>" + children + "</last_settings>\n"; }

}  // namespace

TEST_F(Settings, OptionsAreWrittenInTableOrderAndReadBack) {
  EXPECT_EQ(Helpers::GetSettingsFile().GetString().str(), file);
  Helpers::ExportSettings saved;
  saved.EXPORTANDRUN = 1;
  saved.RENDERALPHA = 1;
  saved.SEPERATE_MATS = 1;
  saved.CONSOLEMODE = 1;
  saved.EXPORT_ANIMATION_START = -5;
  saved.EXPORT_ANIMATION_END = 250;
  saved.PRIORITY_ID = 2;
  saved.PORT_NUMBER = 7000;
  Helpers::SaveSettings(&saved, nullptr);

  TiXmlDocument doc;
  ASSERT_TRUE(doc.LoadFile(file));
  ASSERT_TRUE(doc.FirstChild()->ToElement()) << "no declaration, no comment before the block";
  const TiXmlElement* block = doc.FirstChildElement();
  EXPECT_EQ(block->ValueStr(), "last_settings");
  EXPECT_EQ(block->NextSibling(), nullptr);
  const std::vector<std::string> texts = {"false", "true", "false", "true", "false", "false", "true", "false",
                                          "false", "false", "true", "-5", "250", "2", "7000"};
  const TiXmlElement* e = block->FirstChildElement();
  for (int i = 0; i < 15; ++i, e = e->NextSiblingElement()) {
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ValueStr(), kNames[i]);
    EXPECT_EQ(std::string(e->GetText()), texts[size_t(i)]) << kNames[i];
  }
  EXPECT_EQ(e, nullptr);

  auto loaded = Load();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(Values(*loaded), Values(saved));
}

TEST_F(Settings, EachSaveReplacesItsBlockAtTheEndAndKeepsEverythingElse) {
  WriteFile(file, "<!--kept-->\n<global_settings><PATH>/old</PATH></global_settings>\n<custom a=\"1\">x</custom>\n");
  Helpers::ExportSettings options;
  options.PORT_NUMBER = 12;
  Helpers::SaveSettings(&options, nullptr);
  EXPECT_EQ(TopLevel(), (std::vector<std::string>{"#comment", "global_settings", "custom", "last_settings"}));

  // Choosing the renderer folder twice leaves one block, with the latest folder, at the end.
  SaveFolder("/first");
  SaveFolder("/second");
  EXPECT_EQ(TopLevel(), (std::vector<std::string>{"#comment", "custom", "last_settings", "global_settings"}));
  String folder;
  ASSERT_TRUE(Helpers::GetRendererFolder(&folder));
  EXPECT_EQ(folder.str(), "/second");
  auto loaded = Load();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->PORT_NUMBER, 12);
  EXPECT_NE(ReadFile(file).find("<custom a=\"1\">x</custom>"), std::string::npos);

  // With nothing to store the file is written back as it was read; a file that does not
  // read is left alone.
  const std::string before = ReadFile(file);
  Helpers::SaveSettings(nullptr, nullptr);
  EXPECT_EQ(ReadFile(file), before);
  WriteFile(file, "not <xml");
  Helpers::SaveSettings(nullptr, nullptr);
  EXPECT_EQ(ReadFile(file), "not <xml");
}

TEST_F(Settings, LoadingFollowsTheFileRules) {
  EXPECT_FALSE(Load()) << "missing file";
  WriteFile(file, "not <xml");
  EXPECT_FALSE(Load());
  WriteFile(file, "<global_settings><PATH>/x</PATH></global_settings>\n");
  EXPECT_FALSE(Load()) << "no last_settings";
  WriteFile(file, "");
  EXPECT_FALSE(Load());

  // Absent values read 0; flags are "true" in any case, with surrounding white space, and
  // nothing else; numbers go through the host's conversion; an element without text is empty.
  WriteFile(file, LastSettings("<EXPORTANDRUN>True</EXPORTANDRUN><STARTMASTER>TRUE</STARTMASTER>"
                               "<RENDERALPHA>yes</RENDERALPHA><NOGEOMETRY>1</NOGEOMETRY><RENDERCLAY/>"
                               "<SEPERATE_MATS>\n  true\n</SEPERATE_MATS><CONSOLEMODE>tru e</CONSOLEMODE>"
                               "<EXPORT_ANIMATION_START>12abc</EXPORT_ANIMATION_START>"
                               "<EXPORT_ANIMATION_END>abc</EXPORT_ANIMATION_END><PRIORITY_ID></PRIORITY_ID>") +
                      LastSettings("<PORT_NUMBER>5</PORT_NUMBER>"));
  auto loaded = Load();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(Values(*loaded), (std::vector<LONG>{0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 12, 0, 0, 0}));

  WriteFile(file, LastSettings("<EXPORT_ANIMATION_START> -7</EXPORT_ANIMATION_START>"
                               "<EXPORT_ANIMATION_END>99999999999</EXPORT_ANIMATION_END>"));
  loaded = Load();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->EXPORT_ANIMATION_START, -7);
  EXPECT_EQ(loaded->EXPORT_ANIMATION_END, 2147483647);
}

TEST_F(Settings, RendererFolderKeepsEveryCharacterUpToTheLimit) {
  const std::string odd = " /Volumes/My  Disk/<K&R> \"x\"/ ";
  SaveFolder(odd);
  String folder;
  ASSERT_TRUE(Helpers::GetRendererFolder(&folder));
  EXPECT_EQ(folder.str(), odd);

  const std::string longest(Helpers::MAX_RENDERER_FOLDER_LENGTH, 'a');
  SaveFolder(longest);
  ASSERT_TRUE(Helpers::GetRendererFolder(&folder));
  EXPECT_EQ(folder.str(), longest);

  const std::string before = ReadFile(file);
  host::Console::Get().StartCapture();
  SaveFolder(longest + "a");
  const std::vector<std::string> lines = host::Console::Get().StopCapture();
  EXPECT_EQ(ReadFile(file), before);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("Renderer folder not stored: it is longer than 999 characters.", 0), 0u) << lines[0];

  // A cancelled chooser stores an empty folder, which reads as unknown.
  SaveFolder("");
  EXPECT_FALSE(Helpers::GetRendererFolder(&folder));
}

TEST_F(Settings, AFailedSaveLeavesTheOldFileWholeAndSaysSo) {
  Helpers::ExportSettings options;
  options.PORT_NUMBER = 1;
  Helpers::SaveSettings(&options, nullptr);
  const std::string before = ReadFile(file);
  options.PORT_NUMBER = 2;
  {
    // No new file can be made in the presets folder.
    BlockedFolder blocked(plugin + "/presets");
    if (!blocked.ok()) GTEST_SKIP() << "cannot block a folder here";
    host::Console::Get().StartCapture();
    Helpers::SaveSettings(&options, nullptr);
    const std::vector<std::string> lines = host::Console::Get().StopCapture();
    EXPECT_EQ(ReadFile(file), before);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Settings not stored: cannot write " + file + ": cannot create a temporary file beside it: ", 0),
              0u)
        << lines[0];
  }
  Helpers::SaveSettings(&options, nullptr);
  EXPECT_EQ(Load()->PORT_NUMBER, 2);
  for (const auto& entry : fs::directory_iterator(plugin + "/presets")) EXPECT_NE(entry.path().extension(), ".tmp");
}
