// Text conversions shared by the material writers.
#pragma once
#include <string>

#include "c4d.h"
#include "helpers/HelpersPaths.h"

namespace SceneExportText {

// The host string in its 8-bit form.
inline std::string ToStd(const String& s) {
  char* c = Helpers::StringToChar(s);
  std::string out(c);
  delete[] c;
  return out;
}

// The file's path relative to the folder, or the path as it is when it has no relative form
// (too short or too long for the path helpers).
inline String RelativePath(const Filename& folder, const String& path) {
  char* dir = Helpers::StringToChar(folder.GetString());
  char* file = Helpers::StringToChar(path);
  const char* relative = Helpers::GetRelativeFilename(dir, file);
  const String out = relative ? String(relative) : path;
  delete[] dir;
  delete[] file;
  return out;
}

}  // namespace SceneExportText
