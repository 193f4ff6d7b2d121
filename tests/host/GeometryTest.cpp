#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "host/BuiltinTypes.h"

namespace {

typedef std::vector<std::pair<LONG, LONG>> Ranges;

Ranges RangesOf(const BaseSelect& s) {
  Ranges out;
  LONG a, b;
  for (LONG seg = 0; s.GetRange(seg, &a, &b); seg++) out.push_back({a, b});
  return out;
}

// A cube primitive's polygon form, with a Phong tag set as given (none when angle < 0).
PolygonObject* Cube(bool phong, bool limit = true, Real angleDegrees = 80) {
  BaseObject* gen = BaseObject::Alloc(Ocube);
  PolygonObject* cube = host::BuildPrimitive(gen);
  BaseObject::Free(gen);
  if (phong) {
    BaseTag* tag = cube->MakeTag(Tphong);
    tag->GetDataInstance()->SetBool(PHONGTAG_PHONG_ANGLELIMIT, limit);
    tag->GetDataInstance()->SetReal(PHONGTAG_PHONG_ANGLE, Rad(angleDegrees));
  }
  return cube;
}

// Distinct (point, normal) pairs over all corners: the vertices a builder with normals makes.
size_t DistinctCorners(const PolygonObject* op, const Vector* normals) {
  std::set<std::tuple<LONG, float, float, float>> seen;
  for (LONG i = 0; i < op->GetPolygonCount(); i++) {
    const CPolygon& p = op->GetPolygonR()[i];
    const LONG corners[4] = {p.a, p.b, p.c, p.d};
    for (int k = 0; k < 4; k++) {
      const Vector& n = normals[i * 4 + k];
      seen.insert({corners[k], std::round(n.x * 1e4f), std::round(n.y * 1e4f), std::round(n.z * 1e4f)});
    }
  }
  return seen.size();
}

PolygonObject* UnitQuad() {
  PolygonObject* quad = PolygonObject::Alloc(4, 1);
  Vector* p = quad->GetPointW();
  p[0] = Vector(0, 0, 0);
  p[1] = Vector(1, 0, 0);
  p[2] = Vector(1, 1, 0);
  p[3] = Vector(0, 1, 0);
  quad->GetPolygonW()[0] = CPolygon(0, 1, 2, 3);
  return quad;
}

void ExpectUV(const Vector& uv, Real u, Real v, const char* corner) {
  EXPECT_NEAR(uv.x, u, 1e-6) << corner;
  EXPECT_NEAR(uv.y, v, 1e-6) << corner;
}

}  // namespace

TEST(BaseSelect, KeepsRangesSortedAndMergedThroughSelectDeselectToggleAndMerge) {
  BaseSelect s;
  EXPECT_TRUE(s.Select(5));
  EXPECT_TRUE(s.Select(3));
  EXPECT_TRUE(s.Select(4));  // joins [3] and [5]
  EXPECT_TRUE(s.Select(7));
  EXPECT_EQ(RangesOf(s), (Ranges{{3, 5}, {7, 7}}));
  EXPECT_EQ(s.GetCount(), 4);
  EXPECT_TRUE(s.IsSelected(4));
  EXPECT_FALSE(s.IsSelected(6));
  EXPECT_FALSE(s.IsSelected(-1));
  LONG a = -1, b = -1;
  EXPECT_FALSE(s.GetRange(2, &a, &b));
  EXPECT_FALSE(s.GetRange(-1, &a, &b));

  s.Deselect(4);  // splits a range
  EXPECT_EQ(RangesOf(s), (Ranges{{3, 3}, {5, 5}, {7, 7}}));

  // Toggling inside [0, 9] complements there: what the mesh builder uses for "the rest".
  s.ToggleAll(0, 9);
  EXPECT_EQ(RangesOf(s), (Ranges{{0, 2}, {4, 4}, {6, 6}, {8, 9}}));
  // Outside the toggled span nothing changes.
  BaseSelect t;
  t.Select(1);
  t.Select(20);
  t.ToggleAll(0, 5);
  EXPECT_EQ(RangesOf(t), (Ranges{{0, 0}, {2, 5}, {20, 20}}));
  BaseSelect empty;
  empty.ToggleAll(0, 3);
  EXPECT_EQ(RangesOf(empty), (Ranges{{0, 3}}));

  // Merging touching and overlapping ranges leaves one range.
  BaseSelect m, n;
  m.SelectAll(0, 1);
  m.SelectAll(10, 12);
  n.SelectAll(2, 4);
  n.SelectAll(11, 15);
  EXPECT_TRUE(m.Merge(&n));
  EXPECT_EQ(RangesOf(m), (Ranges{{0, 4}, {10, 15}}));
  EXPECT_TRUE(m.Merge(&m));
  EXPECT_EQ(m.GetSegments(), 2);
  BaseSelect copy;
  copy.Select(99);
  EXPECT_TRUE(m.CopyTo(&copy));
  EXPECT_EQ(RangesOf(copy), RangesOf(m));

  EXPECT_FALSE(s.Select(-1));
  EXPECT_FALSE(s.SelectAll(5, 3));
  EXPECT_FALSE(s.Merge(nullptr));
  s.DeselectAll();
  EXPECT_EQ(s.GetCount(), 0);
  EXPECT_EQ(s.GetSegments(), 0);
}

