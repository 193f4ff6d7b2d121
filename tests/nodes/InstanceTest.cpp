// The instance object of the plug-in loaded from its folder: its bounds, its description, what
// it draws into the view (the host's recorded BaseDraw calls), the copy it generates when the
// host evaluates the document, and links that would copy for ever.
#include <cmath>
#include <string>
#include <vector>

#include "NodeFixture.h"
#include "description/Okyranoinstance.h"
#include "host/DocumentIO.h"

namespace {

struct Drawing {
  std::vector<BaseDraw::DrawnLine> lines;
  std::vector<BaseDraw::DrawnPolygon> polygons;
};

// What the host's view records while the object draws itself in the given pass.
Drawing Draw(BaseDocument* doc, BaseObject* op, LONG pass = DRAWPASS_OBJECT) {
  BaseDraw* bd = doc->GetRenderBaseDraw();
  bd->ClearDrawing();
  BaseDrawHelp bh(bd, doc);
  bh.SetMg(op->GetMg());
  static_cast<ObjectData*>(op->GetNodeData())->Draw(op, pass, bd, &bh);
  return {bd->GetDrawnLines(), bd->GetDrawnPolygons()};
}

// Polygon objects as a walk of the hierarchy meets them, with their global positions.
class PolygonWalk : public Hierarchy {
 public:
  std::vector<Vector> positions;
  void* Alloc() override { return nullptr; }
  void Free(void*) override {}
  void CopyTo(void*, void*) override {}
  Bool Do(void*, BaseObject* op, const Matrix& mg, Bool) override {
    if (op->GetType() == Opolygon) positions.push_back(mg.off);
    return TRUE;
  }
};

bool Near(const Vector& a, const Vector& b) {
  return std::fabs(a.x - b.x) < 1e-3f && std::fabs(a.y - b.y) < 1e-3f && std::fabs(a.z - b.z) < 1e-3f;
}

// Every corner of the drawing lies on the box from -r to r (each coordinate is -r or r).
bool OnBoxCorners(const Vector& p, Real r) {
  for (Real c : {p.x, p.y, p.z})
    if (std::fabs(std::fabs(c) - r) > 1e-3f) return false;
  return true;
}

class Instances : public PluginNodes {
 protected:
  BaseDocument* Open(const std::string& json) {
    BaseDocument::Free(doc_);
    doc_ = host::ParseDocument(json, "instances.json");
    SetActiveDocument(doc_);
    return doc_;
  }
  BaseObject* Find(const char* path) { return host::FindObjectByPath(doc_, path); }
};

// A polygon object with one quad (0..3) and one triangle (4..6), drawn red.
const char* const kQuadAndTriangle = R"({"type": "Opolygon", "name": "Shape", "position": [0, 10, 0],
  "data": {"906": 2, "900": [1, 0, 0]},
  "points": [[0,0,0], [10,0,0], [10,10,0], [0,10,0], [20,0,0], [30,0,0], [20,10,0]],
  "polygons": [[0, 1, 2, 3], [4, 5, 6]]})";

}  // namespace

TEST_F(Instances, AnUnlinkedInstanceShowsAHundredUnitBoxAndMakesNothing) {
  Open(R"({"objects": [{"type": "Okyranoinstance", "name": "I", "position": [5, 6, 7]}]})");
  BaseObject* inst = Find("/I");
  ASSERT_NE(inst, nullptr);
  EXPECT_EQ(inst->GetMp(), Vector(0, 0, 0));
  EXPECT_EQ(inst->GetRad(), Vector(50, 50, 50));
  AnimateDocument(doc_, TRUE, TRUE);
  EXPECT_EQ(inst->GetCache(), nullptr);
  const Drawing d = Draw(doc_, inst);
  EXPECT_TRUE(d.lines.empty());
  EXPECT_TRUE(d.polygons.empty());

  Description desc;
  ASSERT_TRUE(Describe(inst, &desc));
  EXPECT_FALSE(Hidden(desc, INSTANCE_LINK));
  EXPECT_TRUE(Hidden(desc, INSTANCE_BOX_GROUP));
}

