#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "host/DocumentIO.h"

namespace {

const char* kGeometryDoc = R"({
  "fps": 25,
  "materials": [{"type": "Mmaterial", "name": "Wood"}],
  "objects": [
    {"type": "Opolygon", "name": "Quads",
     "points": [[0,0,0],[1,0,0],[1,1,0],[0,1,0],[2,0,0],[2,1,0]],
     "polygons": [[0,1,2,3],[1,4,5,2],[0,1,2]],
     "tags": [
       {"type": "Tuvw", "uvw": [[[0,0,0],[1,0,0],[1,1,0],[0,1,0]],
                                [[0.25,0.5,0],[0.75,0.5,0],[0.75,1,0],[0.25,1,0]],
                                [[0,0,0],[1,0,0],[1,1,0],[1,1,0]]]},
       {"type": "Tpolygonselection", "name": "front", "selection": [[0, 1]]},
       {"type": "Tpolygonselection", "name": "odd", "selection": [2, 0]},
       {"type": "Tpointselection", "name": "pts", "selection": [5, [1, 3]]},
       {"type": "Ttexture", "data": {"1010": {"material": "Wood"}, "1011": 2, "1000": 0.25, "1001": 0,
                                     "1002": 0.5, "1003": 1, "1006": {"string": "front"}}},
       {"type": "Tmotionblur", "data": {"1000": 0.5}},
       {"type": "Tphong", "data": {"1000": true, "1001": 0.5}}
     ],
     "tracks": [{"target": "position.x", "keys": [[0, 0], [10, 100]]},
                {"target": "rotation.y", "keys": [[0, 0], [10, 90]]},
                {"target": "scale.z", "keys": [[0, 1], [10, 2]]}]},
    {"type": "Ocube", "name": "Box", "data": {"1100": [10, 20, 30]},
     "tags": [{"type": "Tpolygonselection", "name": "top", "selection": [[2, 3], 5]}]}
  ]
})";

std::string ErrorOf(const std::string& objectJson) {
  try {
    BaseDocument* doc = host::ParseDocument(R"({"objects": [)" + objectJson + "]}", "geo.json");
    BaseDocument::Free(doc);
  } catch (const host::DocumentError& e) {
    return e.what();
  }
  return "";
}

const char* kQuad = R"("type": "Opolygon", "points": [[0,0,0],[1,0,0],[1,1,0],[0,1,0]], "polygons": [[0,1,2,3]])";

std::vector<std::pair<LONG, LONG>> RangesOf(BaseTag* tag) {
  std::vector<std::pair<LONG, LONG>> out;
  LONG a, b;
  const BaseSelect* s = static_cast<SelectionTag*>(tag)->GetBaseSelect();
  for (LONG seg = 0; s->GetRange(seg, &a, &b); seg++) out.push_back({a, b});
  return out;
}

}  // namespace

TEST(DocumentGeometryIO, ReadsUVWSelectionTextureAndMotionBlurTags) {
  BaseDocument* doc = host::ParseDocument(kGeometryDoc, "geo.json");
  PolygonObject* quads = static_cast<PolygonObject*>(doc->SearchObject("Quads"));
  ASSERT_NE(quads, nullptr);
  UVWTag* uvw = static_cast<UVWTag*>(quads->GetTag(Tuvw));
  ASSERT_EQ(uvw->GetDataCount(), 3);
  UVWStruct uv;
  uvw->Get(1, uv);
  EXPECT_EQ(uv.a, Vector(0.25f, 0.5f, 0));
  EXPECT_EQ(uv.c, Vector(0.75f, 1, 0));
  BaseTag* front = quads->GetTag(Tpolygonselection, 0);
  EXPECT_EQ(front->GetName(), String("front"));
  EXPECT_EQ(RangesOf(front), (std::vector<std::pair<LONG, LONG>>{{0, 1}}));
  EXPECT_EQ(RangesOf(quads->GetTag(Tpolygonselection, 1)), (std::vector<std::pair<LONG, LONG>>{{0, 0}, {2, 2}}));
  EXPECT_EQ(RangesOf(quads->GetTag(Tpointselection)), (std::vector<std::pair<LONG, LONG>>{{1, 3}, {5, 5}}));
  TextureTag* tex = static_cast<TextureTag*>(quads->GetTag(Ttexture));
  EXPECT_EQ(tex->GetMaterial(), doc->GetFirstMaterial());
  EXPECT_EQ(tex->GetDataInstance()->GetLong(TEXTURETAG_PROJECTION, P_UVW), P_FLAT);
  EXPECT_FLOAT_EQ(tex->GetDataInstance()->GetReal(TEXTURETAG_LENGTHX, 1), 0.5f);
  EXPECT_EQ(tex->GetDataInstance()->GetString(TEXTURETAG_RESTRICTION), String("front"));
  EXPECT_FLOAT_EQ(quads->GetTag(Tmotionblur)->GetDataInstance()->GetReal(MOTIONBLURTAG_STRENGTH, 1), 0.5f);
  EXPECT_FLOAT_EQ(quads->GetTag(Tphong)->GetDataInstance()->GetReal(PHONGTAG_PHONG_ANGLE, 0), 0.5f);

  // The tracks play back at frame 5: halfway.
  doc->AnimateObject(quads, BaseTime(5, 25), ANIMATE_NO_PARENTS);
  EXPECT_NEAR(quads->GetPos().x, 50, 1e-4);
  EXPECT_NEAR(quads->GetRot().y, Rad(45), 1e-5);
  EXPECT_NEAR(quads->GetScale().z, 1.5f, 1e-5);
  BaseDocument::Free(doc);
}

