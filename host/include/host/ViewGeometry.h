// What the views show of the document's objects: the surfaces the renderer receives (polygons
// and analytic spheres), placed in the world, and whether an object is shown at all. The
// editor camera's framing and the tavrell command's view picture both draw on it.
#pragma once
#include <utility>
#include <vector>

#include "c4d.h"

namespace host {

// A sphere primitive as the renderer draws it: at the object's global position with its radius
// parameter; the object's scale and rotation do not apply.
struct ViewSphere {
  Vector centre;
  Real radius;
};

struct ViewGeometry {
  // Polygon objects with the global matrix they are drawn with.
  std::vector<std::pair<const PolygonObject*, Matrix>> polygons;
  std::vector<ViewSphere> spheres;
  bool Empty() const { return polygons.empty() && spheres.empty(); }
};

// Which visibility counts: the editor's (what the view shows) or the render's (what the
// renderer receives).
enum class Visibility { Editor, Render };

// Whether the object is shown: its editor or render mode, taken from the nearest parent that
// sets one when it is undefined, is not off, and its layer (when it has one) shows it.
bool IsShown(BaseObject* op, BaseDocument* doc, Visibility visibility);

// The object's own surface, without its children: the polygon objects of its generator cache
// (children inside the cache included), its own polygons, or its sphere.
void AddViewGeometry(BaseObject* op, const Matrix& mg, ViewGeometry& out);

}  // namespace host