TEST(GeometryTags, AllocatedByTypeWithTheirOwnData) {
  BaseTag* uvw = BaseTag::Alloc(Tuvw);
  ASSERT_NE(dynamic_cast<UVWTag*>(uvw), nullptr);
  UVWTag* tag = static_cast<UVWTag*>(uvw);
  EXPECT_EQ(tag->GetDataCount(), 0);
  EXPECT_TRUE(tag->Resize(2));
  tag->Set(1, UVWStruct(Vector(1, 2, 3), Vector(4, 5, 6), Vector(7, 8, 9), Vector(1, 1, 1)));
  tag->Set(5, UVWStruct(Vector(9, 9, 9), Vector(), Vector(), Vector()));  // out of range: ignored
  UVWStruct uv;
  tag->Get(1, uv);
  EXPECT_EQ(uv.c, Vector(7, 8, 9));
  tag->Get(5, uv);
  EXPECT_EQ(uv.a, Vector());
  EXPECT_FALSE(tag->Resize(-1));
  EXPECT_EQ(UVWTag::Alloc(-3), nullptr);
  BaseTag::Free(uvw);

  for (LONG type : {Tpolygonselection, Tpointselection}) {
    BaseTag* sel = BaseTag::Alloc(type);
    ASSERT_NE(dynamic_cast<SelectionTag*>(sel), nullptr);
    EXPECT_EQ(sel->GetType(), type);
    BaseTag::Free(sel);
  }
  EXPECT_EQ(SelectionTag::Alloc(Tphong), nullptr);

  BaseTag* blur = BaseTag::Alloc(Tmotionblur);
  EXPECT_FLOAT_EQ(blur->GetDataInstance()->GetReal(MOTIONBLURTAG_STRENGTH, 0), 1.0f);
  BaseTag::Free(blur);
  BaseTag* phong = BaseTag::Alloc(Tphong);
  EXPECT_TRUE(phong->GetDataInstance()->GetBool(PHONGTAG_PHONG_ANGLELIMIT, FALSE));
  EXPECT_NEAR(phong->GetDataInstance()->GetReal(PHONGTAG_PHONG_ANGLE, 0), Rad(80), 1e-6);
  BaseTag::Free(phong);
}

TEST(PhongNormals, CubeKeepsHardEdgesWithinTheAngleLimitAndSmoothsWithoutIt) {
  PolygonObject* plain = Cube(false);
  EXPECT_EQ(plain->CreatePhongNormals(), nullptr);
  PolygonObject::Free(plain);

  // Default 80°: the cube's 90° edges stay hard, every corner has its face's normal.
  PolygonObject* hard = Cube(true);
  Vector* n = hard->CreatePhongNormals();
  ASSERT_NE(n, nullptr);
  for (LONG i = 0; i < hard->GetPolygonCount(); i++) {
    const CPolygon& p = hard->GetPolygonR()[i];
    const Vector* pt = hard->GetPointR();
    const Vector centre = (pt[p.a] + pt[p.b] + pt[p.c] + pt[p.d]) * 0.25f;
    for (int k = 0; k < 4; k++) {
      EXPECT_NEAR(Len(n[i * 4 + k]), 1.0f, 1e-5);
      EXPECT_NEAR(n[i * 4 + k] * !centre, 1.0f, 1e-5) << "polygon " << i;  // outward, along the axis
    }
  }
  EXPECT_EQ(DistinctCorners(hard, n), 24u);
  GeFree(n);
  PolygonObject::Free(hard);

  // No limit, or a limit above 90°: smooth, one normal per point, along the diagonal.
  for (PolygonObject* smooth : {Cube(true, false), Cube(true, true, 100)}) {
    Vector* s = smooth->CreatePhongNormals();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(DistinctCorners(smooth, s), 8u);
    const Vector corner = smooth->GetPointR()[smooth->GetPolygonR()[0].a];
    EXPECT_NEAR(s[0] * !corner, 1.0f, 1e-5);
    GeFree(s);
    PolygonObject::Free(smooth);
  }
}

