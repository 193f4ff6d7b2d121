#include "nodes/IesProfile.h"

namespace {

// A path from the root, or one with a drive letter ("C:...").
bool IsAbsolute(const std::string& path) { return (!path.empty() && path[0] == '/') || (path.size() > 1 && path[1] == ':'); }

}  // namespace

Filename IesProfileFile(const Filename& name, const BaseDocument* document) {
  if (!name.Content() || IsAbsolute(name.str()) || !document) return name;
  const Filename folder = document->GetDocumentPath();
  return folder.Content() ? folder + name : name;
}
