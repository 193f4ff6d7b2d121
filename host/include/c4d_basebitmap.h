// Bitmaps: loaded from TIFF and PNG files.
#pragma once
#include <vector>
#include "c4d_file.h"

enum { IMAGE_OK = 0, IMAGE_NOTEXISTING = -1, IMAGE_WRONGTYPE = -2, IMAGE_NOMEM = -3, IMAGE_DISKERROR = -4 };

class BaseBitmap {
 public:
  static BaseBitmap* Alloc() { return new BaseBitmap; }
  static void Free(BaseBitmap*& bm) {
    delete bm;
    bm = nullptr;
  }
  // Loads a TIFF or PNG file; IMAGE_OK on success.
  LONG Init(const Filename& name, LONG frame = -1, Bool* ismovie = nullptr);
  LONG Init(LONG x, LONG y, LONG depth = 24);
  LONG GetBw() const { return width_; }
  LONG GetBh() const { return height_; }
  void GetPixel(LONG x, LONG y, UWORD* r, UWORD* g, UWORD* b) const;
  void SetPixel(LONG x, LONG y, LONG r, LONG g, LONG b);
  // Writes the bitmap as a PNG file.
  Bool SavePng(const Filename& name) const;
  // Scales the whole bitmap into dst with the intensity intens (256 = unchanged), sampling
  // between pixels (bilinear) or taking the nearest; without nprop the picture keeps its
  // proportions and is centred in dst.
  void ScaleIt(BaseBitmap* dst, LONG intens, Bool sample, Bool nprop) const;
  // Scales a rectangle of the bitmap (corners inclusive) bicubically into one of dst.
  void ScaleBicubic(BaseBitmap* dst, LONG src_xmin, LONG src_ymin, LONG src_xmax, LONG src_ymax, LONG dst_xmin,
                    LONG dst_ymin, LONG dst_xmax, LONG dst_ymax) const;

 private:
  BaseBitmap() = default;
  // The colour component c at (x, y), the coordinates clamped to the bitmap.
  Real Channel(LONG x, LONG y, int c) const;
  LONG width_ = 0, height_ = 0;
  std::vector<UCHAR> rgb_;
};
