// The real tavrell program, started as a user starts it: two exports into one folder at once,
// links planted where files are written, and exports killed part way.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "fault/FaultSupport.h"

using namespace testing_support;

namespace {

const std::string kTavrell = std::string(TAVRELL_BINARY_DIR) + "/bin/tavrell";
const int kSide = 60;  // the grid's mesh: 7200 triangles, about 300 kilobytes

class RealExports : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin = CopyPluginFolder(dir);
    WriteFile(doc, GridDocument(kSide));
  }

  std::vector<std::string> ExportArgs(const std::string& scene) const {
    return {kTavrell, "--plugin-dir", plugin, "export", doc, "-o", scene, "--no-run", "--overwrite", "yes"};
  }

  // Every mesh the scene names is there and whole.
  void ExpectWholeExport(const std::string& scene) const {
    const SceneMeshes meshes = MeshesOf(scene);
    ASSERT_EQ(meshes.paths.size(), 1u);
    EXPECT_EQ(ReadMesh(meshes.paths[0]).triangles.size(), size_t(2 * kSide * kSide));
  }

  TempDir dir{"realexports"};
  std::string plugin;
  std::string doc = dir.str("grid.json");
  std::string log = dir.str("tavrell.log");
};

bool HasTemporary(const std::vector<std::string>& names) {
  for (const std::string& name : names)
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) return true;
  return false;
}

}  // namespace

TEST_F(RealExports, TwoExportsIntoOneFolderAtOnce) {
  const std::string scene = dir.str("out/grid.kys");
  for (int round = 0; round < 2; round++) {
    Process a(ExportArgs(scene), dir.str("a.log")), b(ExportArgs(scene), dir.str("b.log"));
    ASSERT_TRUE(a.started() && b.started());
    EXPECT_EQ(a.Wait(), 0) << ReadFile(dir.str("a.log"));
    EXPECT_EQ(b.Wait(), 0) << ReadFile(dir.str("b.log"));
    ExpectWholeExport(scene);
    EXPECT_EQ(NamesIn(dir.str("out")), (std::vector<std::string>{"grid.kys", "models.grid"}));
    EXPECT_EQ(NamesIn(dir.str("out/models.grid")), (std::vector<std::string>{"grid-0.kymesh"}));
  }
  EXPECT_FALSE(HasTemporary(NamesIn(plugin + "/presets"))) << "both stored their options";
}

TEST_F(RealExports, PlantedLinksAreNeverWrittenThrough) {
  const std::string outside = dir.str("outside.txt");
  WriteFile(outside, "precious");
  fs::create_directories(dir.str("out/models.s"));
  for (const char* planted : {"out/models.s/s-0.kymesh.tmp", "out/s.kys.tmp", "out/doc.json.tmp", "out/models.s/s-0.kymesh"})
    fs::create_symlink(outside, dir.str(planted));

  EXPECT_EQ(Process(ExportArgs(dir.str("out/s.kys")), log).Wait(), 0) << ReadFile(log);
  EXPECT_EQ(Process({kTavrell, "--plugin-dir", plugin, "open", doc, "-o", dir.str("out/doc.json")}, log).Wait(), 0)
      << ReadFile(log);
  EXPECT_EQ(ReadFile(outside), "precious");
  // A link at the file's own name is replaced by the file.
  EXPECT_FALSE(fs::is_symlink(dir.str("out/models.s/s-0.kymesh")));
  ExpectWholeExport(dir.str("out/s.kys"));
  EXPECT_NE(ReadFile(dir.str("out/doc.json")).find("\"Grid\""), std::string::npos);
}

// Whenever an export is killed, the scene and every mesh it names stay whole: a temporary may
// be left beside them, never a name without its file.
TEST_F(RealExports, AKilledExportLeavesTheEarlierFilesWhole) {
  const std::string scene = dir.str("out/grid.kys");
  ASSERT_EQ(Process(ExportArgs(scene), log).Wait(), 0) << ReadFile(log);
  for (int round = 0; round < 4; round++) {
    Process killed(ExportArgs(scene), log);
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + 60 * round));
    killed.Kill();
    killed.Wait();
    ExpectWholeExport(scene);
  }
}
