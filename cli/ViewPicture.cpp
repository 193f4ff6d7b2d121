#include "ViewPicture.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

namespace cli {

namespace {

// Corners of the outline drawn for a sphere.
const int kSphereOutlineCorners = 256;
// Lines stroked at once: Cairo strokes a path in a time that grows faster than its length
// (a million edges in one path take minutes, in paths of this size seconds).
const int kStrokeBatch = 256;

void SetColour(cairo_t* cr, const Vector& c, double alpha = 1.0) {
  auto channel = [](Real v) { return std::min(std::max(double(v), 0.0), 1.0); };
  cairo_set_source_rgba(cr, channel(c.x), channel(c.y), channel(c.z), alpha);
}

// A valid and unique SVG id for an object path: "object-" and the path's letters and digits.
std::string GroupId(const std::string& path, std::set<std::string>& used) {
  std::string id = "object";
  for (char c : path) id += std::isalnum((unsigned char)c) || c == '_' ? c : '-';
  std::string unique = id;
  for (int n = 2; !used.insert(unique).second; n++) unique = id + "-" + std::to_string(n);
  return unique;
}

// The outline of a sphere as the camera at `eye` sees it: the circle where the lines from the
// eye touch the sphere, as world points (in perspective its picture is an ellipse, a circle
// of the projected radius where the sphere is straight ahead). False when the eye is inside.
bool SphereOutline(const host::ViewSphere& s, const Vector& eye, std::vector<Vector>& out) {
  const Vector v = s.centre - eye;
  const Real d = Len(v), r = std::fabs(s.radius);
  if (!(d > r)) return false;
  const Vector axis = v / d;
  const Vector helper = std::fabs(axis.x) < 0.9f ? Vector(1, 0, 0) : Vector(0, 1, 0);
  const Vector u = !(axis % helper), w = axis % u;
  const Vector centre = eye + axis * ((d * d - r * r) / d);
  const Real radius = r * std::sqrt(d * d - r * r) / d;
  out.clear();
  for (int k = 0; k < kSphereOutlineCorners; k++) {
    const double a = 2.0 * pi * k / kSphereOutlineCorners;
    out.push_back(centre + (u * Real(std::cos(a)) + w * Real(std::sin(a))) * radius);
  }
  return true;
}

void AddLine(cairo_t* cr, const Vector& a, const Vector& b) {
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
}

// Adds a screen polygon as a closed path, turned counter-clockwise in user space whichever
// way it came, so that a nonzero fill of many of them covers their union even where front
// and back faces overlap. Returns false for a polygon without area.
bool AddFillPolygon(cairo_t* cr, const std::vector<Vector>& p) {
  if (p.size() < 3) return false;
  double area = 0;
  for (size_t i = 0; i < p.size(); i++) {
    const Vector& a = p[i];
    const Vector& b = p[(i + 1) % p.size()];
    area += double(a.x) * b.y - double(b.x) * a.y;
  }
  if (area == 0 || !std::isfinite(area)) return false;
  for (size_t i = 0; i < p.size(); i++) {
    const Vector& v = area > 0 ? p[i] : p[p.size() - 1 - i];
    if (i == 0) cairo_move_to(cr, v.x, v.y);
    else cairo_line_to(cr, v.x, v.y);
  }
  cairo_close_path(cr);
  return true;
}

std::vector<Vector> Corners(const PolygonObject& poly, const Matrix& mg, const CPolygon& c) {
  const LONG count = poly.GetPointCount();
  const LONG idx[4] = {c.a, c.b, c.c, c.d};
  std::vector<Vector> corners;
  for (int k = 0; k < (c.c == c.d ? 3 : 4); k++) {
    if (idx[k] < 0 || idx[k] >= count) return {};
    corners.push_back(mg * poly.GetPointR()[idx[k]]);
  }
  return corners;
}

class Painter {
 public:
  Painter(ViewCanvas& canvas, const BaseDraw& bd) : canvas_(canvas), bd_(bd) {
    const BaseObject* cam = bd.GetSceneCamera(bd.GetDocument());
    eye_ = cam ? cam->GetMg().off : Vector();
  }

  void WireBackground() {
    cairo_t* cr = canvas_.BeginGroup("background", "view frame and safe frame");
    canvas_.PaintBackground(cr, 0x2b / 255.0, 0x2b / 255.0, 0x2b / 255.0);
    LONG from, to, orientation;
    bd_.GetSafeFrame(&from, &to, &orientation);
    const bool horizontal = orientation == SAFEFRAME_HORIZONTAL;
    const double w = bd_.GetFrameWidth(), h = bd_.GetFrameHeight();
    const double x = horizontal ? from : 0, y = horizontal ? 0 : from;
    const double sw = horizontal ? to - from + 1 : w, sh = horizontal ? h : to - from + 1;
    cairo_rectangle(cr, x + 0.5, y + 0.5, sw - 1, sh - 1);
    cairo_set_source_rgb(cr, 0x3c / 255.0, 0x3c / 255.0, 0x3c / 255.0);
    cairo_fill_preserve(cr);
    const double dash[2] = {4, 3};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgb(cr, 0x9a / 255.0, 0x9a / 255.0, 0x9a / 255.0);
    cairo_stroke(cr);
    canvas_.EndGroup();
  }

  void Wireframe(const ViewObject& o, const std::string& id) {
    cairo_t* cr = canvas_.BeginGroup(id, o.path);
    cairo_set_line_width(cr, 1);
    SetColour(cr, o.color);
    for (const auto& [poly, mg] : o.surface.polygons) AddEdges(cr, *poly, mg);
    std::vector<Vector> outline;
    for (const host::ViewSphere& s : o.surface.spheres)
      if (SphereOutline(s, eye_, outline)) AddClosedLine(cr, outline);
    if (o.surface.Empty()) AddAxisCross(cr, o.mg);
    cairo_stroke(cr);
    pending_ = 0;
    canvas_.EndGroup();
  }

