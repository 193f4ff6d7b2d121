#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "description/oMyRenderSettings.h"
#include "exporter/KyranoSceneExporter.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "nodes/NodeFixture.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

// A cube of 8 points and 6 quads with its JSON tags (plus the tags given), at x.
std::string Cube(const std::string& name, double x, const std::string& tags = "", const std::string& extra = "") {
  return R"({"type": "Opolygon", "name": ")" + name + R"(", "position": [)" + std::to_string(x) + R"(, 0, 0],
    "points": [[-1,-1,-1],[1,-1,-1],[1,1,-1],[-1,1,-1],[-1,-1,1],[1,-1,1],[1,1,1],[-1,1,1]],
    "polygons": [[0,3,2,1],[4,5,6,7],[0,4,7,3],[1,2,6,5],[3,7,6,2],[0,1,5,4]],
    "tags": [)" + tags + "]" + extra + "}";
}

// "Still" carries every tag its mesh depends on: Phong, UVs, a selection "Top" with its own
// material, and a material for the rest; its animated parameter keeps one value. "Mover"
// only moves.
const std::string kUVs = R"([[0,0,0],[1,0,0],[1,1,0],[0,1,0]])";
std::string Document() {
  std::string uvw;
  for (int i = 0; i < 6; ++i) uvw += (i ? "," : "") + std::string("[") + kUVs.substr(1, kUVs.size() - 2) + "]";
  const std::string stillTags = R"({"type": "Tphong", "data": {"1000": true, "1001": 0.5}},
    {"type": "Tuvw", "uvw": [)" + uvw + R"(]},
    {"type": "Tpolygonselection", "name": "Top", "selection": [4]},
    {"type": "Ttexture", "data": {"1010": {"material": "Steel"}, "1011": 6, "1006": "Top"}},
    {"type": "Ttexture", "data": {"1010": {"material": "Wood"}, "1011": 6}})";
  return R"({"fps": 25, "materials": [{"type": "Mmaterial", "name": "Wood"}, {"type": "Mmaterial", "name": "Steel"}],
    "renderData": [{"videoPosts": [{"type": "oMyRenderSettings", "data": {"RENDERSETTINGS_UNIT": "RENDERSETTINGS_UNIT_CM"}}]}],
    "objects": [)" +
         Cube("Still", 0, stillTags, R"(, "tracks": [{"target": 5000, "keys": [[0, 1.0], [2, 1.0]]}])") + "," +
         Cube("Mover", 5, "", R"(, "tracks": [{"target": "position.x", "keys": [[0, 5], [2, 9]]}])") + R"(,
    {"type": "oMyMaterialHelper", "name": "Wood", "data": {"MATHELPER_MATERIAL": {"material": "Wood"}}},
    {"type": "oMyMaterialHelper", "name": "Steel", "data": {"MATHELPER_MATERIAL": {"material": "Steel"}}}]})";
}

struct FileId {
  ino_t inode = 0;
  nlink_t links = 0;
};

FileId IdOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return {};
  return {st.st_ino, st.st_nlink};
}

class MeshReuseFrames : public PluginNodes {
 protected:
  void Load(int animationRange = 1) {
    WriteFile(dir_.str("doc.json"), Document());
    doc_ = host::LoadDocument(dir_.str("doc.json"));
    ASSERT_NE(doc_, nullptr);
    SetActiveDocument(doc_);
    exporter_.initKYS(doc_, Filename(dir_.str("shot.kys").c_str()), 0, 0, 0, 0, 0, 0, 0, animationRange);
  }

  // Evaluates the document at the frame and exports it, as the export command does; the
  // mesh lines printed.
  std::vector<std::string> ExportFrame(LONG frame) {
    doc_->SetTime(BaseTime(frame, doc_->GetFps()));
    doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE);
    exporter_.currentFrame = frame;
    host::Console::Get().StartCapture();
    EXPECT_TRUE(exporter_.exportKYS());
    std::vector<std::string> meshes;
    for (const std::string& l : host::Console::Get().StopCapture())
      if (l.rfind("--Exported mesh: ", 0) == 0 || l.rfind("--Could not reuse mesh: ", 0) == 0) meshes.push_back(l);
    return meshes;
  }

  std::string MeshPath(LONG frame, int index) const {
    const std::string scene = "shot_frame" + std::to_string(frame);
    return dir_.str("models." + scene + "/" + scene + "-" + std::to_string(index) + ".kymesh");
  }

  // The bytes a fresh export of the document as it stands writes for the index-th mesh.
  std::string FreshBuild(int index) {
    const std::string scene = dir_.str("fresh" + std::to_string(fresh_++) + ".kys");
    KyranoSceneExporter fresh;
    fresh.initKYS(doc_, Filename(scene.c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
    host::Console::Get().StartCapture();
    EXPECT_TRUE(fresh.exportKYS());
    host::Console::Get().StopCapture();
    const std::string name = fs::path(scene).stem().string();
    return ReadFile(dir_.str("models." + name + "/" + name + "-" + std::to_string(index) + ".kymesh"));
  }

  BaseObject* Still() const { return doc_->SearchObject("Still"); }
  BaseTag* StillTag(LONG type, LONG nr = 0) const { return Still()->GetTag(type, nr); }

  TempDir dir_{"meshreuse"};
  KyranoSceneExporter exporter_;
  int fresh_ = 0;
};

bool Built(const std::string& line) { return line.find(" UVs. Processing Time: ") != std::string::npos; }

}  // namespace

