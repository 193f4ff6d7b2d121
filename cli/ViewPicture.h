// The view picture: the document's objects as the render view sees them, drawn through its
// camera into an SVG, PDF or PNG.
#pragma once
#include <string>
#include <vector>

#include "ViewCanvas.h"
#include "ViewScene.h"

namespace cli {

enum class ViewStyle {
  // Wireframes in the objects' display colours over the view's frame, the safe frame marked,
  // with what the plug-in's objects and tags drew.
  Wireframe,
  // The surfaces filled white on black, nothing else: what a rendered picture covers.
  Mask,
};

// The picture's file bytes. The view's frame size is the picture's size. Throws
// std::runtime_error when drawing fails.
std::string DrawViewPicture(ViewCanvas::Format format, const BaseDraw& bd, const std::vector<ViewObject>& objects,
                            ViewStyle style);

}  // namespace cli
