#include <algorithm>

#include "NodeFixture.h"
#include "description/TCameraTag.h"

namespace {

std::vector<LONG> Ids(const BaseContainer* bc) {
  std::vector<LONG> ids;
  for (LONG i = 0; bc->GetIndexId(i) != NOTOK; i++) ids.push_back(bc->GetIndexId(i));
  return ids;
}

struct Box {
  Real left, top, right, bottom;
};

// The bounds of the drawn lines; every line must be a red screen line and the four must
// close into a rectangle.
Box DrawnRectangle(const BaseDraw* bd) {
  const auto& lines = bd->GetDrawnLines();
  EXPECT_EQ(lines.size(), 4u);
  Box box{1e9f, 1e9f, -1e9f, -1e9f};
  for (size_t i = 0; i < lines.size(); i++) {
    EXPECT_TRUE(lines[i].screen);
    EXPECT_EQ(lines[i].color, Vector(1, 0, 0));
    EXPECT_EQ(lines[i].b, lines[(i + 1) % lines.size()].a);
    for (const Vector& p : {lines[i].a, lines[i].b}) {
      box.left = std::min(box.left, p.x);
      box.right = std::max(box.right, p.x);
      box.top = std::min(box.top, p.y);
      box.bottom = std::max(box.bottom, p.y);
    }
  }
  return box;
}

}  // namespace

TEST_F(PluginNodes, ANewCameraTagHoldsTheDefaults) {
  BaseTag* tag = BaseTag::Alloc(TCameraTag);
  ASSERT_NE(tag, nullptr);
  const BaseContainer* bc = tag->GetDataInstance();
  EXPECT_EQ(Ids(bc), (std::vector<LONG>{1917, 1925, 1926, 1927, 1942, 1943, 1945, 1949, 1950, 1952, 1960, 1961, 1994,
                                        1963, 1967, 1968, 1969, 1970, 1977, 1978, 1962, 1984, 1985, 1986, 1987, 1988,
                                        1989, 1991, 1990, 1992, 1944}));
  EXPECT_EQ(bc->GetLong(CAMERATAG_WHITE_BALANCE), CAMERATAG_WB_D65);
  EXPECT_TRUE(bc->GetBool(CAMERATAG_AUTOFOCUS));
  EXPECT_EQ(bc->GetReal(CAMERATAG_EXPOSURE_DURATION), 0.05f);
  EXPECT_EQ(bc->GetLong(CAMERATAG_APERTURE), CAMERATAG_APERTURE_F16);
  EXPECT_EQ(bc->GetReal(CAMERATAG_FILM_ISO), 400.0f);
  EXPECT_EQ(bc->GetLong(CAMERATAG_TONEMAPPING), CAMERATAG_TONEMAPPING_REINHARD);
  EXPECT_EQ(bc->GetReal(CAMERATAG_TONE_SCALE), 3.0f);
  EXPECT_EQ(bc->GetReal(CAMERATAG_POST_SCALE), 1.0f);
  EXPECT_EQ(bc->GetReal(CAMERATAG_BURN), 10.0f);
  EXPECT_EQ(bc->GetLong(CAMERATAG_APERTURE_SHAPE), CAMERATAG_APERTURE_SHAPE_GENERATED);
  EXPECT_EQ(bc->GetLong(CAMERATAG_NUM_BLADES), 6);
  EXPECT_EQ(bc->GetLong(CAMERATAG_DIFFRACTION), CAMERATAG_DIFFRACTION_POST);
  EXPECT_EQ(bc->GetLong(CAMERATAG_SPLAT_FILTER), CAMERATAG_FILTER_MITCHELL);
  EXPECT_EQ(bc->GetLong(CAMERATAG_DOWNSIZE_FILTER), CAMERATAG_FILTER_MITCHELL);
  for (LONG id : {CAMERATAG_SPLAT_RING, CAMERATAG_SPLAT_BLUR, CAMERATAG_DOWNSIZE_RING, CAMERATAG_DOWNSIZE_BLUR})
    EXPECT_EQ(bc->GetReal(id), 0.333f);
  EXPECT_EQ(bc->GetLong(CAMERATAG_REGION_X2), 150);
  EXPECT_EQ(bc->GetLong(CAMERATAG_REGION_Y2), 150);
  EXPECT_EQ(bc->GetFilename(CAMERATAG_RESPONSE_FUNCTION).GetString(), String("data/camera_response_functions/Advantix-100CD.txt"));
  BaseTag::Free(tag);
}

