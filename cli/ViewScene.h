// What the view picture shows: the document's objects as the render view sees them, each with
// its path, display colour and surfaces, and what the plug-in's own objects and tags draw.
#pragma once
#include <string>
#include <vector>

#include "c4d.h"
#include "host/ViewGeometry.h"

namespace cli {

struct ViewObject {
  std::string path;  // "/Room/Floor"
  Vector color;
  Matrix mg;
  // Polygons and spheres; an object without any is drawn as an axis cross at mg.
  host::ViewGeometry surface;
};

// The objects shown (in the editor or in the render), the camera looked through excluded, in
// hierarchy order. The plug-in's objects and tags draw into the view on the way (every object
// is offered, as the host's view does), after the view's earlier drawing is cleared.
std::vector<ViewObject> CollectViewObjects(BaseDocument* doc, BaseDraw* bd, BaseObject* camera, host::Visibility visibility);

}  // namespace cli
