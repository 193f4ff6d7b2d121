// Reading the plug-in's resource files: symbol headers, string tables, descriptions, dialogs.
#pragma once
#include <map>
#include <string>
#include <vector>
#include "c4d.h"

namespace host {

struct ResToken {
  enum Kind { Word, Text, Punct } kind = Word;
  std::string text;
  int line = 0;
};

bool ReadTextFile(const std::string& path, std::string* text);
// Words, quoted texts and single punctuation characters; comments are skipped.
std::vector<ResToken> Tokenize(const std::string& text);
// NAME = value pairs of the enums of a header; names without a value continue counting.
std::map<std::string, LONG> ParseSymbolHeader(const std::string& path);

}  // namespace host