TEST_F(PluginNodes, CameraTagShowsOnlyWhatItsChoicesUse) {
  BaseTag* tag = BaseTag::Alloc(TCameraTag);
  ASSERT_NE(tag, nullptr);
  BaseContainer* bc = tag->GetDataInstance();
  {
    // The defaults: Reinhard, generated aperture, cubic filters, post-process diffraction.
    Description d;
    ASSERT_TRUE(Describe(tag, &d));
    EXPECT_FALSE(Hidden(d, CAMERATAG_GROUP_TONE));
    EXPECT_FALSE(Hidden(d, CAMERATAG_POST_SCALE));
    EXPECT_FALSE(Hidden(d, CAMERATAG_BURN));
    EXPECT_TRUE(Hidden(d, CAMERATAG_GROUP_RESPONSE));
    EXPECT_FALSE(Hidden(d, CAMERATAG_GROUP_GENERATED));
    EXPECT_TRUE(Hidden(d, CAMERATAG_GROUP_IMAGE));
    for (LONG id : {CAMERATAG_SPLAT_RING, CAMERATAG_SPLAT_BLUR, CAMERATAG_DOWNSIZE_RING, CAMERATAG_DOWNSIZE_BLUR})
      EXPECT_FALSE(Hidden(d, id));
    EXPECT_TRUE(Hidden(d, CAMERATAG_GROUP_REGION));
    EXPECT_TRUE(Hidden(d, CAMERATAG_OBSTACLE_MAP));
    EXPECT_TRUE(Hidden(d, CAMERATAG_OBSTACLE_MAP_FILE));
    // A group hides what it holds.
    EXPECT_FALSE(d.IsShown(CAMERATAG_FILM_ISO));
    EXPECT_TRUE(d.IsShown(CAMERATAG_NUM_BLADES));
  }
  {
    bc->SetLong(CAMERATAG_TONEMAPPING, CAMERATAG_TONEMAPPING_LINEAR);
    bc->SetLong(CAMERATAG_APERTURE_SHAPE, CAMERATAG_APERTURE_SHAPE_IMAGE);
    bc->SetLong(CAMERATAG_SPLAT_FILTER, CAMERATAG_FILTER_BOX);
    bc->SetBool(CAMERATAG_RENDER_REGION, TRUE);
    bc->SetLong(CAMERATAG_DIFFRACTION, CAMERATAG_DIFFRACTION_APERTURE);
    Description d;
    ASSERT_TRUE(Describe(tag, &d));
    EXPECT_FALSE(Hidden(d, CAMERATAG_GROUP_TONE));
    EXPECT_TRUE(Hidden(d, CAMERATAG_POST_SCALE));
    EXPECT_TRUE(Hidden(d, CAMERATAG_BURN));
    EXPECT_TRUE(Hidden(d, CAMERATAG_GROUP_RESPONSE));
    EXPECT_TRUE(d.IsShown(CAMERATAG_TONE_SCALE));
    EXPECT_TRUE(Hidden(d, CAMERATAG_GROUP_GENERATED));
    EXPECT_FALSE(Hidden(d, CAMERATAG_GROUP_IMAGE));
    EXPECT_TRUE(Hidden(d, CAMERATAG_SPLAT_RING));
    EXPECT_TRUE(Hidden(d, CAMERATAG_SPLAT_BLUR));
    EXPECT_FALSE(Hidden(d, CAMERATAG_DOWNSIZE_RING));
    EXPECT_FALSE(Hidden(d, CAMERATAG_GROUP_REGION));
    EXPECT_FALSE(Hidden(d, CAMERATAG_OBSTACLE_MAP));
    EXPECT_TRUE(Hidden(d, CAMERATAG_OBSTACLE_MAP_FILE));
  }
  {
    bc->SetLong(CAMERATAG_TONEMAPPING, CAMERATAG_TONEMAPPING_CAMERA);
    bc->SetLong(CAMERATAG_APERTURE_SHAPE, CAMERATAG_APERTURE_SHAPE_CIRCULAR);
    bc->SetLong(CAMERATAG_DOWNSIZE_FILTER, CAMERATAG_FILTER_GAUSSIAN);
    bc->SetBool(CAMERATAG_OBSTACLE_MAP, TRUE);
    Description d;
    ASSERT_TRUE(Describe(tag, &d));
    EXPECT_TRUE(Hidden(d, CAMERATAG_GROUP_TONE));
    EXPECT_FALSE(Hidden(d, CAMERATAG_GROUP_RESPONSE));
    EXPECT_TRUE(d.IsShown(CAMERATAG_RESPONSE_FUNCTION));
    EXPECT_TRUE(Hidden(d, CAMERATAG_GROUP_GENERATED));
    EXPECT_TRUE(Hidden(d, CAMERATAG_GROUP_IMAGE));
    EXPECT_TRUE(Hidden(d, CAMERATAG_DOWNSIZE_RING));
    EXPECT_TRUE(Hidden(d, CAMERATAG_DOWNSIZE_BLUR));
    EXPECT_FALSE(Hidden(d, CAMERATAG_OBSTACLE_MAP_FILE));
  }
  {
    // The obstacle map belongs to aperture diffraction only, whatever its own switch says.
    bc->SetLong(CAMERATAG_DIFFRACTION, CAMERATAG_DIFFRACTION_NONE);
    Description d;
    ASSERT_TRUE(Describe(tag, &d));
    EXPECT_TRUE(Hidden(d, CAMERATAG_OBSTACLE_MAP));
    EXPECT_TRUE(Hidden(d, CAMERATAG_OBSTACLE_MAP_FILE));
  }
  BaseTag::Free(tag);
}

