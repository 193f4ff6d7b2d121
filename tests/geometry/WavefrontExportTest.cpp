#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "description/oMyMaterialHelper.h"
#include "geometry/WavefrontExport.h"
#include "host/Console.h"

namespace {

using testing_support::TempDir;

PolygonObject* MakeQuad() {
  PolygonObject* op = PolygonObject::Alloc(4, 1);
  op->SetName("Quad");
  Vector* p = op->GetPointW();
  p[0] = Vector(0, 0, 0);
  p[1] = Vector(1, 0, 0);
  p[2] = Vector(1, 1, 0);
  p[3] = Vector(0, 1, 0);
  op->GetPolygonW()[0] = CPolygon(0, 1, 2, 3);
  return op;
}

// A cube of edge 2 around the origin, faces wound alike.
PolygonObject* MakeCube() {
  PolygonObject* op = PolygonObject::Alloc(8, 6);
  op->SetName("Cube");
  Vector* p = op->GetPointW();
  const Vector corners[8] = {Vector(-1, -1, -1), Vector(1, -1, -1), Vector(1, 1, -1), Vector(-1, 1, -1),
                             Vector(-1, -1, 1),  Vector(1, -1, 1),  Vector(1, 1, 1),  Vector(-1, 1, 1)};
  for (int i = 0; i < 8; ++i) p[i] = corners[i];
  const CPolygon faces[6] = {CPolygon(0, 3, 2, 1), CPolygon(4, 5, 6, 7), CPolygon(0, 4, 7, 3),
                             CPolygon(1, 2, 6, 5), CPolygon(3, 7, 6, 2), CPolygon(0, 1, 5, 4)};
  for (int i = 0; i < 6; ++i) op->GetPolygonW()[i] = faces[i];
  return op;
}

void AppendTag(BaseObject* op, BaseTag* tag) {
  BaseTag* last = nullptr;
  for (BaseTag* t = op->GetFirstTag(); t; t = t->GetNext()) last = t;
  op->InsertTag(tag, last);
}

BaseTag* AddPhong(BaseObject* op, bool angleLimit, Real angle) {
  BaseTag* phong = BaseTag::Alloc(Tphong);
  phong->GetDataInstance()->SetBool(PHONGTAG_PHONG_ANGLELIMIT, angleLimit);
  phong->GetDataInstance()->SetReal(PHONGTAG_PHONG_ANGLE, angle);
  AppendTag(op, phong);
  return phong;
}

TextureTag* AddTexture(BaseObject* op, BaseMaterial* material, const char* restriction = "") {
  TextureTag* tag = TextureTag::Alloc();
  tag->SetMaterial(material);
  tag->GetDataInstance()->SetLong(TEXTURETAG_PROJECTION, P_UVW);
  tag->GetDataInstance()->SetString(TEXTURETAG_RESTRICTION, restriction);
  AppendTag(op, tag);
  return tag;
}

SelectionTag* AddSelection(BaseObject* op, const char* name, std::vector<LONG> polygons) {
  SelectionTag* tag = SelectionTag::Alloc(Tpolygonselection);
  tag->SetName(name);
  for (LONG i : polygons) tag->GetBaseSelect()->Select(i);
  AppendTag(op, tag);
  return tag;
}

// A material helper linking the material, under the given name.
BaseObject* AddHelper(BaseDocument* doc, BaseMaterial* material, const std::string& name) {
  BaseObject* helper = BaseObject::Alloc(Onull);
  helper->SetName(name);
  helper->GetDataInstance()->SetLink(MATHELPER_MATERIAL, material);
  doc->InsertObject(helper, nullptr, nullptr);
  return helper;
}

BaseMaterial* AddMaterial(BaseDocument* doc, const char* name) {
  BaseMaterial* mat = Material::Alloc();
  mat->SetName(name);
  doc->InsertMaterial(mat);
  return mat;
}

// Builds the mesh without writing a file.
WavefrontExport Build(PolygonObject* op, TavrellMaterialList* materials, Real scale = 1.0f) {
  WavefrontExport ex;
  ex.hasPhong = op->GetTag(Tphong) != nullptr;
  ex.scale = scale;
  ex.triangleCount = op->GetPolygonCount();
  ex.vertexCount = op->GetPointCount();
  EXPECT_TRUE(ex.AddVerticesAndTris(op, materials));
  return ex;
}

void ExpectVec(const Kyrano::Vec3f& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

void ExpectTriangle(const Kyrano::Triangle& t, uint32_t a, uint32_t b, uint32_t c, uint32_t material) {
  EXPECT_EQ(t.vertexIndices[0], a);
  EXPECT_EQ(t.vertexIndices[1], b);
  EXPECT_EQ(t.vertexIndices[2], c);
  EXPECT_EQ(t.materialIndex, material);
}

class Bytes {
 public:
  Bytes& u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) s_.push_back(char((v >> (8 * i)) & 0xFF));
    return *this;
  }
  Bytes& f32(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return u32(v);
  }
  Bytes& str(const std::string& t) {
    u32(uint32_t(t.size()));
    s_ += t;
    return *this;
  }
  const std::string& get() const { return s_; }

