#include <gtest/gtest.h>

#include <vector>

#include "c4d.h"

namespace {

// Records the visit order and the branch visibility the way an exporter computes it.
class Recorder : public Hierarchy {
 public:
  struct Visit {
    std::string name;
    int visible;
    Vector pos;
  };
  std::vector<Visit> visits;
  int live = 0;
  void* Alloc() override {
    live++;
    return new int(1);
  }
  void Free(void* d) override {
    live--;
    delete static_cast<int*>(d);
  }
  void CopyTo(void* src, void* dst) override {
    if (src && dst) *static_cast<int*>(dst) = *static_cast<int*>(src);
  }
  Bool Do(void* data, BaseObject* op, const Matrix& mg, Bool) override {
    int* v = static_cast<int*>(data);
    if (op->GetRenderMode() == MODE_ON) *v = 1;
    if (op->GetRenderMode() == MODE_OFF) *v = 0;
    visits.push_back({op->GetName().str(), *v, mg.off});
    return TRUE;
  }
};


}  // namespace

TEST(Hierarchy, VisitsDepthFirstWithGlobalMatricesAndInheritedBranchData) {
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* a = BaseObject::Alloc(Onull);
  a->SetName("A");
  a->SetPos(Vector(10, 0, 0));
  a->SetRenderMode(MODE_OFF);
  doc->InsertObject(a, nullptr, nullptr);
  BaseObject* b = BaseObject::Alloc(Onull);
  b->SetName("B");
  b->SetPos(Vector(0, 5, 0));
  doc->InsertObject(b, a, nullptr);
  BaseObject* c = BaseObject::Alloc(Onull);
  c->SetName("C");
  c->SetRenderMode(MODE_ON);
  doc->InsertObject(c, a, b);
  BaseObject* d = BaseObject::Alloc(Onull);
  d->SetName("D");
  doc->InsertObject(d, nullptr, a);

  Recorder r;
  int start = 1;
  ASSERT_TRUE(r.Run(doc, FALSE, 1.0f, 20, &start, nullptr));
  ASSERT_EQ(r.visits.size(), 4u);
  EXPECT_EQ(r.visits[0].name, "A");
  EXPECT_EQ(r.visits[1].name, "B");
  EXPECT_EQ(r.visits[2].name, "C");
  EXPECT_EQ(r.visits[3].name, "D");
  EXPECT_EQ(r.visits[1].visible, 0);  // hidden with its parent
  EXPECT_EQ(r.visits[2].visible, 1);  // switched on again inside the hidden branch
  EXPECT_EQ(r.visits[3].visible, 1);
  EXPECT_EQ(r.visits[1].pos, Vector(10, 5, 0));
  EXPECT_EQ(r.live, 0);  // every branch's data was released
  BaseDocument::Free(doc);
}

TEST(Hierarchy, WalksGeneratorCachesAsTheGeneratorsChildren) {
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* gen = BaseObject::Alloc(Onull);
  gen->SetName("Gen");
  gen->SetPos(Vector(1, 2, 3));
  doc->InsertObject(gen, nullptr, nullptr);
  PolygonObject* cache = PolygonObject::Alloc(0, 0);
  cache->SetName("Cache");
  gen->SetCache(cache);
  EXPECT_EQ(cache->GetCacheParent(), gen);
  EXPECT_EQ(cache->GetDocument(), doc);
  EXPECT_EQ(cache->GetMg().off, Vector(1, 2, 3));
  Recorder r;
  r.Run(doc, FALSE, 1.0f, 20, nullptr, nullptr);
  ASSERT_EQ(r.visits.size(), 2u);
  EXPECT_EQ(r.visits[1].name, "Cache");
  EXPECT_EQ(r.visits[1].pos, Vector(1, 2, 3));
  BaseDocument::Free(doc);
}

TEST(Matrix, PlacementRoundTripsThroughHpb) {
  BaseObject* op = BaseObject::Alloc(Onull);
  op->SetRot(Vector(Rad(30), Rad(-20), Rad(45)));
  op->SetScale(Vector(2, 1, 0.5f));
  op->SetPos(Vector(1, 2, 3));
  Matrix m = op->GetMl();
  BaseObject* other = BaseObject::Alloc(Onull);
  other->SetMl(m);
  Matrix back = other->GetMl();
  for (const auto& pair : {std::make_pair(m.v1, back.v1), std::make_pair(m.v2, back.v2), std::make_pair(m.v3, back.v3)}) {
    EXPECT_NEAR(pair.first.x, pair.second.x, 1e-5);
    EXPECT_NEAR(pair.first.y, pair.second.y, 1e-5);
    EXPECT_NEAR(pair.first.z, pair.second.z, 1e-5);
  }
  Matrix inv = !m;
  Vector p(3, -4, 5);
  Vector q = inv * (m * p);
  EXPECT_NEAR(q.x, p.x, 1e-4);
  EXPECT_NEAR(q.y, p.y, 1e-4);
  EXPECT_NEAR(q.z, p.z, 1e-4);
  Vector axis;
  Real angle;
  MatrixToRotAxis(RotAxisToMatrix(Vector(0, 1, 0), 0.5f), &axis, &angle);
  EXPECT_NEAR(angle, 0.5f, 1e-5);
  EXPECT_NEAR(axis.y, 1.0f, 1e-5);
  BaseObject::Free(op);
  BaseObject::Free(other);
}
