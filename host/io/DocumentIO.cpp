#include "host/DocumentIO.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <nlohmann/json.hpp>

#include "host/BuiltinTypes.h"
#include "host/PluginRegistry.h"
#include "ReplaceFile.h"

namespace host {

using json = nlohmann::json;

namespace {

// Objects nest at most as deep as the scene import lets them; the JSON text a little more than
// twice as deep, for each object level is an array and an object, with room for the values of
// the deepest object. Both keep every recursion of reading and writing far from the stack's end.
const int kMaxObjectDepth = 1000;
const size_t kMaxJsonDepth = 2 * kMaxObjectDepth + 64;

// ---- paths of objects ------------------------------------------------------------------

// In a path, an object's name has '%', '/' and '#' written as "%25", "%2F" and "%23", so that
// '/' only separates levels and '#' only starts an ordinal. A '%' not followed by one of those
// three codes stands for itself, as in paths written before names were escaped.
std::string EscapeName(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '%') out += "%25";
    else if (c == '/') out += "%2F";
    else if (c == '#') out += "%23";
    else out += c;
  }
  return out;
}

std::string UnescapeName(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const std::string code = text.substr(i + 1, 2);
      const char c = code == "25" ? '%' : code == "2F" || code == "2f" ? '/' : code == "23" ? '#' : 0;
      if (c) {
        out += c;
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string SegmentOf(BaseObject* op) {
  const std::string name = op->GetName().str();
  int ordinal = 1;
  for (BaseObject* p = op->GetPred(); p; p = p->GetPred())
    if (p->GetName().str() == name) ordinal++;
  return ordinal == 1 ? EscapeName(name) : EscapeName(name) + "#" + std::to_string(ordinal);
}

BaseObject* FindSegment(BaseObject* first, const std::string& segment) {
  std::string name = segment;
  long ordinal = 1;
  size_t hash = segment.rfind('#');
  if (hash != std::string::npos && hash + 1 < segment.size() && hash + 11 > segment.size() &&
      segment.find_first_not_of("0123456789", hash + 1) == std::string::npos) {
    name = segment.substr(0, hash);
    ordinal = std::atol(segment.c_str() + hash + 1);
  }
  name = UnescapeName(name);
  for (BaseObject* op = first; op; op = op->GetNext())
    if (op->GetName().str() == name && --ordinal == 0) return op;
  return nullptr;
}

// ---- numbers ---------------------------------------------------------------------------

// The shortest decimal text that reads back as the same float, as a JSON number.
json RealToJson(Real r) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, r);
  double d = std::strtod(std::string(buf, res.ptr).c_str(), nullptr);
  return json(d);
}

// Angles are stored in degrees. Conversion goes through double precision so that reading a
// written document gives back the very same rotation.
Real DegreesToRadians(double deg) { return Real(deg * (3.14159265358979323846 / 180.0)); }

json AngleToJson(Real rad) {
  const double deg = double(rad) * (180.0 / 3.14159265358979323846);
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, float(deg));
  const double shortDeg = std::strtod(std::string(buf, res.ptr).c_str(), nullptr);
  return json(DegreesToRadians(shortDeg) == rad ? shortDeg : deg);
}

json VectorToJson(const Vector& v) { return json::array({RealToJson(v.x), RealToJson(v.y), RealToJson(v.z)}); }

// ---- places in a document -------------------------------------------------------------

// A place in the JSON text as the reader descends. Each step only points to the one above it,
// so going down a level copies nothing; the path becomes text ("$.objects[2].children[0]")
// only for a message.
class JsonPath {
 public:
  JsonPath() = default;
  // A step points to the path it was taken from, so steps are only taken from paths that stay
  // (named ones, not temporaries), and a key must outlive the path: a literal, or a key of the
  // JSON value being read.
  JsonPath Key(const char* key) const& { return JsonPath(this, key, 0, false); }
  JsonPath Key(const std::string& key) const& { return JsonPath(this, key, 0, false); }
  JsonPath Index(size_t index) const& { return JsonPath(this, std::string_view(), index, true); }
  JsonPath Key(std::string&&) const = delete;
  JsonPath Key(const char*) const&& = delete;
  JsonPath Key(const std::string&) const&& = delete;
  JsonPath Index(size_t) const&& = delete;

  std::string Text() const {
    std::vector<const JsonPath*> steps;
    for (const JsonPath* p = this; p->parent_; p = p->parent_) steps.push_back(p);
    std::string text = "$";
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
      if ((*it)->isIndex_) text += "[" + std::to_string((*it)->index_) + "]";
      else text += "." + std::string((*it)->key_);
    }
    return text;
  }

 private:
  JsonPath(const JsonPath* parent, std::string_view key, size_t index, bool isIndex)
      : parent_(parent), key_(key), index_(index), isIndex_(isIndex) {}

  const JsonPath* parent_ = nullptr;
  std::string_view key_;
  size_t index_ = 0;
  bool isIndex_ = false;
};

// ---- reading ---------------------------------------------------------------------------

class Reader {
 public:
  explicit Reader(std::string file) : file_(std::move(file)) {}

  BaseDocument* Read(const json& root) {
    std::unique_ptr<BaseDocument> doc(BaseDocument::Alloc());
    // The document's folder is where relative texture and IES names are looked up, so it is
    // named by its absolute path: a relative one would resolve against whatever folder the
    // host happens to run in.
    doc->SetDocumentName(Filename(AbsoluteDocumentPath(file_).c_str()));
    Expect(root.is_object(), root_, "the document must be a JSON object");
    ReadSettings(*doc, root);
    if (root.contains("layers")) ReadLayers(*doc, root["layers"], root_.Key("layers"));
    if (root.contains("materials")) ReadMaterials(*doc, root["materials"], root_.Key("materials"));
    if (root.contains("renderData")) ReadRenderData(*doc, root["renderData"], root_.Key("renderData"));
    // A document whose render data were all removed still renders as the host would: with a
    // fresh default render setting (800 x 600), never with a resolution of 0.
    if (!doc->GetFirstRenderData()) {
      RenderData* rd = RenderData::Alloc();
      doc->InsertRenderData(rd);
      doc->SetActiveRenderData(rd);
    }
    if (root.contains("objects")) ReadObjects(*doc, nullptr, root["objects"], root_.Key("objects"), 1);
    ResolveLinks(*doc);
    if (root.contains("renderCamera")) {
      const json& cam = root["renderCamera"];
      Expect(cam.is_string(), root_.Key("renderCamera"), "must be an object path");
      BaseObject* op = FindObjectByPath(doc.get(), cam.get<std::string>());
      Expect(op != nullptr, root_.Key("renderCamera"), "no object at '" + cam.get<std::string>() + "'");
      doc->GetRenderBaseDraw()->SetSceneCamera(op);
    }
    if (root.contains("activeObject")) {
      BaseObject* op = FindObjectByPath(doc.get(), String1(root["activeObject"], root_.Key("activeObject")));
      Expect(op != nullptr, root_.Key("activeObject"), "no object at that path");
      doc->SetActiveObject(op);
    }
    return doc.release();
  }