// Three frames of an unchanged mesh: built at frame 0, then linked twice; the moving cube
// changes only its placement and is linked too. Every frame's folder holds all its files,
// byte for byte what a build would write.
TEST_F(MeshReuseFrames, AnUnchangedMeshIsBuiltOnceAndLinkedInLaterFrames) {
  Load();
  const std::vector<std::string> first = ExportFrame(0);
  ASSERT_EQ(first.size(), 2u);
  EXPECT_TRUE(Built(first[0])) << first[0];
  EXPECT_TRUE(Built(first[1])) << first[1];
  const std::string counts = first[0].substr(0, first[0].find(" UVs. ") + 6);

  for (LONG frame = 1; frame <= 2; ++frame) {
    const std::vector<std::string> lines = ExportFrame(frame);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], counts + "Unchanged since frame 0: linked to " + MeshPath(0, 0));
    EXPECT_EQ(lines[1].rfind("--Exported mesh: Mover, 12 Tris, 8 Vertices, 1 UVs. Unchanged since frame 0: linked to ", 0), 0u)
        << lines[1];
    EXPECT_EQ(IdOf(MeshPath(frame, 0)).inode, IdOf(MeshPath(0, 0)).inode);
  }
  EXPECT_EQ(IdOf(MeshPath(0, 0)).links, nlink_t(3));
  EXPECT_EQ(ReadFile(MeshPath(2, 0)), FreshBuild(0));
  EXPECT_EQ(ReadFile(MeshPath(2, 1)), FreshBuild(1));

  // The scene of a later frame names the file in its own folder, and places the cube where
  // the animation has it.
  TiXmlDocument xml;
  ASSERT_TRUE(xml.LoadFile(dir_.str("shot_frame2.kys").c_str()));
  const TiXmlElement* scene = xml.FirstChildElement("scene");
  const TiXmlElement* mesh = scene->FirstChildElement("mesh");
  EXPECT_EQ(mesh->FirstChildElement("external")->FirstChildElement("path")->GetText(), MeshPath(2, 0));
  const TiXmlElement* mover = scene->FirstChildElement("model")->NextSiblingElement("model");
  EXPECT_EQ(std::string(mover->FirstChildElement("pos")->GetText()), "0.090000 0.000000 0.000000");
}

// Whatever the mesh depends on, changed between two frames, rebuilds it at the second: the
// new file is a file of its own, and it is what a fresh export writes.
TEST_F(MeshReuseFrames, AMeshWhoseInputsChangeIsRebuilt) {
  const std::vector<std::pair<std::string, std::function<void()>>> changes = {
      {"points move", [this] { static_cast<PolygonObject*>(Still())->GetPointW()[6] = Vector(2, 2, 2); }},
      {"Phong angle", [this] { StillTag(Tphong)->GetDataInstance()->SetReal(PHONGTAG_PHONG_ANGLE, 1.6f); }},
      {"UVs", [this] {
         static_cast<UVWTag*>(StillTag(Tuvw))->Set(0, UVWStruct(Vector(0.5, 0.5, 0), Vector(), Vector(), Vector()));
       }},
      {"selection", [this] { static_cast<SelectionTag*>(StillTag(Tpolygonselection))->GetBaseSelect()->Select(1); }},
      {"material", [this] {
         static_cast<TextureTag*>(StillTag(Ttexture, 1))->SetMaterial(doc_->SearchMaterial("Steel"));
       }},
      {"material's exported name", [this] { doc_->SearchObject("Wood")->SetName("Oak"); }},
      {"scene scale", [this] {
         doc_->GetActiveRenderData()->GetFirstVideoPost()->GetDataInstance()->SetLong(RENDERSETTINGS_UNIT,
                                                                                           RENDERSETTINGS_UNIT_M);
       }},
      {"a parameter by animation", [this] { Still()->GetFirstCTrack()->AddKey(BaseTime(1, 25), 3.0f); }},
      {"earlier file replaced", [this] { WriteFile(MeshPath(0, 0), "not a mesh"); }},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.first);
    BaseDocument::Free(doc_);
    Load();
    ExportFrame(0);
    const std::string frame0 = ReadFile(MeshPath(0, 0));
    change.second();
    const std::vector<std::string> lines = ExportFrame(1);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(Built(lines[0])) << lines[0];
    EXPECT_NE(IdOf(MeshPath(1, 0)).inode, IdOf(MeshPath(0, 0)).inode);
    const std::string rebuilt = ReadFile(MeshPath(1, 0));
    EXPECT_EQ(rebuilt, FreshBuild(0));
    if (change.first != "a parameter by animation" && change.first != "earlier file replaced") {
      EXPECT_NE(rebuilt, frame0);
    }
    fs::remove_all(dir_.path());
    fs::create_directories(dir_.path());
  }
}