TEST_F(Instances, TheCustomBoxReplacesTheLinkedBounds) {
  Open(R"({"objects": [
    {"type": "Ocube", "name": "Cube"},
    {"type": "Okyranoinstance", "name": "I", "data": {"INSTANCE_LINK": {"link": "/Cube"}, "INSTANCE_CUSTOM_BOX": true,
      "INSTANCE_BOX_SIZE": [20, 40, 60], "INSTANCE_BOX_CENTER": [1, 2, 3]}}]})");
  BaseObject* inst = Find("/I");
  EXPECT_EQ(inst->GetMp(), Vector(1, 2, 3));
  EXPECT_EQ(inst->GetRad(), Vector(10, 20, 30));
  Description desc;
  ASSERT_TRUE(Describe(inst, &desc));
  EXPECT_TRUE(Hidden(desc, INSTANCE_LINK));
  EXPECT_FALSE(Hidden(desc, INSTANCE_BOX_GROUP));

  // Absent values count as zero; a new instance's box is 50 units wide.
  inst->GetDataInstance()->RemoveData(INSTANCE_BOX_SIZE);
  inst->GetDataInstance()->RemoveData(INSTANCE_BOX_CENTER);
  EXPECT_EQ(inst->GetRad(), Vector(0, 0, 0));
  BaseObject* fresh = BaseObject::Alloc(Okyranoinstance);
  fresh->GetDataInstance()->SetBool(INSTANCE_CUSTOM_BOX, TRUE);
  EXPECT_EQ(fresh->GetRad(), Vector(25, 25, 25));
  EXPECT_EQ(fresh->GetMp(), Vector(0, 0, 0));
  BaseObject::Free(fresh);

  // Turned off again, the bounds are the linked cube's.
  inst->GetDataInstance()->SetBool(INSTANCE_CUSTOM_BOX, FALSE);
  EXPECT_EQ(inst->GetRad(), Vector(100, 100, 100));
}

TEST_F(Instances, ALinkedCubeIsShownAndCopiedAtTheInstancesPlace) {
  Open(R"({"objects": [
    {"type": "Ocube", "name": "Cube", "position": [100, 0, 0], "rotation": [30, 0, 0], "active": true},
    {"type": "Okyranoinstance", "name": "I", "data": {"INSTANCE_LINK": {"link": "/Cube"}}}]})");
  BaseObject* inst = Find("/I");
  AnimateDocument(doc_, TRUE, TRUE);

  // The generated copy sits exactly at the instance, unselected.
  BaseObject* copy = inst->GetCache();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetType(), Ocube);
  EXPECT_EQ(copy->GetName(), String("Cube"));
  EXPECT_EQ(copy->GetMl(), Matrix());
  EXPECT_FALSE(copy->GetBit(BIT_ACTIVE));
  PolygonWalk walk;
  walk.Run(doc_, FALSE, 1.0f, 20, nullptr, nullptr);
  ASSERT_EQ(walk.positions.size(), 2u);
  EXPECT_EQ(walk.positions[0], Vector(100, 0, 0));
  EXPECT_EQ(walk.positions[1], Vector(0, 0, 0));
  EXPECT_EQ(inst->GetRad(), Vector(100, 100, 100));

  // Boxes (the default): the cube's twelve box edges, unrotated, around the instance.
  Drawing d = Draw(doc_, inst);
  ASSERT_EQ(d.lines.size(), 12u);
  for (const BaseDraw::DrawnLine& l : d.lines) {
    EXPECT_TRUE(OnBoxCorners(l.a, 100) && OnBoxCorners(l.b, 100)) << l.a.x << " " << l.b.x;
    EXPECT_NEAR(Len(l.b - l.a), 200.0f, 1e-3f);
    EXPECT_FALSE(l.screen);
  }

  inst->GetDataInstance()->SetLong(INSTANCE_DRAWMODE, INSTANCE_DRAWMODE_WIRE);
  d = Draw(doc_, inst);
  EXPECT_EQ(d.lines.size(), 24u);  // four sides of six quads
  for (const BaseDraw::DrawnLine& l : d.lines) EXPECT_TRUE(OnBoxCorners(l.a, 100) && OnBoxCorners(l.b, 100));

  // Shaded: the host draws the polygons where the instance puts them; the helper's matrix
  // is given back afterwards.
  inst->GetDataInstance()->SetLong(INSTANCE_DRAWMODE, INSTANCE_DRAWMODE_SHADED);
  inst->SetPos(Vector(0, 0, 500));
  BaseDraw* bd = doc_->GetRenderBaseDraw();
  bd->ClearDrawing();
  BaseDrawHelp bh(bd, doc_);
  Matrix helper;
  helper.off = Vector(7, 8, 9);
  bh.SetMg(helper);
  static_cast<ObjectData*>(inst->GetNodeData())->Draw(inst, DRAWPASS_OBJECT, bd, &bh);
  EXPECT_EQ(bh.GetMg(), helper);
  EXPECT_TRUE(bd->GetDrawnLines().empty());
  ASSERT_EQ(bd->GetDrawnPolygons().size(), 6u);
  for (const BaseDraw::DrawnPolygon& p : bd->GetDrawnPolygons()) {
    ASSERT_EQ(p.points.size(), 4u);
    for (const Vector& v : p.points) EXPECT_TRUE(OnBoxCorners(v - Vector(0, 0, 500), 100));
  }
}