 private:
  struct PendingLink {
    BaseContainer* bc;
    LONG id;
    std::string kind;  // "object", "material" or "shader"
    BaseMaterial* owner;  // the material whose shader a "shader" link names
    std::string target;
    std::string where;
  };

  [[noreturn]] void Fail(const JsonPath& where, const std::string& what) const { FailAt(where.Text(), what); }
  [[noreturn]] void FailAt(const std::string& where, const std::string& what) const {
    throw DocumentError(file_ + ": " + where + ": " + what);
  }
  void Expect(bool ok, const JsonPath& where, const std::string& what) const {
    if (!ok) Fail(where, what);
  }
  std::string String1(const json& j, const JsonPath& where) const {
    Expect(j.is_string(), where, "must be a string");
    return j.get<std::string>();
  }
  // A number as the host's 32-bit float: one that does not fit is refused rather than read
  // as infinity.
  Real Number(const json& j, const JsonPath& where) const {
    Expect(j.is_number(), where, "must be a number");
    const double value = j.get<double>();
    Expect(std::fabs(value) <= double(std::numeric_limits<Real>::max()), where,
           "the number " + j.dump() + " does not fit in a 32-bit float");
    return Real(value);
  }
  // A whole number as the host's 32-bit LONG.
  LONG Long(const json& j, const JsonPath& where, const char* what = "must be a whole number") const {
    Expect(j.is_number_integer(), where, what);
    const bool fits = j.is_number_unsigned() ? j.get<uint64_t>() <= uint64_t(INT32_MAX)
                                             : j.get<int64_t>() >= INT32_MIN && j.get<int64_t>() <= INT32_MAX;
    Expect(fits, where, "the number " + j.dump() + " does not fit in 32 bits");
    return LONG(j.get<int64_t>());
  }
  // A whole number from first to last.
  LONG LongFrom(const json& j, const JsonPath& where, LONG first, LONG last, const char* what) const {
    const LONG value = Long(j, where, what);
    Expect(value >= first && value <= last, where, what);
    return value;
  }
  Vector Vec(const json& j, const JsonPath& where) const {
    Expect(j.is_array() && j.size() == 3, where, "must be an array of three numbers");
    return Vector(Number(j[0], where.Index(0)), Number(j[1], where.Index(1)), Number(j[2], where.Index(2)));
  }
  bool Flag(const json& j, const JsonPath& where) const {
    Expect(j.is_boolean(), where, "must be true or false");
    return j.get<bool>();
  }
  void CheckKeys(const json& j, const JsonPath& where, std::initializer_list<const char*> allowed) const {
    for (auto it = j.begin(); it != j.end(); ++it) {
      bool ok = false;
      for (const char* a : allowed) ok = ok || it.key() == a;
      Expect(ok, where, "unknown entry '" + it.key() + "'");
    }
  }

  void ReadSettings(BaseDocument& doc, const json& root) {
    if (root.contains("fps")) {
      doc.SetFps(LongFrom(root["fps"], root_.Key("fps"), 1, 1000, "must be a whole number from 1 to 1000"));
    }
    if (root.contains("unit")) {
      // The unit the document's lengths are in: the host's world unit preference.
      GetWorldContainerInstance()->SetLong(
          WPREF_UNITS_BASIC,
          LongFrom(root["unit"], root_.Key("unit"), 1, 10, "must be a whole number from 1 to 10 (1 km, 2 m, 3 cm, 4 mm, ...)"));
    }
    const LReal fps = doc.GetFps();
    if (root.contains("minFrame")) doc.SetMinTime(FrameTime(root["minFrame"], fps, root_.Key("minFrame")));
    if (root.contains("maxFrame")) doc.SetMaxTime(FrameTime(root["maxFrame"], fps, root_.Key("maxFrame")));
    if (root.contains("frame")) doc.SetTime(FrameTime(root["frame"], fps, root_.Key("frame")));
  }

  BaseTime FrameTime(const json& j, LReal fps, const JsonPath& where) const {
    BaseTime t(LReal(Long(j, where, "must be a whole frame number")), fps);
    t.Reduce();
    return t;
  }

  void ReadLayers(BaseDocument& doc, const json& arr, const JsonPath& where) {
    Expect(arr.is_array(), where, "must be an array");
    for (size_t i = 0; i < arr.size(); i++) {
      const JsonPath w = where.Index(i);
      const json& j = arr[i];
      Expect(j.is_object(), w, "must be an object");
      CheckKeys(j, w, {"name", "render", "view", "solo", "locked"});
      LayerObject* layer = LayerObject::Alloc();
      doc.GetLayerObjectRoot()->InsertLast(layer);
      layer->SetName(j.contains("name") ? String1(j["name"], w.Key("name")) : "Layer");
      LayerData d;
      if (j.contains("render")) d.render = Flag(j["render"], w.Key("render"));
      if (j.contains("view")) d.view = Flag(j["view"], w.Key("view"));
      if (j.contains("solo")) d.solo = Flag(j["solo"], w.Key("solo"));
      if (j.contains("locked")) d.locked = Flag(j["locked"], w.Key("locked"));
      layer->SetLayerData(d);
    }
  }

  LONG ResolveType(const json& t, const JsonPath& where) const {
    if (t.is_number_integer()) return Long(t, where);
    const std::string name = String1(t, where);
    LONG type;
    if (LookupBuiltinType(name, &type)) return type;
    if (const PluginRecord* rec = PluginRegistry::Get().FindByDescription(name)) return rec->id;
    Fail(where, "unknown type '" + name + "'");
  }

