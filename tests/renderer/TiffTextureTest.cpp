// TIFF textures: stb_image reads none, so the renderer decodes them with libtiff.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdint>
#include <string>

#include "TestSupport.h"
#include "render/Texture.h"

using namespace testing_support;

namespace {

// A 2 x 2 RGB picture, rows top to bottom: red, green / blue, white.
void WriteTiff(const std::string& path) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 2);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 2);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  std::uint8_t rows[2][6] = {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 255, 255, 255}};
  for (std::uint32_t y = 0; y < 2; ++y) ASSERT_EQ(TIFFWriteScanline(tiff, rows[y], y, 0), 1);
  TIFFClose(tiff);
}

}  // namespace

TEST(TiffTexture, PixelsLandWhereThePictureHasThem) {
  TempDir dir("tiff_texture");
  WriteTiff(dir.str("checker.tif"));
  renderer::render::ImageCache cache;
  std::string error;
  const auto image = cache.Load(dir.str("checker.tif"), error);
  ASSERT_TRUE(image) << error;
  ASSERT_EQ(image->width, 2);
  ASSERT_EQ(image->height, 2);
  // Row 0 is the top row; v = 1 is the top of the picture.
  const renderer::render::Texture texture(image, {});
  const auto topLeft = texture.Lookup(0.25f, 0.75f), bottomRight = texture.Lookup(0.75f, 0.25f);
  const auto topRight = texture.Lookup(0.75f, 0.75f), bottomLeft = texture.Lookup(0.25f, 0.25f);
  EXPECT_FLOAT_EQ(topLeft.x, 1.0f);
  EXPECT_FLOAT_EQ(topLeft.y, 0.0f);
  EXPECT_FLOAT_EQ(topRight.y, 1.0f);
  EXPECT_FLOAT_EQ(topRight.x, 0.0f);
  EXPECT_FLOAT_EQ(bottomLeft.z, 1.0f);
  EXPECT_FLOAT_EQ(bottomLeft.x, 0.0f);
  EXPECT_FLOAT_EQ(bottomRight.x + bottomRight.y + bottomRight.z, 3.0f);

  // A cut file is refused with its path, not drawn from half a picture.
  const std::string whole = ReadFile(dir.str("checker.tif"));
  WriteFile(dir.str("cut.tif"), whole.substr(0, 12));
  EXPECT_FALSE(cache.Load(dir.str("cut.tif"), error));
  EXPECT_NE(error.find("cut.tif"), std::string::npos) << error;
}
