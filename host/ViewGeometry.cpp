#include "host/ViewGeometry.h"

namespace host {

namespace {

void AddCache(BaseObject* op, const Matrix& parent, ViewGeometry& out) {
  for (; op; op = op->GetNext()) {
    const Matrix mg = parent * op->GetMl();
    AddViewGeometry(op, mg, out);
    AddCache(op->GetDown(), mg, out);
  }
}

}  // namespace

bool IsShown(BaseObject* op, BaseDocument* doc, Visibility visibility) {
  const bool editor = visibility == Visibility::Editor;
  LONG mode = MODE_UNDEF;
  for (BaseObject* up = op; up && mode == MODE_UNDEF; up = up->GetUp()) mode = editor ? up->GetEditorMode() : up->GetRenderMode();
  if (mode == MODE_OFF) return false;
  const LayerData* layer = op->GetLayerData(doc);
  return !layer || (editor ? layer->view : layer->render);
}

void AddViewGeometry(BaseObject* op, const Matrix& mg, ViewGeometry& out) {
  if (BaseObject* cache = op->GetCache()) {
    AddCache(cache, mg, out);
  } else if (op->GetType() == Opolygon) {
    out.polygons.emplace_back(static_cast<const PolygonObject*>(op), mg);
  } else if (op->GetType() == Osphere) {
    out.spheres.push_back(ViewSphere{mg.off, op->GetDataInstance()->GetReal(PRIM_SPHERE_RAD, 100.0f)});
  }
}

}  // namespace host
