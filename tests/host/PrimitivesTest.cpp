#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "c4d.h"
#include "host/BuiltinTypes.h"
#include "host/PluginRegistry.h"

namespace {

struct Counts {
  LONG points, polygons;
};

PolygonObject* Build(LONG type, const BaseContainer& params = BaseContainer()) {
  BaseObject* gen = BaseObject::Alloc(type);
  gen->SetData(params);
  PolygonObject* poly = host::BuildPrimitive(gen);
  BaseObject::Free(gen);
  return poly;
}

Counts CountsOf(LONG type, const BaseContainer& params = BaseContainer()) {
  PolygonObject* poly = Build(type, params);
  Counts c{poly->GetPointCount(), poly->GetPolygonCount()};
  PolygonObject::Free(poly);
  return c;
}

Vector FaceNormal(const PolygonObject* op, LONG i) {
  const CPolygon& p = op->GetPolygonR()[i];
  const Vector* pt = op->GetPointR();
  return !(p.c == p.d ? (pt[p.b] - pt[p.a]) % (pt[p.c] - pt[p.a]) : (pt[p.c] - pt[p.a]) % (pt[p.d] - pt[p.b]));
}

Vector Centre(const PolygonObject* op, LONG i) {
  const CPolygon& p = op->GetPolygonR()[i];
  const Vector* pt = op->GetPointR();
  return p.c == p.d ? (pt[p.a] + pt[p.b] + pt[p.c]) / 3 : (pt[p.a] + pt[p.b] + pt[p.c] + pt[p.d]) * 0.25f;
}

// Every face of a closed primitive centred on the origin faces away from the origin.
void ExpectOutward(const PolygonObject* op, const char* what) {
  for (LONG i = 0; i < op->GetPolygonCount(); i++)
    ASSERT_GT(FaceNormal(op, i) * Centre(op, i), 0) << what << " polygon " << i;
}

// Records what a walk visits: names and types, in order.
class Visits : public Hierarchy {
 public:
  std::vector<std::pair<std::string, LONG>> seen;
  void* Alloc() override { return nullptr; }
  void Free(void*) override {}
  void CopyTo(void*, void*) override {}
  Bool Do(void*, BaseObject* op, const Matrix&, Bool) override {
    seen.push_back({op->GetName().str(), op->GetType()});
    return TRUE;
  }
  int Count(LONG type) const {
    int n = 0;
    for (const auto& s : seen) n += s.second == type;
    return n;
  }
};

// A plug-in generator that makes a triangle placed inside it.
const LONG kTriangleGenerator = 990101;
class TriangleGenerator : public ObjectData {
 public:
  static NodeData* Alloc() { return new TriangleGenerator; }
  BaseObject* GetVirtualObjects(PluginObject*, HierarchyHelp*) override {
    PolygonObject* tri = PolygonObject::Alloc(3, 1);
    tri->GetPointW()[1] = Vector(1, 0, 0);
    tri->GetPointW()[2] = Vector(0, 1, 0);
    tri->GetPolygonW()[0] = CPolygon(0, 1, 2);
    tri->SetPos(Vector(0, 5, 0));
    return tri;
  }
};

// A plug-in tag with nothing but its container, like the exporter's geometry tags.
const LONG kMarkerTag = 990102;
class MarkerTag : public TagData {
 public:
  static NodeData* Alloc() { return new MarkerTag; }
};

void Register(LONG id, host::PluginKind kind, DataAllocator* allocator) {
  if (host::PluginRegistry::Get().Find(id)) return;
  host::PluginRecord rec;
  rec.id = id;
  rec.kind = kind;
  rec.name = "Test node";
  rec.allocator = allocator;
  host::PluginRegistry::Get().Add(rec);
}

void RegisterTriangleGenerator() { Register(kTriangleGenerator, host::PluginKind::Object, &TriangleGenerator::Alloc); }

BaseObject* MakeEditable(BaseDocument* doc, BaseObject* op) {
  BaseLink* link = BaseLink::Alloc();
  link->SetLink(op);
  ModelingCommandData cd;
  cd.doc = doc;
  cd.op = op;
  cd.bc = op->GetDataInstance();
  cd.mode = MODIFY_ALL;
  cd.flags = MODELINGCOMMANDFLAG_CREATEUNDO;
  BaseObject* result = nullptr;
  if (SendModelingCommand(MCOMMAND_MAKEEDITABLE, cd)) result = static_cast<BaseObject*>(link->GetLink(doc, Obase));
  BaseLink::Free(link);
  return result;
}

}  // namespace