// Two quads folded along the x axis by `fold` degrees, under a Phong tag of 80°.
PolygonObject* Fold(double fold) {
  PolygonObject* op = PolygonObject::Alloc(6, 2);
  const Real s = Real(std::sin(fold * M_PI / 180)), c = Real(std::cos(fold * M_PI / 180));
  Vector* p = op->GetPointW();
  p[0] = Vector(0, 0, 0);
  p[1] = Vector(1, 0, 0);
  p[2] = Vector(1, 0, -1);
  p[3] = Vector(0, 0, -1);
  p[4] = Vector(1, s, c);
  p[5] = Vector(0, s, c);
  op->GetPolygonW()[0] = CPolygon(0, 1, 2, 3);
  op->GetPolygonW()[1] = CPolygon(1, 0, 5, 4);
  op->MakeTag(Tphong);
  return op;
}

TEST(PhongNormals, TheAngleLimitHoldsToTheLastDigitAtEveryPoint) {
  // Folds close to the limit on either side, and far within it: the shared edge's corners
  // share a normal exactly when the two polygons' normals are within the angle.
  const Real cosLimit = std::cos(Rad(80));
  for (double fold : {79.99, 79.997, 80.003, 80.01, 20.0, 120.0}) {
    PolygonObject* op = Fold(fold);
    Vector* n = op->CreatePhongNormals();
    ASSERT_NE(n, nullptr);
    // Corners c and d of each quad lie on one polygon only: they carry their face's normal.
    const Real dot = n[2] * n[6];
    EXPECT_NEAR(dot, std::cos(fold * M_PI / 180), 1e-5) << fold;
    const bool smooth = dot >= cosLimit - 1e-6f;
    EXPECT_EQ(smooth, fold < 80) << fold;
    // Point 0 is corner a of the first quad and corner b of the second.
    EXPECT_EQ(n[0] == n[5], smooth) << fold;
    if (smooth) EXPECT_NEAR(n[0] * !(n[2] + n[6]), 1.0f, 1e-6) << fold;
    else EXPECT_EQ(n[0], n[2]) << fold;
    GeFree(n);
    PolygonObject::Free(op);
  }

  // A flap folded right back over two flat quads: the sum of the three normals points up, yet
  // the flap's corner keeps its own normal, facing down.
  PolygonObject* flap = Fold(180);
  PolygonObject* three = PolygonObject::Alloc(8, 3);
  std::copy(flap->GetPointR(), flap->GetPointR() + 6, three->GetPointW());
  three->GetPointW()[6] = Vector(-1, 0, 0);
  three->GetPointW()[7] = Vector(-1, 0, -1);
  three->GetPolygonW()[0] = flap->GetPolygonR()[0];
  three->GetPolygonW()[1] = flap->GetPolygonR()[1];
  three->GetPolygonW()[2] = CPolygon(6, 0, 3, 7);
  three->MakeTag(Tphong);
  Vector* n = three->CreatePhongNormals();
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n[5], n[6]) << "the flap's corner at point 0";
  EXPECT_EQ(n[0], n[9]) << "the flat quads' corners at point 0";
  EXPECT_NEAR(n[5] * n[0], -1.0f, 1e-6);
  GeFree(n);
  PolygonObject::Free(three);
  PolygonObject::Free(flap);
}

