// The mesh builder's files, byte for byte, against files known to be right, on meshes that
// exercise every way corners merge or stay apart: points at one position (also +0 and -0),
// shared and split Phong normals, UV seams, texture tags with offsets and lengths, projected
// UVs, overlapping selections with materials, quads and triangles, degenerate polygons and
// polygons naming missing points.
//
// Set TAVRELL_WRITE_MESH_GOLDEN=1 to write the files anew into tests/data/meshes (only after
// checking by other means that the builder is right).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
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

// A small, fixed pseudo-random sequence, the same on every machine.
class Sequence {
 public:
  explicit Sequence(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  // One of `steps` levels in [0, 1): coarse, so that values repeat.
  Real Level(uint32_t steps) { return Real(Next() % steps) / Real(steps); }

 private:
  uint32_t state_;
};

void AppendTag(BaseObject* op, BaseTag* tag) {
  BaseTag* last = nullptr;
  for (BaseTag* t = op->GetFirstTag(); t; t = t->GetNext()) last = t;
  op->InsertTag(tag, last);
}

const LONG kSide = 8;  // cells along each side of the sheet

// A folded, bumpy sheet of kSide x kSide cells, some cut into two triangles, with two extra
// points that repeat the positions of others (one as -0), two degenerate triangles, a polygon
// naming a point the object does not have, and a UV tag with a seam down the middle.
PolygonObject* MakeSheet(uint32_t seed, LONG uvEntriesMissing) {
  Sequence random(seed);
  const LONG side = kSide + 1;
  const LONG gridPoints = side * side;
  std::vector<CPolygon> polygons;
  for (LONG z = 0; z < kSide; ++z)
    for (LONG x = 0; x < kSide; ++x) {
      const LONG a = z * side + x, b = a + side, c = b + 1, d = a + 1;
      if (random.Next() % 3 == 0) {
        polygons.emplace_back(a, b, c);
        polygons.emplace_back(a, c, d);
      } else {
        polygons.emplace_back(a, b, c, d);
      }
    }
  // Points 0 and 1 again, as points of their own; the second with z = -0.
  polygons.emplace_back(gridPoints, 1, side);
  polygons.emplace_back(gridPoints + 1, side + 1, side + 2, 2);
  polygons.emplace_back(20, 20, 21);              // no area
  polygons.emplace_back(gridPoints + 2, gridPoints + 2, gridPoints + 2);  // no area, no neighbours
  polygons.emplace_back(3, 4, gridPoints + 7, 2);  // a point the object lacks

  PolygonObject* op = PolygonObject::Alloc(gridPoints + 3, LONG(polygons.size()));
  op->SetName("Sheet");
  Vector* p = op->GetPointW();
  for (LONG z = 0; z < side; ++z)
    for (LONG x = 0; x < side; ++x) {
      // A ridge along x = 4 makes edges hard under a small Phong angle; the bumps are coarse
      // so that some polygons are exactly flat.
      const Real fold = x <= 4 ? Real(x) : Real(8 - x);
      p[z * side + x] = Vector(Real(x), 0.5f * fold + 0.25f * random.Level(4), Real(z));
    }
  p[gridPoints] = p[0];
  p[gridPoints + 1] = Vector(p[1].x, p[1].y, -0.0f);
  p[gridPoints + 2] = Vector(-1, -1, -1);
  for (size_t i = 0; i < polygons.size(); ++i) op->GetPolygonW()[i] = polygons[i];

  UVWTag* uvw = UVWTag::Alloc(LONG(polygons.size()) - uvEntriesMissing);
  auto uvOf = [&](LONG point, LONG polygon) {
    if (point < 0 || point >= gridPoints) return Vector(0.5f, 0.5f, 0);
    const LONG x = point % side, z = point / side;
    // Cells right of the middle take their texture from the other half: the middle column's
    // points have two UVs.
    const bool right = polygon % kSide >= kSide / 2 && polygon < kSide * kSide;
    return Vector(Real(x) / kSide + (right ? 0.5f : 0.0f), Real(z) / kSide, 0.125f * Real(x));
  };
  for (LONG i = 0; i < uvw->GetDataCount(); ++i) {
    const CPolygon& q = op->GetPolygonR()[i];
    uvw->Set(i, UVWStruct(uvOf(q.a, i), uvOf(q.b, i), uvOf(q.c, i), uvOf(q.d, i)));
  }
  AppendTag(op, uvw);
  return op;
}

SelectionTag* AddSelection(BaseObject* op, const char* name, LONG first, LONG last) {
  SelectionTag* tag = SelectionTag::Alloc(Tpolygonselection);
  tag->SetName(name);
  tag->GetBaseSelect()->SelectAll(first, last);
  AppendTag(op, tag);
  return tag;
}

TextureTag* AddTexture(BaseObject* op, BaseMaterial* material, const char* restriction, LONG projection) {
  TextureTag* tag = TextureTag::Alloc();
  tag->SetMaterial(material);
  tag->GetDataInstance()->SetLong(TEXTURETAG_PROJECTION, projection);
  tag->GetDataInstance()->SetString(TEXTURETAG_RESTRICTION, restriction);
  AppendTag(op, tag);
  return tag;
}

void Place(TextureTag* tag, Real offsetU, Real offsetV, Real lengthU, Real lengthV) {
  BaseContainer* data = tag->GetDataInstance();
  data->SetReal(TEXTURETAG_OFFSETX, offsetU);
  data->SetReal(TEXTURETAG_OFFSETY, offsetV);
  data->SetReal(TEXTURETAG_LENGTHX, lengthU);
  data->SetReal(TEXTURETAG_LENGTHY, lengthV);
}

void AddPhong(BaseObject* op, bool angleLimit, Real degrees) {
  BaseTag* phong = BaseTag::Alloc(Tphong);
  phong->GetDataInstance()->SetBool(PHONGTAG_PHONG_ANGLELIMIT, angleLimit);
  phong->GetDataInstance()->SetReal(PHONGTAG_PHONG_ANGLE, Rad(degrees));
  AppendTag(op, phong);
}

// A document with four materials, three of them linked by helpers (Stone is not), and a null
// parent that carries an unrestricted texture tag of its own.
struct Scene {
  BaseDocument* doc = BaseDocument::Alloc();
  TavrellMaterialList list;
  BaseMaterial *wood, *metal, *glass, *stone;
  BaseObject* parent = BaseObject::Alloc(Onull);

