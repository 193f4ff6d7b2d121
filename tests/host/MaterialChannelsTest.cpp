// The standard material of the host: its parameter ids, channels, preview and layer, and the
// scaling of bitmaps that previews and icons use.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "c4d.h"
#include "host/DocumentIO.h"

using namespace testing_support;

namespace {

Vector Pixel(const BaseBitmap* bm, LONG x, LONG y) {
  UWORD r, g, b;
  bm->GetPixel(x, y, &r, &g, &b);
  return Vector(r, g, b);
}

}  // namespace

// A material written by hand as a document: the ids the plug-in reads (colour 2100 with its
// brightness 2101, refraction 1005, reflection brightness 2501, blurriness 8020) and the
// channels' switches and shaders.
TEST(StandardMaterial, DocumentIdsChannelsAndShaders) {
  const char* text = R"({"materials": [
      {"type": "Mmaterial", "name": "Glass",
       "shaders": [{"type": "Xbitmap", "name": "Grain", "data": {"1000": {"file": "tex/wood.png"}}}],
       "data": {"2100": [0.5, 0.25, 1], "2101": 0.5, "1005": 1.5, "2501": 0.2, "8020": 0.3,
                "2002": true, "2008": false, "8000": {"shader": "Grain"}}},
      {"type": "Mplugin", "name": "Other"}]})";
  BaseDocument* doc = host::ParseDocument(text, "glass.json");
  BaseMaterial* glass = doc->GetFirstMaterial();
  const BaseContainer* bc = glass->GetDataInstance();
  EXPECT_EQ(bc->GetVector(MATERIAL_COLOR_COLOR), Vector(0.5f, 0.25f, 1.0f));
  EXPECT_EQ(MATERIAL_COLOR_COLOR, 2100);
  EXPECT_FLOAT_EQ(bc->GetReal(MATERIAL_COLOR_BRIGHTNESS), 0.5f);
  EXPECT_FLOAT_EQ(bc->GetReal(MATERIAL_TRANSPARENCY_REFRACTION), 1.5f);
  EXPECT_FLOAT_EQ(bc->GetReal(MATERIAL_REFLECTION_BRIGHTNESS), 0.2f);
  EXPECT_FLOAT_EQ(bc->GetReal(MATERIAL_TRANSPARENCY_DISPERSION), 0.3f);
  // A new material has its colour and highlight on; the document switched these.
  EXPECT_TRUE(glass->GetChannelState(CHANNEL_COLOR));
  EXPECT_TRUE(glass->GetChannelState(CHANNEL_TRANSPARENCY));
  EXPECT_FALSE(glass->GetChannelState(CHANNEL_SPECULAR));
  EXPECT_FALSE(glass->GetChannelState(CHANNEL_REFLECTION));
  EXPECT_FALSE(glass->GetChannelState(-1));
  EXPECT_FALSE(glass->GetChannelState(CHANNEL_COUNT));

  // The colour channel's data shows the colour, brightness and the bitmap's file.
  BaseChannel* colour = glass->GetChannel(CHANNEL_COLOR);
  ASSERT_NE(colour, nullptr);
  const BaseContainer data = colour->GetData();
  EXPECT_EQ(data.GetVector(BASECHANNEL_COLOR_EX), Vector(0.5f, 0.25f, 1.0f));
  EXPECT_FLOAT_EQ(data.GetReal(BASECHANNEL_BRIGHTNESS_EX), 0.5f);
  EXPECT_EQ(data.GetString(BASECHANNEL_TEXTURE).str(), "tex/wood.png");
  EXPECT_EQ(glass->GetChannel(CHANNEL_BUMP)->GetData().GetString(BASECHANNEL_TEXTURE).str(), "");

  // Another kind of material has no channels.
  BaseMaterial* other = glass->GetNext();
  EXPECT_EQ(other->GetType(), Mplugin);
  EXPECT_EQ(other->GetChannel(CHANNEL_COLOR), nullptr);
  EXPECT_FALSE(other->GetChannelState(CHANNEL_COLOR));
  BaseDocument::Free(doc);
}

