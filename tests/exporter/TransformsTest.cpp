#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "exporter/Transforms.h"

namespace {

std::string Text(const TiXmlElement* parent, const char* name) {
  const TiXmlElement* e = parent ? parent->FirstChildElement(name) : nullptr;
  return e && e->GetText() ? e->GetText() : "<missing>";
}

std::vector<float> Numbers(const std::string& text) {
  std::istringstream in(text);
  std::vector<float> out;
  float f;
  while (in >> f) out.push_back(f);
  return out;
}

void ExpectNumbers(const std::string& text, const std::vector<float>& expected) {
  const std::vector<float> got = Numbers(text);
  ASSERT_EQ(got.size(), expected.size()) << text;
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], expected[i], 1e-6) << text << " at " << i;
}

// The comments and keyframes of a motion-blurred element, in order, as short texts:
// comments as they are, keyframes as "key <time> <pos>".
std::vector<std::string> BlurEntries(const TiXmlElement* parent) {
  std::vector<std::string> out;
  for (const TiXmlNode* n = parent->FirstChild(); n; n = n->NextSibling()) {
    if (n->ToComment()) out.push_back(n->Value());
    else if (n->ToElement() && std::string(n->Value()) == "keyframe")
      out.push_back("key " + Text(n->ToElement(), "time") + " " + Text(n->ToElement(), "pos"));
  }
  return out;
}

// Position x follows the frame number: x = frame.
void AnimateX(BaseObject* op, LONG fps) {
  CTrack* track = CTrack::Alloc(op, CTRACK_POSITION, 0);
  track->AddKey(BaseTime(0, fps), 0.0f);
  track->AddKey(BaseTime(1000, fps), 1000.0f);
}

struct BlurScene {
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* parent = BaseObject::Alloc(Onull);
  BaseObject* child = BaseObject::Alloc(Onull);
  KyranoSceneExporter exporter;
  TiXmlElement model{"model"};

  BlurScene() {
    doc->SetFps(25);
    doc->InsertObject(parent, nullptr, nullptr);
    doc->InsertObject(child, parent, nullptr);
    exporter.document = doc;
    exporter.currentFrame = 10;
    exporter.exposureDuration = 0.1f;
  }
  ~BlurScene() { BaseDocument::Free(doc); }
  BaseTag* AddBlurTag(BaseObject* op) {
    BaseTag* tag = BaseTag::Alloc(Tmotionblur);
    op->InsertTag(tag);
    return tag;
  }
  void SetFrame(BaseObject* op, LONG frame) { doc->AnimateObject(op, BaseTime(frame, 25), 0); }
};

}  // namespace

TEST(Transforms, PositionAndMatrixAreWrittenWithYAndZExchanged) {
  KyranoSceneExporter exporter;
  {
    TiXmlElement model("model");
    Matrix m;
    m.off = Vector(1, 2, 3);
    exporter.SceneExportPosAndMatrix(&model, m);
    EXPECT_EQ(Text(&model, "pos"), "1.000000 3.000000 2.000000");
    EXPECT_EQ(Text(model.FirstChildElement("rotation"), "matrix"),
              "1.00000000 0.00000000 0.00000000 0.00000000 1.00000000 0.00000000 0.00000000 0.00000000 1.00000000");
  }
  {
    // 90 degrees about the host's y axis (x goes to -z, z to x): the transposed rotation,
    // by axes X, Z, Y with components x, z, y.
    TiXmlElement model("model");
    exporter.SceneExportPosAndMatrix(&model, Matrix(Vector(), Vector(0, 0, -1), Vector(0, 1, 0), Vector(1, 0, 0)));
    ExpectNumbers(Text(model.FirstChildElement("rotation"), "matrix"), {0, 1, 0, -1, 0, 0, 0, 0, 1});
  }
  {
    // Scaled by 2 along x, at scene scale 0.01.
    TiXmlElement model("model");
    exporter.sceneScale = 0.01f;
    exporter.SceneExportPosAndMatrix(&model, Matrix(Vector(100, 200, 300), Vector(2, 0, 0), Vector(0, 1, 0), Vector(0, 0, 1)));
    EXPECT_EQ(Text(&model, "pos"), "1.000000 3.000000 2.000000");
    EXPECT_EQ(Text(model.FirstChildElement("rotation"), "matrix"),
              "2.00000000 0.00000000 0.00000000 0.00000000 1.00000000 0.00000000 0.00000000 0.00000000 1.00000000");
  }
}

