#include "Png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

#include "ReplaceFile.h"

namespace renderer::render {

namespace {

bool WriteTo(std::FILE* file, const PngImage& image) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8,
               image.channels == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  png_write_info(png, info);
  const std::size_t stride = std::size_t(image.width) * std::size_t(image.channels);
  for (int y = 0; y < image.height; ++y)
    png_write_row(png, const_cast<png_bytep>(&image.pixels[std::size_t(y) * stride]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::string WritePng(const std::string& path, const PngImage& image) {
  if (image.width <= 0 || image.height <= 0 || (image.channels != 1 && image.channels != 3) ||
      image.pixels.size() != std::size_t(image.width) * std::size_t(image.height) * std::size_t(image.channels))
    return "cannot write '" + path + "': the picture is empty or malformed";
  return replaceFile(path, [&image](std::FILE* file) { return WriteTo(file, image); });
}

std::string ReadPng(const std::string& path, PngImage& image) {
  png_image reader{};
  reader.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&reader, path.c_str()))
    return "cannot read '" + path + "' as PNG: " + reader.message;
  const bool grey = (reader.format & PNG_FORMAT_FLAG_COLOR) == 0;
  reader.format = grey ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
  image.width = int(reader.width);
  image.height = int(reader.height);
  image.channels = grey ? 1 : 3;
  image.pixels.assign(PNG_IMAGE_SIZE(reader), 0);
  if (!png_image_finish_read(&reader, nullptr, image.pixels.data(), 0, nullptr)) {
    const std::string message = reader.message;
    png_image_free(&reader);
    return "cannot read '" + path + "' as PNG: " + message;
  }
  return "";
}

}  // namespace renderer::render
