#include "c4d_resource.h"

#include "c4d_general.h"
#include "host/PluginRegistry.h"
#include "host/ResourceFiles.h"

GeResource resource;

Bool GeResource::Init() { return Init(GeGetPluginPath()); }

// Reads res/c4d_symbols.h for the string ids and res/strings_us/c4d_strings.str for their
// texts. Ids may be given in the table by symbol or by number.
Bool GeResource::Init(const Filename& pluginPath) {
  strings_.clear();
  const Filename res = pluginPath + Filename("res");
  std::map<std::string, LONG> symbols = host::ParseSymbolHeader((res + Filename("c4d_symbols.h")).str());
  host::PluginRegistry::Get().AddSymbols(symbols);
  std::string text;
  if (!host::ReadTextFile((res + Filename("strings_us/c4d_strings.str")).str(), &text)) return FALSE;
  std::vector<host::ResToken> toks = host::Tokenize(text);
  for (size_t i = 0; i + 1 < toks.size(); i++) {
    if (toks[i].kind != host::ResToken::Word || toks[i + 1].kind != host::ResToken::Text) continue;
    auto it = symbols.find(toks[i].text);
    LONG id;
    if (it != symbols.end()) id = it->second;
    else if (!toks[i].text.empty() && std::isdigit((unsigned char)toks[i].text[0])) id = LONG(std::strtol(toks[i].text.c_str(), nullptr, 10));
    else continue;
    strings_[id] = String(toks[i + 1].text);
  }
  return TRUE;
}

const String& GeResource::LoadString(LONG id) const {
  static const String empty;
  auto it = strings_.find(id);
  return it == strings_.end() ? empty : it->second;
}

const String& GeLoadString(LONG id) { return resource.LoadString(id); }