 private:
  std::string s_;
};

class ConsoleCapture {
 public:
  ConsoleCapture() { host::Console::Get().StartCapture(); }
  ~ConsoleCapture() { host::Console::Get().StopCapture(); }
  std::vector<std::string> Lines() const { return host::Console::Get().Captured(); }
  bool Has(const std::string& prefix) const {
    for (const std::string& l : Lines())
      if (l.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  }
};

}  // namespace

TEST(WavefrontExport, SingleQuadIsTwoTrianglesWithAxesExchangedAndWindingReversed) {
  PolygonObject* quad = MakeQuad();
  TavrellMaterialList empty;
  WavefrontExport ex = Build(quad, &empty);
  ASSERT_EQ(ex.mesh.positions.size(), 4u);
  ExpectVec(ex.mesh.positions[0], 0, 0, 0);
  ExpectVec(ex.mesh.positions[1], 1, 0, 0);
  ExpectVec(ex.mesh.positions[2], 1, 0, 1);
  ExpectVec(ex.mesh.positions[3], 0, 0, 1);
  EXPECT_TRUE(ex.mesh.normals.empty());
  ASSERT_EQ(ex.mesh.uvs.size(), 1u);
  EXPECT_EQ(ex.mesh.uvs[0].x, 0.0f);
  EXPECT_EQ(ex.mesh.uvs[0].y, 1.0f);
  ASSERT_EQ(ex.mesh.triangles.size(), 2u);
  ExpectTriangle(ex.mesh.triangles[0], 2, 1, 0, 0);
  ExpectTriangle(ex.mesh.triangles[1], 0, 3, 2, 0);
  for (const Kyrano::Triangle& t : ex.mesh.triangles)
    for (uint32_t uv : t.uvIndices) EXPECT_EQ(uv, 0u);
  EXPECT_EQ(ex.mesh.materialNames, std::vector<std::string>{"defaultMat"});
  EXPECT_EQ(ex.triangleCount, 2);
  EXPECT_EQ(ex.vertexCount, 4);
  EXPECT_EQ(ex.uvCount, 1);

  // Light geometry has no material list.
  WavefrontExport light = Build(quad, nullptr);
  EXPECT_EQ(light.mesh.materialNames, std::vector<std::string>{"defaultLight"});

  // A triangle (c == d) is one triangle.
  quad->GetPolygonW()[0] = CPolygon(0, 1, 2);
  WavefrontExport tri = Build(quad, nullptr);
  ASSERT_EQ(tri.mesh.triangles.size(), 1u);
  ExpectTriangle(tri.mesh.triangles[0], 2, 1, 0, 0);
  EXPECT_EQ(tri.mesh.positions.size(), 3u);
  BaseObject* op = quad;
  BaseObject::Free(op);
}

TEST(WavefrontExport, PointsAtOnePositionShareAVertexInFirstSeenOrder) {
  PolygonObject* op = PolygonObject::Alloc(6, 2);
  op->SetName("Split");
  Vector* p = op->GetPointW();
  p[0] = Vector(0, 0, 0);
  p[1] = Vector(1, 0, 0);
  p[2] = Vector(1, 1, 0);
  p[3] = Vector(-0.0f, 0, -0.0f);  // equal to point 0 as floats compare
  p[4] = Vector(1, 1, 0);
  p[5] = Vector(0, 1, 0);
  op->GetPolygonW()[0] = CPolygon(0, 1, 2);
  op->GetPolygonW()[1] = CPolygon(3, 4, 5);
  WavefrontExport ex = Build(op, nullptr);
  ASSERT_EQ(ex.mesh.positions.size(), 4u);
  // The first corner seen at a position gives the vertex its bits.
  EXPECT_FALSE(std::signbit(ex.mesh.positions[0].x));
  ExpectVec(ex.mesh.positions[3], 0, 0, 1);
  ASSERT_EQ(ex.mesh.triangles.size(), 2u);
  ExpectTriangle(ex.mesh.triangles[0], 2, 1, 0, 0);
  ExpectTriangle(ex.mesh.triangles[1], 3, 2, 0, 0);

  // With normals, the same positions with different normals are different vertices.
  AddPhong(op, true, Rad(10));
  p[4] = Vector(1, 1, 1);
  WavefrontExport hard = Build(op, nullptr);
  EXPECT_EQ(hard.mesh.positions.size(), 6u);
  BaseObject* obj = op;
  BaseObject::Free(obj);
}

