// The plug-in's string table, loaded from its res folder.
#pragma once
#include <map>
#include "c4d_file.h"

class GeResource {
 public:
  // Loads res/c4d_symbols.h and res/strings_us/c4d_strings.str of the plug-in's folder.
  Bool Init();
  Bool Init(const Filename& pluginPath);
  // The text of a string id; an empty string when the table has none.
  const String& LoadString(LONG id) const;
  void Clear() { strings_.clear(); }

 private:
  std::map<LONG, String> strings_;
};

extern GeResource resource;
const String& GeLoadString(LONG id);