  void ReadMaterials(BaseDocument& doc, const json& arr, const JsonPath& where) {
    Expect(arr.is_array(), where, "must be an array");
    BaseMaterial* pred = nullptr;
    for (size_t i = 0; i < arr.size(); i++) {
      const JsonPath w = where.Index(i);
      const json& j = arr[i];
      Expect(j.is_object(), w, "must be an object");
      CheckKeys(j, w, {"type", "name", "data", "shaders", "active"});
      LONG type = j.contains("type") ? ResolveType(j["type"], w.Key("type")) : LONG(Mmaterial);
      BaseMaterial* mat = BaseMaterial::Alloc(type);
      Expect(mat != nullptr, w.Key("type"), "not a material type");
      doc.InsertMaterial(mat, pred);
      pred = mat;
      if (j.contains("name")) mat->SetName(String1(j["name"], w.Key("name")));
      // A selected material, as the material manager shows it.
      if (j.contains("active") && Flag(j["active"], w.Key("active"))) mat->SetBit(BIT_ACTIVE);
      if (j.contains("shaders")) ReadShaders(*mat, j["shaders"], w.Key("shaders"));
      currentMaterial_ = mat;
      if (j.contains("data")) ReadContainer(*mat->GetDataInstance(), j["data"], w.Key("data"), type);
      currentMaterial_ = nullptr;
    }
  }

  // A material's shaders; the material's channels link them by name.
  void ReadShaders(BaseMaterial& mat, const json& arr, const JsonPath& where) {
    Expect(arr.is_array(), where, "must be an array");
    BaseShader* pred = nullptr;
    for (size_t i = 0; i < arr.size(); i++) {
      const JsonPath w = where.Index(i);
      const json& j = arr[i];
      Expect(j.is_object(), w, "must be an object");
      CheckKeys(j, w, {"type", "name", "data"});
      Expect(j.contains("type"), w, "a shader needs a type");
      const LONG type = ResolveType(j["type"], w.Key("type"));
      BaseShader* sh = BaseShader::Alloc(type);
      Expect(sh != nullptr, w.Key("type"), "not a shader type the host or a loaded plug-in knows");
      mat.InsertShader(sh, pred);
      pred = sh;
      if (j.contains("name")) sh->SetName(String1(j["name"], w.Key("name")));
      if (j.contains("data")) ReadContainer(*sh->GetDataInstance(), j["data"], w.Key("data"), type);
    }
  }

  void ReadRenderData(BaseDocument& doc, const json& arr, const JsonPath& where) {
    Expect(arr.is_array(), where, "must be an array");
    // The document's own default render data is replaced by the file's.
    while (RenderData* rd = doc.GetFirstRenderData()) RenderData::Free(rd);
    RenderData* pred = nullptr;
    for (size_t i = 0; i < arr.size(); i++) {
      const JsonPath w = where.Index(i);
      const json& j = arr[i];
      Expect(j.is_object(), w, "must be an object");
      CheckKeys(j, w, {"name", "active", "data", "videoPosts"});
      RenderData* rd = RenderData::Alloc();
      doc.InsertRenderData(rd, pred);
      pred = rd;
      if (j.contains("name")) rd->SetName(String1(j["name"], w.Key("name")));
      if (j.contains("data")) ReadContainer(*rd->GetDataInstance(), j["data"], w.Key("data"), Rbase);
      if (i == 0 || (j.contains("active") && Flag(j["active"], w.Key("active")))) doc.SetActiveRenderData(rd);
      if (j.contains("videoPosts")) ReadVideoPosts(*rd, j["videoPosts"], w.Key("videoPosts"));
    }
  }

  void ReadVideoPosts(RenderData& rd, const json& arr, const JsonPath& where) {
    Expect(arr.is_array(), where, "must be an array");
    for (size_t i = 0; i < arr.size(); i++) {
      const JsonPath w = where.Index(i);
      const json& j = arr[i];
      Expect(j.is_object(), w, "must be an object");
      CheckKeys(j, w, {"type", "name", "enabled", "data"});
      Expect(j.contains("type"), w, "a video post needs a type");
      LONG type = ResolveType(j["type"], w.Key("type"));
      BaseVideoPost* vp = BaseVideoPost::Alloc(type);
      Expect(vp != nullptr, w.Key("type"), "not a video post type of a loaded plug-in");
      rd.InsertVideoPostLast(vp);
      if (j.contains("name")) vp->SetName(String1(j["name"], w.Key("name")));
      if (j.contains("enabled") && !Flag(j["enabled"], w.Key("enabled"))) vp->SetBit(BIT_VPDISABLED);
      if (j.contains("data")) ReadContainer(*vp->GetDataInstance(), j["data"], w.Key("data"), type);
    }
  }

  LONG RenderMode(const json& j, const JsonPath& where) const {
    const std::string m = String1(j, where);
    if (m == "on") return MODE_ON;
    if (m == "off") return MODE_OFF;
    if (m == "default") return MODE_UNDEF;
    Fail(where, "must be \"on\", \"off\" or \"default\"");
  }

  // depth: how deep the objects of this array stand in the hierarchy, 1 at the top.
  void ReadObjects(BaseDocument& doc, BaseObject* parent, const json& arr, const JsonPath& where, int depth) {
    Expect(arr.is_array(), where, "must be an array");
    Expect(depth <= kMaxObjectDepth, where, "objects nest more than " + std::to_string(kMaxObjectDepth) + " levels deep");
    BaseObject* pred = nullptr;
    for (size_t i = 0; i < arr.size(); i++) {
      const JsonPath w = where.Index(i);
      BaseObject* op = ReadObject(arr[i], w);
      doc.InsertObject(op, parent, pred);
      pred = op;
      if (arr[i].contains("layer")) {
        const std::string name = String1(arr[i]["layer"], w.Key("layer"));
        LayerObject* l = doc.GetFirstLayer();
        while (l && l->GetName().str() != name) l = l->GetNext();
        Expect(l != nullptr, w.Key("layer"), "no layer named '" + name + "'");
        op->SetLayerObject(l);
      }
      if (arr[i].contains("children")) ReadObjects(doc, op, arr[i]["children"], w.Key("children"), depth + 1);
    }
  }

