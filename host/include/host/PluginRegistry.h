// What plug-ins registered with the host, and the symbols their resources declare.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "c4d.h"
#include "host/ResourceFiles.h"

namespace host {

enum class PluginKind { Command, Tag, Object, Shader, VideoPost };
const char* KindName(PluginKind kind);

// Parameter types a description resource declares.
enum class ParamType { Unknown, Bool, Long, Real, Vector, String, Filename, Link, Group, Other };

struct DescriptionParam {
  std::string symbol;
  LONG id = 0;
  ParamType type = ParamType::Unknown;
  std::vector<std::string> cycle;  // symbols of a cycle's values
  std::string keyword;             // the layout's keyword: LONG, REAL, GROUP, BUTTON, ...
  LONG parentGroup = 0;            // the enclosing group of the node's own, 0 at the top
};

// What the host knows of one description resource (res/description/<name>.h and .res).
struct DescriptionResource {
  std::string name;
  std::map<std::string, LONG> symbols;  // every name the header declares
  std::vector<DescriptionParam> params; // parameters in layout order
  std::map<std::string, std::string> labels;  // texts of the string table, by symbol
  const DescriptionParam* FindParam(LONG id) const;
  // The text the string table gives a symbol, or the symbol itself.
  std::string Label(const std::string& symbol) const;
};

struct PluginRecord {
  LONG id = 0;
  PluginKind kind = PluginKind::Command;
  String name;
  LONG info = 0;
  String icon;         // file name inside res/, empty for none
  String description;  // description resource name (nodes)
  String help;         // help text (commands)
  DataAllocator* allocator = nullptr;
  std::shared_ptr<CommandData> command;
  LONG diskLevel = 0;
  LONG priority = 0;
  std::shared_ptr<DescriptionResource> resource;
};

class PluginRegistry {
 public:
  static PluginRegistry& Get();
  // FALSE when the id is taken.
  Bool Add(PluginRecord record);
  const PluginRecord* Find(LONG id) const;
  const std::vector<PluginRecord>& All() const { return records_; }
  // A node type by its description resource name (case-insensitive), e.g. "TCameraTag".
  const PluginRecord* FindByDescription(const std::string& name) const;
  // A symbol of any loaded description or of the plug-in's symbol header.
  bool LookupSymbol(const std::string& name, LONG* value) const;
  void AddSymbols(const std::map<std::string, LONG>& symbols);
  void Clear();

 private:
  std::vector<PluginRecord> records_;
  std::map<std::string, LONG> symbols_;
};

std::shared_ptr<DescriptionResource> LoadDescriptionResource(const Filename& pluginDir, const std::string& name);

}  // namespace host