// The result is the transpose of the matrix's 3 x 3 part: rotation and scales together, so that a
// rotated object scaled along its own x stays a box instead of being sheared.
TEST(Transforms, CorrectInverseIsTheTransposeOfTheScaledRotation) {
  const Matrix q = HPBToMatrix(Vector(0.3f, -0.7f, 1.1f));
  const Matrix m(Vector(5, 6, 7), q.v1 * 2.0f, q.v2 * 3.0f, q.v3 * 0.5f);
  const Matrix r = Helpers::GetCorrectInverse(m);
  EXPECT_EQ(r.off, Vector());
  const Vector expected[3] = {Vector(m.v1.x, m.v2.x, m.v3.x), Vector(m.v1.y, m.v2.y, m.v3.y),
                              Vector(m.v1.z, m.v2.z, m.v3.z)};
  const Vector got[3] = {r.v1, r.v2, r.v3};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(got[i].x, expected[i].x, 1e-5);
    EXPECT_NEAR(got[i].y, expected[i].y, 1e-5);
    EXPECT_NEAR(got[i].z, expected[i].z, 1e-5);
  }
  // Dependent axes give the identity with the lengths on its axes; a zero axis has length 0.
  const Matrix flat = Helpers::GetCorrectInverse(Matrix(Vector(), Vector(2, 0, 0), Vector(4, 0, 0), Vector(0, 0, 0)));
  EXPECT_EQ(flat.v1, Vector(2, 0, 0));
  EXPECT_EQ(flat.v2, Vector(0, 4, 0));
  EXPECT_EQ(flat.v3, Vector(0, 0, 0));
}

TEST(Transforms, MotionBlurMatrixHoldsOnlyTheAxisLengths) {
  KyranoSceneExporter exporter;
  TiXmlElement model("model");
  exporter.SceneExportMoBlurMatrix(&model, Matrix(Vector(9, 9, 9), Vector(2, 0, 0), Vector(0, 1, 0), Vector(0, 0, 1)));
  EXPECT_EQ(model.FirstChildElement("pos"), nullptr);
  EXPECT_EQ(Text(model.FirstChildElement("rotation"), "matrix"), "2.00000000 0 0  0 1.00000000 0  0 0 1.00000000");
}

TEST(Transforms, KeyframeHoldsTimeScaledPositionAndAxisAngle) {
  KyranoSceneExporter exporter;
  exporter.sceneScale = 0.5f;
  TiXmlElement model("model");
  exporter.SceneExportKeyframe(0.25f, &model, 1.5f, Vector(0, 1, 0), Vector(2, 4, 6));
  const TiXmlElement* key = model.FirstChildElement("keyframe");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(Text(key, "time"), "0.250000");
  EXPECT_EQ(Text(key, "pos"), "1.000000 3.000000 2.000000");
  EXPECT_EQ(Text(key->FirstChildElement("rotation_quaternion"), "axis"), "0.000000 0.000000 1.000000");
  EXPECT_EQ(Text(key->FirstChildElement("rotation_quaternion"), "angle"), "1.500000");
}