  BaseObject* ReadObject(const json& j, const JsonPath& w) {
    Expect(j.is_object(), w, "must be an object");
    CheckKeys(j, w, {"type", "name", "position", "rotation", "scale", "render", "editor", "enabled", "layer",
                     "data", "tags", "children", "points", "polygons", "tracks", "active"});
    Expect(j.contains("type"), w, "an object needs a type");
    LONG type = ResolveType(j["type"], w.Key("type"));
    BaseObject* op = BaseObject::Alloc(type);
    Expect(op != nullptr, w.Key("type"), "not an object type the host or a loaded plug-in knows");
    std::unique_ptr<BaseObject> guard(op);
    op->SetName(j.contains("name") ? String1(j["name"], w.Key("name")) : String(host::BuiltinTypeName(type).c_str()));
    if (j.contains("position")) op->SetPos(Vec(j["position"], w.Key("position")));
    if (j.contains("rotation")) {
      const json& r = j["rotation"];
      Vec(r, w.Key("rotation"));  // checks the form
      op->SetRot(Vector(DegreesToRadians(r[0].get<double>()), DegreesToRadians(r[1].get<double>()),
                        DegreesToRadians(r[2].get<double>())));
    }
    if (j.contains("scale")) op->SetScale(Vec(j["scale"], w.Key("scale")));
    if (j.contains("render")) op->SetRenderMode(RenderMode(j["render"], w.Key("render")));
    if (j.contains("editor")) op->SetEditorMode(RenderMode(j["editor"], w.Key("editor")));
    if (j.contains("enabled")) op->SetDeformMode(Flag(j["enabled"], w.Key("enabled")));
    if (j.contains("active") && Flag(j["active"], w.Key("active"))) op->SetBit(BIT_ACTIVE);
    if (j.contains("data")) ReadContainer(*op->GetDataInstance(), j["data"], w.Key("data"), type);
    if (j.contains("points") || j.contains("polygons")) ReadPolygons(op, j, w);
    if (j.contains("tags")) ReadTags(op, j["tags"], w.Key("tags"));
    if (j.contains("tracks")) ReadTracks(op, j["tracks"], w.Key("tracks"));
    return guard.release();
  }

  void ReadPolygons(BaseObject* op, const json& j, const JsonPath& w) {
    Expect(op->GetType() == Opolygon, w, "only polygon objects have points and polygons");
    PolygonObject* poly = static_cast<PolygonObject*>(op);
    const json empty = json::array();
    const json& pts = j.contains("points") ? j["points"] : empty;
    const json& pls = j.contains("polygons") ? j["polygons"] : empty;
    Expect(pts.is_array(), w.Key("points"), "must be an array");
    Expect(pls.is_array(), w.Key("polygons"), "must be an array");
    Expect(pts.size() <= size_t(INT32_MAX) && pls.size() <= size_t(INT32_MAX) && poly->ResizeObject(LONG(pts.size()), LONG(pls.size())), w,
           "too many points or polygons for the host");
    const JsonPath points = w.Key("points"), polygons = w.Key("polygons");
    for (size_t i = 0; i < pts.size(); i++) poly->GetPointW()[i] = Vec(pts[i], points.Index(i));
    for (size_t i = 0; i < pls.size(); i++) {
      const JsonPath pw = polygons.Index(i);
      const json& p = pls[i];
      Expect(p.is_array() && (p.size() == 3 || p.size() == 4), pw, "must list three or four point indices");
      LONG idx[4];
      for (size_t k = 0; k < p.size(); k++) {
        const long long v = Long(p[k], pw, "point indices must be whole numbers");
        Expect(v >= 0 && v < (long long)pts.size(), pw, "point index " + std::to_string(v) + " is out of range");
        idx[k] = LONG(v);
      }
      poly->GetPolygonW()[i] = p.size() == 3 ? CPolygon(idx[0], idx[1], idx[2]) : CPolygon(idx[0], idx[1], idx[2], idx[3]);
    }
  }

  void ReadTags(BaseObject* op, const json& arr, const JsonPath& where) {
    Expect(arr.is_array(), where, "must be an array");
    BaseTag* pred = nullptr;
    for (size_t i = 0; i < arr.size(); i++) {
      const JsonPath w = where.Index(i);
      const json& j = arr[i];
      Expect(j.is_object(), w, "must be an object");
      CheckKeys(j, w, {"type", "name", "data", "uvw", "selection"});
      Expect(j.contains("type"), w, "a tag needs a type");
      LONG type = ResolveType(j["type"], w.Key("type"));
      BaseTag* tag = BaseTag::Alloc(type);
      Expect(tag != nullptr, w.Key("type"), "not a tag type the host or a loaded plug-in knows");
      op->InsertTag(tag, pred);
      pred = tag;
      if (j.contains("name")) tag->SetName(String1(j["name"], w.Key("name")));
      if (j.contains("data")) ReadContainer(*tag->GetDataInstance(), j["data"], w.Key("data"), type);
      if (j.contains("uvw")) ReadUVW(op, tag, j["uvw"], w.Key("uvw"));
      if (j.contains("selection")) ReadSelection(op, tag, j["selection"], w.Key("selection"));
    }
  }

  // One entry per polygon, each the [u, v, w] of the corners a, b, c and d. On a polygon
  // object the count must match its polygons, so no polygon reads another's coordinates.
  void ReadUVW(BaseObject* op, BaseTag* tag, const json& arr, const JsonPath& w) {
    Expect(tag->GetType() == Tuvw, w, "only UVW tags have texture coordinates");
    Expect(arr.is_array(), w, "must be an array with four [u, v, w] corners per polygon");
    if (op->GetType() == Opolygon) {
      const LONG polygons = static_cast<PolygonObject*>(op)->GetPolygonCount();
      Expect(arr.size() == size_t(polygons), w,
             "has " + std::to_string(arr.size()) + " entries but the object has " + std::to_string(polygons) + " polygons");
    }
    UVWTag* uvw = static_cast<UVWTag*>(tag);
    uvw->Resize(LONG(arr.size()));
    for (size_t i = 0; i < arr.size(); i++) {
      const JsonPath pw = w.Index(i);
      const json& p = arr[i];
      Expect(p.is_array() && p.size() == 4, pw, "must hold four [u, v, w] corners");
      uvw->Set(LONG(i), UVWStruct(Vec(p[0], pw.Index(0)), Vec(p[1], pw.Index(1)), Vec(p[2], pw.Index(2)), Vec(p[3], pw.Index(3))));
    }
  }