TEST(DocumentGeometryIO, SaveAndLoadGiveTheSameGeometryTags) {
  testing_support::TempDir dir("geoio");
  BaseDocument* doc = host::ParseDocument(kGeometryDoc, "geo.json");
  const std::string path = dir.str("geo.json");
  host::SaveDocument(doc, path);
  const std::string first = testing_support::ReadFile(path);
  EXPECT_NE(first.find("\"uvw\""), std::string::npos);
  EXPECT_NE(first.find("\"selection\""), std::string::npos);
  BaseDocument* again = host::LoadDocument(path);
  EXPECT_EQ(host::SerializeDocument(again), first);
  PolygonObject* quads = static_cast<PolygonObject*>(again->SearchObject("Quads"));
  UVWStruct uv;
  static_cast<UVWTag*>(quads->GetTag(Tuvw))->Get(2, uv);
  EXPECT_EQ(uv.d, Vector(1, 1, 0));
  EXPECT_EQ(RangesOf(again->SearchObject("Box")->GetTag(Tpolygonselection)), (std::vector<std::pair<LONG, LONG>>{{2, 3}, {5, 5}}));
  EXPECT_EQ(static_cast<TextureTag*>(quads->GetTag(Ttexture))->GetMaterial(), again->GetFirstMaterial());
  EXPECT_EQ(quads->GetFirstCTrack()->GetKeyCount(), 2);
  // Caches are the host's own: an evaluated document saves as before, without them.
  AnimateDocument(again, TRUE, TRUE);
  ASSERT_NE(again->SearchObject("Box")->GetCache(), nullptr);
  EXPECT_EQ(host::SerializeDocument(again), first);
  BaseDocument::Free(doc);
  BaseDocument::Free(again);
}

TEST(DocumentGeometryIO, BadGeometryTagsNameThePathAndTheFault) {
  const std::string q = kQuad;
  EXPECT_EQ(ErrorOf("{" + q + R"(, "tags": [{"type": "Tuvw", "uvw": [[[0,0,0],[1,0,0],[1,1,0]]]}]})"),
            "geo.json: $.objects[0].tags[0].uvw[0]: must hold four [u, v, w] corners");
  EXPECT_EQ(ErrorOf("{" + q + R"(, "tags": [{"type": "Tuvw", "uvw": [[[0,0,0],[1,0,0],[1,"a",0],[0,1,0]]]}]})"),
            "geo.json: $.objects[0].tags[0].uvw[0][2][1]: must be a number");
  EXPECT_EQ(ErrorOf("{" + q + R"(, "tags": [{"type": "Tuvw", "uvw": []}]})"),
            "geo.json: $.objects[0].tags[0].uvw: has 0 entries but the object has 1 polygons");
  EXPECT_EQ(ErrorOf("{" + q + R"(, "tags": [{"type": "Tphong", "uvw": []}]})"),
            "geo.json: $.objects[0].tags[0].uvw: only UVW tags have texture coordinates");
  EXPECT_EQ(ErrorOf("{" + q + R"(, "tags": [{"type": "Tpolygonselection", "selection": [0, 1]}]})"),
            "geo.json: $.objects[0].tags[0].selection[1]: index 1 is out of range (the object has 1 polygons)");
  EXPECT_EQ(ErrorOf("{" + q + R"(, "tags": [{"type": "Tpointselection", "selection": [[3, 1]]}]})"),
            "geo.json: $.objects[0].tags[0].selection[0]: a range must not end before it starts");
  EXPECT_EQ(ErrorOf("{" + q + R"(, "tags": [{"type": "Tpointselection", "selection": [[0, 4]]}]})"),
            "geo.json: $.objects[0].tags[0].selection[0][1]: index 4 is out of range (the object has 4 points)");
  EXPECT_EQ(ErrorOf("{" + q + R"(, "tags": [{"type": "Tpolygonselection", "selection": [-1]}]})"),
            "geo.json: $.objects[0].tags[0].selection[0]: index -1 is out of range (the object has 1 polygons)");
  EXPECT_EQ(ErrorOf("{" + q + R"(, "tags": [{"type": "Tpolygonselection", "selection": [[0, 0, 0]]}]})"),
            "geo.json: $.objects[0].tags[0].selection[0]: a range must be [first, last]");
  EXPECT_EQ(ErrorOf("{" + q + R"(, "tags": [{"type": "Tpolygonselection", "selection": 3}]})"),
            "geo.json: $.objects[0].tags[0].selection: must be an array of indices and [first, last] ranges");
  EXPECT_EQ(ErrorOf(R"({"type": "Onull", "tags": [{"type": "Ttexture", "selection": [0]}]})"),
            "geo.json: $.objects[0].tags[0].selection: only selection tags have a selection");
  EXPECT_EQ(ErrorOf(R"({"type": "Ocube", "tags": [{"type": "Tpolygonselection", "selection": [1.5]}]})"),
            "geo.json: $.objects[0].tags[0].selection[0]: must be a whole number");
}
