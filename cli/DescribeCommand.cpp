#include <charconv>
#include <iostream>
#include <sstream>

#include "Subcommand.h"
#include "host/BuiltinTypes.h"
#include "host/DocumentIO.h"
#include "host/PluginRegistry.h"

namespace cli {
namespace {

// A node type given by description name ("TCameraTag"), built-in name ("Tphong") or number.
LONG ResolveNodeType(const std::string& text) {
  LONG number = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), number);
  if (!text.empty() && res.ec == std::errc() && res.ptr == text.data() + text.size()) return number;
  LONG type;
  if (host::LookupBuiltinType(text, &type)) return type;
  if (const host::PluginRecord* rec = host::PluginRegistry::Get().FindByDescription(text)) return rec->id;
  throw CommandError("unknown node type '" + text + "'");
}

std::string TypeName(const BaseContainer& param) {
  switch (param.GetId()) {
    case DTYPE_BOOL: return "BOOL";
    case DTYPE_LONG: return param.GetContainerInstance(DESC_CYCLE) ? "CYCLE" : "LONG";
    case DTYPE_REAL: return "REAL";
    case DTYPE_VECTOR: return "VECTOR";
    case DTYPE_STRING: return "STRING";
    case DTYPE_STATICTEXT: return "STATICTEXT";
    case DTYPE_FILENAME: return "FILENAME";
    case DTYPE_BASELISTLINK: return "LINK";
    case DTYPE_GROUP: return "GROUP";
    case DTYPE_BUTTON: return "BUTTON";
    case DTYPE_SEPARATOR: return "SEPARATOR";
    default: return "?";
  }
}

std::string RealText(Real r) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, r);
  return std::string(buf, res.ptr);
}

std::string Quoted(const String& s) { return "\"" + s.str() + "\""; }

// The value as the attribute view shows it; cycle values by their symbol.
std::string ValueText(const Description& desc, LONG id, const BaseContainer& param, const BaseContainer& data,
                      BaseDocument* doc) {
  const LONG type = param.GetId();
  if (type == DTYPE_GROUP || type == DTYPE_BUTTON || type == DTYPE_SEPARATOR) return std::string();
  const GeData* value = data.GetDataPointer(id);
  if (!value) return "(unset)";
  switch (type) {
    case DTYPE_BOOL: return value->GetBool() ? "true" : "false";
    case DTYPE_LONG: {
      const LONG v = value->GetLong();
      if (const BaseContainer* cycle = param.GetContainerInstance(DESC_CYCLE)) {
        const std::string symbol = desc.GetCycleSymbol(id, v);
        if (!symbol.empty()) return symbol;
        if (cycle->GetDataPointer(v)) return Quoted(cycle->GetString(v));
      }
      return std::to_string(v);
    }
    case DTYPE_REAL: return RealText(value->GetReal());
    case DTYPE_VECTOR: {
      const Vector v = value->GetVector();
      return RealText(v.x) + " " + RealText(v.y) + " " + RealText(v.z);
    }
    case DTYPE_STRING:
    case DTYPE_STATICTEXT:
    case DTYPE_FILENAME: return Quoted(value->GetString());
    case DTYPE_BASELISTLINK: {
      BaseList2D* link = value->GetLink(doc);
      if (!link) return "(none)";
      if (link->GetClassification() == Obase) return host::ObjectPath(static_cast<BaseObject*>(link));
      return Quoted(link->GetName());
    }
    default: return std::string();
  }
}

class DescribeCommand : public Subcommand {
 public:
  const char* Name() const override { return "describe"; }
  const char* Description() const override {
    return "show a plug-in node's parameters as the attribute view does: symbol, id, type, value";
  }
  void Setup(CLI::App& app) override {
    app.add_option("DOC", docPath_, "the document")->required()->check(CLI::ExistingFile);
    app.add_option("OBJECT", objectPath_, "the object: a path such as /Room/Box, or a name");
    app.add_option("--tag", tagType_, "describe the object's first tag of this type (TCameraTag, or a number)");
    app.add_option("--video-post", videoPostType_,
                   "describe the first video post of this type (oMyRenderSettings) in the active render data");
    app.add_flag("--all", all_, "list hidden parameters too, marked (hidden)");
  }
  int Run(Session& session) override {
    BaseDocument* doc = session.OpenDocument(docPath_);
    std::string what;
    BaseList2D* node = FindNode(doc, &what);
    NodeData* data = node->GetNodeData();
    if (!data) throw CommandError(what + " is one of the host's own nodes; it has no plug-in description");
    ::Description desc;
    LONG flags = 0;
    if (!data->GetDDescription(node, &desc, flags)) throw CommandError("the description of " + what + " could not be loaded");
    // A node that leaves its description to the host gets the registered one.
    if (!(flags & DESCFLAGS_DESC_LOADED) && !desc.LoadDescription(node->GetType()))
      throw CommandError("the description of " + what + " could not be loaded");
    Print(desc, *node->GetDataInstance(), doc, what);
    return 0;
  }

 private:
  BaseList2D* FindNode(BaseDocument* doc, std::string* what) const {
    if (!videoPostType_.empty()) {
      if (!objectPath_.empty()) throw CommandError("give either OBJECT or --video-post, not both");
      const LONG type = ResolveNodeType(videoPostType_);
      RenderData* rd = doc->GetActiveRenderData();
      for (BaseVideoPost* vp = rd ? rd->GetFirstVideoPost() : nullptr; vp; vp = vp->GetNext())
        if (vp->GetType() == type) {
          *what = "video post " + videoPostType_;
          return vp;
        }
      throw CommandError(docPath_ + ": the active render data has no video post " + videoPostType_);
    }
    if (objectPath_.empty()) throw CommandError("name the OBJECT to describe (or give --video-post)");
    BaseObject* op = objectPath_[0] == '/' ? host::FindObjectByPath(doc, objectPath_) : doc->SearchObject(String(objectPath_));
    if (!op) throw CommandError(docPath_ + ": no object '" + objectPath_ + "'");
    *what = host::ObjectPath(op);
    if (tagType_.empty()) return op;
    BaseTag* tag = op->GetTag(ResolveNodeType(tagType_));
    if (!tag) throw CommandError(docPath_ + ": " + *what + " has no tag " + tagType_);
    *what = tagType_ + " on " + *what;
    return tag;
  }

  void Print(const ::Description& desc, const BaseContainer& data, BaseDocument* doc, const std::string& what) const {
    std::ostringstream out;
    out << "# " << what << "\n";
    for (const auto& entry : desc.GetParameters()) {
      const LONG id = entry.first;
      const BaseContainer& param = entry.second;
      const bool shown = desc.IsShown(id);
      if (!shown && !all_) continue;
      out << std::string(2 * desc.GetGroupDepth(id), ' ') << desc.GetSymbol(id) << "\t" << id << "\t" << TypeName(param);
      const std::string value = ValueText(desc, id, param, data, doc);
      if (!value.empty()) out << "\t" << value;
      if (!shown) out << "\t(hidden)";
      out << "\n";
    }
    std::cout << out.str();
  }

  std::string docPath_, objectPath_, tagType_, videoPostType_;
  bool all_ = false;
};

SubcommandRegistrar registrar([] { return std::make_unique<DescribeCommand>(); });

}  // namespace
}  // namespace cli
