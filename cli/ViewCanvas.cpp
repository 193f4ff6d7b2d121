#include "ViewCanvas.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <cctype>
#include <stdexcept>

namespace cli {

namespace {

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::string LowerSuffix(const std::string& path) {
  const size_t dot = path.find_last_of('.'), slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string s = path.substr(dot + 1);
  for (char& c : s) c = char(std::tolower((unsigned char)c));
  return s;
}

}  // namespace

bool ViewCanvas::FormatOf(const std::string& path, Format* format) {
  const std::string suffix = LowerSuffix(path);
  if (suffix == "svg") *format = Format::Svg;
  else if (suffix == "pdf") *format = Format::Pdf;
  else if (suffix == "png") *format = Format::Png;
  else return false;
  return true;
}

ViewCanvas::ViewCanvas(Format format, int width, int height, bool mask)
    : format_(format), width_(width), height_(height), mask_(mask) {
  // An SVG gets a surface per group (see BeginGroup); the others draw every group on one.
  if (format_ != Format::Svg) {
    surface_ = NewSurface();
    cr_ = cairo_create(surface_);
    if (mask_) cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  }
}

ViewCanvas::~ViewCanvas() {
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

cairo_surface_t* ViewCanvas::NewSurface() {
  bytes_.clear();
  cairo_surface_t* s = nullptr;
  switch (format_) {
    case Format::Svg:
      s = cairo_svg_surface_create_for_stream(Append, &bytes_, width_, height_);
      cairo_svg_surface_set_document_unit(s, CAIRO_SVG_UNIT_PX);
      break;
    case Format::Pdf: s = cairo_pdf_surface_create_for_stream(Append, &bytes_, width_, height_); break;
    case Format::Png: s = cairo_image_surface_create(mask_ ? CAIRO_FORMAT_A8 : CAIRO_FORMAT_RGB24, width_, height_); break;
  }
  Check(cairo_surface_status(s));
  return s;
}

void ViewCanvas::Check(cairo_status_t status) const {
  if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error(std::string("Cairo failed to draw: ") + cairo_status_to_string(status));
}

cairo_t* ViewCanvas::BeginGroup(const std::string& id, const std::string& title) {
  if (format_ == Format::Svg) {
    groups_.push_back(SvgGroup{id, title, ""});
    surface_ = NewSurface();
    cr_ = cairo_create(surface_);
    if (mask_) cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  }
  cairo_save(cr_);
  return cr_;
}

void ViewCanvas::EndGroup() {
  cairo_restore(cr_);
  Check(cairo_status(cr_));
  if (format_ != Format::Svg) return;
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  const cairo_status_t status = cairo_surface_status(surface_);
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  Check(status);
  groups_.back().svg = std::move(bytes_);
}

void ViewCanvas::PaintBackground(cairo_t* cr, double r, double g, double b) const {
  if (mask_ && format_ == Format::Png) return;
  cairo_set_source_rgb(cr, r, g, b);
  cairo_paint(cr);
}

std::string ViewCanvas::Finish() {
  switch (format_) {
    case Format::Svg: return MergeSvgGroups(groups_);
    case Format::Pdf:
      cairo_destroy(cr_);
      cr_ = nullptr;
      cairo_surface_finish(surface_);
      Check(cairo_surface_status(surface_));
      return std::move(bytes_);
    case Format::Png: {
      cairo_surface_flush(surface_);
      std::string png;
      Check(cairo_surface_write_to_png_stream(surface_, Append, &png));
      return png;
    }
  }
  return "";
}

}  // namespace cli