TEST_F(Instances, DrawingFollowsTheLinkedHierarchyItsModesAndColours) {
  Open(std::string(R"({"objects": [
    {"type": "Onull", "name": "Group", "position": [500, 0, 0], "rotation": [90, 0, 0], "children": [)") +
       kQuadAndTriangle + R"(,
      {"type": "Opolygon", "name": "Hidden", "editor": "off", "points": [[0,0,0], [1,0,0], [0,1,0]], "polygons": [[0, 1, 2]],
       "children": [{"type": "Opolygon", "name": "Shown", "editor": "on", "position": [0, 0, 7],
                     "points": [[0,0,0], [1,0,0], [0,1,0]], "polygons": [[0, 1, 2]]}]}]},
    {"type": "Okyranoinstance", "name": "I", "position": [0, 0, 100],
     "data": {"INSTANCE_LINK": {"link": "/Group"}, "INSTANCE_DRAWMODE": "INSTANCE_DRAWMODE_WIRE"}}]})");
  BaseObject* inst = Find("/I");
  const Drawing d = Draw(doc_, inst);
  // The quad's four sides and the triangle's three in red, placed below the instance (the
  // group's own placement replaced), then the child of the hidden polygon object.
  ASSERT_EQ(d.lines.size(), 10u);
  const Vector at(0, 10, 100);
  const Vector expected[7][2] = {{{0, 0, 0}, {10, 0, 0}},  {{10, 0, 0}, {10, 10, 0}}, {{10, 10, 0}, {0, 10, 0}},
                                 {{0, 10, 0}, {0, 0, 0}},  {{20, 0, 0}, {30, 0, 0}}, {{30, 0, 0}, {20, 10, 0}},
                                 {{20, 10, 0}, {20, 0, 0}}};
  for (int i = 0; i < 7; i++) {
    EXPECT_TRUE(Near(d.lines[i].a, at + expected[i][0]) && Near(d.lines[i].b, at + expected[i][1])) << "line " << i;
    EXPECT_EQ(d.lines[i].color, Vector(1, 0, 0));
  }
  for (int i = 7; i < 10; i++) {
    EXPECT_NEAR(d.lines[i].a.z, 107.0f, 1e-3f);
    EXPECT_EQ(d.lines[i].color, Vector(0.8f, 0.8f, 0.8f));
  }

  // Only the object pass draws, and an instance that serves a generator as input draws nothing.
  EXPECT_TRUE(Draw(doc_, inst, DRAWPASS_OBJECT + 1).lines.empty());
  inst->SetBit(BIT_CONTROLOBJECT);
  EXPECT_TRUE(Draw(doc_, inst).lines.empty());
}

