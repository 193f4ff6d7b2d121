#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "Subcommand.h"
#include "host/PluginRegistry.h"

namespace cli {
namespace {

struct WorldLine {
  Vector a, b;
};

// One object's wireframe in world coordinates, drawn in its display colour.
struct Wireframe {
  std::vector<WorldLine> lines;
  Vector color;
};

const Vector kDefaultObjectColor(0.8f, 0.8f, 0.8f);

Vector DisplayColor(BaseObject* op, BaseDocument* doc) {
  const BaseContainer* bc = op->GetDataInstance();
  switch (bc->GetLong(ID_BASEOBJECT_USECOLOR, ID_BASEOBJECT_USECOLOR_OFF)) {
    case ID_BASEOBJECT_USECOLOR_ALWAYS: return bc->GetVector(ID_BASEOBJECT_COLOR, kDefaultObjectColor);
    case ID_BASEOBJECT_USECOLOR_LAYER:
      if (const LayerData* layer = op->GetLayerData(doc)) return layer->color;
      return kDefaultObjectColor;
    default: return kDefaultObjectColor;
  }
}

void AddPolygonEdges(const PolygonObject* poly, const Matrix& mg, std::vector<WorldLine>& out) {
  const LONG count = poly->GetPointCount();
  const Vector* points = poly->GetPointR();
  std::set<std::pair<LONG, LONG>> edges;
  auto edge = [&](LONG a, LONG b) {
    if (a < 0 || b < 0 || a >= count || b >= count || a == b) return;
    if (edges.insert({std::min(a, b), std::max(a, b)}).second) out.push_back(WorldLine{mg * points[a], mg * points[b]});
  };
  for (LONG i = 0; i < poly->GetPolygonCount(); i++) {
    const CPolygon& p = poly->GetPolygonR()[i];
    edge(p.a, p.b);
    edge(p.b, p.c);
    edge(p.c, p.d);
    edge(p.d, p.a);
  }
}

void AddBox(const Vector& centre, const Vector& radius, const Matrix& mg, std::vector<WorldLine>& out) {
  Vector corner[8];
  for (int i = 0; i < 8; i++)
    corner[i] = mg * (centre + Vector(i & 1 ? radius.x : -radius.x, i & 2 ? radius.y : -radius.y, i & 4 ? radius.z : -radius.z));
  const int edges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3}, {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
  for (const auto& e : edges) out.push_back(WorldLine{corner[e[0]], corner[e[1]]});
}

void AddAxisCross(const Matrix& mg, std::vector<WorldLine>& out) {
  const Real size = 20.0f;  // host units
  out.push_back(WorldLine{mg * Vector(-size, 0, 0), mg * Vector(size, 0, 0)});
  out.push_back(WorldLine{mg * Vector(0, -size, 0), mg * Vector(0, size, 0)});
  out.push_back(WorldLine{mg * Vector(0, 0, -size), mg * Vector(0, 0, size)});
}

// The geometry of a generator's cache: its polygon objects, children included.
void AddCache(BaseObject* op, const Matrix& parent, std::vector<WorldLine>& out) {
  for (; op; op = op->GetNext()) {
    const Matrix mg = parent * op->GetMl();
    if (op->GetCache()) AddCache(op->GetCache(), mg, out);
    else if (op->GetType() == Opolygon) AddPolygonEdges(static_cast<PolygonObject*>(op), mg, out);
    AddCache(op->GetDown(), mg, out);
  }
}

// What the view shows of an object: its cache, its polygons, a primitive's bounds, or an
// axis cross for anything without a surface.
std::vector<WorldLine> ObjectLines(BaseObject* op, const Matrix& mg) {
  std::vector<WorldLine> lines;
  const BaseContainer* bc = op->GetDataInstance();
  if (op->GetCache()) {
    AddCache(op->GetCache(), mg, lines);
  } else if (op->GetType() == Opolygon) {
    AddPolygonEdges(static_cast<PolygonObject*>(op), mg, lines);
  } else if (op->GetType() == Ocube) {
    AddBox(Vector(), bc->GetVector(PRIM_CUBE_LEN, Vector(200, 200, 200)) * 0.5f, mg, lines);
  } else if (op->GetType() == Osphere) {
    AddBox(Vector(), Vector(bc->GetReal(PRIM_SPHERE_RAD, 100.0f)), mg, lines);
  } else {
    AddAxisCross(mg, lines);
  }
  return lines;
}

bool IsPluginNode(BaseList2D* node, host::PluginKind kind) {
  const host::PluginRecord* rec = host::PluginRegistry::Get().Find(node->GetType());
  return rec && rec->kind == kind && node->GetNodeData();
}

// Walks the objects: collects their wireframes and lets the plug-in's objects and tags draw
// into the view, each with its global matrix.
class ViewWalk {
 public:
  ViewWalk(BaseDocument* doc, BaseDraw* bd, BaseObject* camera) : doc_(doc), bd_(bd), camera_(camera) {}
  void Walk(BaseObject* op, const Matrix& parent) {
    for (; op; op = op->GetNext()) {
      const Matrix mg = parent * op->GetMl();
      Visit(op, mg);
      Walk(op->GetDown(), mg);
    }
  }
  const std::vector<Wireframe>& wireframes() const { return wireframes_; }

