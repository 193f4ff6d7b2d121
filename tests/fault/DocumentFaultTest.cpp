// Faults of the document reader and writer found by attacking them: numbers that do not fit,
// nesting deep enough to exhaust the stack, object names that break object paths, values that
// would be written as something else, and frames that drift.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "TestSupport.h"
#include "c4d.h"
#include "host/DocumentIO.h"

using namespace testing_support;

namespace {

std::string ErrorOf(const std::string& text) {
  try {
    BaseDocument* doc = host::ParseDocument(text, "bad.json");
    BaseDocument::Free(doc);
  } catch (const host::DocumentError& e) {
    return e.what();
  }
  return "";
}

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; i++) text += piece;
  return text;
}

std::string ObjectsDocument(const std::string& objects) { return "{\"objects\": [" + objects + "]}"; }

// Opens the text, saves it, opens what was saved and saves again: both saves must agree.
std::string SavedTwice(const std::string& text) {
  BaseDocument* doc = host::ParseDocument(text, "doc.json");
  const std::string once = host::SerializeDocument(doc);
  BaseDocument::Free(doc);
  doc = host::ParseDocument(once, "doc.json");
  const std::string twice = host::SerializeDocument(doc);
  BaseDocument::Free(doc);
  EXPECT_EQ(once, twice);
  return once;
}

}  // namespace

TEST(DocumentFaults, NumbersThatDoNotFitAreRefusedWithTheirPath) {
  EXPECT_EQ(ErrorOf(ObjectsDocument(R"({"type": "Onull", "position": [1e308, 0, 0]})")),
            "bad.json: $.objects[0].position[0]: the number 1e+308 does not fit in a 32-bit float");
  EXPECT_EQ(ErrorOf(ObjectsDocument(R"({"type": "Onull", "scale": [1, -3.5e38, 1]})")),
            "bad.json: $.objects[0].scale[1]: the number -3.5e+38 does not fit in a 32-bit float");
  EXPECT_EQ(ErrorOf(ObjectsDocument(R"({"type": "Onull", "position": [0, 1e400, 0]})")),
            "bad.json: $.objects[0].position[1]: the number 1e400 is too large for any number type");
  EXPECT_EQ(ErrorOf(R"({"objects": [], "materials": [{"data": {"5": {"real": -1e39}}}]})"),
            "bad.json: $.materials[0].data.5.real: the number -1e+39 does not fit in a 32-bit float");
  EXPECT_EQ(ErrorOf(ObjectsDocument(R"({"type": "Onull", "data": {"5": {"long": 2147483648}}})")),
            "bad.json: $.objects[0].data.5.long: the number 2147483648 does not fit in 32 bits");
  EXPECT_EQ(ErrorOf(ObjectsDocument(R"({"type": "Onull", "data": {"5": -2147483649}})")),
            "bad.json: $.objects[0].data.5: the number -2147483649 does not fit in 32 bits");
  EXPECT_EQ(ErrorOf(ObjectsDocument(R"({"type": "Onull", "data": {"5": 18446744073709551615}})")),
            "bad.json: $.objects[0].data.5: the number 18446744073709551615 does not fit in 32 bits");
  EXPECT_EQ(ErrorOf(R"({"frame": 10000000000})"), "bad.json: $.frame: the number 10000000000 does not fit in 32 bits");
  EXPECT_EQ(ErrorOf(R"({"fps": -9223372036854775808})"),
            "bad.json: $.fps: the number -9223372036854775808 does not fit in 32 bits");
  EXPECT_EQ(ErrorOf(ObjectsDocument(
                R"({"type": "Opolygon", "points": [[0,0,0],[1,0,0],[0,1,0]], "polygons": [[0, 1, 4294967298]]})")),
            "bad.json: $.objects[0].polygons[0]: the number 4294967298 does not fit in 32 bits");
  // The edges of each type still read.
  EXPECT_EQ(ErrorOf(ObjectsDocument(R"({"type": "Onull", "position": [3.4028234663852886e38, -2147483648, 1e-50],
                                        "data": {"5": 2147483647, "6": -2147483648}})")),
            "");
}

TEST(DocumentFaults, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  const std::string nestedArrays = "{\"objects\": " + Repeat("[", 20000) + Repeat("]", 20000) + "}";
  const std::string nestedChildren =
      ObjectsDocument(Repeat(R"({"type": "Onull", "children": [)", 15000) + Repeat("]}", 15000));
  const std::string nestedContainers = ObjectsDocument(R"({"type": "Onull", "data": {"1": )" +
                                                       Repeat(R"({"container": {"1": )", 20000) + "1" +
                                                       Repeat("}}", 20000) + "}}");
  for (const std::string* text : {&nestedArrays, &nestedChildren, &nestedContainers}) {
    const std::string error = ErrorOf(*text);
    EXPECT_EQ(error.rfind("bad.json: $.objects[0]", 0), 0u) << error.substr(0, 200);
    EXPECT_NE(error.find(": the text nests more than 2064 levels deep"), std::string::npos) << error.substr(0, 200);
  }

  // Objects nest as deep as an imported scene may, and no deeper.
  const std::string deepest = ObjectsDocument(Repeat(R"({"type": "Onull", "children": [)", 999) +
                                              R"({"type": "Onull"})" + Repeat("]}", 999));
  EXPECT_EQ(ErrorOf(deepest), "");
  const std::string tooDeep = ObjectsDocument(Repeat(R"({"type": "Onull", "children": [)", 1000) +
                                              R"({"type": "Onull"})" + Repeat("]}", 1000));
  const std::string error = ErrorOf(tooDeep);
  EXPECT_EQ(error, "bad.json: $.objects" + Repeat("[0].children", 1000) + ": objects nest more than 1000 levels deep");
}