// A new export starts afresh: nothing is linked to a file from an earlier export, which may
// have been changed or removed since.
TEST_F(MeshReuseFrames, ANewExportBuildsEveryMeshAgain) {
  Load();
  ExportFrame(0);
  exporter_.initKYS(doc_, Filename(dir_.str("shot.kys").c_str()), 0, 0, 0, 0, 0, 0, 0, 1);
  const std::vector<std::string> lines = ExportFrame(1);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(Built(lines[0])) << lines[0];
  EXPECT_TRUE(Built(lines[1])) << lines[1];
}

// A primitive's polygons are a new object at every evaluation; the primitive stands for them:
// unchanged it is linked, with a new size it is built again.
TEST_F(MeshReuseFrames, APrimitiveStandsForThePolygonsItMakes) {
  WriteFile(dir_.str("doc.json"), R"({"fps": 25, "objects": [{"type": "Ocube", "name": "Box",
    "data": {"1100": [100, 100, 100]}, "tags": [{"type": "Tphong"}]}]})");
  doc_ = host::LoadDocument(dir_.str("doc.json"));
  ASSERT_NE(doc_, nullptr);
  SetActiveDocument(doc_);
  exporter_.initKYS(doc_, Filename(dir_.str("shot.kys").c_str()), 0, 0, 0, 0, 0, 0, 0, 1);
  ASSERT_EQ(ExportFrame(0).size(), 1u);
  const std::vector<std::string> same = ExportFrame(1);
  ASSERT_EQ(same.size(), 1u);
  EXPECT_EQ(same[0].substr(same[0].find(" UVs. ")), " UVs. Unchanged since frame 0: linked to " + MeshPath(0, 0));
  EXPECT_EQ(IdOf(MeshPath(1, 0)).inode, IdOf(MeshPath(0, 0)).inode);

  doc_->SearchObject("Box")->GetDataInstance()->SetVector(PRIM_CUBE_LEN, Vector(200, 100, 100));
  const std::vector<std::string> resized = ExportFrame(2);
  ASSERT_EQ(resized.size(), 1u);
  EXPECT_TRUE(Built(resized[0])) << resized[0];
  EXPECT_EQ(ReadFile(MeshPath(2, 0)), FreshBuild(0));
  EXPECT_NE(ReadFile(MeshPath(2, 0)), ReadFile(MeshPath(1, 0)));
}

// One frame exported twice by one exporter writes to the same names: the unchanged mesh's
// file is kept as it is, and a file changed since is built again.
TEST_F(MeshReuseFrames, AnUnchangedFileAtTheSameNameIsKept) {
  Load(0);
  ExportFrame(0);
  const std::string path = dir_.str("models.shot/shot-0.kymesh");
  const ino_t inode = IdOf(path).inode;
  const std::vector<std::string> again = ExportFrame(0);
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[0].substr(again[0].find(" UVs. ")), " UVs. Unchanged since frame 0: kept " + path);
  EXPECT_EQ(IdOf(path).inode, inode);

  WriteFile(path, "edited");
  const std::vector<std::string> third = ExportFrame(0);
  ASSERT_EQ(third.size(), 2u);
  EXPECT_TRUE(Built(third[0])) << third[0];
  EXPECT_EQ(ReadFile(path), FreshBuild(0));
}