 private:
  void Visit(BaseObject* op, const Matrix& mg) {
    if (op != camera_ && op->GetEditorMode() != MODE_OFF) wireframes_.push_back(Wireframe{ObjectLines(op, mg), DisplayColor(op, doc_)});
    BaseDrawHelp bh(bd_, doc_);
    bh.SetMg(mg);
    if (IsPluginNode(op, host::PluginKind::Object))
      static_cast<ObjectData*>(op->GetNodeData())->Draw(op, DRAWPASS_OBJECT, bd_, &bh);
    for (BaseTag* tag = op->GetFirstTag(); tag; tag = tag->GetNext())
      if (IsPluginNode(tag, host::PluginKind::Tag)) static_cast<TagData*>(tag->GetNodeData())->Draw(tag, op, bd_, &bh);
  }

  BaseDocument* doc_;
  BaseDraw* bd_;
  BaseObject* camera_;
  std::vector<Wireframe> wireframes_;
};

// ---- SVG ----

std::string Num(Real v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", double(v));
  return buf;
}

std::string Colour(const Vector& c) {
  auto channel = [](Real v) { return int(std::min(std::max(v, 0.0f), 1.0f) * 255.0f + 0.5f); };
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", channel(c.x), channel(c.y), channel(c.z));
  return buf;
}

std::string LineElement(const Vector& a, const Vector& b, const Vector& color) {
  return "<line x1=\"" + Num(a.x) + "\" y1=\"" + Num(a.y) + "\" x2=\"" + Num(b.x) + "\" y2=\"" + Num(b.y) +
         "\" stroke=\"" + Colour(color) + "\"/>\n";
}

std::string Svg(const BaseDraw& bd, const std::vector<Wireframe>& wireframes) {
  const LONG width = bd.GetFrameWidth(), height = bd.GetFrameHeight();
  LONG from, to, orientation;
  bd.GetSafeFrame(&from, &to, &orientation);
  const bool horizontal = orientation == SAFEFRAME_HORIZONTAL;
  const LONG sx = horizontal ? from : 0, sy = horizontal ? 0 : from;
  const LONG sw = horizontal ? to - from + 1 : width, sh = horizontal ? height : to - from + 1;

  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height << "\" viewBox=\"0 0 "
      << width << " " << height << "\">\n";
  svg << "<rect width=\"" << width << "\" height=\"" << height << "\" fill=\"#2b2b2b\"/>\n";
  svg << "<rect id=\"safe-frame\" x=\"" << sx << "\" y=\"" << sy << "\" width=\"" << sw << "\" height=\"" << sh
      << "\" fill=\"#3c3c3c\" stroke=\"#9a9a9a\" stroke-dasharray=\"4 3\"/>\n";
  svg << "<g id=\"objects\" stroke-width=\"1\" fill=\"none\">\n";
  for (const Wireframe& w : wireframes)
    for (const WorldLine& l : w.lines) {
      Vector a, b;
      if (bd.ProjectLine(l.a, l.b, &a, &b)) svg << LineElement(a, b, w.color);
    }
  svg << "</g>\n<g id=\"node-drawing\" stroke-width=\"1.5\">\n";
  for (const BaseDraw::DrawnPolygon& p : bd.GetDrawnPolygons()) {
    std::string points;
    bool inFront = true;
    for (const Vector& v : p.points) {
      inFront = inFront && bd.WC(v).z > 0;
      const Vector s = bd.WS(v);
      points += Num(s.x) + "," + Num(s.y) + " ";
    }
    if (inFront) svg << "<polygon points=\"" << points << "\" fill=\"" << Colour(p.color) << "\" fill-opacity=\"0.5\"/>\n";
  }
  for (const BaseDraw::DrawnLine& l : bd.GetDrawnLines()) {
    Vector a = l.a, b = l.b;
    if (l.screen || bd.ProjectLine(l.a, l.b, &a, &b)) svg << LineElement(a, b, l.color);
  }
  svg << "</g>\n</svg>\n";
  return svg.str();
}

// Written beside the target and renamed over it, so a failed write leaves no half file.
void WriteFileAtomically(const std::string& path, const std::string& text) {
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
      std::remove(tmp.c_str());
      throw CommandError("cannot write " + path);
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    throw CommandError("cannot write " + path);
  }
}

class ViewCommand : public Subcommand {
 public:
  const char* Name() const override { return "view"; }
  const char* Description() const override {
    return "draw the render view through the scene camera as an SVG: wireframes, safe frame, the plug-in's drawing";
  }
  void Setup(CLI::App& app) override {
    app.add_option("DOC", docPath_, "the document")->required()->check(CLI::ExistingFile);
    app.add_option("-o,--output", output_, "the SVG file to write")->required();
    app.add_option("--width", width_, "width of the view in pixels")->check(CLI::Range(16, 8192));
    app.add_option("--height", height_, "height of the view in pixels")->check(CLI::Range(16, 8192));
  }
  int Run(Session& session) override {
    BaseDocument* doc = session.OpenDocument(docPath_);
    // The view shows the document evaluated at its current time, caches built.
    doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE);
    BaseDraw* bd = doc->GetRenderBaseDraw();
    BaseObject* camera = bd->GetSceneCamera(doc);
    if (!camera) throw CommandError(docPath_ + ": the document has no scene camera to look through (set \"renderCamera\")");
    bd->SetFrameSize(width_, height_);
    bd->ClearDrawing();
    ViewWalk walk(doc, bd, camera);
    walk.Walk(doc->GetFirstObject(), Matrix());
    WriteFileAtomically(output_, Svg(*bd, walk.wireframes()));
    return 0;
  }

 private:
  std::string docPath_, output_;
  LONG width_ = 960, height_ = 540;
};

SubcommandRegistrar registrar([] { return std::make_unique<ViewCommand>(); });

}  // namespace
}  // namespace cli
