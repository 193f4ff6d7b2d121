// The materials example: exported as a scene that the stand-in renderer accepts, with meshes
// naming their selections' materials, and every helper saved with export-kym as a file that
// check-kym accepts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "cli/CliRun.h"
#include "geometry/KyranoMesh.h"

using namespace testing_support;

namespace {

const std::string kExample = std::string(TAVRELL_SOURCE_DIR) + "/examples/materials.json";

std::vector<std::string> MeshMaterials(const std::string& path) {
  Kyrano::KyranoMesh mesh;
  EXPECT_TRUE(Kyrano::KyranoMesh::readFromFile(path, mesh)) << path;
  return mesh.materialNames;
}

}  // namespace

TEST(ExportKymCommand, MaterialsExampleExportsAndEveryHelperSaves) {
  TempDir dir("materials_example");
  const std::string plugin = CopyPluginFolder(dir);
  const std::string scene = dir.str("out/materials.kys");
  CommandRun r = RunCommand({"--plugin-dir", plugin, "export", kExample, "-o", scene, "--no-run"});
  ASSERT_EQ(r.code, 0) << r.err;

  // Each mesh names its selection's material first, then the rest's.
  const std::string models = dir.str("out/models.materials/materials-");
  EXPECT_EQ(MeshMaterials(models + "1.kymesh"), (std::vector<std::string>{"Glass", "Wood"}));
  EXPECT_EQ(MeshMaterials(models + "2.kymesh"), (std::vector<std::string>{"Frosted", "Metal"}));
  EXPECT_EQ(MeshMaterials(models + "3.kymesh"), (std::vector<std::string>{"Gold", "Mix"}));

  const std::string renderer = std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/KyranoConsole";
  const std::string report = dir.str("check.txt");
  // Checked only: this test is about what the renderer is given.
  EXPECT_EQ(std::system(("KYRANO_CHECK_ONLY=1 " + renderer + " " + scene + " > " + report + " 2>&1").c_str()), 0)
      << ReadFile(report);
  EXPECT_NE(ReadFile(report).find("Problems: 0"), std::string::npos) << ReadFile(report);

  for (const char* helper : {"Wood", "Metal", "Glass", "Frosted", "Lampshade", "Clay", "Stripes", "Mix", "Gold"}) {
    SCOPED_TRACE(helper);
    const std::string file = dir.str(std::string("kym/") + helper + ".kym");
    r = RunCommand({"--plugin-dir", plugin, "export-kym", kExample, std::string("/Materials/") + helper, "-o", file});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Saved material file to: " + file), std::string::npos) << r.out;
    r = RunCommand({"check-kym", file});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(std::string("material '") + (std::string(helper) == "Gold" ? "nullMat" : helper) + "'"),
              std::string::npos) << r.out;
  }
}

TEST(ExportKymCommand, FailuresGiveOneLineAndANonZeroExit) {
  TempDir dir("exportkym_fail");
  const std::string plugin = CopyPluginFolder(dir);
  CommandRun r = RunCommand({"--plugin-dir", plugin, "export-kym", kExample, "/Crate", "-o", dir.str("a.kym")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + kExample + ": /Crate is not a material helper\n");
  r = RunCommand({"--plugin-dir", plugin, "export-kym", kExample, "Nothing", "-o", dir.str("a.kym")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + kExample + ": no object 'Nothing'\n");

  WriteFile(dir.str("old.kym"), "an earlier file");
  r = RunCommand({"--plugin-dir", plugin, "export-kym", kExample, "Clay", "-o", dir.str("old.txt")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + dir.str("old.kym") + " exists: give --overwrite yes to replace it or --overwrite no to keep it\n");
  EXPECT_EQ(ReadFile(dir.str("old.kym")), "an earlier file");
  r = RunCommand({"--plugin-dir", plugin, "export-kym", kExample, "Clay", "-o", dir.str("old.kym"), "--overwrite", "yes"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(ReadFile(dir.str("old.kym")).find("<oren_nayar>"), std::string::npos);
}
