#include "c4d_basebitmap.h"

#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
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

Real BaseBitmap::Channel(LONG x, LONG y, int c) const {
  x = std::min(std::max(x, LONG(0)), width_ - 1);
  y = std::min(std::max(y, LONG(0)), height_ - 1);
  return Real(rgb_[(size_t(y) * size_t(width_) + size_t(x)) * 3 + size_t(c)]);
}

void BaseBitmap::ScaleIt(BaseBitmap* dst, LONG intens, Bool sample, Bool nprop) const {
  if (!dst || width_ <= 0 || height_ <= 0 || dst->width_ <= 0 || dst->height_ <= 0) return;
  Real sx = Real(dst->width_) / Real(width_), sy = Real(dst->height_) / Real(height_);
  if (!nprop) sx = sy = std::min(sx, sy);
  const LONG w = std::max(LONG(1), LONG(std::lround(width_ * sx))), h = std::max(LONG(1), LONG(std::lround(height_ * sy)));
  const LONG ox = (dst->width_ - w) / 2, oy = (dst->height_ - h) / 2;
  const Real gain = Real(intens) / 256.0f;
  for (LONG y = 0; y < h; y++) {
    for (LONG x = 0; x < w; x++) {
      // The centre of the target pixel, in source pixels.
      const Real fx = (Real(x) + 0.5f) / sx - 0.5f, fy = (Real(y) + 0.5f) / sy - 0.5f;
      Real out[3];
      for (int c = 0; c < 3; c++) {
        if (!sample) {
          out[c] = Channel(LONG(std::lround(fx)), LONG(std::lround(fy)), c);
          continue;
        }
        const LONG x0 = LONG(std::floor(fx)), y0 = LONG(std::floor(fy));
        const Real tx = fx - Real(x0), ty = fy - Real(y0);
        const Real top = Channel(x0, y0, c) * (1 - tx) + Channel(x0 + 1, y0, c) * tx;
        const Real bottom = Channel(x0, y0 + 1, c) * (1 - tx) + Channel(x0 + 1, y0 + 1, c) * tx;
        out[c] = top * (1 - ty) + bottom * ty;
      }
      dst->SetPixel(ox + x, oy + y, LONG(out[0] * gain + 0.5f), LONG(out[1] * gain + 0.5f), LONG(out[2] * gain + 0.5f));
    }
  }
}

namespace {

// Catmull-Rom weight of a sample at distance t.
Real Cubic(Real t) {
  t = std::fabs(t);
  if (t < 1) return 1.5f * t * t * t - 2.5f * t * t + 1;
  if (t < 2) return -0.5f * t * t * t + 2.5f * t * t - 4 * t + 2;
  return 0;
}

}  // namespace

void BaseBitmap::ScaleBicubic(BaseBitmap* dst, LONG src_xmin, LONG src_ymin, LONG src_xmax, LONG src_ymax,
                              LONG dst_xmin, LONG dst_ymin, LONG dst_xmax, LONG dst_ymax) const {
  if (!dst || width_ <= 0 || height_ <= 0 || src_xmax < src_xmin || src_ymax < src_ymin || dst_xmax < dst_xmin ||
      dst_ymax < dst_ymin)
    return;
  const Real sx = Real(src_xmax - src_xmin + 1) / Real(dst_xmax - dst_xmin + 1);
  const Real sy = Real(src_ymax - src_ymin + 1) / Real(dst_ymax - dst_ymin + 1);
  for (LONG y = dst_ymin; y <= dst_ymax; y++) {
    const Real fy = Real(src_ymin) + (Real(y - dst_ymin) + 0.5f) * sy - 0.5f;
    const LONG y0 = LONG(std::floor(fy));
    for (LONG x = dst_xmin; x <= dst_xmax; x++) {
      const Real fx = Real(src_xmin) + (Real(x - dst_xmin) + 0.5f) * sx - 0.5f;
      const LONG x0 = LONG(std::floor(fx));
      Real out[3] = {0, 0, 0};
      for (LONG j = -1; j <= 2; j++) {
        const Real wy = Cubic(fy - Real(y0 + j));
        for (LONG i = -1; i <= 2; i++) {
          const Real w = wy * Cubic(fx - Real(x0 + i));
          for (int c = 0; c < 3; c++) out[c] += w * Channel(x0 + i, y0 + j, c);
        }
      }
      dst->SetPixel(x, y, LONG(out[0] + 0.5f), LONG(out[1] + 0.5f), LONG(out[2] + 0.5f));
    }
  }
}