TEST_F(PluginNodes, TheTagColoursItsCameraUntilItIsRemoved) {
  doc_ = BaseDocument::Alloc();
  BaseObject* camera = BaseObject::Alloc(Ocamera);
  BaseObject* null = BaseObject::Alloc(Onull);
  doc_->InsertObject(camera, nullptr, nullptr);
  doc_->InsertObject(null, nullptr, nullptr);
  BaseTag* tag = BaseTag::Alloc(TCameraTag);
  BaseTag* other = BaseTag::Alloc(TCameraTag);
  ASSERT_TRUE(tag && other);
  camera->InsertTag(tag);
  null->InsertTag(other);

  Description d;
  ASSERT_TRUE(Describe(tag, &d));
  const BaseContainer* bc = camera->GetDataInstance();
  EXPECT_EQ(bc->GetLong(ID_BASEOBJECT_USECOLOR), ID_BASEOBJECT_USECOLOR_ALWAYS);
  EXPECT_EQ(bc->GetVector(ID_BASEOBJECT_COLOR), Vector(0.29412f, 0.0f, 0.5098f));
  EXPECT_FALSE(bc->GetBool(ID_BASEOBJECT_XRAY, TRUE));

  // On any other object the tag changes no colour.
  Description d2;
  ASSERT_TRUE(Describe(other, &d2));
  EXPECT_EQ(null->GetDataInstance()->GetDataPointer(ID_BASEOBJECT_USECOLOR), nullptr);
  BaseTag::Free(other);
  EXPECT_EQ(null->GetDataInstance()->GetDataPointer(ID_BASEOBJECT_USECOLOR), nullptr);

  BaseTag::Free(tag);
  EXPECT_EQ(bc->GetLong(ID_BASEOBJECT_USECOLOR, -1), ID_BASEOBJECT_USECOLOR_OFF);
  EXPECT_EQ(bc->GetVector(ID_BASEOBJECT_COLOR), Vector(1, 1, 1));
  EXPECT_FALSE(bc->GetBool(ID_BASEOBJECT_XRAY, TRUE));
}