TEST(WavefrontExport, CubeMergesByPositionAloneUnlessPhongEdgesAreHard) {
  PolygonObject* cube = MakeCube();
  WavefrontExport plain = Build(cube, nullptr);
  EXPECT_EQ(plain.mesh.positions.size(), 8u);
  EXPECT_EQ(plain.mesh.triangles.size(), 12u);
  EXPECT_TRUE(plain.mesh.normals.empty());

  // Every edge of a cube is 90 degrees: an angle limit of 10 makes them all hard.
  BaseTag* phong = AddPhong(cube, true, Rad(10));
  WavefrontExport hard = Build(cube, nullptr);
  EXPECT_EQ(hard.mesh.positions.size(), 24u);
  ASSERT_EQ(hard.mesh.normals.size(), 24u);
  EXPECT_EQ(hard.mesh.triangles.size(), 12u);
  for (const Kyrano::Vec3f& n : hard.mesh.normals) {
    // Unit normals along one axis each.
    EXPECT_FLOAT_EQ(std::fabs(n.x) + std::fabs(n.y) + std::fabs(n.z), 1.0f);
  }

  // Without an angle limit every edge is smooth: one vertex per point again, with normals.
  phong->GetDataInstance()->SetBool(PHONGTAG_PHONG_ANGLELIMIT, FALSE);
  WavefrontExport smooth = Build(cube, nullptr);
  EXPECT_EQ(smooth.mesh.positions.size(), 8u);
  ASSERT_EQ(smooth.mesh.normals.size(), 8u);
  for (const Kyrano::Vec3f& n : smooth.mesh.normals)
    EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0f, 1e-6f);

  // Scale multiplies positions only.
  phong->GetDataInstance()->SetBool(PHONGTAG_PHONG_ANGLELIMIT, TRUE);
  WavefrontExport scaled = Build(cube, nullptr, 100.0f);
  ASSERT_EQ(scaled.mesh.positions.size(), 24u);
  for (size_t i = 0; i < 24; ++i) {
    EXPECT_EQ(scaled.mesh.positions[i].x, 100.0f * hard.mesh.positions[i].x);
    EXPECT_EQ(scaled.mesh.positions[i].y, 100.0f * hard.mesh.positions[i].y);
    EXPECT_EQ(scaled.mesh.positions[i].z, 100.0f * hard.mesh.positions[i].z);
    EXPECT_TRUE(scaled.mesh.normals[i] == hard.mesh.normals[i]);
  }
  BaseObject* op = cube;
  BaseObject::Free(op);
}

TEST(WavefrontExport, TextureTagOffsetAndLengthPlaceTheUVs) {
  PolygonObject* quad = MakeQuad();
  UVWTag* uvw = UVWTag::Alloc(1);
  uvw->Set(0, UVWStruct(Vector(0.75f, 0.5f, 0), Vector(0.25f, 0.5f, 0), Vector(0.25f, 0, 0), Vector(0.75f, 0, 0)));
  AppendTag(quad, uvw);
  TextureTag* texture = AddTexture(quad, nullptr);
  texture->GetDataInstance()->SetReal(TEXTURETAG_OFFSETX, 0.25f);
  texture->GetDataInstance()->SetReal(TEXTURETAG_LENGTHX, 0.5f);
  texture->GetDataInstance()->SetReal(TEXTURETAG_LENGTHY, 0.0f);

  WavefrontExport ex = Build(quad, nullptr);
  // Corner a: u (0.75 - 0.25) / 0.5 = 1, v unchanged (length 0 means factor 1) and flipped.
  ASSERT_EQ(ex.mesh.uvs.size(), 4u);
  EXPECT_FLOAT_EQ(ex.mesh.uvs[0].x, 1.0f);
  EXPECT_FLOAT_EQ(ex.mesh.uvs[0].y, 0.5f);
  EXPECT_FLOAT_EQ(ex.mesh.uvs[1].x, 0.0f);
  EXPECT_FLOAT_EQ(ex.mesh.uvs[2].y, 1.0f);
  EXPECT_EQ(ex.mesh.triangles[0].uvIndices[0], 2u);
  EXPECT_EQ(ex.mesh.triangles[1].uvIndices[1], 3u);
  BaseObject* op = quad;
  BaseObject::Free(op);
}

