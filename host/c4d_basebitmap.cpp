#include "c4d_basebitmap.h"

#include <png.h>
#include <tiffio.h>

#include <cstring>

namespace {

bool HasSignature(const std::string& path, const unsigned char* sig, size_t n) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char buf[8] = {0};
  size_t got = std::fread(buf, 1, n, f);
  std::fclose(f);
  return got == n && std::memcmp(buf, sig, n) == 0;
}

bool LoadTiff(const std::string& path, LONG* w, LONG* h, std::vector<UCHAR>* rgb) {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (!tif) return false;
  uint32_t width = 0, height = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  bool ok = width > 0 && height > 0 && width < 65536 && height < 65536;
  std::vector<uint32_t> raster;
  if (ok) {
    raster.resize(size_t(width) * height);
    ok = TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_TOPLEFT, 0) != 0;
  }
  TIFFClose(tif);
  if (!ok) return false;
  *w = LONG(width);
  *h = LONG(height);
  rgb->resize(raster.size() * 3);
  for (size_t i = 0; i < raster.size(); i++) {
    (*rgb)[i * 3] = UCHAR(TIFFGetR(raster[i]));
    (*rgb)[i * 3 + 1] = UCHAR(TIFFGetG(raster[i]));
    (*rgb)[i * 3 + 2] = UCHAR(TIFFGetB(raster[i]));
  }
  return true;
}

bool LoadPng(const std::string& path, LONG* w, LONG* h, std::vector<UCHAR>* rgb) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  if (image.width == 0 || image.height == 0 || image.width >= 65536 || image.height >= 65536) {
    png_image_free(&image);
    return false;
  }
  rgb->resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  *w = LONG(image.width);
  *h = LONG(image.height);
  return true;
}

}  // namespace

LONG BaseBitmap::Init(const Filename& name, LONG, Bool* ismovie) {
  if (ismovie) *ismovie = FALSE;
  const std::string& path = name.str();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return IMAGE_NOTEXISTING;
  std::fclose(f);
  static const unsigned char pngSig[8] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
  static const unsigned char tiffLE[4] = {'I', 'I', 42, 0};
  static const unsigned char tiffBE[4] = {'M', 'M', 0, 42};
  bool ok;
  if (HasSignature(path, pngSig, 8)) ok = LoadPng(path, &width_, &height_, &rgb_);
  else if (HasSignature(path, tiffLE, 4) || HasSignature(path, tiffBE, 4)) ok = LoadTiff(path, &width_, &height_, &rgb_);
  else return IMAGE_WRONGTYPE;
  return ok ? IMAGE_OK : IMAGE_DISKERROR;
}

LONG BaseBitmap::Init(LONG x, LONG y, LONG) {
  if (x <= 0 || y <= 0 || x >= 65536 || y >= 65536) return IMAGE_NOMEM;
  width_ = x;
  height_ = y;
  rgb_.assign(size_t(x) * size_t(y) * 3, 0);
  return IMAGE_OK;
}

void BaseBitmap::GetPixel(LONG x, LONG y, UWORD* r, UWORD* g, UWORD* b) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    *r = *g = *b = 0;
    return;
  }
  const UCHAR* p = &rgb_[(size_t(y) * size_t(width_) + size_t(x)) * 3];
  *r = p[0];
  *g = p[1];
  *b = p[2];
}

void BaseBitmap::SetPixel(LONG x, LONG y, LONG r, LONG g, LONG b) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  UCHAR* p = &rgb_[(size_t(y) * size_t(width_) + size_t(x)) * 3];
  p[0] = UCHAR(r < 0 ? 0 : r > 255 ? 255 : r);
  p[1] = UCHAR(g < 0 ? 0 : g > 255 ? 255 : g);
  p[2] = UCHAR(b < 0 ? 0 : b > 255 ? 255 : b);
}

Bool BaseBitmap::SavePng(const Filename& name) const {
  if (width_ <= 0 || height_ <= 0) return FALSE;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width_);
  image.height = png_uint_32(height_);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, name.str().c_str(), 0, rgb_.data(), 0, nullptr) != 0;
}
