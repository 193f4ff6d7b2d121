#include "host/SceneImport.h"

#include "host/DocumentIO.h"

namespace host {

bool IsForeignScene(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string suffix = path.substr(dot + 1);
  for (char& c : suffix) c = char(std::tolower((unsigned char)c));
  return suffix != "json";
}

BaseDocument* ImportScene(const std::string& path) {
  throw DocumentError(path + ": scene files of other tools cannot be opened yet; use a host document (.json)");
}

}  // namespace host
