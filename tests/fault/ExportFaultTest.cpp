// Faults of the export found by trying the landed code: names with dots, mesh files that
// cannot be written (a file in the folder's place, a full disk, a file size limit), Quick
// Render on generators, and command lines the standard library would throw on. Each runs the
// tavrell command in-process on real documents with a private copy of the plug-in folder.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "App.h"
#include "Subcommand.h"
#include "TestSupport.h"
#include "cli/CliRun.h"
#include "fault/FaultSupport.h"

using namespace testing_support;

namespace {

const std::string kRoom = std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json";

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 600 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return fs::exists(path);
}

class ExportFaults : public ::testing::Test {
 protected:
  void SetUp() override { plugin = CopyPluginFolder(dir); }

  CommandRun Tavrell(std::vector<std::string> args) {
    args.insert(args.begin(), {"--plugin-dir", plugin});
    return RunCommand(args);
  }
  CommandRun Export(const std::string& doc, const std::string& scene, std::vector<std::string> flags = {}) {
    std::vector<std::string> args = {"export", doc, "-o", scene, "--no-run", "--overwrite", "yes"};
    args.insert(args.end(), flags.begin(), flags.end());
    return Tavrell(args);
  }

  TempDir dir{"exportfault"};
  std::string plugin;
};

// A subcommand that fails the way the standard library does.
class ThrowingCommand : public cli::Subcommand {
 public:
  const char* Name() const override { return "throw-for-test"; }
  const char* Description() const override { return "throws what the standard library throws"; }
  void Setup(CLI::App&) override {}
  bool NeedsPlugin() const override { return false; }
  int Run(cli::Session&) override { throw std::out_of_range("vector::_M_range_check: __n (which is 3) >= this->size()"); }
};
cli::SubcommandRegistrar registrar([] { return std::make_unique<ThrowingCommand>(); });

}  // namespace

TEST_F(ExportFaults, EveryObjectGetsItsOwnMeshWhateverDotsTheSceneNameHolds) {
  const std::string scene = dir.str("out/shot.v2.kys");
  CommandRun r = Export(kRoom, scene);
  ASSERT_EQ(r.code, 0) << r.err;
  const SceneMeshes meshes = MeshesOf(scene);
  EXPECT_EQ(meshes.names, (std::vector<std::string>{"shot.v2-0.kymesh", "shot.v2-1.kymesh"}));
  EXPECT_EQ(meshes.paths, (std::vector<std::string>{dir.str("out/models.shot.v2/shot.v2-0.kymesh"),
                                                     dir.str("out/models.shot.v2/shot.v2-1.kymesh")}));
  // The floor and the box: two meshes of their own, not one written over the other.
  EXPECT_FALSE(ReadMesh(meshes.paths[0]) == ReadMesh(meshes.paths[1]));
  EXPECT_EQ(NamesIn(dir.str("out/models.shot.v2")), (std::vector<std::string>{"shot.v2-0.kymesh", "shot.v2-1.kymesh"}));

  // Frame scenes hold a dot when their scene name does.
  r = Export(kRoom, dir.str("out/v1.0.kys"), {"--frames", "3:4"});
  ASSERT_EQ(r.code, 0) << r.err;
  for (const std::string frame : {"3", "4"}) {
    const std::string name = "v1.0_frame" + frame;
    EXPECT_EQ(MeshesOf(dir.str("out/" + name + ".kys")).names,
              (std::vector<std::string>{name + "-0.kymesh", name + "-1.kymesh"}));
    EXPECT_EQ(NamesIn(dir.str("out/models." + name)), (std::vector<std::string>{name + "-0.kymesh", name + "-1.kymesh"}));
  }
}

TEST_F(ExportFaults, AMeshThatCannotBeWrittenFailsTheExportAndKeepsTheEarlierScene) {
  const std::string scene = dir.str("out/room.kys");
  ASSERT_EQ(Export(kRoom, scene).code, 0);
  const std::string before = ReadFile(scene);
  fs::remove_all(dir.str("out/models.room"));
  WriteFile(dir.str("out/models.room"), "a file where the mesh folder should be");

  const CommandRun r = Export(kRoom, scene);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: Could not write 2 mesh files of the scene " + scene +
                       " (the console names them), so the scene was not saved. Check that its folder can be written "
                       "and the disk is not full.\n");
  EXPECT_NE(r.out.find("--Failed to export mesh: Floor. Mesh file '" + dir.str("out/models.room/room-0.kymesh") +
                       "' was not written: cannot create a temporary file beside it: Not a directory.\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Scene not saved: 2 mesh files could not be written. " + scene + " was left as it was.\n"),
            std::string::npos);
  EXPECT_EQ(r.out.find("Saved scene to:"), std::string::npos);
  EXPECT_EQ(ReadFile(scene), before);
}