TEST(PhongNormals, DegenerateAndBrokenPolygonsGiveFiniteNormals) {
  PolygonObject* op = PolygonObject::Alloc(4, 3);
  Vector* p = op->GetPointW();
  p[0] = Vector(0, 0, 0);
  p[1] = Vector(1, 0, 0);
  p[2] = Vector(0, 1, 0);
  p[3] = Vector(2, 0, 0);
  op->GetPolygonW()[0] = CPolygon(0, 1, 2);
  op->GetPolygonW()[1] = CPolygon(0, 1, 3);  // no area
  op->GetPolygonW()[2] = CPolygon(0, 7, 2);  // a point that does not exist
  op->MakeTag(Tphong);
  Vector* n = op->CreatePhongNormals();
  ASSERT_NE(n, nullptr);
  for (int i = 0; i < 12; i++) EXPECT_TRUE(std::isfinite(n[i].x) && std::isfinite(n[i].y) && std::isfinite(n[i].z));
  EXPECT_NEAR(n[0].z, 1.0f, 1e-6);
  EXPECT_NEAR(n[4].z, 1.0f, 1e-6);  // the flat triangle borrows its neighbour's normal
  GeFree(n);
  PolygonObject::Free(op);
}

TEST(GenerateUVW, FlatAndCubicOnAQuadAndNoneForUVW) {
  PolygonObject* quad = UnitQuad();
  TextureTag* tex = TextureTag::Alloc();
  quad->InsertTag(tex);

  tex->GetDataInstance()->SetLong(TEXTURETAG_PROJECTION, P_UVW);
  EXPECT_EQ(GenerateUVW(quad, Matrix(), tex, Matrix(), nullptr), nullptr);
  tex->GetDataInstance()->SetLong(TEXTURETAG_PROJECTION, 42);
  EXPECT_EQ(GenerateUVW(quad, Matrix(), tex, Matrix(), nullptr), nullptr);

  // Flat: the image spans the quad, u to the right, v downwards.
  tex->GetDataInstance()->SetLong(TEXTURETAG_PROJECTION, P_FLAT);
  const Matrix moved(Vector(10, -5, 3), Vector(2, 0, 0), Vector(0, 2, 0), Vector(0, 0, 2));
  UVWTag* flat = GenerateUVW(quad, moved, tex, moved, nullptr);
  ASSERT_NE(flat, nullptr);
  ASSERT_EQ(flat->GetDataCount(), 1);
  UVWStruct uv;
  flat->Get(0, uv);
  ExpectUV(uv.a, 0, 1, "a");
  ExpectUV(uv.b, 1, 1, "b");
  ExpectUV(uv.c, 1, 0, "c");
  ExpectUV(uv.d, 0, 0, "d");
  UVWTag::Free(flat);

  // Cubic: the quad faces +z, so it is seen from that side, the image mirrored in u.
  tex->GetDataInstance()->SetLong(TEXTURETAG_PROJECTION, P_CUBIC);
  UVWTag* cubic = GenerateUVW(quad, Matrix(), tex, Matrix(), nullptr);
  ASSERT_NE(cubic, nullptr);
  cubic->Get(0, uv);
  ExpectUV(uv.a, 1, 1, "a");
  ExpectUV(uv.b, 0, 1, "b");
  ExpectUV(uv.c, 0, 0, "c");
  ExpectUV(uv.d, 1, 0, "d");
  UVWTag::Free(cubic);

  EXPECT_EQ(GenerateUVW(nullptr, Matrix(), tex, Matrix(), nullptr), nullptr);
  EXPECT_EQ(GenerateUVW(quad, Matrix(), nullptr, Matrix(), nullptr), nullptr);
  PolygonObject::Free(quad);
}

TEST(GenerateUVW, SphericalAndCylindricalStayInsideTheImageAndCloseTheirSeam) {
  BaseObject* gen = BaseObject::Alloc(Osphere);
  PolygonObject* sphere = host::BuildPrimitive(gen);
  BaseObject::Free(gen);
  TextureTag* tex = TextureTag::Alloc();
  sphere->InsertTag(tex);
  for (LONG projection : {P_SPHERICAL, P_CYLINDRICAL}) {
    tex->GetDataInstance()->SetLong(TEXTURETAG_PROJECTION, projection);
    UVWTag* uvw = GenerateUVW(sphere, Matrix(), tex, Matrix(), nullptr);
    ASSERT_NE(uvw, nullptr);
    UVWStruct uv;
    for (LONG i = 0; i < uvw->GetDataCount(); i++) {
      uvw->Get(i, uv);
      Real lo = 2, hi = -1;
      for (const Vector& c : {uv.a, uv.b, uv.c, uv.d}) {
        EXPECT_GE(c.y, -1e-6f);
        EXPECT_LE(c.y, 1 + 1e-6f);
        lo = std::min(lo, c.x);
        hi = std::max(hi, c.x);
      }
      EXPECT_LE(hi - lo, 0.5f) << "polygon " << i << " spans the seam";
    }
    UVWTag::Free(uvw);
  }
  PolygonObject::Free(sphere);
}

