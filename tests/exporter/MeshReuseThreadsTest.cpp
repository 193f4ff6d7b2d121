#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "exporter/SceneTestHelpers.h"
#include "host/Console.h"
#include "nodes/NodeFixture.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

class MeshThreads : public PluginNodes {
 protected:
  // Six cubes of growing size, the fourth smooth, so each mesh file differs from the others.
  void MakeDocument() {
    doc_ = BaseDocument::Alloc();
    SetActiveDocument(doc_);
    BaseObject* pred = nullptr;
    for (int i = 0; i < 6; ++i) {
      PolygonObject* cube = MakePolygonCube(("Cube" + std::to_string(i)).c_str(), Vector(Real(i) * 3, 0, 0));
      for (LONG p = 0; p < 8; ++p) cube->GetPointW()[p] *= Real(i + 1);
      if (i == 3) cube->InsertTag(BaseTag::Alloc(Tphong));
      doc_->InsertObject(cube, nullptr, pred);
      pred = cube;
    }
  }

  // Exports into dir/name.kys on the given number of threads; the mesh lines printed.
  std::vector<std::string> Export(const std::string& name, int threads, bool expectSaved = true) {
    KyranoSceneExporter ex;
    ex.initKYS(doc_, Filename(dir_.str(name + ".kys").c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
    ex.meshThreads = threads;
    host::Console::Get().StartCapture();
    EXPECT_EQ(ex.exportKYS(), expectSaved ? TRUE : FALSE);
    std::vector<std::string> meshes;
    for (const std::string& l : host::Console::Get().StopCapture())
      if (l.rfind("--", 0) == 0) meshes.push_back(l.substr(0, l.find(". ")));
    return meshes;
  }

  std::string Mesh(const std::string& name, int index) const {
    return ReadFile(dir_.str("models." + name + "/" + name + "-" + std::to_string(index) + ".kymesh"));
  }

  TempDir dir_{"meshthreads"};
};

}  // namespace

// Built on four threads, the meshes are reported in the order of the walk and are byte for
// byte what one thread builds.
TEST_F(MeshThreads, MeshesBuiltTogetherAreReportedInOrderAndMatchOneThread) {
  MakeDocument();
  const std::vector<std::string> one = Export("one", 1);
  const std::vector<std::string> four = Export("four", 4);
  EXPECT_EQ(four, one);
  ASSERT_EQ(four.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(four[size_t(i)].rfind("--Exported mesh: Cube" + std::to_string(i) + ", 12 Tris, ", 0), 0u) << four[size_t(i)];
    EXPECT_EQ(Mesh("four", i), Mesh("one", i));
  }
  EXPECT_NE(Mesh("four", 3), Mesh("four", 2));
}

// A mesh file that cannot be written fails the export on a pool as on one thread: its line
// stands in its place, the other meshes are written, and no scene is saved.
TEST_F(MeshThreads, AFailedMeshOnAPoolFailsTheExport) {
  MakeDocument();
  fs::create_directories(dir_.str("models.broken/broken-2.kymesh"));
  const std::vector<std::string> lines = Export("broken", 3, false);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[2], "--Failed to export mesh: Cube2");
  EXPECT_EQ(lines[3].rfind("--Exported mesh: Cube3, ", 0), 0u);
  EXPECT_FALSE(Mesh("broken", 5).empty());
  EXPECT_FALSE(fs::exists(dir_.str("broken.kys")));
}