// Setting a channel's texture file puts a bitmap shader into the channel (a new one, then the
// same one with the new file); an empty file takes it out again.
TEST(StandardMaterial, ChannelTextureMakesAndRemovesItsBitmapShader) {
  Material* mat = Material::Alloc();
  BaseChannel* bump = mat->GetChannel(CHANNEL_BUMP);
  BaseContainer data;
  data.SetString(BASECHANNEL_TEXTURE, "maps/bump.png");
  data.SetReal(BASECHANNEL_BRIGHTNESS_EX, 0.25f);
  bump->SetData(data);
  BaseShader* shader = bump->GetShader();
  ASSERT_NE(shader, nullptr);
  EXPECT_EQ(shader->GetType(), Xbitmap);
  EXPECT_EQ(mat->GetFirstShader(), shader);
  EXPECT_EQ(mat->GetDataInstance()->GetLink(MATERIAL_BUMP_SHADER, nullptr), shader);
  EXPECT_EQ(shader->GetDataInstance()->GetFilename(BITMAPSHADER_FILENAME).GetString().str(), "maps/bump.png");
  EXPECT_FLOAT_EQ(mat->GetDataInstance()->GetReal(MATERIAL_BUMP_STRENGTH), 0.25f);

  data.SetString(BASECHANNEL_TEXTURE, "maps/other.png");
  bump->SetData(data);
  EXPECT_EQ(bump->GetShader(), shader);
  EXPECT_EQ(shader->GetDataInstance()->GetFilename(BITMAPSHADER_FILENAME).GetString().str(), "maps/other.png");
  EXPECT_EQ(shader->GetNext(), nullptr);

  data.SetString(BASECHANNEL_TEXTURE, "");
  bump->SetData(data);
  EXPECT_EQ(bump->GetShader(), nullptr);
  EXPECT_EQ(mat->GetFirstShader(), nullptr);
  // The highlight has no shader of its own: a texture for it changes nothing.
  data.SetString(BASECHANNEL_TEXTURE, "maps/x.png");
  mat->GetChannel(CHANNEL_SPECULAR)->SetData(data);
  EXPECT_EQ(mat->GetFirstShader(), nullptr);
  BaseMaterial* base = mat;
  BaseMaterial::Free(base);
}

// The preview starts as the material's colour; a loaded picture scaled into it keeps its
// proportions (centred) and, with sampling, blends neighbouring pixels.
TEST(StandardMaterial, PreviewAndBitmapScaling) {
  Material* mat = Material::Alloc();
  mat->GetDataInstance()->SetVector(MATERIAL_COLOR_COLOR, Vector(1, 0.5f, 0));
  BaseBitmap* preview = mat->GetPreview(0);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(mat->GetPreview(0), preview);
  EXPECT_EQ(Pixel(preview, 45, 45), Vector(255, 128, 0));

  // A 2 x 1 picture, black and white, into the 90 x 90 preview: 90 x 45, centred.
  BaseBitmap* wide = BaseBitmap::Alloc();
  ASSERT_EQ(wide->Init(2, 1), IMAGE_OK);
  wide->SetPixel(1, 0, 255, 255, 255);
  wide->ScaleIt(preview, 256, FALSE, FALSE);
  EXPECT_EQ(Pixel(preview, 10, 45), Vector(0, 0, 0));
  EXPECT_EQ(Pixel(preview, 80, 45), Vector(255, 255, 255));
  EXPECT_EQ(Pixel(preview, 10, 10), Vector(255, 128, 0));  // above the picture: untouched
  wide->ScaleIt(preview, 128, TRUE, TRUE);                   // stretched, half as bright, blended
  EXPECT_EQ(Pixel(preview, 0, 0), Vector(0, 0, 0));
  EXPECT_EQ(Pixel(preview, 89, 89), Vector(128, 128, 128));
  const Real middle = Pixel(preview, 45, 10).x;
  EXPECT_GT(middle, 20);
  EXPECT_LT(middle, 110);

  // Bicubic scaling of a flat picture keeps it flat and fills only the target rectangle.
  BaseBitmap* icon = BaseBitmap::Alloc();
  ASSERT_EQ(icon->Init(32, 32), IMAGE_OK);
  BaseBitmap* flat = BaseBitmap::Alloc();
  ASSERT_EQ(flat->Init(8, 8), IMAGE_OK);
  for (LONG y = 0; y < 8; y++)
    for (LONG x = 0; x < 8; x++) flat->SetPixel(x, y, 40, 80, 120);
  flat->ScaleBicubic(icon, 0, 0, 7, 7, 16, 16, 31, 31);
  EXPECT_EQ(Pixel(icon, 16, 16), Vector(40, 80, 120));
  EXPECT_EQ(Pixel(icon, 31, 31), Vector(40, 80, 120));
  EXPECT_EQ(Pixel(icon, 15, 15), Vector(0, 0, 0));
  BaseBitmap::Free(flat);
  BaseBitmap::Free(icon);
  BaseBitmap::Free(wide);
  BaseMaterial* base = mat;
  BaseMaterial::Free(base);
}

TEST(StandardMaterial, LayerFollowsTheLayerObject) {
  BaseDocument* doc = host::ParseDocument(R"({"layers": [{"name": "Props"}], "materials": [{"name": "Wood"}]})", "l.json");
  BaseMaterial* mat = doc->GetFirstMaterial();
  EXPECT_EQ(mat->GetLayerObject(doc), nullptr);
  mat->SetLayerObject(doc->GetFirstLayer());
  EXPECT_EQ(mat->GetLayerObject(doc), doc->GetFirstLayer());
  mat->SetLayerObject(nullptr);
  EXPECT_EQ(mat->GetLayerObject(doc), nullptr);
  BaseDocument::Free(doc);
}
