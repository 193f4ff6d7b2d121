#include <gtest/gtest.h>

#include <regex>

#include "TestSupport.h"
#include "c4d.h"
#include "host/Console.h"
#include "host/PluginLoader.h"
#include "host/PluginRegistry.h"

using namespace testing_support;

namespace {

const std::string kRule =
    ".__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--.";

std::vector<LONG> RegisteredIds() {
  std::vector<LONG> ids;
  for (const host::PluginRecord& r : host::PluginRegistry::Get().All()) ids.push_back(r.id);
  return ids;
}

struct Loaded {
  bool ok;
  std::string error;
  std::vector<std::string> console;
  std::vector<LONG> ids;
};

Loaded LoadFrom(const std::string& folder) {
  host::Console::Get().SetEcho(false);
  host::Console::Get().StartCapture();
  host::PluginLibrary lib;
  Loaded l;
  l.ok = lib.Load(folder);
  l.error = lib.error();
  l.console = host::Console::Get().StopCapture();
  l.ids = RegisteredIds();
  return l;
}

const std::vector<LONG> kAllRows = {1020892, 1021223, 1022083, 1022560, 1022667, 1021741, 1020894, 1021852, 1022469,
                                    1023920, 1023984, 1022273, 1023293, 1020893, 1020896, 1022283, 1022284, 1023863};

}  // namespace

TEST(PluginLoad, RegistersEveryRowInOrderAndPrintsTheBanner) {
  Loaded l = LoadFrom(TAVRELL_PLUGIN_DIR);
  ASSERT_TRUE(l.ok) << l.error;
  EXPECT_EQ(l.ids, kAllRows);
  ASSERT_EQ(l.console.size(), 5u);
  EXPECT_EQ(l.console[0], "\n" + kRule);
  EXPECT_EQ(l.console[1], "._.-. Tavrell 2.0.5");
  EXPECT_EQ(l.console[2].rfind("._.-. Developed by: ", 0), 0u);
  EXPECT_EQ(l.console[3].rfind("._.-. For more information go to: ", 0), 0u);
  EXPECT_EQ(l.console[4], kRule + "\n");
  EXPECT_EQ(kRule.size(), 127u);
}

TEST(PluginLoad, RegistrationsCarryTheirKindsNamesAndResources) {
  host::PluginLibrary lib;
  host::Console::Get().SetEcho(false);
  ASSERT_TRUE(lib.Load(TAVRELL_PLUGIN_DIR)) << lib.error();
  const host::PluginRegistry& reg = host::PluginRegistry::Get();
  // The instance object and the create-instances command share one name.
  EXPECT_EQ(reg.Find(1022273)->name, reg.Find(1023984)->name);
  EXPECT_EQ(reg.Find(1022273)->info, 0x20000004);
  EXPECT_EQ(reg.Find(1022283)->name, String("#$4 --"));
  EXPECT_EQ(reg.Find(1022284)->name, String("#$8 --"));
  EXPECT_EQ(reg.Find(1020896)->kind, host::PluginKind::VideoPost);
  EXPECT_EQ(reg.Find(1020896)->priority, 100);
  EXPECT_EQ(reg.Find(1021741)->help, String("Export and Run"));
  EXPECT_EQ(reg.Find(1022973), nullptr);  // the light-normalisation tag is not offered
  // Every node's description resource was found and declares its parameters.
  for (const host::PluginRecord& r : reg.All()) {
    if (r.kind == host::PluginKind::Command) continue;
    ASSERT_NE(r.resource, nullptr) << r.description.str();
  }
  LONG id = 0;
  EXPECT_TRUE(reg.LookupSymbol("CAMERATAG_WHITE_BALANCE", &id));
  EXPECT_EQ(id, 1917);
  EXPECT_TRUE(reg.LookupSymbol("MATHELPER_TYPE", &id));
  // A node made through the host gets the plug-in's defaults.
  BaseTag* sub = BaseTag::Alloc(1022667);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->GetDataInstance()->GetLong(1501), 3);
  EXPECT_FLOAT_EQ(sub->GetDataInstance()->GetReal(1503), 0.1f);
  EXPECT_EQ(sub->GetDataInstance()->GetDataPointer(1502), nullptr);
  BaseTag::Free(sub);
  BaseTag* portal = BaseTag::Alloc(1021223);
  EXPECT_TRUE(portal->GetDataInstance()->GetBool(1100));
  BaseTag::Free(portal);
}

TEST(PluginLoad, AMissingIconStopsLoadingAtItsRow) {
  TempDir dir("noicon");
  const std::string folder = CopyPluginFolder(dir);
  fs::remove(fs::path(folder) / "res" / "CameraTag.tif");
  Loaded l = LoadFrom(folder);
  EXPECT_FALSE(l.ok);
  EXPECT_EQ(l.ids, (std::vector<LONG>{1020892, 1021223}));
  EXPECT_TRUE(l.console.empty());  // no banner
}

TEST(PluginLoad, AMissingStringSkipsOnlyItsRow) {
  TempDir dir("nostring");
  const std::string folder = CopyPluginFolder(dir);
  const std::string table = folder + "/res/strings_us/c4d_strings.str";
  const std::string symbols = ReadFile(folder + "/res/c4d_symbols.h");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(symbols, m, std::regex("(\\w+)\\s*=\\s*10020\\b")));
  const std::string name = m[1];
  std::string text = ReadFile(table);
  text = std::regex_replace(text, std::regex("\\b" + name + "\\s+\"[^\"]*\"\\s*;"), "");
  WriteFile(table, text);
  Loaded l = LoadFrom(folder);
  ASSERT_TRUE(l.ok) << l.error;
  std::vector<LONG> expected = kAllRows;
  expected.erase(std::find(expected.begin(), expected.end(), 1023920));
  EXPECT_EQ(l.ids, expected);
  EXPECT_EQ(l.console.size(), 5u);
}

TEST(PluginLoad, AMissingFolderOrLibraryIsAClearError) {
  host::PluginLibrary lib;
  EXPECT_FALSE(lib.Load("/no/such/plugin/folder"));
  EXPECT_EQ(lib.error(), "plug-in folder not found: /no/such/plugin/folder");
  TempDir dir("empty");
  EXPECT_FALSE(lib.Load(dir.str()));
  EXPECT_EQ(lib.error(), "no plug-in library (.so) in the plug-in folder " + dir.str());
}