// A mesh folder that takes no new files: every mesh fails, and the earlier export stays whole.
// Light geometry is a mesh file like any other: when it cannot be written the scene would name
// an emitter that is not there.
TEST_F(ExportFaults, ALightMeshThatCannotBeWrittenFailsTheExport) {
  const std::string doc = dir.str("spot.json"), scene = dir.str("out/spot.kys");
  WriteFile(doc, R"({"objects": [{"type": "Olight", "name": "Spot", "data": {"90002": 1}}]})");
  ASSERT_EQ(Export(doc, scene).code, 0);
  const std::string before = ReadFile(scene);
  fs::remove_all(dir.str("out/models.spot"));
  WriteFile(dir.str("out/models.spot"), "a file where the mesh folder should be");

  const CommandRun r = Export(doc, scene);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Scene not saved: 1 mesh file could not be written."), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(scene), before);
}

TEST_F(ExportFaults, ABlockedMeshFolderFailsTheExportAndKeepsTheEarlierFiles) {
  const std::string scene = dir.str("out/room.kys"), mesh = dir.str("out/models.room/room-0.kymesh");
  ASSERT_EQ(Export(kRoom, scene).code, 0);
  const std::string sceneBefore = ReadFile(scene), meshBefore = ReadFile(mesh);
  {
    BlockedFolder blocked(dir.str("out/models.room"));
    if (!blocked.ok()) GTEST_SKIP() << "cannot block a folder here";
    const CommandRun r = Export(kRoom, scene);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("tavrell: Could not write 2 mesh files of the scene " + scene, 0), 0u) << r.err;
  }
  EXPECT_EQ(ReadFile(scene), sceneBefore);
  EXPECT_EQ(ReadFile(mesh), meshBefore);
  EXPECT_EQ(NamesIn(dir.str("out/models.room")), (std::vector<std::string>{"room-0.kymesh", "room-1.kymesh"}));
}

// The earlier export fits on the disk; the new one's mesh does not. Once on a file system that
// is really full, once (everywhere) under a file size limit in a child process.
TEST_F(ExportFaults, AFullDiskFailsTheExportAndKeepsTheEarlierFiles) {
  const std::string small = dir.str("small.json"), big = dir.str("big.json");
  WriteFile(small, GridDocument(2));
  WriteFile(big, GridDocument(80));  // about half a megabyte of mesh

  // The earlier export's scene and mesh.
  auto check = [&](const std::string& folder) {
    const std::string scene = folder + "/grid.kys", mesh = folder + "/models.grid/grid-0.kymesh";
    EXPECT_EQ(Export(small, scene).code, 0);
    return std::make_pair(ReadFile(scene), ReadFile(mesh));
  };
  auto unchanged = [&](const std::string& folder, const std::pair<std::string, std::string>& before) {
    EXPECT_EQ(ReadFile(folder + "/grid.kys"), before.first);
    EXPECT_EQ(ReadFile(folder + "/models.grid/grid-0.kymesh"), before.second);
    EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{"grid.kys", "models.grid"}));
    EXPECT_EQ(NamesIn(folder + "/models.grid"), (std::vector<std::string>{"grid-0.kymesh"}));
  };

  {
    const std::string folder = dir.str("limited");
    const auto before = check(folder);
    EXPECT_EXIT(
        {
          LimitFileSize(100000);
          std::freopen("/dev/null", "w", stdout);
          std::exit(cli::RunTavrell(
              {"--plugin-dir", plugin, "export", big, "-o", folder + "/grid.kys", "--no-run", "--overwrite", "yes"}));
        },
        ::testing::ExitedWithCode(1), "");
    unchanged(folder, before);
  }

  SmallFileSystem disk(dir.str("disk"), 256 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << "no small file system can be mounted here; the size limit stood in for it";
  const auto before = check(dir.str("disk"));
  const CommandRun r = Export(big, dir.str("disk/grid.kys"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("' was not written: No space left on device.\n"), std::string::npos) << r.out;
  unchanged(dir.str("disk"), before);
}

TEST_F(ExportFaults, QuickRenderExportsWhatGeneratorsBuild) {
  ASSERT_EQ(Export(kRoom, dir.str("out/room.kys")).code, 0) << "a normal export stores the options";
  const CommandRun r = Tavrell({"quick-render", kRoom});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string folder = plugin + "/presets/quickrender";
  const SceneMeshes meshes = MeshesOf(folder + "/quickrender.kys");
  ASSERT_EQ(meshes.names, (std::vector<std::string>{"quickrender-0.kymesh", "quickrender-1.kymesh"}));
  // The floor and the box are cubes: twelve triangles each.
  for (const std::string& path : meshes.paths) EXPECT_EQ(ReadMesh(path).triangles.size(), 12u) << path;
  EXPECT_TRUE(WaitForFile(folder + "/quickrender.kys.report.txt"));
}

TEST_F(ExportFaults, WhatTheStandardLibraryThrowsIsOneLine) {
  CommandRun r = Tavrell({"export", kRoom, "-o", ""});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "tavrell: --output: an empty text is not a file name (see tavrell --help)\n");
  r = Tavrell({"open", kRoom, "-o", ""});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "tavrell: --output: an empty text is not a file name (see tavrell --help)\n");
  r = Tavrell({"throw-for-test"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: vector::_M_range_check: __n (which is 3) >= this->size()\n");
}
