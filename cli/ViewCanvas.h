// Where the view picture is drawn: one Cairo drawing serves SVG, PDF and PNG, as the output
// file's suffix asks. Drawing happens in groups (the background, each object, the plug-in's
// drawing); an SVG keeps each as a group with an id and a title, the other formats simply
// draw them. User space is the picture's pixels: x to the right, y down, pixel (i, j) covering
// [i, i + 1) x [j, j + 1).
#pragma once
#include <cairo.h>

#include <string>
#include <vector>

#include "SvgGroups.h"

namespace cli {

class ViewCanvas {
 public:
  enum class Format { Svg, Pdf, Png };
  // The format the file's suffix names (".svg", ".pdf", ".png", in any case); false for any
  // other.
  static bool FormatOf(const std::string& path, Format* format);

  // A mask has two colours and no antialiasing: a pixel is either covered or not. As a PNG it
  // is an 8-bit grey picture.
  ViewCanvas(Format format, int width, int height, bool mask);
  ~ViewCanvas();
  ViewCanvas(const ViewCanvas&) = delete;
  ViewCanvas& operator=(const ViewCanvas&) = delete;

  // Starts a group and returns the Cairo context to draw it with; EndGroup ends it.
  cairo_t* BeginGroup(const std::string& id, const std::string& title);
  void EndGroup();
  // Fills the whole picture with the colour (r, g, b in 0..1). A PNG mask starts black and
  // is left so: it holds coverage only, and white is what is drawn on it.
  void PaintBackground(cairo_t* cr, double r, double g, double b) const;
  // Ends the drawing and returns the file's bytes. Throws std::runtime_error when Cairo
  // failed.
  std::string Finish();

 private:
  cairo_surface_t* NewSurface();
  void Check(cairo_status_t status) const;

  Format format_;
  int width_, height_;
  bool mask_;
  std::string bytes_;  // what the current vector surface has written
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::vector<SvgGroup> groups_;
};

}  // namespace cli
