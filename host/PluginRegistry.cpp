#include "host/PluginRegistry.h"

#include <algorithm>
#include <cctype>

namespace host {

const char* KindName(PluginKind kind) {
  switch (kind) {
    case PluginKind::Command: return "command";
    case PluginKind::Tag: return "tag";
    case PluginKind::Object: return "object";
    case PluginKind::Shader: return "shader";
    case PluginKind::VideoPost: return "video post";
  }
  return "?";
}

const DescriptionParam* DescriptionResource::FindParam(LONG id) const {
  for (const DescriptionParam& p : params)
    if (p.id == id) return &p;
  return nullptr;
}

PluginRegistry& PluginRegistry::Get() {
  static PluginRegistry registry;
  return registry;
}

Bool PluginRegistry::Add(PluginRecord record) {
  if (Find(record.id)) return FALSE;
  records_.push_back(std::move(record));
  return TRUE;
}

const PluginRecord* PluginRegistry::Find(LONG id) const {
  for (const PluginRecord& r : records_)
    if (r.id == id) return &r;
  return nullptr;
}

static std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

const PluginRecord* PluginRegistry::FindByDescription(const std::string& name) const {
  const std::string want = Lower(name);
  for (const PluginRecord& r : records_)
    if (r.kind != PluginKind::Command && Lower(r.description.str()) == want) return &r;
  return nullptr;
}

bool PluginRegistry::LookupSymbol(const std::string& name, LONG* value) const {
  auto it = symbols_.find(name);
  if (it == symbols_.end()) return false;
  *value = it->second;
  return true;
}

void PluginRegistry::AddSymbols(const std::map<std::string, LONG>& symbols) {
  for (const auto& s : symbols) symbols_[s.first] = s.second;
}

void PluginRegistry::Clear() {
  records_.clear();
  symbols_.clear();
}

static ParamType TypeOfKeyword(const std::string& w) {
  if (w == "BOOL") return ParamType::Bool;
  if (w == "LONG") return ParamType::Long;
  if (w == "REAL") return ParamType::Real;
  if (w == "VECTOR" || w == "COLOR") return ParamType::Vector;
  if (w == "STRING" || w == "STATICTEXT") return ParamType::String;
  if (w == "FILENAME") return ParamType::Filename;
  if (w == "LINK" || w == "SHADERLINK") return ParamType::Link;
  if (w == "GROUP") return ParamType::Group;
  if (w == "BUTTON" || w == "SEPARATOR" || w == "BITMAPBUTTON") return ParamType::Other;
  return ParamType::Unknown;
}

// Collects the parameters of a description layout: a type keyword, the parameter's symbol,
// then a block that may hold a CYCLE list of value symbols.
static void ParseDescriptionLayout(const std::vector<ResToken>& toks, DescriptionResource& res) {
  for (size_t i = 0; i + 1 < toks.size(); i++) {
    ParamType type = TypeOfKeyword(toks[i].text);
    if (type == ParamType::Unknown || toks[i + 1].kind != ResToken::Word) continue;
    auto sym = res.symbols.find(toks[i + 1].text);
    if (sym == res.symbols.end()) continue;
    DescriptionParam p;
    p.symbol = sym->first;
    p.id = sym->second;
    p.type = type;
    if (type == ParamType::Long && i + 2 < toks.size() && toks[i + 2].text == "{") {
      int depth = 0;
      for (size_t j = i + 2; j < toks.size(); j++) {
        if (toks[j].text == "{") depth++;
        else if (toks[j].text == "}" && --depth == 0) break;
        else if (toks[j].text == "CYCLE" && j + 1 < toks.size() && toks[j + 1].text == "{") {
          for (size_t k = j + 2; k < toks.size() && toks[k].text != "}"; k++)
            if (toks[k].kind == ResToken::Word && res.symbols.count(toks[k].text)) p.cycle.push_back(toks[k].text);
        }
      }
    }
    res.params.push_back(p);
  }
}

std::shared_ptr<DescriptionResource> LoadDescriptionResource(const Filename& pluginDir, const std::string& name) {
  const Filename dir = pluginDir + Filename("res/description");
  const std::string header = (dir + Filename((name + ".h").c_str())).str();
  std::string text;
  if (!ReadTextFile(header, &text)) return nullptr;
  auto res = std::make_shared<DescriptionResource>();
  res->name = name;
  res->symbols = ParseSymbolHeader(header);
  if (ReadTextFile((dir + Filename((name + ".res").c_str())).str(), &text)) ParseDescriptionLayout(Tokenize(text), *res);
  return res;
}

}  // namespace host

using host::PluginKind;
using host::PluginRecord;
using host::PluginRegistry;

// An icon named by file is loaded from the plug-in's res folder; registration fails when it
// cannot be loaded.
static bool LoadIcon(const String& icon) {
  if (!icon.Content()) return true;
  BaseBitmap* bm = BaseBitmap::Alloc();
  bool ok = bm->Init(GeGetPluginPath() + Filename("res") + Filename(icon)) == IMAGE_OK;
  BaseBitmap::Free(bm);
  return ok;
}

static Bool RegisterNode(PluginKind kind, LONG id, const String& str, LONG info, DataAllocator* g,
                         const String& description, const String& icon, LONG disklevel, LONG priority) {
  if (!LoadIcon(icon)) return FALSE;
  PluginRecord r;
  r.id = id;
  r.kind = kind;
  r.name = str;
  r.info = info;
  r.icon = icon;
  r.description = description;
  r.allocator = g;
  r.diskLevel = disklevel;
  r.priority = priority;
  r.resource = host::LoadDescriptionResource(GeGetPluginPath(), description.str());
  if (r.resource) PluginRegistry::Get().AddSymbols(r.resource->symbols);
  return PluginRegistry::Get().Add(std::move(r));
}

Bool RegisterCommandPlugin(LONG id, const String& str, LONG info, const String& icon, const String& help, CommandData* dat) {
  std::shared_ptr<CommandData> command(dat);
  if (!LoadIcon(icon)) return FALSE;
  PluginRecord r;
  r.id = id;
  r.kind = PluginKind::Command;
  r.name = str;
  r.info = info;
  r.icon = icon;
  r.help = help;
  r.command = command;
  return PluginRegistry::Get().Add(std::move(r));
}

Bool RegisterTagPlugin(LONG id, const String& str, LONG info, DataAllocator* g, const String& description, const String& icon, LONG disklevel) {
  return RegisterNode(PluginKind::Tag, id, str, info, g, description, icon, disklevel, 0);
}

Bool RegisterObjectPlugin(LONG id, const String& str, LONG info, DataAllocator* g, const String& description, const String& icon, LONG disklevel) {
  return RegisterNode(PluginKind::Object, id, str, info, g, description, icon, disklevel, 0);
}

Bool RegisterShaderPlugin(LONG id, const String& str, LONG info, DataAllocator* g, const String& description, LONG disklevel) {
  return RegisterNode(PluginKind::Shader, id, str, info, g, description, String(), disklevel, 0);
}

Bool RegisterVideoPostPlugin(LONG id, const String& str, LONG info, DataAllocator* g, const String& description, LONG disklevel, LONG priority) {
  return RegisterNode(PluginKind::VideoPost, id, str, info, g, description, String(), disklevel, priority);
}
