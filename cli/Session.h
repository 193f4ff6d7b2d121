// One run of the terminal host: the plug-in loaded from its folder and the open document.
#pragma once
#include <memory>
#include <ostream>
#include <string>
#include "c4d.h"
#include "host/PluginLoader.h"

namespace cli {

// A failure the command reports as one line and a non-zero exit.
struct CommandError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Session {
 public:
  explicit Session(std::string pluginDir) : pluginDir_(std::move(pluginDir)) {}
  ~Session();
  // Loads the plug-in (the banner appears on the console). Throws CommandError.
  void LoadPlugin();
  // Opens a document and makes it the active one. Throws CommandError.
  BaseDocument* OpenDocument(const std::string& path);
  void SaveDocument(const std::string& path);
  BaseDocument* document() const { return doc_; }
  const host::PluginLibrary& library() const { return library_; }

 private:
  std::string pluginDir_;
  host::PluginLibrary library_;
  BaseDocument* doc_ = nullptr;
};

}  // namespace cli