  // Indices and [first, last] ranges. On a polygon object they must name its polygons (or,
  // for a point selection, its points): the mesh builder trusts them.
  void ReadSelection(BaseObject* op, BaseTag* tag, const json& arr, const JsonPath& w) {
    const bool polygons = tag->GetType() == Tpolygonselection;
    Expect(polygons || tag->GetType() == Tpointselection, w, "only selection tags have a selection");
    Expect(arr.is_array(), w, "must be an array of indices and [first, last] ranges");
    long long limit = INT32_MAX;
    std::string what = "elements";
    if (op->GetType() == Opolygon) {
      PolygonObject* poly = static_cast<PolygonObject*>(op);
      limit = polygons ? poly->GetPolygonCount() : poly->GetPointCount();
      what = polygons ? "polygons" : "points";
    }
    auto index = [&](const json& v, const JsonPath& iw) {
      const long long n = Long(v, iw);
      Expect(n >= 0 && n < limit, iw, "index " + std::to_string(n) + " is out of range (the object has " + std::to_string(limit) + " " + what + ")");
      return LONG(n);
    };
    BaseSelect* sel = static_cast<SelectionTag*>(tag)->GetBaseSelect();
    for (size_t i = 0; i < arr.size(); i++) {
      const JsonPath iw = w.Index(i);
      const json& v = arr[i];
      if (v.is_array()) {
        Expect(v.size() == 2, iw, "a range must be [first, last]");
        const LONG a = index(v[0], iw.Index(0)), b = index(v[1], iw.Index(1));
        Expect(a <= b, iw, "a range must not end before it starts");
        sel->SelectAll(a, b);
      } else {
        sel->Select(index(v, iw));
      }
    }
  }

  void ReadTracks(BaseObject* op, const json& arr, const JsonPath& where) {
    Expect(arr.is_array(), where, "must be an array");
    for (size_t i = 0; i < arr.size(); i++) {
      const JsonPath w = where.Index(i);
      const json& j = arr[i];
      Expect(j.is_object() && j.contains("target") && j.contains("keys"), w, "a track needs a target and keys");
      LONG target = 0, component = 0;
      const json& t = j["target"];
      if (t.is_string()) {
        const std::string s = t.get<std::string>();
        const size_t dot = s.find('.');
        const std::string what = s.substr(0, dot), comp = dot == std::string::npos ? "" : s.substr(dot + 1);
        if (what == "position") target = CTRACK_POSITION;
        else if (what == "rotation") target = CTRACK_ROTATION;
        else if (what == "scale") target = CTRACK_SCALE;
        else Fail(w.Key("target"), "must be position.x|y|z, rotation.x|y|z, scale.x|y|z or a parameter id");
        if (comp == "x") component = 0;
        else if (comp == "y") component = 1;
        else if (comp == "z") component = 2;
        else Fail(w.Key("target"), "needs a component .x, .y or .z");
      } else {
        target = Long(t, w.Key("target"), "must be a track name or a parameter id");
      }
      CTrack* track = CTrack::Alloc(op, target, component);
      const json& keys = j["keys"];
      const JsonPath keysPath = w.Key("keys");
      Expect(keys.is_array(), keysPath, "must be an array of [frame, value] pairs");
      for (size_t k = 0; k < keys.size(); k++) {
        const JsonPath kw = keysPath.Index(k);
        Expect(keys[k].is_array() && keys[k].size() == 2, kw, "must be a [frame, value] pair");
        Real value = Number(keys[k][1], kw.Index(1));
        if (target == CTRACK_ROTATION) value = DegreesToRadians(keys[k][1].get<double>());
        pendingKeys_.push_back({track, Number(keys[k][0], kw.Index(0)), value});
      }
    }
  }

  // ---- parameter containers ----

  const DescriptionParam* ParamOf(LONG nodeType, LONG id) const {
    const PluginRecord* rec = PluginRegistry::Get().Find(nodeType);
    return rec && rec->resource ? rec->resource->FindParam(id) : nullptr;
  }

  LONG ResolveId(const std::string& key, const JsonPath& where) const {
    if (!key.empty() && (std::isdigit((unsigned char)key[0]) || key[0] == '-')) {
      char* end = nullptr;
      long v = std::strtol(key.c_str(), &end, 10);
      Expect(*end == 0, where, "'" + key + "' is neither a parameter id nor a known name");
      return LONG(v);
    }
    LONG id;
    Expect(PluginRegistry::Get().LookupSymbol(key, &id), where, "unknown parameter name '" + key + "'");
    return id;
  }

  void ReadContainer(BaseContainer& bc, const json& j, const JsonPath& where, LONG nodeType) {
    Expect(j.is_object(), where, "must be an object of parameter ids or names and values");
    for (auto it = j.begin(); it != j.end(); ++it) {
      const JsonPath w = where.Key(it.key());
      const LONG id = ResolveId(it.key(), w);
      ReadValue(bc, id, it.value(), w, ParamOf(nodeType, id));
    }
  }

  void ReadValue(BaseContainer& bc, LONG id, const json& v, const JsonPath& w, const DescriptionParam* param) {
    const ParamType type = param ? param->type : ParamType::Unknown;
    if (v.is_boolean()) {
      bc.SetBool(id, v.get<bool>());
    } else if (v.is_number_integer() && type != ParamType::Real) {
      bc.SetLong(id, Long(v, w));
    } else if (v.is_number()) {
      Expect(type != ParamType::Long && type != ParamType::Bool, w, "must be a whole number");
      bc.SetReal(id, Number(v, w));
    } else if (v.is_string()) {
      const std::string s = v.get<std::string>();
      LONG symbol;
      if (type == ParamType::Long && PluginRegistry::Get().LookupSymbol(s, &symbol)) bc.SetLong(id, symbol);
      else if (type == ParamType::Filename) bc.SetFilename(id, Filename(s.c_str()));
      else {
        Expect(type == ParamType::Unknown || type == ParamType::String, w, "'" + s + "' is not a value of this parameter");
        bc.SetString(id, String(s));
      }
    } else if (v.is_array()) {
      bc.SetVector(id, Vec(v, w));
    } else if (v.is_object()) {
      ReadTypedValue(bc, id, v, w);
    } else {
      Fail(w, "unsupported value");
    }
  }

