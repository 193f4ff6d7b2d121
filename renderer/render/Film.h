// The picture being rendered: the sum of the radiance samples of every pixel, and the scene's
// tone mapping that turns their mean into an 8-bit sRGB picture.
#pragma once
#include <string>
#include <vector>

#include "Png.h"
#include "Vec3.h"

namespace renderer::render {

struct ToneMapping {
  enum class Kind { Linear, Reinhard, Camera } kind = Kind::Reinhard;
  float scale = 1;                             // linear
  float preScale = 3, postScale = 1, burn = 10;  // Reinhard
  float filmIso = 100, evAdjust = 0;           // camera
};

class Film {
 public:
  Film(int width, int height) : width_(width), height_(height), sum_(std::size_t(width) * std::size_t(height)) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Each pixel is written by one thread only (the one drawing its tile).
  void Add(int x, int y, const Rgb& radiance) { sum_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] += radiance; }
  // The mean radiance of a pixel after `samples` samples each.
  Rgb Mean(int x, int y, int samples) const {
    return sum_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] / float(samples > 0 ? samples : 1);
  }

  // Linear: the radiance times the scale. Reinhard: the radiance scaled so the picture's
  // log-average luminance lands at 0.06 times pre_scale, then L (1 + L / burn^2) / (1 + L),
  // times post_scale. Camera: an exposure from the film speed and EV, then 1 - exp(-x).
  // Then the sRGB curve and 8 bits.
  PngImage Develop(const ToneMapping& tone, int samples) const;

 private:
  int width_, height_;
  std::vector<Rgb> sum_;
};

// The sRGB transfer curve of a linear value in 0..1.
float SrgbEncode(float linear);

}  // namespace renderer::render
