// Meshes whose file shares vertices between faces (binary PLY): points merged by position,
// and the smoothing read from one normal per vertex.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "host/Console.h"
#include "host/SceneImport.h"

using namespace testing_support;

namespace {

struct DocFree {
  void operator()(BaseDocument* d) const { BaseDocument::Free(d); }
};
using Doc = std::unique_ptr<BaseDocument, DocFree>;

struct Vertex {
  float x, y, z, nx, ny, nz;
};

// A little-endian binary PLY of the vertices (with normals) and faces.
std::string Ply(const std::vector<Vertex>& vertices, const std::vector<std::vector<int32_t>>& faces) {
  std::string s = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(vertices.size()) +
                  "\nproperty float x\nproperty float y\nproperty float z\nproperty float nx\nproperty float ny\n"
                  "property float nz\nelement face " + std::to_string(faces.size()) +
                  "\nproperty list uchar int vertex_indices\nend_header\n";
  auto put = [&](const void* p, size_t n) { s.append(static_cast<const char*>(p), n); };
  for (const Vertex& v : vertices) put(&v, sizeof v);
  for (const std::vector<int32_t>& f : faces) {
    const uint8_t n = uint8_t(f.size());
    put(&n, 1);
    put(f.data(), f.size() * sizeof(int32_t));
  }
  return s;
}

Doc Import(const std::string& path) {
  host::Console::Get().SetEcho(false);
  host::Console::Get().StartCapture();
  Doc doc(host::ImportScene(path));
  host::Console::Get().StopCapture();
  return doc;
}

PolygonObject* FirstPolygonObject(BaseObject* op) {
  for (; op; op = op->GetNext()) {
    if (op->GetType() == Opolygon) return static_cast<PolygonObject*>(op);
    if (PolygonObject* below = FirstPolygonObject(op->GetDown())) return below;
  }
  return nullptr;
}

}  // namespace

TEST(ImportSharedVertices, OneNormalPerVertexSmoothsUnlessANormalIsNotANumber) {
  TempDir dir("import_shared");
  // Three strips along y, folded by 20 degrees, then by 60 more; no face uses the last vertex.
  const double r = 3.14159265358979 / 180;
  const float x2 = float(1 + std::cos(20 * r)), z2 = float(std::sin(20 * r));
  const float x3 = x2 + float(std::cos(80 * r)), z3 = z2 + float(std::sin(80 * r));
  std::vector<Vertex> v = {{0, 0, 0, 0, 0, 1},   {1, 0, 0, 0, 0, 1},   {1, 1, 0, 0, 0, 1},
                           {0, 1, 0, 0, 0, 1},   {x2, 0, z2, 0, 0, 1}, {x2, 1, z2, 0, 0, 1},
                           {x3, 0, z3, 0, 0, 1}, {x3, 1, z3, 0, 0, 1}, {5, 5, 5, 0, 0, 1}};
  std::vector<std::vector<int32_t>> faces = {{0, 1, 2, 3}, {1, 4, 5, 2}, {4, 6, 7, 5}};
  auto import = [&](const char* name) {
    WriteFile(dir.str(name), Ply(v, faces));
    return Import(dir.str(name));
  };
  auto phongOf = [](const Doc& doc) -> const BaseContainer* {
    const BaseTag* phong = FirstPolygonObject(doc->GetFirstObject())->GetTag(Tphong);
    return phong ? phong->GetDataInstance() : nullptr;
  };
  {
    // Each point has one normal for all its faces: every edge is smooth.
    const Doc doc = import("strip.ply");
    EXPECT_EQ(FirstPolygonObject(doc->GetFirstObject())->GetPointCount(), 9);
    ASSERT_NE(phongOf(doc), nullptr);
    EXPECT_FALSE(phongOf(doc)->GetBool(PHONGTAG_PHONG_ANGLELIMIT, TRUE));
  }
  {
    // A normal that is not a number differs even from itself: the 60 degree edge between
    // vertices 4 and 5 is hard, the 20 degree one smooth, so the limit falls between them.
    std::vector<Vertex> smooth = v;
    v[4].nx = v[5].nx = std::numeric_limits<float>::quiet_NaN();
    const Doc doc = import("hard.ply");
    v = smooth;
    ASSERT_NE(phongOf(doc), nullptr);
    EXPECT_TRUE(phongOf(doc)->GetBool(PHONGTAG_PHONG_ANGLELIMIT, FALSE));
    EXPECT_NEAR(Deg(phongOf(doc)->GetReal(PHONGTAG_PHONG_ANGLE, 0)), 40.0f, 0.1f);
  }
  {
    // Faces in one plane tell nothing of the file's smoothing: no Phong tag.
    std::vector<Vertex> folded = v;
    for (Vertex& vertex : v) vertex.z = 0;
    const Doc doc = import("flat.ply");
    v = folded;
    EXPECT_EQ(phongOf(doc), nullptr);
  }
  {
    // A tenth vertex at the position of the fourth (as -0) is the same point: the first
    // polygon's a (the host's corners run the other way round) is point 3.
    v.push_back(Vertex{-0.0f, 1, 0, 0, 0, 1});
    faces[0][3] = 9;
    const Doc doc = import("merged.ply");
    const PolygonObject* strip = FirstPolygonObject(doc->GetFirstObject());
    EXPECT_EQ(strip->GetPointCount(), 9);
    EXPECT_EQ(strip->GetPolygonR()[0].a, 3);
    EXPECT_EQ(strip->GetPolygonR()[0].d, 0);
    ASSERT_NE(phongOf(doc), nullptr);
    EXPECT_FALSE(phongOf(doc)->GetBool(PHONGTAG_PHONG_ANGLELIMIT, TRUE));
  }
}