  void ReadTypedValue(BaseContainer& bc, LONG id, const json& v, const JsonPath& w) {
    Expect(v.size() == 1, w, "a typed value has exactly one entry (file, link, material, container, long, real, string, matrix)");
    const std::string key = v.begin().key();
    const json& x = v.begin().value();
    if (key == "file") bc.SetFilename(id, Filename(String1(x, w.Key("file")).c_str()));
    else if (key == "string") bc.SetString(id, String(String1(x, w.Key("string"))));
    else if (key == "long") {
      bc.SetLong(id, Long(x, w.Key("long"), "must be a whole number"));
    } else if (key == "real") bc.SetReal(id, Number(x, w.Key("real")));
    else if (key == "link" || key == "material") {
      bc.SetLink(id, nullptr);
      links_.push_back(PendingLink{&bc, id, key == "link" ? "object" : "material", nullptr, String1(x, w.Key(key)), w.Text()});
    } else if (key == "shader") {
      Expect(currentMaterial_ != nullptr, w, "only a material's parameters link its shaders");
      bc.SetLink(id, nullptr);
      links_.push_back(PendingLink{&bc, id, "shader", currentMaterial_, String1(x, w.Key("shader")), w.Text()});
    } else if (key == "container") {
      bc.SetContainer(id, BaseContainer(id));
      ReadContainer(*bc.GetContainerInstance(id), x, w.Key("container"), 0);
    } else if (key == "matrix") {
      const JsonPath m = w.Key("matrix");
      Expect(x.is_array() && x.size() == 4, m, "must hold four vectors: offset, v1, v2, v3");
      bc.SetMatrix(id, Matrix(Vec(x[0], m.Index(0)), Vec(x[1], m.Index(1)), Vec(x[2], m.Index(2)), Vec(x[3], m.Index(3))));
    } else if (key == "empty") {
      bc.SetLink(id, nullptr);
    } else {
      Fail(w, "unknown value kind '" + key + "'");
    }
  }

  void ResolveLinks(BaseDocument& doc) {
    for (const PendingLink& l : links_) {
      BaseList2D* target = nullptr;
      if (l.kind == "object") target = FindObjectByPath(&doc, l.target);
      else if (l.kind == "material") target = doc.SearchMaterial(String(l.target));
      else target = FindShader(*l.owner, l.target);
      if (!target) FailAt(l.where, "dangling link: no " + l.kind + " '" + l.target + "'");
      l.bc->SetLink(l.id, target);
    }
    const LReal fps = doc.GetFps();
    for (const PendingKey& k : pendingKeys_) {
      BaseTime t(LReal(k.frame), fps);
      t.Reduce();
      k.track->AddKey(t, k.value);
    }
  }

  static BaseShader* FindShader(BaseMaterial& mat, const std::string& name) {
    for (BaseShader* sh = mat.GetFirstShader(); sh; sh = sh->GetNext())
      if (sh->GetName().str() == name) return sh;
    return nullptr;
  }

  struct PendingKey {
    CTrack* track;
    Real frame;
    Real value;
  };

  std::string file_;
  const JsonPath root_;
  std::vector<PendingLink> links_;
  std::vector<PendingKey> pendingKeys_;
  BaseMaterial* currentMaterial_ = nullptr;
};

// ---- writing ---------------------------------------------------------------------------

class Writer {
 public:
  json Write(BaseDocument* doc) {
    json root = json::object();
    root["unit"] = GetWorldContainerInstance()->GetLong(WPREF_UNITS_BASIC, 3);
    root["fps"] = doc->GetFps();
    root["frame"] = doc->GetTime().GetFrame(doc->GetFps());
    root["minFrame"] = doc->GetMinTime().GetFrame(doc->GetFps());
    root["maxFrame"] = doc->GetMaxTime().GetFrame(doc->GetFps());
    if (doc->GetFirstLayer()) root["layers"] = Layers(doc);
    if (doc->GetFirstMaterial()) root["materials"] = Materials(doc);
    root["renderData"] = RenderDatas(doc);
    root["objects"] = Objects(doc, doc->GetFirstObject(), 1);
    // The view's editor camera, which it looks through without a render camera, is no object
    // of the document.
    BaseObject* cam = doc->GetRenderBaseDraw()->GetSceneCamera(doc);
    if (cam && cam->GetDocument() == doc) root["renderCamera"] = ObjectPath(cam);
    if (BaseObject* act = doc->GetActiveObject()) root["activeObject"] = ObjectPath(act);
    return root;
  }

 private:
  json TypeOf(LONG type) const {
    std::string name = BuiltinTypeName(type);
    if (!name.empty()) return name;
    if (const PluginRecord* rec = PluginRegistry::Get().Find(type))
      if (rec->description.Content()) return rec->description.str();
    return type;
  }

  json Layers(BaseDocument* doc) {
    json arr = json::array();
    for (LayerObject* l = doc->GetFirstLayer(); l; l = l->GetNext()) {
      const LayerData& d = l->GetLayerData();
      arr.push_back({{"name", l->GetName().str()}, {"render", bool(d.render)}, {"view", bool(d.view)},
                     {"solo", bool(d.solo)}, {"locked", bool(d.locked)}});
    }
    return arr;
  }

  json Materials(BaseDocument* doc) {
    json arr = json::array();
    for (BaseMaterial* m = doc->GetFirstMaterial(); m; m = m->GetNext()) {
      json j = {{"type", TypeOf(m->GetType())}, {"name", m->GetName().str()}};
      if (m->GetFirstShader()) {
        json shaders = json::array();
        for (BaseShader* sh = m->GetFirstShader(); sh; sh = sh->GetNext())
          shaders.push_back({{"type", TypeOf(sh->GetType())}, {"name", sh->GetName().str()}, {"data", Container(*sh->GetDataInstance(), sh->GetType())}});
        j["shaders"] = shaders;
      }
      j["data"] = Container(*m->GetDataInstance(), m->GetType());
      if (m->GetBit(BIT_ACTIVE)) j["active"] = true;
      arr.push_back(j);
    }
    return arr;
  }

  json RenderDatas(BaseDocument* doc) {
    json arr = json::array();
    for (RenderData* rd = doc->GetFirstRenderData(); rd; rd = rd->GetNext()) {
      json vps = json::array();
      for (BaseVideoPost* vp = rd->GetFirstVideoPost(); vp; vp = vp->GetNext())
        vps.push_back({{"type", TypeOf(vp->GetType())}, {"name", vp->GetName().str()},
                       {"enabled", !vp->GetBit(BIT_VPDISABLED)}, {"data", Container(*vp->GetDataInstance(), vp->GetType())}});
      arr.push_back({{"name", rd->GetName().str()}, {"active", rd == doc->GetActiveRenderData()},
                     {"data", Container(*rd->GetDataInstance(), Rbase)}, {"videoPosts", vps}});
    }
    return arr;
  }