  Scene() {
    wood = Material("Wood");
    metal = Material("Metal");
    glass = Material("Glass");
    stone = Material("Stone");
    for (BaseMaterial* m : {wood, metal, glass}) {
      BaseObject* helper = BaseObject::Alloc(Onull);
      helper->SetName(m->GetName() + "Helper");
      helper->GetDataInstance()->SetLink(MATHELPER_MATERIAL, m);
      doc->InsertObject(helper, nullptr, nullptr);
      list.AddTavrellMaterial(helper);
    }
    doc->InsertObject(parent, nullptr, nullptr);
    AddTexture(parent, metal, "", P_UVW);
  }
  ~Scene() { BaseDocument::Free(doc); }
  BaseMaterial* Material(const char* name) {
    BaseMaterial* m = ::Material::Alloc();
    m->SetName(name);
    doc->InsertMaterial(m);
    return m;
  }
  void Insert(BaseObject* op) { doc->InsertObject(op, parent, nullptr); }
};

// Selections that overlap (Band takes in part of Top), one without a texture tag of its own
// (Bare), and texture tags placed by offset and length, one projected (cubic).
void AddSelectionsAndTextures(Scene& s, PolygonObject* op) {
  AddSelection(op, "Top", 0, 20);
  AddSelection(op, "Band", 15, 40);
  AddSelection(op, "Bare", 50, 55);
  Place(AddTexture(op, s.wood, "Top", P_UVW), 0.25f, 0.0f, 0.5f, 2.0f);
  Place(AddTexture(op, s.stone, "Band", P_CUBIC), 0.0f, 0.1f, 1.0f, 0.0f);
  Place(AddTexture(op, s.glass, "", P_UVW), 0.0f, 0.0f, 1.0f, 1.0f);
  AddTexture(op, s.wood, "Nowhere", P_UVW);
}

struct Case {
  const char* name;
  void (*setUp)(Scene&, PolygonObject*);
  bool withMaterials;
  Real scale;
  LONG uvEntriesMissing;
};

const Case kCases[] = {
    {"sheet_phong", [](Scene& s, PolygonObject* op) {
       AddPhong(op, true, 30.0f);
       AddSelectionsAndTextures(s, op);
     }, true, 0.5f, 0},
    {"sheet_flat", [](Scene& s, PolygonObject* op) { AddSelectionsAndTextures(s, op); }, true, 1.0f, 0},
    // The object's own UV tag read as it stands (one unrestricted UVW tag, placed nowhere),
    // shorter than the polygon list, for light geometry.
    {"sheet_smooth_light", [](Scene& s, PolygonObject* op) {
       AddPhong(op, false, 0.0f);
       AddTexture(op, s.glass, "", P_UVW);
     }, false, 2.0f, 3},
    {"sheet_spherical", [](Scene& s, PolygonObject* op) {
       AddPhong(op, true, 80.0f);
       Place(AddTexture(op, s.glass, "", P_SPHERICAL), 0.1f, 0.2f, 0.5f, 0.25f);
     }, true, 1.0f, 0},
    // No texture tag on the object: the parent's applies; selections only split materials.
    {"sheet_parent_texture", [](Scene&, PolygonObject* op) {
       AddPhong(op, true, 10.0f);
       AddSelection(op, "Top", 0, 9);
       AddSelection(op, "Bare", 30, 33);
     }, true, 1.0f, 0},
};

std::vector<std::string> Differences(const std::string& got, const std::string& want) {
  std::vector<std::string> out;
  if (got.size() != want.size())
    out.push_back("size " + std::to_string(got.size()) + ", expected " + std::to_string(want.size()));
  for (size_t i = 0; i < std::min(got.size(), want.size()) && out.size() < 5; ++i)
    if (got[i] != want[i]) out.push_back("byte " + std::to_string(i) + " differs");
  return out;
}

}  // namespace

