#include "Session.h"

#include "host/DocumentIO.h"
#include "host/SceneImport.h"

namespace cli {

Session::~Session() {
  // Documents go before the plug-in whose nodes they may hold.
  SetActiveDocument(nullptr);
  BaseDocument::Free(doc_);
  library_.Unload();
}

void Session::LoadPlugin() {
  if (!library_.Load(pluginDir_)) throw CommandError(library_.error());
}

BaseDocument* Session::OpenDocument(const std::string& path) {
  try {
    BaseDocument* doc = host::IsForeignScene(path) ? host::ImportScene(path, importTimeout_) : host::LoadDocument(path);
    SetActiveDocument(nullptr);
    BaseDocument::Free(doc_);
    doc_ = doc;
    SetActiveDocument(doc_);
    return doc_;
  } catch (const host::DocumentError& e) {
    throw CommandError(e.what());
  }
}

void Session::SaveDocument(const std::string& path) {
  try {
    host::SaveDocument(doc_, path);
  } catch (const host::DocumentError& e) {
    throw CommandError(e.what());
  }
}

}  // namespace cli
