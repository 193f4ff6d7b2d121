#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "c4d.h"
#include "host/DocumentIO.h"

namespace fs = std::filesystem;

namespace {

const char* kDoc = R"({
  "fps": 25, "frame": 5,
  "layers": [{"name": "Hidden", "render": false}],
  "materials": [{"type": "Mmaterial", "name": "Wood", "data": {"2000": [0.5, 0.25, 1]}}],
  "renderData": [{"name": "Main", "data": {"5008": 800, "5009": 600}}],
  "objects": [
    {"type": "Onull", "name": "Group", "position": [1, 2, 3], "rotation": [90, 0, 0], "render": "off",
     "children": [
       {"type": "Ocube", "name": "Box", "layer": "Hidden",
        "tags": [{"type": "Ttexture", "data": {"1010": {"material": "Wood"}, "1006": {"string": "sel"}}},
                 {"type": "Tphong"}]},
       {"type": "Ocube", "name": "Box"},
       {"type": "Opolygon", "name": "Quad", "points": [[0,0,0],[1,0,0],[1,1,0],[0,1,0]], "polygons": [[0,1,2,3]]}
     ]},
    {"type": "Ocamera", "name": "Camera", "data": {"500": 50.0, "9": {"link": "/Group/Box#2"}},
     "tracks": [{"target": "position.x", "keys": [[0, 0], [10, 100]]}]}
  ],
  "renderCamera": "/Camera"
})";

std::string TempPath(const std::string& name) {
  return (fs::temp_directory_path() / ("tavrell_doc_" + std::to_string(getpid()) + "_" + name)).string();
}

