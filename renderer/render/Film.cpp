#include "Film.h"

#include <cmath>

namespace renderer::render {

float SrgbEncode(float v) {
  v = std::min(1.0f, std::max(0.0f, v));
  return v <= 0.0031308f ? 12.92f * v : 1.055f * std::pow(v, 1 / 2.4f) - 0.055f;
}

PngImage Film::Develop(const ToneMapping& tone, int samples) const {
  PngImage image;
  image.width = width_;
  image.height = height_;
  image.channels = 3;
  image.pixels.resize(std::size_t(width_) * std::size_t(height_) * 3);
  double logSum = 0;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) logSum += std::log(1e-4 + std::max(0.0f, Luminance(Mean(x, y, samples))));
  const float logAverage = float(std::exp(logSum / double(width_ * height_)));
  const float cameraExposure = tone.filmIso / 100.0f * std::pow(2.0f, tone.evAdjust) * 0.18f / logAverage;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      Rgb c = Mean(x, y, samples);
      c = Rgb(std::max(0.0f, c.x), std::max(0.0f, c.y), std::max(0.0f, c.z));
      switch (tone.kind) {
        case ToneMapping::Kind::Linear:
          c *= tone.scale;
          break;
        case ToneMapping::Kind::Reinhard: {
          const Rgb scaled = c * (0.06f * tone.preScale / logAverage);
          const float l = Luminance(scaled);
          const float burn2 = tone.burn > 0 ? tone.burn * tone.burn : 1e30f;
          c = l > 0 ? scaled * ((1 + l / burn2) / (1 + l) * tone.postScale) : Rgb(0.0f);
          break;
        }
        case ToneMapping::Kind::Camera: {
          const Rgb e = c * cameraExposure;
          c = Rgb(1 - std::exp(-e.x), 1 - std::exp(-e.y), 1 - std::exp(-e.z));
          break;
        }
      }
      std::uint8_t* p = &image.pixels[(std::size_t(y) * std::size_t(width_) + std::size_t(x)) * 3];
      for (int i = 0; i < 3; ++i) p[i] = std::uint8_t(std::lround(SrgbEncode(c[i]) * 255.0f));
    }
  return image;
}

}  // namespace renderer::render