TEST(MeshBuilderBytes, FilesMatchTheKnownGoodBytes) {
  host::Console::Get().StartCapture();
  TempDir dir("mesh_golden");
  const std::string golden = std::string(TAVRELL_TEST_DATA) + "/meshes/";
  const bool rewrite = std::getenv("TAVRELL_WRITE_MESH_GOLDEN") != nullptr;
  uint32_t seed = 7;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    SetActiveDocument(scene.doc);
    PolygonObject* op = MakeSheet(seed++, c.uvEntriesMissing);
    scene.Insert(op);
    c.setUp(scene, op);
    WavefrontExport builder;
    ASSERT_TRUE(builder.ExportObj(scene.doc, Filename(dir.str().c_str()), Filename(c.name), op, c.scale,
                                  c.withMaterials ? &scene.list : nullptr));
    const std::string got = testing_support::ReadFile(dir.str(std::string(c.name) + ".kymesh"));
    if (rewrite) {
      std::filesystem::create_directories(golden);
      testing_support::WriteFile(golden + c.name + ".kymesh", got);
    }
    const std::string want = testing_support::ReadFile(golden + c.name + ".kymesh");
    ASSERT_FALSE(want.empty()) << "no known-good file " << golden << c.name << ".kymesh";
    EXPECT_EQ(Differences(got, want), std::vector<std::string>{});
    SetActiveDocument(nullptr);
  }
  host::Console::Get().StopCapture();
}