std::string ErrorOf(const std::string& text) {
  try {
    BaseDocument* doc = host::ParseDocument(text, "bad.json");
    BaseDocument::Free(doc);
  } catch (const host::DocumentError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(DocumentIO, ReadsTreeTagsLinksLayersAndTime) {
  BaseDocument* doc = host::ParseDocument(kDoc, "doc.json");
  EXPECT_EQ(doc->GetFps(), 25);
  EXPECT_EQ(doc->GetTime().GetFrame(25), 5);
  BaseObject* group = doc->GetFirstObject();
  EXPECT_EQ(group->GetRenderMode(), MODE_OFF);
  EXPECT_NEAR(group->GetRot().x, Rad(90), 1e-6);
  BaseObject* box = group->GetDown();
  BaseObject* box2 = box->GetNext();
  ASSERT_NE(box->GetLayerData(doc), nullptr);
  EXPECT_FALSE(box->GetLayerData(doc)->render);
  TextureTag* tt = static_cast<TextureTag*>(box->GetTag(Ttexture));
  ASSERT_NE(tt, nullptr);
  EXPECT_EQ(tt->GetMaterial(), doc->GetFirstMaterial());
  EXPECT_EQ(tt->GetDataInstance()->GetString(TEXTURETAG_RESTRICTION), String("sel"));
  EXPECT_EQ(tt->GetNext()->GetType(), Tphong);  // tag order kept
  BaseObject* cam = doc->SearchObject("Camera");
  EXPECT_EQ(cam->GetDataInstance()->GetObjectLink(9, doc), box2);
  EXPECT_EQ(doc->GetRenderBaseDraw()->GetSceneCamera(doc), cam);
  EXPECT_EQ(doc->GetActiveRenderData()->GetDataInstance()->GetLong(RDATA_XRES), 800);
  PolygonObject* quad = static_cast<PolygonObject*>(box2->GetNext());
  EXPECT_EQ(quad->GetPolygonCount(), 1);
  EXPECT_EQ(quad->GetPolygonR()[0].d, 3);
  // The camera's track moves it when the document is evaluated at frame 5.
  AnimateDocument(doc, TRUE, TRUE);
  EXPECT_NEAR(cam->GetPos().x, 50.0f, 1e-4);
  BaseDocument::Free(doc);
}

TEST(DocumentIO, SaveLoadSaveGivesTheSameDocument) {
  BaseDocument* doc = host::ParseDocument(kDoc, "doc.json");
  const std::string path = TempPath("round.json");
  host::SaveDocument(doc, path);
  BaseDocument* again = host::LoadDocument(path);
  EXPECT_EQ(host::SerializeDocument(again), host::SerializeDocument(doc));
  BaseObject* box = again->GetFirstObject()->GetDown();
  EXPECT_EQ(static_cast<TextureTag*>(box->GetTag(Ttexture))->GetMaterial(), again->GetFirstMaterial());
  EXPECT_FALSE(fs::exists(path + ".tmp"));
  fs::remove(path);
  BaseDocument::Free(doc);
  BaseDocument::Free(again);
}

TEST(DocumentIO, BrokenDocumentsNameFilePathAndFault) {
  EXPECT_NE(ErrorOf("{ not json").find("bad.json: not a JSON document"), std::string::npos);
  EXPECT_EQ(ErrorOf(R"({"objects": [{"type": "Oteapot"}]})"), "bad.json: $.objects[0].type: unknown type 'Oteapot'");
  EXPECT_EQ(ErrorOf(R"({"objects": [{"type": "Onull", "data": {"7": {"link": "/Nowhere"}}}]})"),
            "bad.json: $.objects[0].data.7: dangling link: no object '/Nowhere'");
  EXPECT_EQ(ErrorOf(R"({"objects": [{"type": "Onull", "position": [1, "x", 3]}]})"),
            "bad.json: $.objects[0].position[1]: must be a number");
  EXPECT_EQ(ErrorOf(R"({"objects": [{"type": "Opolygon", "points": [[0,0,0]], "polygons": [[0, 1, 2]]}]})"),
            "bad.json: $.objects[0].polygons[0]: point index 1 is out of range");
  EXPECT_EQ(ErrorOf(R"({"objects": [{"type": "Onull", "data": {"MISSING_NAME": 1}}]})"),
            "bad.json: $.objects[0].data.MISSING_NAME: unknown parameter name 'MISSING_NAME'");
  EXPECT_EQ(ErrorOf(R"({"fps": 0})"), "bad.json: $.fps: must be a whole number from 1 to 1000");
  EXPECT_EQ(ErrorOf(R"({"objects": [{"type": "Onull", "colour": 1}]})"), "bad.json: $.objects[0]: unknown entry 'colour'");
}

TEST(DocumentIO, AFailedSaveLeavesNothingBehind) {
  BaseDocument* doc = BaseDocument::Alloc();
  EXPECT_THROW(host::SaveDocument(doc, "/no/such/folder/doc.json"), host::DocumentError);
  EXPECT_FALSE(fs::exists("/no/such/folder/doc.json.tmp"));
  BaseDocument::Free(doc);
}

TEST(DocumentIO, MaterialShadersAndTheUnitRoundTrip) {
  const char* text = R"({"unit": 2, "materials": [{"type": "Mmaterial", "name": "Tex",
      "shaders": [{"type": "Xbitmap", "name": "Wood", "data": {"1000": {"file": "tex/wood.png"}}}],
      "data": {"8000": {"shader": "Wood"}}}]})";
  BaseDocument* doc = host::ParseDocument(text, "shaders.json");
  BaseMaterial* mat = doc->GetFirstMaterial();
  ASSERT_NE(mat->GetFirstShader(), nullptr);
  EXPECT_EQ(mat->GetDataInstance()->GetLink(8000, nullptr), mat->GetFirstShader());
  EXPECT_EQ(GetWorldContainerInstance()->GetLong(WPREF_UNITS_BASIC), 2);
  const std::string once = host::SerializeDocument(doc);
  BaseDocument* again = host::ParseDocument(once, "again.json");
  EXPECT_EQ(host::SerializeDocument(again), once);
  EXPECT_NE(once.find("\"shader\": \"Wood\""), std::string::npos);
  GetWorldContainerInstance()->SetLong(WPREF_UNITS_BASIC, 3);
  BaseDocument::Free(doc);
  BaseDocument::Free(again);
  EXPECT_EQ(ErrorOf(R"({"objects": [{"type": "Onull", "data": {"5": {"shader": "X"}}}]})"),
            "bad.json: $.objects[0].data.5: only a material's parameters link its shaders");
  EXPECT_EQ(ErrorOf(R"({"unit": 0})"), "bad.json: $.unit: must be a whole number from 1 to 10 (1 km, 2 m, 3 cm, 4 mm, ...)");
}