TEST_F(Instances, LinksThatWouldCopyForEverGenerateNothing) {
  Open(R"({"objects": [
    {"type": "Okyranoinstance", "name": "Self", "data": {"INSTANCE_LINK": {"link": "/Self"}}},
    {"type": "Onull", "name": "Parent", "children": [
      {"type": "Okyranoinstance", "name": "Child", "data": {"INSTANCE_LINK": {"link": "/Parent"}}}]},
    {"type": "Okyranoinstance", "name": "A", "data": {"INSTANCE_LINK": {"link": "/B"}}},
    {"type": "Okyranoinstance", "name": "B", "data": {"INSTANCE_LINK": {"link": "/A"}}},
    {"type": "Onull", "name": "Holder", "children": [
      {"type": "Okyranoinstance", "name": "Inner", "data": {"INSTANCE_LINK": {"link": "/Holder/Inner"}}},
      {"type": "Onull", "name": "Second"}, {"type": "Onull", "name": "Third"}]},
    {"type": "Okyranoinstance", "name": "Outer", "data": {"INSTANCE_LINK": {"link": "/Holder"}}},
    {"type": "Ocube", "name": "Cube"},
    {"type": "Okyranoinstance", "name": "C", "data": {"INSTANCE_LINK": {"link": "/Cube"}}},
    {"type": "Okyranoinstance", "name": "D", "data": {"INSTANCE_LINK": {"link": "/C"}}}]})");
  AnimateDocument(doc_, TRUE, TRUE);
  for (const char* path : {"/Self", "/Parent/Child", "/A", "/B", "/Holder/Inner"}) {
    EXPECT_EQ(Find(path)->GetCache(), nullptr) << path;
    EXPECT_EQ(Find(path)->GetRad(), Vector(50, 50, 50)) << path;
  }

  // A link to a group that holds such an instance is no loop: the group is copied, and the
  // copied instance makes nothing.
  BaseObject* group = Find("/Outer")->GetCache();
  ASSERT_NE(group, nullptr);
  ASSERT_NE(group->GetDown(), nullptr);
  EXPECT_EQ(group->GetDown()->GetType(), Okyranoinstance);
  EXPECT_EQ(group->GetDown()->GetCache(), nullptr);
  ASSERT_NE(group->GetDown()->GetNext(), nullptr);
  EXPECT_EQ(group->GetDown()->GetNext()->GetName(), String("Second"));
  ASSERT_NE(group->GetDownLast(), nullptr);
  EXPECT_EQ(group->GetDownLast()->GetName(), String("Third"));
  EXPECT_EQ(group->GetDownLast()->GetPred(), group->GetDown()->GetNext());

  // A chain that ends: an instance of an instance of a cube is a copy of the cube's instance,
  // itself holding a copy of the cube.
  BaseObject* copyOfC = Find("/D")->GetCache();
  ASSERT_NE(copyOfC, nullptr);
  ASSERT_NE(copyOfC->GetCache(), nullptr);
  EXPECT_EQ(copyOfC->GetCache()->GetType(), Ocube);
  EXPECT_EQ(Find("/D")->GetRad(), Vector(100, 100, 100));
}

TEST_F(Instances, BoundsOfASphereWithoutCacheComeFromItsForm) {
  Open(R"({"objects": [
    {"type": "Osphere", "name": "Ball", "position": [0, 300, 0], "data": {"1110": 60.0}},
    {"type": "Okyranoinstance", "name": "I", "data": {"INSTANCE_LINK": {"link": "/Ball"}}}]})");
  AnimateDocument(doc_, TRUE, TRUE);
  const Vector rad = Find("/I")->GetRad();
  EXPECT_NEAR(rad.x, 60.0f, 1e-3f);
  EXPECT_NEAR(rad.y, 60.0f, 1e-3f);
  EXPECT_NEAR(rad.z, 60.0f, 1e-3f);
  EXPECT_TRUE(Near(Find("/I")->GetMp(), Vector(0, 0, 0)));
}
