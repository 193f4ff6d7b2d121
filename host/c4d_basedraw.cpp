#include "c4d_basedraw.h"

#include <algorithm>
#include <cmath>

#include "c4d_basedocument.h"
#include "c4d_general.h"
#include "c4d_objectids.h"
#include "host/EditorCamera.h"

namespace {

// Nearest depth (host units) at which the view still draws; lines are cut there.
const Real kNearDepth = 0.1f;

// The point where the segment from a to b (camera coordinates) crosses the near depth.
Vector AtNearDepth(const Vector& a, const Vector& b) { return a + (b - a) * ((kNearDepth - a.z) / (b.z - a.z)); }

}  // namespace

BaseDraw::~BaseDraw() { BaseObject::Free(editorCamera_); }

BaseDocument* BaseDraw::GetDocument() const { return doc_ ? doc_ : GetActiveDocument(); }

bool BaseDraw::UsesEditorCamera() const {
  BaseList2D* l = camera_ ? BaseList2D::FindByUniqueId(camera_) : nullptr;
  return !l || l->GetClassification() != Obase || l->GetDocument() != GetDocument();
}

BaseObject* BaseDraw::GetSceneCamera(const BaseDocument* doc) const {
  if (doc && doc != GetDocument()) return nullptr;
  if (UsesEditorCamera()) return GetEditorCamera();
  return static_cast<BaseObject*>(BaseList2D::FindByUniqueId(camera_));
}

BaseObject* BaseDraw::GetEditorCamera() const {
  if (!editorCamera_) {
    editorCamera_ = BaseObject::Alloc(Ocamera);
    editorCamera_->SetName("Editor Camera");
    // Until the view frames the document, the camera frames an object of the host's default
    // size at the origin.
    Real focus;
    editorCamera_->SetMl(host::DefaultEditorView(&focus));
    editorCamera_->GetDataInstance()->SetReal(CAMERAOBJECT_TARGETDISTANCE, focus);
  }
  return editorCamera_;
}

void BaseDraw::PlaceEditorCamera(const Matrix& mg, Real focusDistance) {
  BaseObject* cam = GetEditorCamera();
  cam->SetMl(mg);
  cam->GetDataInstance()->SetReal(CAMERAOBJECT_TARGETDISTANCE, focusDistance);
  editorPlaced_ = true;
}

Real BaseDraw::NearDepth() { return kNearDepth; }

void BaseDraw::SetFrameSize(LONG width, LONG height) {
  width_ = std::max<LONG>(width, 1);
  height_ = std::max<LONG>(height, 1);
}

void BaseDraw::GetFrame(LONG* left, LONG* top, LONG* right, LONG* bottom) const {
  if (left) *left = 0;
  if (top) *top = 0;
  if (right) *right = width_ - 1;
  if (bottom) *bottom = height_ - 1;
}

void BaseDraw::GetSafeFrame(LONG* from, LONG* to, LONG* orientation) const {
  LONG xres = 0, yres = 0;
  const BaseDocument* doc = GetDocument();
  if (const RenderData* rd = doc ? doc->GetActiveRenderData() : nullptr) {
    xres = rd->GetDataInstance()->GetLong(RDATA_XRES, 0);
    yres = rd->GetDataInstance()->GetLong(RDATA_YRES, 0);
  }
  LONG f = 0, t = width_ - 1, o = SAFEFRAME_HORIZONTAL;
  if (xres > 0 && yres > 0) {
    const double renderAspect = double(xres) / double(yres);
    if (double(width_) / double(height_) > renderAspect) {
      const LONG w = std::clamp<LONG>(LONG(std::lround(height_ * renderAspect)), 1, width_);
      f = (width_ - w) / 2;
      t = f + w - 1;
    } else {
      const LONG h = std::clamp<LONG>(LONG(std::lround(width_ / renderAspect)), 1, height_);
      f = (height_ - h) / 2;
      t = f + h - 1;
      o = SAFEFRAME_VERTICAL;
    }
  }
  if (from) *from = f;
  if (to) *to = t;
  if (orientation) *orientation = o;
}

Matrix BaseDraw::CameraFrame() const {
  const BaseObject* cam = GetSceneCamera(GetDocument());
  if (!cam) return Matrix();
  const Matrix m = cam->GetMg();
  const Vector z = !m.v3;
  const Vector y = !(m.v2 - z * (z * m.v2));
  // In the host's left-handed axes x = y % z completes a rotation.
  return Matrix(m.off, y % z, y, z);
}

Vector BaseDraw::WC(const Vector& p) const {
  const Matrix f = CameraFrame();
  const Vector d = p - f.off;
  return Vector(d * f.v1, d * f.v2, d * f.v3);
}