TEST(WavefrontExport, SelectionTagsGiveTheirPolygonsTheRestrictedTexturesMaterial) {
  BaseDocument* doc = BaseDocument::Alloc();
  SetActiveDocument(doc);
  BaseMaterial* wood = AddMaterial(doc, "Wood");
  BaseMaterial* metal = AddMaterial(doc, "Metal");
  BaseMaterial* glass = AddMaterial(doc, "Glass");
  TavrellMaterialList list;
  list.AddTavrellMaterial(AddHelper(doc, wood, "WoodHelper"));
  list.AddTavrellMaterial(AddHelper(doc, metal, "MetalHelper"));
  list.AddTavrellMaterial(AddHelper(doc, glass, "GlassHelper"));

  BaseObject* parent = BaseObject::Alloc(Onull);
  doc->InsertObject(parent, nullptr, nullptr);
  AddTexture(parent, glass);
  PolygonObject* op = PolygonObject::Alloc(6, 3);
  Vector* p = op->GetPointW();
  for (int i = 0; i < 6; ++i) p[i] = Vector(Real(i), Real(i % 2), 0);
  op->GetPolygonW()[0] = CPolygon(0, 1, 3, 2);
  op->GetPolygonW()[1] = CPolygon(2, 3, 5, 4);
  op->GetPolygonW()[2] = CPolygon(0, 1, 2);
  doc->InsertObject(op, parent, nullptr);
  // Polygon 1 lies in both selections, so it is written twice.
  AddSelection(op, "Top", {1});
  AddSelection(op, "Unused", {1, 2});
  AddTexture(op, wood, "Top");
  AddTexture(op, metal);

  WavefrontExport ex = Build(op, &list);
  // Top: wood; Unused has no texture tag of its own, so it takes the object's unrestricted
  // one (metal, found before the parent's glass); the rest (polygon 0) metal as well.
  EXPECT_EQ(ex.mesh.materialNames, (std::vector<std::string>{"WoodHelper", "MetalHelper"}));
  ASSERT_EQ(ex.mesh.triangles.size(), 2u + 3u + 2u);
  EXPECT_EQ(ex.mesh.triangles[0].materialIndex, 0u);
  EXPECT_EQ(ex.mesh.triangles[1].materialIndex, 0u);
  for (size_t i = 2; i < ex.mesh.triangles.size(); ++i) EXPECT_EQ(ex.mesh.triangles[i].materialIndex, 1u);
  // Polygon 0 comes last: its first triangle is (c, b, a) of points 3, 1, 0.
  const Kyrano::Triangle& last = ex.mesh.triangles[5];
  EXPECT_TRUE(ex.mesh.positions[last.vertexIndices[0]] == (Kyrano::Vec3f{3, 0, 1}));

  // A material no helper links gives "defaultMat".
  BaseMaterial* stone = AddMaterial(doc, "Stone");
  static_cast<TextureTag*>(op->GetTag(Ttexture, 1))->SetMaterial(stone);
  WavefrontExport unknown = Build(op, &list);
  EXPECT_EQ(unknown.mesh.materialNames, (std::vector<std::string>{"WoodHelper", "defaultMat"}));
  SetActiveDocument(nullptr);
  BaseDocument::Free(doc);
}

