// PNG pictures through libpng: 8-bit grey or RGB, written through a temporary file that is
// renamed into place, so a failed write never leaves half a picture.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace renderer::render {

struct PngImage {
  int width = 0, height = 0, channels = 0;  // 1 (grey) or 3 (RGB)
  std::vector<std::uint8_t> pixels;         // rows top to bottom
};

// Returns an empty string, or what went wrong.
std::string WritePng(const std::string& path, const PngImage& image);
// Reads any PNG, converted to 8-bit grey or RGB (alpha dropped). Returns an empty string, or
// what went wrong.
std::string ReadPng(const std::string& path, PngImage& image);

}  // namespace renderer::render