TEST(Primitives, PointAndPolygonCounts) {
  const Counts cube = CountsOf(Ocube);
  EXPECT_EQ(cube.points, 8);  // shared corners: a builder without Phong merges to 8 vertices
  EXPECT_EQ(cube.polygons, 6);
  BaseContainer seg;
  seg.SetLong(PRIM_CUBE_SUBX, 2);
  EXPECT_EQ(CountsOf(Ocube, seg).points, 12);
  EXPECT_EQ(CountsOf(Ocube, seg).polygons, 10);

  EXPECT_EQ(CountsOf(Oplane).points, 21 * 21);
  EXPECT_EQ(CountsOf(Oplane).polygons, 400);
  BaseContainer one;
  one.SetLong(PRIM_PLANE_SUBW, 1);
  one.SetLong(PRIM_PLANE_SUBH, 1);
  EXPECT_EQ(CountsOf(Oplane, one).points, 4);
  EXPECT_EQ(CountsOf(Oplane, one).polygons, 1);

  EXPECT_EQ(CountsOf(Odisc).points, 37);  // centre and a ring of 36
  EXPECT_EQ(CountsOf(Odisc).polygons, 36);
  BaseContainer ring;
  ring.SetReal(PRIM_DISC_IRAD, 20);
  ring.SetLong(PRIM_DISC_CSUB, 50);
  EXPECT_EQ(CountsOf(Odisc, ring).points, 100);
  EXPECT_EQ(CountsOf(Odisc, ring).polygons, 50);

  EXPECT_EQ(CountsOf(Ocylinder).points, 74);
  EXPECT_EQ(CountsOf(Ocylinder).polygons, 36 + 72);

  EXPECT_EQ(CountsOf(Osphere).points, 2 + 11 * 24);
  EXPECT_EQ(CountsOf(Osphere).polygons, 24 * 12);
  BaseContainer hemi;
  hemi.SetLong(PRIM_SPHERE_TYPE, PRIM_SPHERE_TYPE_HEMISPHERE);
  EXPECT_EQ(CountsOf(Osphere, hemi).points, 1 + 6 * 24);
  EXPECT_EQ(CountsOf(Osphere, hemi).polygons, 6 * 24);

  // Absurd segment counts from a document are capped, not allocated.
  BaseContainer huge;
  huge.SetLong(PRIM_PLANE_SUBW, 2000000000);
  huge.SetLong(PRIM_PLANE_SUBH, -5);
  EXPECT_EQ(CountsOf(Oplane, huge).polygons, 1000);

  EXPECT_EQ(host::BuildPrimitive(nullptr), nullptr);
  BaseObject* null = BaseObject::Alloc(Onull);
  EXPECT_EQ(host::BuildPrimitive(null), nullptr);
  BaseObject::Free(null);
}