TEST_F(PluginNodes, TheRenderRegionIsOutlinedInTheSafeFrame) {
  doc_ = BaseDocument::Alloc();
  SetActiveDocument(doc_);
  BaseContainer* rdata = doc_->GetActiveRenderData()->GetDataInstance();
  rdata->SetLong(RDATA_XRES, 300);
  rdata->SetLong(RDATA_YRES, 300);
  BaseObject* camera = BaseObject::Alloc(Ocamera);
  doc_->InsertObject(camera, nullptr, nullptr);
  BaseTag* tag = BaseTag::Alloc(TCameraTag);
  ASSERT_NE(tag, nullptr);
  camera->InsertTag(tag);
  tag->GetDataInstance()->SetBool(CAMERATAG_RENDER_REGION, TRUE);
  TagData* node = static_cast<TagData*>(tag->GetNodeData());
  BaseDraw* bd = doc_->GetRenderBaseDraw();
  bd->SetSceneCamera(camera);

  // 0/150/0/150 of a 300 x 300 image is the upper-left quarter of the safe frame, in a view
  // wider than the image and in one taller than it.
  for (auto size : {std::pair<LONG, LONG>{400, 300}, std::pair<LONG, LONG>{300, 400}}) {
    SCOPED_TRACE(std::to_string(size.first) + " x " + std::to_string(size.second));
    bd->SetFrameSize(size.first, size.second);
    bd->ClearDrawing();
    EXPECT_TRUE(node->Draw(tag, camera, bd, nullptr));
    LONG from, to, orientation;
    bd->GetSafeFrame(&from, &to, &orientation);
    EXPECT_EQ(from, 50);
    EXPECT_EQ(to, 349);
    const bool horizontal = orientation == SAFEFRAME_HORIZONTAL;
    EXPECT_EQ(horizontal, size.first > size.second);
    const Real left = horizontal ? Real(from) : 0.0f, top = horizontal ? 0.0f : Real(from);
    const Box box = DrawnRectangle(bd);
    EXPECT_NEAR(box.left, left, 1.5f);
    EXPECT_NEAR(box.top, top, 1.5f);
    EXPECT_NEAR(box.right, left + 150.0f, 1.5f);
    EXPECT_NEAR(box.bottom, top + 150.0f, 1.5f);
  }

  // Nothing is drawn with the region off, or on a view that does not look through the camera.
  tag->GetDataInstance()->SetBool(CAMERATAG_RENDER_REGION, FALSE);
  bd->ClearDrawing();
  EXPECT_TRUE(node->Draw(tag, camera, bd, nullptr));
  EXPECT_TRUE(bd->GetDrawnLines().empty());
  tag->GetDataInstance()->SetBool(CAMERATAG_RENDER_REGION, TRUE);
  bd->SetSceneCamera(nullptr);
  EXPECT_TRUE(node->Draw(tag, camera, bd, nullptr));
  EXPECT_TRUE(bd->GetDrawnLines().empty());

  // Without render data there is no image to place the region in.
  bd->SetSceneCamera(camera);
  RenderData* rd = doc_->GetFirstRenderData();
  RenderData::Free(rd);
  EXPECT_FALSE(node->Draw(tag, camera, bd, nullptr));
  EXPECT_TRUE(bd->GetDrawnLines().empty());
}