TEST(Transforms, MotionBlurSamplesTheExposureInWholeFrames) {
  {
    // fps 25, exposure 0.1: span 2.5, three steps; frame 12 is not sampled, the last
    // keyframe is frame 13, the one nearest to 12.5.
    BlurScene s;
    s.AddBlurTag(s.parent);
    AnimateX(s.child, 25);
    s.SetFrame(s.child, 10);
    ASSERT_TRUE(s.exporter.SceneExportObjectMotionBlur(&s.model, s.child));
    EXPECT_EQ(BlurEntries(&s.model), (std::vector<std::string>{
                                         "mExposure 0.10000", "step 0.33333", "strength 1.00000", "frame 10",
                                         "key 0.000000 10.000000 0.000000 0.000000", "frame 11",
                                         "key 0.333333 11.000000 0.000000 0.000000", "frame 12",
                                         "key 1.000000 13.000000 0.000000 0.000000"}));
    // The object is set back to the exported frame.
    EXPECT_EQ(s.child->GetPos().x, 10.0f);
  }
  {
    // Exposure 0.05: span 1.25, keyframes at the frame and the next one only.
    BlurScene s;
    s.exporter.exposureDuration = 0.05f;
    s.AddBlurTag(s.child);
    AnimateX(s.child, 25);
    s.SetFrame(s.child, 10);
    ASSERT_TRUE(s.exporter.SceneExportObjectMotionBlur(&s.model, s.child));
    EXPECT_EQ(BlurEntries(&s.model), (std::vector<std::string>{"mExposure 0.05000", "step 1.00000", "strength 1.00000",
                                                               "frame 10", "key 0.000000 10.000000 0.000000 0.000000",
                                                               "frame 11", "key 1.000000 11.000000 0.000000 0.000000"}));
  }
  {
    // The tag's strength scales the span: 0.05 at strength 2 samples like 0.1.
    BlurScene s;
    s.exporter.exposureDuration = 0.05f;
    s.AddBlurTag(s.parent)->GetDataInstance()->SetReal(MOTIONBLURTAG_STRENGTH, 2.0f);
    AnimateX(s.child, 25);
    s.SetFrame(s.child, 10);
    ASSERT_TRUE(s.exporter.SceneExportObjectMotionBlur(&s.model, s.child));
    const std::vector<std::string> e = BlurEntries(&s.model);
    ASSERT_EQ(e.size(), 9u);
    EXPECT_EQ(e[2], "strength 2.00000");
    EXPECT_EQ(e[8], "key 1.000000 13.000000 0.000000 0.000000");
  }
  {
    // A span below half a frame: keyframes at 0 and 1, both at the exported frame.
    BlurScene s;
    s.exporter.exposureDuration = 0.01f;
    s.AddBlurTag(s.child);
    AnimateX(s.child, 25);
    s.SetFrame(s.child, 10);
    ASSERT_TRUE(s.exporter.SceneExportObjectMotionBlur(&s.model, s.child));
    EXPECT_EQ(BlurEntries(&s.model), (std::vector<std::string>{"mExposure 0.01000", "step 1.00000", "strength 1.00000",
                                                               "frame 10", "key 0.000000 10.000000 0.000000 0.000000",
                                                               "frame 10", "key 1.000000 10.000000 0.000000 0.000000"}));
  }
  {
    // No motion blur tag on the chain: nothing is written.
    BlurScene s;
    AnimateX(s.child, 25);
    EXPECT_FALSE(s.exporter.SceneExportObjectMotionBlur(&s.model, s.child));
    EXPECT_EQ(s.model.FirstChild(), nullptr);
  }
}

TEST(Transforms, MotionBlurAnimatesTheTopmostAnimatedObject) {
  BlurScene s;
  BaseObject* top = BaseObject::Alloc(Onull);
  s.doc->InsertObject(top, nullptr, nullptr);
  s.parent->Remove();
  s.doc->InsertObject(s.parent, top, nullptr);
  s.AddBlurTag(top);
  // Only the parent moves; the child rides along.
  AnimateX(s.parent, 25);
  s.child->SetPos(Vector(0, 5, 0));
  s.SetFrame(s.parent, 10);
  EXPECT_EQ(s.exporter.GetTopmostAnimated(s.child), s.parent);
  ASSERT_TRUE(s.exporter.SceneExportObjectMotionBlur(&s.model, s.child));
  const std::vector<std::string> e = BlurEntries(&s.model);
  ASSERT_EQ(e.size(), 9u);
  EXPECT_EQ(e[6], "key 0.333333 11.000000 0.000000 5.000000");
  EXPECT_EQ(e[8], "key 1.000000 13.000000 0.000000 5.000000");
  EXPECT_EQ(s.parent->GetPos().x, 10.0f);

  // With tracks on the child too, the parent is still the topmost one; nothing above it.
  AnimateX(s.child, 25);
  EXPECT_EQ(s.exporter.GetTopmostAnimated(s.child), s.parent);
  EXPECT_EQ(s.exporter.GetTopmostAnimated(top), nullptr);
  Real strength = 0;
  EXPECT_TRUE(s.exporter.ObjectHasMotionBlurTag(s.child, strength));
  EXPECT_EQ(strength, 1.0f);
}
