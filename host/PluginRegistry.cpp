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

std::string DescriptionResource::Label(const std::string& symbol) const {
  auto it = labels.find(symbol);
  return it == labels.end() ? symbol : it->second;
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

// The symbols of a cycle block that starts at toks[start] ("{"), in order.
static std::vector<std::string> CycleOf(const std::vector<ResToken>& toks, size_t start, const DescriptionResource& res) {
  std::vector<std::string> cycle;
  int depth = 0;
  for (size_t j = start; j < toks.size(); j++) {
    if (toks[j].text == "{") depth++;
    else if (toks[j].text == "}" && --depth == 0) break;
    else if (toks[j].text == "CYCLE" && j + 1 < toks.size() && toks[j + 1].text == "{") {
      for (size_t k = j + 2; k < toks.size() && toks[k].text != "}"; k++)
        if (toks[k].kind == ResToken::Word && res.symbols.count(toks[k].text)) cycle.push_back(toks[k].text);
    }
  }
  return cycle;
}

// Collects the parameters of a description layout: a type keyword, the parameter's symbol,
// then a block that may hold a CYCLE list of value symbols. Groups nest: each parameter
// records the innermost enclosing group that the node's header names (the host's own
// groups, such as the tag properties, count as the top).
static void ParseDescriptionLayout(const std::vector<ResToken>& toks, DescriptionResource& res) {
  struct OpenGroup {
    LONG id;
    int depth;
  };
  std::vector<OpenGroup> groups;
  int depth = 0;
  bool groupOpening = false;
  LONG openingId = 0;
  auto currentGroup = [&groups]() -> LONG {
    for (auto it = groups.rbegin(); it != groups.rend(); ++it)
      if (it->id) return it->id;
    return 0;
  };
  for (size_t i = 0; i < toks.size(); i++) {
    const std::string& word = toks[i].text;
    if (word == "{") {
      depth++;
      if (groupOpening) groups.push_back(OpenGroup{openingId, depth});
      groupOpening = false;
      continue;
    }
    if (word == "}") {
      if (!groups.empty() && groups.back().depth == depth) groups.pop_back();
      depth--;
      continue;
    }
    ParamType type = TypeOfKeyword(word);
    if (type == ParamType::Group) {
      groupOpening = true;
      openingId = 0;
    }
    if (type == ParamType::Unknown || i + 1 >= toks.size() || toks[i + 1].kind != ResToken::Word) continue;
    auto sym = res.symbols.find(toks[i + 1].text);
    if (sym == res.symbols.end()) continue;
    DescriptionParam p;
    p.symbol = sym->first;
    p.id = sym->second;
    p.type = type;
    p.keyword = word;
    p.parentGroup = currentGroup();
    if (type == ParamType::Group) openingId = p.id;
    if (type == ParamType::Long && i + 2 < toks.size() && toks[i + 2].text == "{") p.cycle = CycleOf(toks, i + 2, res);
    res.params.push_back(p);
  }
}

// The texts of a string table: a symbol followed by its quoted text.
static void ParseStringTable(const std::vector<ResToken>& toks, DescriptionResource& res) {
  for (size_t i = 0; i + 1 < toks.size(); i++)
    if (toks[i].kind == ResToken::Word && toks[i + 1].kind == ResToken::Text) res.labels[toks[i].text] = toks[i + 1].text;
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
  const Filename strings = pluginDir + Filename("res/strings_us/description") + Filename((name + ".str").c_str());
  if (ReadTextFile(strings.str(), &text)) ParseStringTable(Tokenize(text), *res);
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