// '/' separates the levels of an object path and '#' starts an ordinal: in names they are
// written %2F and %23, and '%' itself %25.
TEST(DocumentFaults, ObjectPathsEscapeSlashHashAndPercent) {
  const std::string text = ObjectsDocument(
      R"({"type": "Ocamera", "name": "Cam/1"}, {"type": "Ocamera", "name": "Cam#2"}, {"type": "Onull", "name": "Cam#2"},
         {"type": "Onull", "name": "50%", "children": [{"type": "Onull", "name": "a%2Fb"}]},
         {"type": "Onull", "name": "Target", "data": {"7": {"link": "/50%25/a%252Fb"}}})");
  BaseDocument* doc = host::ParseDocument(text.substr(0, text.size() - 1) +
                                              R"(, "renderCamera": "/Cam%2F1", "activeObject": "/Cam%232#2"})",
                                          "doc.json");
  BaseObject* cam = doc->GetFirstObject();
  BaseObject* second = cam->GetNext()->GetNext();
  BaseObject* inner = second->GetNext()->GetDown();
  EXPECT_EQ(doc->GetRenderBaseDraw()->GetSceneCamera(doc), cam);
  EXPECT_EQ(doc->GetActiveObject(), second);
  EXPECT_EQ(host::ObjectPath(cam), "/Cam%2F1");
  EXPECT_EQ(host::ObjectPath(second), "/Cam%232#2");
  EXPECT_EQ(host::ObjectPath(inner), "/50%25/a%252Fb");
  EXPECT_EQ(host::FindObjectByPath(doc, "/50%/a%252Fb"), inner) << "a '%' without a code stands for itself";
  EXPECT_EQ(host::FindObjectByPath(doc, "/Cam%2f1"), cam);
  EXPECT_EQ(inner->GetName().str(), "a%2Fb");
  EXPECT_EQ(doc->GetFirstObject()->GetNext()->GetNext()->GetNext()->GetNext()->GetDataInstance()->GetObjectLink(7, doc),
            inner);
  const std::string saved = host::SerializeDocument(doc);
  BaseDocument::Free(doc);
  EXPECT_NE(saved.find(R"("renderCamera": "/Cam%2F1")"), std::string::npos);
  EXPECT_EQ(SavedTwice(saved), saved);
}

// What the writer cannot write so that it reads back the same is refused, naming its place,
// and no file is made.
TEST(DocumentFaults, UnwritableDocumentsAreRefusedBeforeAnythingIsWritten) {
  TempDir dir("unwritable");
  BaseDocument* doc = host::ParseDocument(ObjectsDocument(R"({"type": "Onull", "name": "A"})"), "doc.json");
  doc->GetFirstObject()->SetScale(Vector(1, std::numeric_limits<Real>::quiet_NaN(), 1));
  try {
    host::SaveDocument(doc, dir.str("a.json"));
    ADD_FAILURE() << "saved";
  } catch (const host::DocumentError& e) {
    EXPECT_EQ(std::string(e.what()),
              dir.str("a.json") + ": the document cannot be written: $.objects[0].scale[1]: is not a finite number (nan)");
  }
  doc->GetFirstObject()->SetScale(Vector(1, 1, 1));
  doc->GetFirstObject()->GetDataInstance()->SetReal(9, std::numeric_limits<Real>::infinity());
  EXPECT_THROW(host::SerializeDocument(doc), host::DocumentError);
  doc->GetFirstObject()->GetDataInstance()->SetReal(9, 1);

  // A hierarchy deeper than a document may hold.
  BaseObject* parent = doc->GetFirstObject();
  for (int level = 1; level <= 1000; level++) {
    BaseObject* child = BaseObject::Alloc(Onull);
    child->SetName("N");
    doc->InsertObject(child, parent, nullptr);
    parent = child;
  }
  try {
    host::SaveDocument(doc, dir.str("a.json"));
    ADD_FAILURE() << "saved";
  } catch (const host::DocumentError& e) {
    EXPECT_EQ(std::string(e.what()), dir.str("a.json") + ": the document cannot be written: the object /A" +
                                         Repeat("/N", 1000) + " stands more than 1000 levels deep, deeper than a "
                                                              "document may nest");
  }
  EXPECT_FALSE(fs::exists(dir.str("a.json")));
  EXPECT_TRUE(fs::is_empty(dir.path()));
  BaseDocument::Free(doc);
}

TEST(DocumentFaults, FramesKeepTheirNumberOverTheWholeRange) {
  const LONG frames[] = {0, 1, -1, 7, 2116709110, 2147483647, -2147483647 - 1, 1999999999, -1234567891};
  for (LONG fps : {1, 24, 25, 30, 60, 1000}) {
    for (LONG frame : frames) {
      BaseTime time{LReal(frame), LReal(fps)};
      time.Reduce();
      EXPECT_EQ(time.GetFrame(fps), frame) << frame << " at " << fps << " fps";
    }
  }
  // Times between frames fall to the frame before them, below zero too.
  EXPECT_EQ((BaseTime{-1, 60}).GetFrame(30), -1);
  EXPECT_EQ((BaseTime{1, 60}).GetFrame(30), 0);
  EXPECT_EQ((BaseTime{-3, 2}).GetFrame(1), -2);
  const std::string saved = SavedTwice(R"({"fps": 30, "frame": 2116709110, "minFrame": -2147483648, "maxFrame": 2147483647})");
  EXPECT_NE(saved.find(R"("frame": 2116709110)"), std::string::npos);
  EXPECT_NE(saved.find(R"("minFrame": -2147483648)"), std::string::npos);
  EXPECT_NE(saved.find(R"("maxFrame": 2147483647)"), std::string::npos);
}