TEST(Primitives, SolidsFaceOutwardsAndCarryUVs) {
  BaseContainer size;
  size.SetVector(PRIM_CUBE_LEN, Vector(2, 4, 6));
  PolygonObject* cube = Build(Ocube, size);
  ExpectOutward(cube, "cube");
  // The UVs unfold the cube as a cross: 14 distinct coordinates, each standing for exactly one
  // point, so the image runs on across every edge the cross keeps.
  std::set<std::pair<float, float>> uvs;
  std::set<std::tuple<LONG, float, float>> pointUVs;
  const UVWTag* cubeUVs = static_cast<UVWTag*>(cube->GetTag(Tuvw));
  for (LONG i = 0; i < cube->GetPolygonCount(); i++) {
    UVWStruct uv;
    cubeUVs->Get(i, uv);
    const CPolygon& p = cube->GetPolygonR()[i];
    const std::pair<LONG, Vector> corners[4] = {{p.a, uv.a}, {p.b, uv.b}, {p.c, uv.c}, {p.d, uv.d}};
    for (const auto& c : corners) {
      uvs.insert({c.second.x, c.second.y});
      pointUVs.insert({c.first, c.second.x, c.second.y});
    }
  }
  EXPECT_EQ(uvs.size(), 14u);
  EXPECT_EQ(pointUVs.size(), 14u);
  for (LONG i = 0; i < cube->GetPointCount(); i++) {
    EXPECT_FLOAT_EQ(std::fabs(cube->GetPointR()[i].x), 1);
    EXPECT_FLOAT_EQ(std::fabs(cube->GetPointR()[i].y), 2);
    EXPECT_FLOAT_EQ(std::fabs(cube->GetPointR()[i].z), 3);
  }
  PolygonObject::Free(cube);

  BaseContainer hemi;
  hemi.SetLong(PRIM_SPHERE_TYPE, PRIM_SPHERE_TYPE_HEMISPHERE);
  for (PolygonObject* op : {Build(Ocylinder), Build(Osphere), Build(Osphere, hemi)}) {
    ExpectOutward(op, "solid");
    UVWTag* uvw = static_cast<UVWTag*>(op->GetTag(Tuvw));
    ASSERT_NE(uvw, nullptr);
    ASSERT_EQ(uvw->GetDataCount(), op->GetPolygonCount());
    UVWStruct uv;
    for (LONG i = 0; i < uvw->GetDataCount(); i++) {
      uvw->Get(i, uv);
      for (const Vector& c : {uv.a, uv.b, uv.c, uv.d}) {
        EXPECT_TRUE(c.x >= 0 && c.x <= 1 && c.y >= 0 && c.y <= 1) << "polygon " << i;
      }
    }
    PolygonObject::Free(op);
  }
}

TEST(Primitives, OrientationTurnsTheMainAxis) {
  const Vector axes[6] = {Vector(1, 0, 0), Vector(-1, 0, 0), Vector(0, 1, 0), Vector(0, -1, 0), Vector(0, 0, 1), Vector(0, 0, -1)};
  for (LONG axis = PRIM_AXIS_XP; axis <= PRIM_AXIS_ZN; axis++) {
    const Vector& want = axes[axis];
    BaseContainer bc;
    bc.SetLong(PRIM_AXIS, axis);
    bc.SetReal(PRIM_PLANE_WIDTH, 10);
    bc.SetReal(PRIM_PLANE_HEIGHT, 4);
    for (LONG type : {Oplane, Odisc}) {
      PolygonObject* flat = Build(type, bc);
      for (LONG i = 0; i < flat->GetPolygonCount(); i++) ASSERT_NEAR(FaceNormal(flat, i) * want, 1.0f, 1e-5) << "axis " << axis;
      for (LONG i = 0; i < flat->GetPointCount(); i++) ASSERT_NEAR(flat->GetPointR()[i] * want, 0, 1e-4);
      PolygonObject::Free(flat);
    }
    // The cylinder's top cap lies half its height along the axis.
    PolygonObject* cyl = Build(Ocylinder, bc);
    Real top = -1e9f;
    for (LONG i = 0; i < cyl->GetPointCount(); i++) top = std::max(top, cyl->GetPointR()[i] * want);
    EXPECT_NEAR(top, 100, 1e-3) << "axis " << axis;
    ExpectOutward(cyl, "turned cylinder");
    PolygonObject::Free(cyl);
  }
}

