#include "host/EditorCamera.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "host/ViewGeometry.h"

namespace host {

namespace {

// The part of the image's width and height the framed objects may take; the rest is margin.
const Real kFill = 0.95f;
// The size of what the camera frames when there is nothing to frame: the host's default cube.
const Real kDefaultRadius = 100.0f;

// The editor camera's axes: it looks 30 degrees to the left and 25 degrees down, so it stands
// in front of what it frames (at smaller z), to the right and above.
Matrix EditorAxes() {
  const double heading = 30.0 * pi / 180.0, pitch = 25.0 * pi / 180.0;
  const Vector z(Real(-std::sin(heading) * std::cos(pitch)), Real(-std::sin(pitch)), Real(std::cos(heading) * std::cos(pitch)));
  const Vector y = !(Vector(0, 1, 0) - z * z.y);
  // In the host's left-handed axes x = y % z completes a rotation.
  return Matrix(Vector(), y % z, y, z);
}

// Finds the camera position, along fixed axes, from which a set of balls (points when their
// radius is 0) fills as much of the image as the margin allows. For each side of the image
// the ball reaching furthest beyond that side's plane through the origin decides; the
// opposite sides together fix the distance and the centring. With tangents tH and tV of half
// the angles of view, a ball (x, y, z) of radius r is inside the right side when
// x - cx - tH (z - cz) <= -r sqrt(1 + tH^2).
class Framer {
 public:
  Framer(const Matrix& axes, Real tanH, Real tanV) : axes_(axes), tanH_(tanH), tanV_(tanV) {}

  void Add(const Vector& world, Real radius) {
    if (!std::isfinite(world.x) || !std::isfinite(world.y) || !std::isfinite(world.z) || !std::isfinite(radius)) return;
    const double x = world * axes_.v1, y = world * axes_.v2, z = world * axes_.v3;
    const double rh = radius * std::sqrt(1.0 + double(tanH_) * tanH_), rv = radius * std::sqrt(1.0 + double(tanV_) * tanV_);
    right_ = std::max(right_, x - tanH_ * z + rh);
    left_ = std::max(left_, -x - tanH_ * z + rh);
    top_ = std::max(top_, y - tanV_ * z + rv);
    bottom_ = std::max(bottom_, -y - tanV_ * z + rv);
    for (int k = 0; k < 3; k++) {
      const double c = k == 0 ? world.x : k == 1 ? world.y : world.z;
      lo_[k] = std::min(lo_[k], c - radius);
      hi_[k] = std::max(hi_[k], c + radius);
    }
    count_++;
  }
  size_t Count() const { return count_; }
  Vector Centre() const { return Vector(Real((lo_[0] + hi_[0]) / 2), Real((lo_[1] + hi_[1]) / 2), Real((lo_[2] + hi_[2]) / 2)); }
  double Size() const { return std::max({hi_[0] - lo_[0], hi_[1] - lo_[1], hi_[2] - lo_[2]}); }

  // The camera's global matrix; `focus` gets the depth of the balls' centre.
  Matrix Camera(Real* focus) const {
    const double czH = -(right_ + left_) / (2.0 * tanH_), czV = -(top_ + bottom_) / (2.0 * tanV_);
    const double cx = (right_ - left_) / 2.0, cy = (top_ - bottom_) / 2.0, cz = std::min(czH, czV);
    Matrix m = axes_;
    m.off = axes_.v1 * Real(cx) + axes_.v2 * Real(cy) + axes_.v3 * Real(cz);
    *focus = (Centre() - m.off) * axes_.v3;
    return m;
  }

 private:
  Matrix axes_;
  double tanH_, tanV_;
  double right_ = -std::numeric_limits<double>::infinity(), left_ = right_, top_ = right_, bottom_ = right_;
  double lo_[3] = {std::numeric_limits<double>::infinity(), lo_[0], lo_[0]};
  double hi_[3] = {-std::numeric_limits<double>::infinity(), hi_[0], hi_[0]};
  size_t count_ = 0;
};

// Tangents of half the editor camera's angles of view, less the margin.
void ViewTangents(const BaseDocument* doc, Real* tanH, Real* tanV) {
  const BaseContainer* cam = doc->GetRenderBaseDraw()->GetEditorCamera()->GetDataInstance();
  const Real focal = cam->GetReal(CAMERA_FOCUS, 36.0f), film = cam->GetReal(CAMERAOBJECT_APERTURE, 36.0f);
  LONG xres = 0, yres = 0;
  if (const RenderData* rd = doc->GetActiveRenderData()) {
    xres = rd->GetDataInstance()->GetLong(RDATA_XRES, 0);
    yres = rd->GetDataInstance()->GetLong(RDATA_YRES, 0);
  }
  const Real aspect = xres > 0 && yres > 0 ? Real(xres) / Real(yres) : 4.0f / 3.0f;
  *tanH = (focal > 0 && film > 0 ? film / (2 * focal) : 0.5f) * kFill;
  *tanV = *tanH / aspect;
}

void AddSurfaces(BaseObject* op, const Matrix& parent, BaseDocument* doc, Framer& framer) {
  for (; op; op = op->GetNext()) {
    const Matrix mg = parent * op->GetMl();
    if (IsShown(op, doc, Visibility::Editor)) {
      ViewGeometry g;
      AddViewGeometry(op, mg, g);
      for (const auto& [poly, m] : g.polygons)
        for (LONG i = 0; i < poly->GetPointCount(); i++) framer.Add(m * poly->GetPointR()[i], 0);
      for (const ViewSphere& s : g.spheres) framer.Add(s.centre, std::fabs(s.radius));
    }
    AddSurfaces(op->GetDown(), mg, doc, framer);
  }
}

void AddPositions(BaseObject* op, const Matrix& parent, BaseDocument* doc, Framer& framer) {
  for (; op; op = op->GetNext()) {
    const Matrix mg = parent * op->GetMl();
    if (IsShown(op, doc, Visibility::Editor)) framer.Add(mg.off, 0);
    AddPositions(op->GetDown(), mg, doc, framer);
  }
}

}  // namespace

Matrix DefaultEditorView(Real* focus) {
  Framer framer(EditorAxes(), 0.5f * kFill, 0.5f * kFill);
  framer.Add(Vector(), kDefaultRadius);
  return framer.Camera(focus);
}

void FrameEditorCamera(BaseDocument* doc) {
  BaseDraw* bd = doc->GetRenderBaseDraw();
  Real tanH, tanV;
  ViewTangents(doc, &tanH, &tanV);
  Framer framer(EditorAxes(), tanH, tanV);
  AddSurfaces(doc->GetFirstObject(), Matrix(), doc, framer);
  if (framer.Count() == 0) AddPositions(doc->GetFirstObject(), Matrix(), doc, framer);
  // A single point, or nothing at all, is framed as an object of the default size.
  if (framer.Count() == 0 || !(framer.Size() > 1e-3)) {
    const Vector centre = framer.Count() ? framer.Centre() : Vector();
    framer = Framer(EditorAxes(), tanH, tanV);
    framer.Add(centre, kDefaultRadius);
  }
  Real focus;
  const Matrix mg = framer.Camera(&focus);
  bd->PlaceEditorCamera(mg, focus);
  GePrint("No render camera: the view renders through the editor camera, framed on every visible object");
}

}  // namespace host
