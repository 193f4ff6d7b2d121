// Intersection over union of two silhouette masks (PNG, grey or RGB; a pixel is inside when
// its brightest channel is above half), for comparing the renderer's --mask with another
// picture of the same scene through the same camera.
#pragma once
#include <algorithm>
#include <string>

#include "render/Png.h"

namespace testing_support {

// Returns the IoU in 0..1, or -1 with error set when a file does not read or the sizes differ.
// Two empty masks agree completely (1).
inline double MaskIoU(const std::string& a, const std::string& b, std::string& error) {
  renderer::render::PngImage ia, ib;
  error = renderer::render::ReadPng(a, ia);
  if (error.empty()) error = renderer::render::ReadPng(b, ib);
  if (!error.empty()) return -1;
  if (ia.width != ib.width || ia.height != ib.height) {
    error = "the masks differ in size: " + std::to_string(ia.width) + " x " + std::to_string(ia.height) + " and " +
            std::to_string(ib.width) + " x " + std::to_string(ib.height);
    return -1;
  }
  auto inside = [](const renderer::render::PngImage& image, std::size_t pixel) {
    int brightest = 0;
    for (int c = 0; c < image.channels; ++c)
      brightest = std::max(brightest, int(image.pixels[pixel * std::size_t(image.channels) + std::size_t(c)]));
    return brightest > 127;
  };
  std::size_t both = 0, either = 0;
  for (std::size_t p = 0; p < std::size_t(ia.width) * std::size_t(ia.height); ++p) {
    const bool x = inside(ia, p), y = inside(ib, p);
    both += x && y;
    either += x || y;
  }
  return either ? double(both) / double(either) : 1.0;
}

}  // namespace testing_support