TEST(Primitives, EvaluationBuildsCachesExceptForTheSphere) {
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* sphere = BaseObject::Alloc(Osphere);
  sphere->SetName("Ball");
  doc->InsertObject(sphere, nullptr, nullptr);
  BaseObject* cube2 = BaseObject::Alloc(Ocube);
  cube2->SetName("Box2");
  doc->InsertObject(cube2, nullptr, nullptr);
  BaseObject* cube = BaseObject::Alloc(Ocube);
  cube->SetName("Box");
  cube->SetPos(Vector(0, 100, 0));
  doc->InsertObject(cube, nullptr, nullptr);
  BaseTag* phong = cube->MakeTag(Tphong);
  phong->GetDataInstance()->SetReal(PHONGTAG_PHONG_ANGLE, Rad(30));
  cube->MakeTag(Ttexture);
  Register(kMarkerTag, host::PluginKind::Tag, &MarkerTag::Alloc);
  cube->MakeTag(kMarkerTag)->GetDataInstance()->SetLong(1100, 1);
  BaseObject* off = BaseObject::Alloc(Ocube);
  off->SetName("Off");
  off->SetDeformMode(FALSE);
  doc->InsertObject(off, nullptr, nullptr);

  AnimateDocument(doc, TRUE, TRUE);
  ASSERT_NE(cube->GetCache(), nullptr);
  ASSERT_EQ(cube->GetCache()->GetType(), Opolygon);
  PolygonObject* poly = static_cast<PolygonObject*>(cube->GetCache());
  EXPECT_EQ(poly->GetPointCount(), 8);
  EXPECT_EQ(poly->GetName(), String("Box"));
  EXPECT_EQ(poly->GetCacheParent(), cube);
  EXPECT_EQ(poly->GetMg().off, Vector(0, 100, 0));
  // The cache has its own UVs and copies of the Phong and plug-in tags; the texture tag
  // stays on the cube.
  std::vector<LONG> tags;
  for (BaseTag* t = poly->GetFirstTag(); t; t = t->GetNext()) tags.push_back(t->GetType());
  EXPECT_EQ(tags, (std::vector<LONG>{Tuvw, Tphong, kMarkerTag}));
  EXPECT_NEAR(poly->GetTag(Tphong)->GetDataInstance()->GetReal(PHONGTAG_PHONG_ANGLE, 0), Rad(30), 1e-6);
  EXPECT_EQ(poly->GetTag(kMarkerTag)->GetDataInstance()->GetLong(1100), 1);
  EXPECT_EQ(sphere->GetCache(), nullptr);
  EXPECT_EQ(off->GetCache(), nullptr);

  // The walk meets two cube caches and the sphere itself, never the sphere's polygons.
  Visits walk;
  walk.Run(doc, FALSE, 1.0f, 20, nullptr, nullptr);
  EXPECT_EQ(walk.Count(Opolygon), 2);
  EXPECT_EQ(walk.Count(Osphere), 1);
  ASSERT_EQ(walk.seen.size(), 6u);
  EXPECT_EQ(walk.seen[0], std::make_pair(std::string("Off"), LONG(Ocube)));
  EXPECT_EQ(walk.seen[1], std::make_pair(std::string("Box"), LONG(Ocube)));
  EXPECT_EQ(walk.seen[2], std::make_pair(std::string("Box"), LONG(Opolygon)));

  // Parameters changed since are picked up at the next evaluation.
  cube->GetDataInstance()->SetLong(PRIM_CUBE_SUBY, 3);
  AnimateDocument(doc, TRUE, TRUE);
  EXPECT_EQ(static_cast<PolygonObject*>(cube->GetCache())->GetPolygonCount(), 14);
  BaseDocument::Free(doc);
}

