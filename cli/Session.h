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
  Session(std::string pluginDir, double importTimeout)
      : pluginDir_(std::move(pluginDir)), importTimeout_(importTimeout) {}
  ~Session();
  // Loads the plug-in (the banner appears on the console). Throws CommandError.
  void LoadPlugin();
  // Opens a document and makes it the active one; files of other tools are imported within
  // the session's time limit. Throws CommandError.
  BaseDocument* OpenDocument(const std::string& path);
  void SaveDocument(const std::string& path);
  BaseDocument* document() const { return doc_; }
  const host::PluginLibrary& library() const { return library_; }

 private:
  std::string pluginDir_;
  double importTimeout_;
  host::PluginLibrary library_;
  BaseDocument* doc_ = nullptr;
};

}  // namespace cli
