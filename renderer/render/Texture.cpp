#include "Texture.h"

#include <stb/stb_image.h>
#include <tiffio.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

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

namespace {

// libtiff reports through process-wide handlers; the last message is kept for the error line
// instead of being printed in the middle of the progress output.
thread_local std::string tiffMessage;

void KeepTiffMessage(const char* module, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  tiffMessage = std::string(module ? module : "") + (module ? ": " : "") + text;
}

void IgnoreTiffWarning(const char*, const char*, va_list) {}

bool IsTiff(const std::string& path) {
  unsigned char magic[4] = {0, 0, 0, 0};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  const bool read = std::fread(magic, 1, 4, file) == 4;
  std::fclose(file);
  // Classic and big TIFF, in either byte order.
  for (const char* tiff : {"II*\0", "MM\0*", "II+\0", "MM\0+"})
    if (read && std::memcmp(magic, tiff, 4) == 0) return true;
  return false;
}

// stb_image reads no TIFF files; libtiff decodes every TIFF layout to 8-bit RGBA.
bool LoadTiff(const std::string& path, Image& image, std::string& error) {
  TIFFSetErrorHandler(KeepTiffMessage);
  TIFFSetWarningHandler(IgnoreTiffWarning);
  tiffMessage.clear();
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  if (!tiff) {
    error = "cannot read the texture '" + path + "': " + tiffMessage;
    return false;
  }
  uint32_t width = 0, height = 0;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
  std::vector<uint32_t> raster(std::size_t(width) * height);
  const bool ok = width > 0 && height > 0 && width <= 65536 && height <= 65536 &&
                  TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 0);
  TIFFClose(tiff);
  if (!ok) {
    error = "cannot read the texture '" + path + "': " + (tiffMessage.empty() ? "not a picture libtiff can decode" : tiffMessage);
    return false;
  }
  image.width = int(width);
  image.height = int(height);
  image.texels.resize(raster.size() * 3);
  for (std::size_t i = 0; i < raster.size(); ++i) {
    image.texels[3 * i] = float(TIFFGetR(raster[i])) / 255.0f;
    image.texels[3 * i + 1] = float(TIFFGetG(raster[i])) / 255.0f;
    image.texels[3 * i + 2] = float(TIFFGetB(raster[i])) / 255.0f;
  }
  return true;
}

}  // namespace

std::shared_ptr<const Image> ImageCache::Load(const std::string& path, std::string& error) {
  for (const auto& entry : images_)
    if (entry.first == path) return entry.second;
  auto image = std::make_shared<Image>();
  if (IsTiff(path)) {
    if (!LoadTiff(path, *image, error)) return nullptr;
    images_.emplace_back(path, image);
    return image;
  }
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
