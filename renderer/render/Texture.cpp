#include "Texture.h"

#include <stb/stb_image.h>

#include <cmath>

namespace renderer::render {

Rgb Texture::Texel(int x, int y) const {
  const float* t = &image_->texels[(std::size_t(y) * std::size_t(image_->width) + std::size_t(x)) * 3];
  Rgb value(t[0], t[1], t[2]);
  if (curve_.exponent != 1.0f)
    value = Rgb(std::pow(std::max(0.0f, value.x), curve_.exponent), std::pow(std::max(0.0f, value.y), curve_.exponent),
                std::pow(std::max(0.0f, value.z), curve_.exponent));
  return value * value * curve_.a + value * curve_.b + Rgb(curve_.c);
}

Rgb Texture::Lookup(float u, float v) const {
  const int w = image_->width, h = image_->height;
  const float fx = (u - std::floor(u)) * float(w) - 0.5f;
  const float fy = (1 - (v - std::floor(v))) * float(h) - 0.5f;
  const float x0f = std::floor(fx), y0f = std::floor(fy);
  const float tx = fx - x0f, ty = fy - y0f;
  auto wrap = [](int i, int n) { return ((i % n) + n) % n; };
  const int x0 = wrap(int(x0f), w), x1 = wrap(int(x0f) + 1, w);
  const int y0 = wrap(int(y0f), h), y1 = wrap(int(y0f) + 1, h);
  return (Texel(x0, y0) * (1 - tx) + Texel(x1, y0) * tx) * (1 - ty) +
         (Texel(x0, y1) * (1 - tx) + Texel(x1, y1) * tx) * ty;
}

std::shared_ptr<const Image> ImageCache::Load(const std::string& path, std::string& error) {
  for (const auto& entry : images_)
    if (entry.first == path) return entry.second;
  auto image = std::make_shared<Image>();
  int channels = 0;
  const bool hdr = stbi_is_hdr(path.c_str());
  void* pixels = hdr ? static_cast<void*>(stbi_loadf(path.c_str(), &image->width, &image->height, &channels, 3))
                     : static_cast<void*>(stbi_load(path.c_str(), &image->width, &image->height, &channels, 3));
  if (!pixels) {
    error = "cannot read the texture '" + path + "': " + stbi_failure_reason();
    return nullptr;
  }
  const std::size_t count = std::size_t(image->width) * std::size_t(image->height) * 3;
  image->texels.resize(count);
  for (std::size_t i = 0; i < count; ++i)
    image->texels[i] = hdr ? static_cast<const float*>(pixels)[i] : float(static_cast<const unsigned char*>(pixels)[i]) / 255.0f;
  stbi_image_free(pixels);
  images_.emplace_back(path, image);
  return image;
}

}  // namespace renderer::render