TEST(WavefrontExport, QuadWithFourUVsWritesThe201ByteFile) {
  TempDir dir("wavefront");
  PolygonObject* quad = MakeQuad();
  UVWTag* uvw = UVWTag::Alloc(1);
  uvw->Set(0, UVWStruct(Vector(0, 0, 0), Vector(1, 0, 0), Vector(1, 1, 0), Vector(0, 1, 0)));
  AppendTag(quad, uvw);
  AddTexture(quad, nullptr);
  TavrellMaterialList empty;

  ConsoleCapture console;
  WavefrontExport ex;
  // The models folder is created when missing; the suffix is set on the file name.
  const Filename models(dir.str("models.room").c_str());
  ASSERT_TRUE(ex.ExportObj(nullptr, models, Filename("room-0"), quad, 1.0f, &empty));

  Bytes expected;
  expected.u32(0x0053436F).u32(1).u32(1);
  expected.u32(1).str("defaultMat");
  expected.u32(1).str("default").u32(0);
  expected.u32(4);
  const float positions[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
  for (const auto& v : positions) expected.f32(v[0]).f32(v[1]).f32(v[2]);
  expected.u32(0);
  expected.u32(4);
  const float uvs[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
  for (const auto& uv : uvs) expected.f32(uv[0]).f32(uv[1]);
  expected.u32(2);
  expected.u32(2).u32(1).u32(0).u32(2).u32(1).u32(0).u32(0);
  expected.u32(0).u32(3).u32(2).u32(0).u32(3).u32(2).u32(0);

  const std::string file = testing_support::ReadFile(dir.str("models.room/room-0.kymesh"));
  ASSERT_EQ(file.size(), 201u);
  EXPECT_EQ(file, expected.get());
  EXPECT_FALSE(std::filesystem::exists(dir.str("models.room/room-0.kymesh.tmp")));

  const std::vector<std::string> lines = console.Lines();
  ASSERT_FALSE(lines.empty());
  const std::string& line = lines.back();
  EXPECT_EQ(line.rfind("--Exported mesh: Quad, 2 Tris, 4 Vertices, 4 UVs. Processing Time: ", 0), 0u) << line;
  EXPECT_NE(line.find("s. Export Time: "), std::string::npos);
  EXPECT_EQ(line.back(), 's');
  BaseObject* op = quad;
  BaseObject::Free(op);
}

TEST(WavefrontExport, AFileThatCannotBeWrittenIsReportedNotClaimed) {
  TempDir dir("wavefront_fail");
  // The models "folder" is a file, so nothing can be created inside it.
  testing_support::WriteFile(dir.str("models.room"), "not a folder");
  PolygonObject* quad = MakeQuad();
  ConsoleCapture console;
  WavefrontExport ex;
  EXPECT_FALSE(ex.ExportObj(nullptr, Filename(dir.str("models.room").c_str()), Filename("room-0"), quad, 1.0f, nullptr));
  EXPECT_FALSE(console.Has("--Exported mesh"));
  bool named = false;
  for (const std::string& l : console.Lines())
    named = named || (l.rfind("--Failed to export mesh: Quad. ", 0) == 0 && l.find("room-0.kymesh") != std::string::npos);
  EXPECT_TRUE(named);

  EXPECT_FALSE(ex.ExportObj(nullptr, Filename(dir.str().c_str()), Filename("x"), nullptr, 1.0f, nullptr));
  BaseObject* op = quad;
  BaseObject::Free(op);
}

TEST(WavefrontExport, OverlongMaterialNamesAreCutAndSaidOnTheConsole) {
  TempDir dir("wavefront_cut");
  BaseDocument* doc = BaseDocument::Alloc();
  SetActiveDocument(doc);
  BaseMaterial* mat = AddMaterial(doc, "Long");
  TavrellMaterialList list;
  list.AddTavrellMaterial(AddHelper(doc, mat, std::string(1100, 'n')));
  PolygonObject* quad = MakeQuad();
  doc->InsertObject(quad, nullptr, nullptr);
  AddTexture(quad, mat);

  ConsoleCapture console;
  WavefrontExport ex;
  ASSERT_TRUE(ex.ExportObj(doc, Filename(dir.str().c_str()), Filename("cut"), quad, 1.0f, &list));
  EXPECT_TRUE(console.Has("--Mesh Quad: a material name longer than 1024 bytes was cut to 1024 bytes"));
  EXPECT_TRUE(console.Has("--Exported mesh: Quad"));
  Kyrano::KyranoMesh back;
  ASSERT_TRUE(Kyrano::KyranoMesh::readFromFile(dir.str("cut.kymesh"), back).ok);
  ASSERT_EQ(back.materialNames.size(), 1u);
  EXPECT_EQ(back.materialNames[0], std::string(1024, 'n'));
  SetActiveDocument(nullptr);
  BaseDocument::Free(doc);
}

TEST(WavefrontExport, PolygonsNamingMissingPointsAreSkipped) {
  PolygonObject* quad = MakeQuad();
  quad->ResizeObject(4, 2);
  quad->GetPolygonW()[1] = CPolygon(0, 1, 9, 3);
  ConsoleCapture console;
  WavefrontExport ex = Build(quad, nullptr);
  EXPECT_EQ(ex.mesh.triangles.size(), 2u);
  EXPECT_TRUE(console.Has("--Mesh Quad: 1 polygons skipped"));
  BaseObject* op = quad;
  BaseObject::Free(op);
}