  static const char* ModeName(LONG mode) { return mode == MODE_ON ? "on" : mode == MODE_OFF ? "off" : "default"; }

  // depth: how deep the objects stand in the hierarchy, 1 at the top.
  json Objects(BaseDocument* doc, BaseObject* first, int depth) {
    if (first && depth > kMaxObjectDepth)
      throw DocumentError("the document cannot be written: the object " + ObjectPath(first) + " stands more than " +
                          std::to_string(kMaxObjectDepth) +
                          " levels deep, deeper than a document may nest");
    json arr = json::array();
    for (BaseObject* op = first; op; op = op->GetNext()) arr.push_back(Object(doc, op, depth));
    return arr;
  }

  json Object(BaseDocument* doc, BaseObject* op, int depth) {
    json j = json::object();
    j["type"] = TypeOf(op->GetType());
    j["name"] = op->GetName().str();
    j["position"] = VectorToJson(op->GetPos());
    const Vector r = op->GetRot();
    j["rotation"] = json::array({AngleToJson(r.x), AngleToJson(r.y), AngleToJson(r.z)});
    j["scale"] = VectorToJson(op->GetScale());
    j["render"] = ModeName(op->GetRenderMode());
    j["editor"] = ModeName(op->GetEditorMode());
    j["enabled"] = bool(op->GetDeformMode());
    if (op->GetBit(BIT_ACTIVE)) j["active"] = true;
    if (LayerObject* l = op->GetLayerObject(doc)) j["layer"] = l->GetName().str();
    j["data"] = Container(*op->GetDataInstance(), op->GetType());
    if (op->GetType() == Opolygon) Polygons(static_cast<PolygonObject*>(op), j);
    if (op->GetFirstTag()) {
      json tags = json::array();
      for (BaseTag* t = op->GetFirstTag(); t; t = t->GetNext()) tags.push_back(Tag(t));
      j["tags"] = tags;
    }
    if (op->GetFirstCTrack()) j["tracks"] = Tracks(doc, op);
    if (op->GetDown()) j["children"] = Objects(doc, op->GetDown(), depth + 1);
    return j;
  }

  json Tag(BaseTag* t) {
    json j = {{"type", TypeOf(t->GetType())}, {"name", t->GetName().str()}, {"data", Container(*t->GetDataInstance(), t->GetType())}};
    if (t->GetType() == Tuvw) j["uvw"] = UVW(static_cast<UVWTag*>(t));
    if (t->GetType() == Tpolygonselection || t->GetType() == Tpointselection)
      j["selection"] = Selection(static_cast<SelectionTag*>(t)->GetBaseSelect());
    return j;
  }

  json UVW(const UVWTag* tag) {
    json arr = json::array();
    UVWStruct uv;
    for (LONG i = 0; i < tag->GetDataCount(); i++) {
      tag->Get(i, uv);
      arr.push_back(json::array({VectorToJson(uv.a), VectorToJson(uv.b), VectorToJson(uv.c), VectorToJson(uv.d)}));
    }
    return arr;
  }

  json Selection(const BaseSelect* sel) {
    json arr = json::array();
    LONG a, b;
    for (LONG seg = 0; sel->GetRange(seg, &a, &b); seg++) arr.push_back(a == b ? json(a) : json::array({a, b}));
    return arr;
  }

  void Polygons(PolygonObject* op, json& j) {
    json pts = json::array(), pls = json::array();
    for (LONG i = 0; i < op->GetPointCount(); i++) pts.push_back(VectorToJson(op->GetPointR()[i]));
    for (LONG i = 0; i < op->GetPolygonCount(); i++) {
      const CPolygon& p = op->GetPolygonR()[i];
      pls.push_back(p.c == p.d ? json::array({p.a, p.b, p.c}) : json::array({p.a, p.b, p.c, p.d}));
    }
    j["points"] = pts;
    j["polygons"] = pls;
  }

  json Tracks(BaseDocument* doc, BaseObject* op) {
    json arr = json::array();
    static const char* comps[] = {"x", "y", "z"};
    for (CTrack* t = op->GetFirstCTrack(); t; t = t->GetNext()) {
      json target;
      if (t->GetTarget() == CTRACK_POSITION) target = std::string("position.") + comps[t->GetComponent()];
      else if (t->GetTarget() == CTRACK_ROTATION) target = std::string("rotation.") + comps[t->GetComponent()];
      else if (t->GetTarget() == CTRACK_SCALE) target = std::string("scale.") + comps[t->GetComponent()];
      else target = t->GetTarget();
      json keys = json::array();
      for (const CKey& k : t->GetKeys()) {
        json v = t->GetTarget() == CTRACK_ROTATION ? AngleToJson(k.value) : RealToJson(k.value);
        keys.push_back(json::array({RealToJson(Real(k.time.Get() * doc->GetFps())), v}));
      }
      arr.push_back({{"target", target}, {"keys", keys}});
    }
    return arr;
  }

  json Container(const BaseContainer& bc, LONG nodeType) {
    json j = json::object();
    const PluginRecord* rec = nodeType ? PluginRegistry::Get().Find(nodeType) : nullptr;
    for (LONG i = 0; i < bc.GetCount(); i++) {
      const LONG id = bc.GetIndexId(i);
      const DescriptionParam* p = rec && rec->resource ? rec->resource->FindParam(id) : nullptr;
      j[std::to_string(id)] = Value(*bc.GetIndexData(i), p);
    }
    return j;
  }

  json Value(const GeData& d, const DescriptionParam* p) {
    switch (d.GetType()) {
      case DA_LONG:
        if (p && p->type == ParamType::Bool && (d.GetLong() == 0 || d.GetLong() == 1)) return bool(d.GetLong());
        return d.GetLong();
      case DA_LLONG: return d.GetLLong();
      case DA_REAL: return RealToJson(d.GetReal());
      case DA_VECTOR: return VectorToJson(d.GetVector());
      case DA_STRING: return {{"string", d.GetString().str()}};
      case DA_FILENAME: return {{"file", d.GetString().str()}};
      case DA_CONTAINER: return {{"container", Container(*d.GetContainer(), 0)}};
      case DA_MATRIX: {
        Matrix m = d.GetMatrix();
        return {{"matrix", json::array({VectorToJson(m.off), VectorToJson(m.v1), VectorToJson(m.v2), VectorToJson(m.v3)})}};
      }
      case DA_ALIASLINK: {
        BaseList2D* l = d.GetLink();
        if (l && l->GetClassification() == Obase) return {{"link", ObjectPath(static_cast<BaseObject*>(l))}};
        if (l && l->GetClassification() == Mbase) return {{"material", l->GetName().str()}};
        if (l && l->GetClassification() == Xbase) return {{"shader", l->GetName().str()}};
        return {{"empty", nullptr}};
      }
      // A kind of value a document cannot hold: marked, and refused before anything is written.
      default: return json(json::value_t::discarded);
    }
  }
};

