// An FBX file's size in metres: the file's unit (UnitScaleFactor, centimetres per unit) applies
// once to the whole scene, node scales included. Blender's exporter writes its metres as
// centimetres by giving every top object a scale of 100; those models must come in at the size
// Blender showed, neither 100 times larger nor smaller.
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "c4d.h"
#include "host/Console.h"
#include "host/SceneImport.h"

namespace {

struct DocFree {
  void operator()(BaseDocument* d) const { BaseDocument::Free(d); }
};

// The largest distance of a mesh point from the scene's origin, each point placed by its node's
// whole transform, in the file's units.
double FileReach(const aiScene& scene, const aiNode* node, const aiMatrix4x4& parent) {
  const aiMatrix4x4 global = parent * node->mTransformation;
  double reach = 0;
  for (unsigned m = 0; m < node->mNumMeshes; m++) {
    const aiMesh* mesh = scene.mMeshes[node->mMeshes[m]];
    for (unsigned v = 0; v < mesh->mNumVertices; v++) reach = std::max(reach, double((global * mesh->mVertices[v]).Length()));
  }
  for (unsigned c = 0; c < node->mNumChildren; c++) reach = std::max(reach, FileReach(scene, node->mChildren[c], global));
  return reach;
}

// The same in the host's document, in host units (metres for an import).
double DocumentReach(BaseObject* op) {
  double reach = 0;
  for (; op; op = op->GetNext()) {
    if (op->GetType() == Opolygon) {
      const PolygonObject* poly = static_cast<PolygonObject*>(op);
      const Matrix mg = op->GetMg();
      for (LONG i = 0; i < poly->GetPointCount(); i++) reach = std::max(reach, double(Len(mg * poly->GetPointR()[i])));
    }
    reach = std::max(reach, DocumentReach(op->GetDown()));
  }
  return reach;
}

}  // namespace

TEST(FbxUnits, ABlenderModelScaledByItsUnitComesInAtItsOwnSize) {
  const std::string path = "/usr/share/assimp/models/FBX/spider.fbx";
  if (!std::filesystem::is_regular_file(path)) GTEST_SKIP() << "Debian's assimp-testmodels package is not installed";
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path, 0);
  ASSERT_NE(scene, nullptr);
  float unit = 0;
  ASSERT_TRUE(scene->mMetaData && scene->mMetaData->Get("UnitScaleFactor", unit));
  const double centimetresPerUnit = unit;
  ASSERT_EQ(centimetresPerUnit, 1.0) << "the file counts in centimetres";
  const double fileMetres = FileReach(*scene, scene->mRootNode, aiMatrix4x4()) * centimetresPerUnit / 100;

  host::Console::Get().SetEcho(false);
  std::unique_ptr<BaseDocument, DocFree> doc(host::ImportScene(path));
  host::Console::Get().SetEcho(true);
  ASSERT_TRUE(doc);
  // Every top object carries Blender's scale of 100, its points are in metres / 100.
  BaseObject* first = doc->GetFirstObject();
  ASSERT_TRUE(first);
  EXPECT_NEAR(Len(first->GetMg().v1), 100.0, 1e-3);
  EXPECT_NEAR(DocumentReach(first), fileMetres, fileMetres * 1e-4);
  EXPECT_NEAR(fileMetres, 142.0, 0.5) << "the spider is as large as Blender showed it";

  // The camera stands where Blender's default camera stands: 7.48, 5.34, 6.51 metres away.
  BaseObject* camera = doc->SearchObject("Camera");
  ASSERT_TRUE(camera);
  EXPECT_NEAR(Len(camera->GetMg().off), std::sqrt(7.4811 * 7.4811 + 5.3437 * 5.3437 + 6.5076 * 6.5076), 1e-3);
}