Vector BaseDraw::CS(const Vector& p) const {
  Real focal = 36.0f, film = 36.0f, offsetX = 0, offsetY = 0;
  if (const BaseObject* cam = GetSceneCamera(GetDocument())) {
    const BaseContainer* bc = cam->GetDataInstance();
    focal = bc->GetReal(CAMERA_FOCUS, 36.0f);
    film = bc->GetReal(CAMERAOBJECT_APERTURE, 36.0f);
    offsetX = bc->GetReal(CAMERAOBJECT_FILM_OFFSET_X, 0.0f);
    offsetY = bc->GetReal(CAMERAOBJECT_FILM_OFFSET_Y, 0.0f);
  }
  if (film <= 0) film = 36.0f;
  LONG from, to, orientation;
  GetSafeFrame(&from, &to, &orientation);
  Real left = 0, top = 0, width = Real(width_), height = Real(height_);
  if (orientation == SAFEFRAME_HORIZONTAL) {
    left = Real(from);
    width = Real(to - from + 1);
  } else {
    top = Real(from);
    height = Real(to - from + 1);
  }
  // The film width spans the safe frame's width; y grows downwards on the screen. A film
  // offset moves the image window over the film as the exporter's lens shift does: to the
  // right for a positive x offset, down for a positive y offset (the shift up is minus the
  // offset); the scene moves the other way in the picture.
  const Real pixelsPerUnit = width * focal / film;
  const Real z = std::max(p.z, kNearDepth);
  return Vector(left + width * (0.5f - offsetX) + pixelsPerUnit * p.x / z,
                top + height * (0.5f - offsetY) - pixelsPerUnit * p.y / z, p.z);
}

bool BaseDraw::ProjectLine(const Vector& a, const Vector& b, Vector* sa, Vector* sb) const {
  Vector ca = WC(a), cb = WC(b);
  if (ca.z < kNearDepth && cb.z < kNearDepth) return false;
  // Cut the part behind the near depth.
  if (ca.z < kNearDepth) ca = AtNearDepth(ca, cb);
  else if (cb.z < kNearDepth) cb = AtNearDepth(cb, ca);
  *sa = CS(ca);
  *sb = CS(cb);
  return true;
}

std::vector<Vector> BaseDraw::ProjectPolygon(const Vector* points, size_t count) const {
  // The polygon in camera coordinates, cut by the near depth (one plane of Sutherland and
  // Hodgman's clipping), then projected.
  std::vector<Vector> out;
  if (count == 0) return out;
  Vector prev = WC(points[count - 1]);
  for (size_t i = 0; i < count; i++) {
    const Vector cur = WC(points[i]);
    const bool curIn = cur.z >= kNearDepth, prevIn = prev.z >= kNearDepth;
    if (curIn != prevIn) out.push_back(AtNearDepth(prev, cur));
    if (curIn) out.push_back(cur);
    prev = cur;
  }
  for (Vector& v : out) v = CS(v);
  return out;
}

void BaseDraw::Line2D(const Vector& p1, const Vector& p2) { lines_.push_back(DrawnLine{p1, p2, pen_, true, stroke_}); }

void BaseDraw::Line3D(const Vector& p1, const Vector& p2) { lines_.push_back(DrawnLine{p1, p2, pen_, false, stroke_}); }

void BaseDraw::DrawPolygon(const Vector* p, const Vector* f, Bool quad) {
  if (!p) return;
  DrawnPolygon poly;
  poly.points.assign(p, p + (quad ? 4 : 3));
  poly.color = f ? f[0] : pen_;
  polygons_.push_back(std::move(poly));
}

Bool BaseDraw::DrawPolygonObject(BaseDrawHelp* bh, BaseObject* op, LONG flags) {
  if (!op || op->GetType() != Opolygon) return FALSE;
  const PolygonObject* poly = static_cast<const PolygonObject*>(op);
  const Matrix m = bh && (flags & DRAW_POLYGONOBJECT_NOMATRIX) ? bh->GetMg() : op->GetMg();
  const Vector* pts = poly->GetPointR();
  const LONG count = poly->GetPointCount();
  for (LONG i = 0; i < poly->GetPolygonCount(); i++) {
    const CPolygon& c = poly->GetPolygonR()[i];
    if (c.a >= count || c.b >= count || c.c >= count || c.d >= count || c.a < 0 || c.b < 0 || c.c < 0 || c.d < 0) continue;
    const bool quad = c.c != c.d;
    const Vector corners[4] = {m * pts[c.a], m * pts[c.b], m * pts[c.c], m * pts[c.d]};
    DrawPolygon(corners, nullptr, quad);
  }
  return TRUE;
}

void BaseDraw::ClearDrawing() {
  lines_.clear();
  polygons_.clear();
  stroke_ = 0;
}