// Why the JSON value cannot be written so that it reads back the same: a number that is not
// finite (JSON has no such number; it would be written as null), a value of a kind documents
// cannot hold, or nesting deeper than the reader takes. Empty when it can.
std::string Unwritable(const json& v, const JsonPath& where, size_t depth) {
  if (v.is_discarded()) return where.Text() + ": holds a kind of value a document cannot hold";
  if (v.is_number_float() && !std::isfinite(v.get<double>()))
    return where.Text() + ": is not a finite number (" + std::to_string(v.get<double>()) + ")";
  if (!v.is_structured()) return std::string();
  if (depth >= kMaxJsonDepth) return where.Text() + ": nests more than " + std::to_string(kMaxJsonDepth) + " levels deep";
  if (v.is_array()) {
    for (size_t i = 0; i < v.size(); i++) {
      std::string why = Unwritable(v[i], where.Index(i), depth + 1);
      if (!why.empty()) return why;
    }
    return std::string();
  }
  for (auto it = v.begin(); it != v.end(); ++it) {
    std::string why = Unwritable(it.value(), where.Key(it.key()), depth + 1);
    if (!why.empty()) return why;
  }
  return std::string();
}

}  // namespace

std::string ObjectPath(BaseObject* op) {
  std::string path;
  for (; op; op = op->GetUp()) path = "/" + SegmentOf(op) + path;
  return path;
}

BaseObject* FindObjectByPath(BaseDocument* doc, const std::string& path) {
  if (!doc || path.empty() || path[0] != '/') return nullptr;
  BaseObject* level = doc->GetFirstObject();
  BaseObject* found = nullptr;
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    found = FindSegment(level, path.substr(start, end - start));
    if (!found) return nullptr;
    level = found->GetDown();
    start = end + 1;
  }
  return found;
}

namespace {

// Builds the JSON value of a text as nlohmann's own parser does, while keeping the path to the
// value being read, so that a number too large for any type and a text nested too deep are
// refused with the place where they stand.
class DocumentSax : public nlohmann::json_sax<json> {
 public:
  explicit DocumentSax(json& root) : root_(root) {}

  bool null() override { return Put(nullptr); }
  bool boolean(bool value) override { return Put(value); }
  bool number_integer(number_integer_t value) override { return Put(value); }
  bool number_unsigned(number_unsigned_t value) override { return Put(value); }
  bool number_float(number_float_t value, const string_t&) override { return Put(value); }
  bool string(string_t& value) override { return Put(std::move(value)); }
  bool binary(binary_t& value) override { return Put(json::binary(std::move(value))); }
  bool start_object(std::size_t) override { return Open(json::object()); }
  bool key(string_t& key) override {
    levels_.back().key = std::move(key);
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(json::array()); }
  bool end_array() override { return Close(); }
  bool parse_error(std::size_t, const std::string& token, const nlohmann::detail::exception& e) override {
    if (e.id == 406) error_ = Where(true) + ": the number " + token + " is too large for any number type";
    else error_ = std::string("not a JSON document: ") + e.what();
    return false;
  }

  // Why the text was refused; empty when it was read.
  const std::string& error() const { return error_; }

 private:
  struct Level {
    json* value;
    std::string key;
  };

  json* Insert(json&& value) {
    if (levels_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Level& level = levels_.back();
    if (level.value->is_array()) {
      level.value->push_back(std::move(value));
      return &level.value->back();
    }
    json& slot = (*level.value)[level.key];
    slot = std::move(value);
    return &slot;
  }
  bool Put(json&& value) {
    Insert(std::move(value));
    return true;
  }
  bool Open(json&& value) {
    if (levels_.size() >= kMaxJsonDepth) {
      error_ = Where(true) + ": the text nests more than " + std::to_string(kMaxJsonDepth) + " levels deep";
      return false;
    }
    json* opened = Insert(std::move(value));
    levels_.push_back(Level{opened, std::string()});
    return true;
  }
  bool Close() {
    levels_.pop_back();
    return true;
  }

  // The path of the value being read; `pending` when it is not yet in its container.
  std::string Where(bool pending) const {
    std::string text = "$";
    for (size_t i = 0; i < levels_.size(); i++) {
      const Level& level = levels_[i];
      if (level.value->is_array()) {
        const bool last = i + 1 == levels_.size();
        const size_t index = level.value->size() - (last && pending ? 0 : 1);
        text += "[" + std::to_string(index) + "]";
      } else {
        text += "." + level.key;
      }
    }
    return text;
  }

  json& root_;
  std::vector<Level> levels_;
  std::string error_;
};

}  // namespace

std::string AbsoluteDocumentPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

BaseDocument* ParseDocument(const std::string& text, const std::string& name) {
  json root;
  DocumentSax sax(root);
  if (!json::sax_parse(text, &sax)) throw DocumentError(name + ": " + sax.error());
  return Reader(name).Read(root);
}

BaseDocument* LoadDocument(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw DocumentError(path + ": cannot open the document");
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) throw DocumentError(path + ": cannot read the document");
  return ParseDocument(ss.str(), path);
}

// Names that are not UTF-8 are written with replacement characters rather than failing.
std::string SerializeDocument(BaseDocument* doc) {
  const json root = Writer().Write(doc);
  const std::string unwritable = Unwritable(root, JsonPath(), 0);
  if (!unwritable.empty()) throw DocumentError("the document cannot be written: " + unwritable);
  return root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

void SaveDocument(BaseDocument* doc, const std::string& path) {
  std::string text;
  try {
    text = SerializeDocument(doc);
  } catch (const DocumentError& e) {
    throw DocumentError(path + ": " + e.what());
  }
  const std::string error = replaceFileWithBytes(path, text);
  if (!error.empty()) throw DocumentError(path + ": cannot write the document (" + error + ")");
}

}  // namespace host
