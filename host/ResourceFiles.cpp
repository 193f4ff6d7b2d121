#include "host/ResourceFiles.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace host {

bool ReadTextFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  *text = ss.str();
  return true;
}

static void SkipSpaceAndComments(const std::string& s, size_t& i) {
  while (i < s.size()) {
    if (std::isspace((unsigned char)s[i])) {
      i++;
    } else if (s.compare(i, 2, "//") == 0) {
      while (i < s.size() && s[i] != '\n') i++;
    } else if (s.compare(i, 2, "/*") == 0) {
      size_t end = s.find("*/", i + 2);
      i = end == std::string::npos ? s.size() : end + 2;
    } else {
      break;
    }
  }
}

std::vector<ResToken> Tokenize(const std::string& s) {
  std::vector<ResToken> out;
  size_t i = 0;
  int line = 1;
  size_t counted = 0;
  while (true) {
    SkipSpaceAndComments(s, i);
    if (i >= s.size()) break;
    for (; counted < i; counted++)
      if (s[counted] == '\n') line++;
    ResToken t;
    t.line = line;
    char c = s[i];
    if (c == '"') {
      size_t j = i + 1;
      std::string text;
      while (j < s.size() && s[j] != '"') {
        if (s[j] == '\\' && j + 1 < s.size()) {
          j++;
          text += s[j] == 'n' ? '\n' : s[j];
        } else {
          text += s[j];
        }
        j++;
      }
      t.kind = ResToken::Text;
      t.text = text;
      i = j + 1;
    } else if (std::isalnum((unsigned char)c) || c == '_' || c == '-' || c == '#') {
      size_t j = i;
      while (j < s.size() && (std::isalnum((unsigned char)s[j]) || s[j] == '_' || s[j] == '.' || s[j] == '-' || s[j] == '#')) j++;
      t.kind = ResToken::Word;
      t.text = s.substr(i, j - i);
      i = j;
    } else {
      t.kind = ResToken::Punct;
      t.text = std::string(1, c);
      i++;
    }
    out.push_back(t);
  }
  return out;
}

std::map<std::string, LONG> ParseSymbolHeader(const std::string& path) {
  std::map<std::string, LONG> symbols;
  std::string text;
  if (!ReadTextFile(path, &text)) return symbols;
  std::vector<ResToken> toks = Tokenize(text);
  LONG next = 0;
  for (size_t i = 0; i < toks.size(); i++) {
    if (toks[i].text != "enum") continue;
    size_t j = i + 1;
    while (j < toks.size() && toks[j].text != "{") j++;
    for (j++; j < toks.size() && toks[j].text != "}"; j++) {
      if (toks[j].kind != ResToken::Word) continue;
      const std::string name = toks[j].text;
      if (j + 2 < toks.size() && toks[j + 1].text == "=") {
        const std::string& v = toks[j + 2].text;
        auto it = symbols.find(v);
        next = it != symbols.end() ? it->second : LONG(std::strtol(v.c_str(), nullptr, 0));
        j += 2;
      }
      symbols[name] = next++;
    }
    i = j;
  }
  return symbols;
}

}  // namespace host
