// Bitmap textures: the pixels of a file (PNG, JPEG, TGA, BMP, HDR, ... through stb_image; TIFF
// through libtiff),
// looked up bilinearly at a texture coordinate, each texel mapped by the texture's curve
// v' = a v^2 + b v + c with v = texel^exponent (texel in 0..1).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Vec3.h"

namespace renderer::render {

// The decoded pixels of one file, shared by every texture that names it.
struct Image {
  int width = 0, height = 0;
  std::vector<float> texels;  // RGB, row 0 at the top, values as stored (0..1 for 8-bit files)
};

struct TextureCurve {
  float exponent = 1, a = 0, b = 1, c = 0;
};

class Texture {
 public:
  Texture(std::shared_ptr<const Image> image, const TextureCurve& curve) : image_(std::move(image)), curve_(curve) {}

  // Repeats beyond 0..1; v = 1 is the top row of the picture, as the mesh file's
  // coordinates (u, 1 - v of the host) make it.
  Rgb Lookup(float u, float v) const;

 private:
  Rgb Texel(int x, int y) const;
  std::shared_ptr<const Image> image_;
  TextureCurve curve_;
};

// Loads each file once. Returns null and sets error when the file cannot be decoded.
class ImageCache {
 public:
  std::shared_ptr<const Image> Load(const std::string& path, std::string& error);

 private:
  std::vector<std::pair<std::string, std::shared_ptr<const Image>>> images_;
};

}  // namespace renderer::render