TEST(MakeEditable, ReplacesTheGeneratorKeepingNameTagsChildrenPlacementAndLinks) {
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* group = BaseObject::Alloc(Onull);
  doc->InsertObject(group, nullptr, nullptr);
  BaseObject* before = BaseObject::Alloc(Onull);
  before->SetName("Before");
  doc->InsertObject(before, group, nullptr);
  BaseObject* cube = BaseObject::Alloc(Ocube);
  cube->SetName("Box");
  cube->SetPos(Vector(1, 2, 3));
  cube->SetRot(Vector(0.5f, 0, 0));
  cube->SetScale(Vector(2, 1, 1));
  doc->InsertObject(cube, group, before);
  BaseObject* after = BaseObject::Alloc(Onull);
  after->SetName("After");
  doc->InsertObject(after, group, cube);
  BaseObject* child = BaseObject::Alloc(Onull);
  child->SetName("Child");
  doc->InsertObject(child, cube, nullptr);
  cube->MakeTag(Tphong);
  cube->MakeTag(Ttexture);
  BaseTag* sel = cube->MakeTag(Tpolygonselection);
  static_cast<SelectionTag*>(sel)->GetBaseSelect()->Select(2);
  CTrack::Alloc(cube, CTRACK_POSITION, 0)->AddKey(BaseTime(0.0), 1);
  BaseObject* cam = BaseObject::Alloc(Ocamera);
  doc->InsertObject(cam, nullptr, nullptr);
  cam->GetDataInstance()->SetLink(9, cube);
  doc->SetActiveObject(cube);

  BaseObject* made = MakeEditable(doc, cube);
  ASSERT_NE(made, nullptr);
  ASSERT_EQ(made->GetType(), Opolygon);
  EXPECT_EQ(static_cast<PolygonObject*>(made)->GetPointCount(), 8);
  EXPECT_EQ(made->GetName(), String("Box"));
  EXPECT_EQ(made->GetPos(), Vector(1, 2, 3));
  EXPECT_EQ(made->GetRot(), Vector(0.5f, 0, 0));
  EXPECT_EQ(made->GetScale(), Vector(2, 1, 1));
  EXPECT_EQ(made->GetUp(), group);
  EXPECT_EQ(made->GetPred(), before);
  EXPECT_EQ(made->GetNext(), after);
  EXPECT_EQ(made->GetDown(), child);
  std::vector<LONG> tags;
  for (BaseTag* t = made->GetFirstTag(); t; t = t->GetNext()) tags.push_back(t->GetType());
  EXPECT_EQ(tags, (std::vector<LONG>{Tphong, Ttexture, Tpolygonselection, Tuvw}));
  EXPECT_TRUE(static_cast<SelectionTag*>(made->GetTag(Tpolygonselection))->GetBaseSelect()->IsSelected(2));
  EXPECT_NE(made->GetFirstCTrack(), nullptr);
  EXPECT_EQ(cam->GetDataInstance()->GetObjectLink(9, doc), made);
  EXPECT_EQ(doc->GetActiveObject(), made);

  // Already editable: the same object comes back.
  EXPECT_EQ(MakeEditable(doc, made), made);
  BaseDocument::Free(doc);
}

TEST(MakeEditable, BuildsTheSphereOnRequestAndCopiesPlugInCaches) {
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* sphere = BaseObject::Alloc(Osphere);
  sphere->GetDataInstance()->SetReal(PRIM_SPHERE_RAD, 5);
  doc->InsertObject(sphere, nullptr, nullptr);
  BaseObject* ball = MakeEditable(doc, sphere);
  ASSERT_NE(ball, nullptr);
  EXPECT_EQ(ball->GetType(), Opolygon);
  EXPECT_NEAR(Len(static_cast<PolygonObject*>(ball)->GetPointR()[0]), 5, 1e-5);
  EXPECT_EQ(doc->GetFirstObject(), ball);

  RegisterTriangleGenerator();
  BaseObject* gen = BaseObject::Alloc(kTriangleGenerator);
  ASSERT_NE(gen, nullptr);
  gen->SetName("Gen");
  gen->SetPos(Vector(10, 0, 0));
  doc->InsertObject(gen, nullptr, ball);
  BaseObject* tri = MakeEditable(doc, gen);  // no cache yet: it is built first
  ASSERT_NE(tri, nullptr);
  EXPECT_EQ(tri->GetType(), Opolygon);
  EXPECT_EQ(tri->GetName(), String("Gen"));
  EXPECT_EQ(tri->GetMg().off, Vector(10, 5, 0));  // generator and cache placement together
  EXPECT_EQ(static_cast<PolygonObject*>(tri)->GetPolygonCount(), 1);

  // An object in no document stays; the caller gets a new one.
  BaseObject* loose = BaseObject::Alloc(Oplane);
  loose->MakeTag(Tphong);
  ModelingCommandData cd;
  cd.op = loose;
  ASSERT_TRUE(SendModelingCommand(MCOMMAND_MAKEEDITABLE, cd));
  EXPECT_EQ(cd.op, loose);
  ASSERT_EQ(cd.result->GetCount(), 1);
  BaseObject* copy = static_cast<BaseObject*>(cd.result->GetIndex(0));
  EXPECT_NE(copy->GetTag(Tphong), nullptr);
  EXPECT_NE(loose->GetTag(Tphong), nullptr);
  BaseObject::Free(copy);
  BaseObject::Free(loose);

  BaseObject* null = BaseObject::Alloc(Onull);
  doc->InsertObject(null, nullptr, nullptr);
  ModelingCommandData none;
  none.doc = doc;
  none.op = null;
  EXPECT_FALSE(SendModelingCommand(MCOMMAND_MAKEEDITABLE, none));
  EXPECT_FALSE(SendModelingCommand(12345, none));
  BaseDocument::Free(doc);
}