  void NodeDrawing() {
    cairo_t* cr = canvas_.BeginGroup("node-drawing", "drawing of plug-in objects and tags");
    cairo_set_line_width(cr, 1.5);
    for (const BaseDraw::DrawnPolygon& p : bd_.GetDrawnPolygons()) {
      if (!AddFillPolygon(cr, bd_.ProjectPolygon(p.points.data(), p.points.size()))) continue;
      SetColour(cr, p.color, 0.5);
      cairo_fill(cr);
    }
    for (const BaseDraw::DrawnLine& l : bd_.GetDrawnLines()) {
      Vector a = l.a, b = l.b;
      if (!l.screen && !bd_.ProjectLine(l.a, l.b, &a, &b)) continue;
      AddLine(cr, a, b);
      SetColour(cr, l.color);
      cairo_stroke(cr);
    }
    canvas_.EndGroup();
  }

  void MaskBackground() {
    cairo_t* cr = canvas_.BeginGroup("background", "uncovered");
    canvas_.PaintBackground(cr, 0, 0, 0);
    canvas_.EndGroup();
  }

  // Filled without antialiasing: a pixel is covered when its centre ((i + 0.5, j + 0.5) in
  // the picture's pixels) is inside a projected polygon or sphere outline; a centre exactly on
  // an edge counts for the polygon on its right or below it (Cairo's rule).
  void Mask(const ViewObject& o, const std::string& id) {
    if (o.surface.Empty()) return;
    cairo_t* cr = canvas_.BeginGroup(id, o.path);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    for (const auto& [poly, mg] : o.surface.polygons)
      for (LONG i = 0; i < poly->GetPolygonCount(); i++) {
        const std::vector<Vector> corners = Corners(*poly, mg, poly->GetPolygonR()[i]);
        if (!corners.empty()) AddFillPolygon(cr, bd_.ProjectPolygon(corners.data(), corners.size()));
      }
    std::vector<Vector> outline;
    for (const host::ViewSphere& s : o.surface.spheres) {
      if (SphereOutline(s, eye_, outline)) AddFillPolygon(cr, bd_.ProjectPolygon(outline.data(), outline.size()));
      else cairo_rectangle(cr, 0, 0, bd_.GetFrameWidth(), bd_.GetFrameHeight());
    }
    cairo_fill(cr);
    canvas_.EndGroup();
  }

 private:
  void AddEdges(cairo_t* cr, const PolygonObject& poly, const Matrix& mg) {
    const LONG count = poly.GetPointCount();
    std::vector<std::pair<LONG, LONG>> edges;
    edges.reserve(size_t(poly.GetPolygonCount()) * 4);
    auto edge = [&](LONG a, LONG b) {
      if (a >= 0 && b >= 0 && a < count && b < count && a != b) edges.emplace_back(std::min(a, b), std::max(a, b));
    };
    for (LONG i = 0; i < poly.GetPolygonCount(); i++) {
      const CPolygon& p = poly.GetPolygonR()[i];
      edge(p.a, p.b);
      edge(p.b, p.c);
      edge(p.c, p.d);
      edge(p.d, p.a);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    const Vector* points = poly.GetPointR();
    for (const auto& [a, b] : edges) AddWorldLine(cr, mg * points[a], mg * points[b]);
  }

  void AddClosedLine(cairo_t* cr, const std::vector<Vector>& world) {
    for (size_t k = 0; k < world.size(); k++) AddWorldLine(cr, world[k], world[(k + 1) % world.size()]);
  }

  // Three axes through the object's origin, each a tenth of the depth long, so the cross
  // keeps its size on the picture whatever the document's unit.
  void AddAxisCross(cairo_t* cr, const Matrix& mg) {
    const Real depth = bd_.WC(mg.off).z;
    if (!(depth > BaseDraw::NearDepth())) return;
    const Real size = depth * 0.05f;
    const Vector axes[3] = {!mg.v1, !mg.v2, !mg.v3};
    for (const Vector& axis : axes) AddWorldLine(cr, mg.off - axis * size, mg.off + axis * size);
  }

  void AddWorldLine(cairo_t* cr, const Vector& a, const Vector& b) {
    Vector sa, sb;
    if (!bd_.ProjectLine(a, b, &sa, &sb)) return;
    AddLine(cr, sa, sb);
    if (++pending_ < kStrokeBatch) return;
    cairo_stroke(cr);
    pending_ = 0;
  }

  ViewCanvas& canvas_;
  const BaseDraw& bd_;
  Vector eye_;
  int pending_ = 0;  // lines added since the last stroke
};

}  // namespace

std::string DrawViewPicture(ViewCanvas::Format format, const BaseDraw& bd, const std::vector<ViewObject>& objects,
                            ViewStyle style) {
  const bool mask = style == ViewStyle::Mask;
  ViewCanvas canvas(format, bd.GetFrameWidth(), bd.GetFrameHeight(), mask);
  Painter painter(canvas, bd);
  std::set<std::string> ids;
  if (mask) {
    painter.MaskBackground();
    for (const ViewObject& o : objects) painter.Mask(o, GroupId(o.path, ids));
  } else {
    painter.WireBackground();
    for (const ViewObject& o : objects) painter.Wireframe(o, GroupId(o.path, ids));
    painter.NodeDrawing();
  }
  return canvas.Finish();
}

}  // namespace cli