TEST(GenerateTexturePath, LooksBesideTheDocumentThenInItsTexFolder) {
  testing_support::TempDir dir("texpath");
  const std::string doc = dir.str("scene");
  std::filesystem::create_directories(doc + "/tex");
  testing_support::WriteFile(doc + "/tex/wood.png", "x");
  testing_support::WriteFile(doc + "/tex/stone.png", "x");
  testing_support::WriteFile(doc + "/stone.png", "x");
  const Filename docpath(doc.c_str());

  Filename found;
  EXPECT_TRUE(GenerateTexturePath(docpath, Filename("wood.png"), Filename(), &found));
  EXPECT_EQ(found.str(), doc + "/tex/wood.png");
  EXPECT_TRUE(GenerateTexturePath(docpath, Filename("stone.png"), Filename(), &found));
  EXPECT_EQ(found.str(), doc + "/stone.png");  // beside the document wins
  // An absolute name that exists is taken as given; one that does not is looked for by its file name.
  EXPECT_TRUE(GenerateTexturePath(docpath, Filename((doc + "/tex/stone.png").c_str()), Filename(), &found));
  EXPECT_EQ(found.str(), doc + "/tex/stone.png");
  EXPECT_TRUE(GenerateTexturePath(docpath, Filename("/elsewhere/maps/wood.png"), Filename(), &found));
  EXPECT_EQ(found.str(), doc + "/tex/wood.png");
  EXPECT_TRUE(GenerateTexturePath(docpath, Filename("maps\\wood.png"), Filename(), &found));
  EXPECT_EQ(found.str(), doc + "/tex/wood.png");

  EXPECT_FALSE(GenerateTexturePath(docpath, Filename("missing.png"), Filename(), &found));
  EXPECT_FALSE(found.Content());
  EXPECT_FALSE(GenerateTexturePath(docpath, Filename("tex"), Filename(), &found));  // a folder is no texture
  EXPECT_FALSE(GenerateTexturePath(docpath, Filename(), Filename(), &found));
}

TEST(AnimateObject, OnlyTheGivenObjectMovesAndItsChildrenFollow) {
  BaseDocument* doc = BaseDocument::Alloc();
  doc->SetFps(25);
  BaseObject* parent = BaseObject::Alloc(Onull);
  BaseObject* child = BaseObject::Alloc(Onull);
  doc->InsertObject(parent, nullptr, nullptr);
  doc->InsertObject(child, parent, nullptr);
  child->SetPos(Vector(0, 0, 10));
  auto key = [](BaseList2D* node, LONG target, LONG component, Real v0, Real v1) {
    CTrack* t = CTrack::Alloc(node, target, component);
    t->AddKey(BaseTime(0.0), v0);
    t->AddKey(BaseTime(1.0), v1);
  };
  key(parent, CTRACK_POSITION, 0, 0, 100);
  key(parent, CTRACK_ROTATION, 0, 0, Rad(90));
  key(parent, CTRACK_SCALE, 1, 1, 3);
  key(child, CTRACK_POSITION, 1, 0, 50);

  doc->AnimateObject(parent, BaseTime(1.0), ANIMATE_NO_PARENTS);
  EXPECT_NEAR(parent->GetPos().x, 100, 1e-4);
  EXPECT_NEAR(parent->GetRot().x, Rad(90), 1e-6);
  EXPECT_NEAR(parent->GetScale().y, 3, 1e-6);
  EXPECT_EQ(child->GetPos(), Vector(0, 0, 10));  // the child's own track did not run
  // The child follows its parent: heading 90° turns its z offset onto the x axis.
  const Matrix mg = child->GetMg();
  EXPECT_NEAR(std::fabs(mg.off.x - 100), 10, 1e-3);
  EXPECT_NEAR(mg.off.z, 0, 1e-3);

  doc->AnimateObject(child, BaseTime(0.5), ANIMATE_NO_PARENTS);
  EXPECT_NEAR(child->GetPos().y, 25, 1e-4);
  EXPECT_NEAR(parent->GetPos().x, 100, 1e-4);  // the parent stays where it was set
  doc->AnimateObject(child, BaseTime(0.0), 0);  // without the flag the parents move too
  EXPECT_NEAR(parent->GetPos().x, 0, 1e-4);
  BaseDocument::Free(doc);
}
