// The render view's editor camera: what a document without a render camera is seen and
// rendered through. Like the host's "frame all", it is placed so that every object the view
// shows lies inside the rendered image.
#pragma once
#include "c4d.h"

namespace host {

// The editor camera as it stands before it has framed a document: looking at an object of the
// host's default size (200 units) at the origin, which is `focus` away.
Matrix DefaultEditorView(Real* focus);

// Places the editor camera of the document's render view on every object the view shows
// (polygons, generator caches, spheres; the positions of other objects when there are none),
// at the aspect of the render resolution, and says so in one console line. The camera looks
// from in front of the scene, to the right of it and above it.
void FrameEditorCamera(BaseDocument* doc);

}  // namespace host
