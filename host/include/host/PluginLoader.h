// Loading a plug-in library from its folder and calling its entry functions.
#pragma once
#include <functional>
#include <string>
#include "ge_math.h"

namespace host {

// The three entry functions of a plug-in.
struct PluginEntry {
  std::function<bool()> start;
  std::function<void()> end;
  std::function<bool(LONG, void*)> message;
};

// Calls the entry functions in the host's order with folder as the plug-in's folder:
// PluginMessage(C4DPL_INIT_PRIORITY), PluginMessage(C4DPL_INIT_SYS) (resources), PluginStart.
// What was registered before a failure stays registered, as in the host.
bool StartPlugin(const std::string& folder, const PluginEntry& entry, std::string* error);
// PluginMessage(C4DPL_ENDACTIVITY), then PluginEnd.
void EndPlugin(const PluginEntry& entry);

class PluginLibrary {
 public:
  PluginLibrary() = default;
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;
  ~PluginLibrary() { Unload(); }
  // Loads the plug-in library of the folder (tavrell.so, or the only .so there) with dlopen
  // and starts it. On failure returns false and error() says why; a library that loaded but
  // whose start failed stays loaded so the host can show what it registered.
  bool Load(const std::string& folder);
  void Unload();
  bool loaded() const { return handle_ != nullptr; }
  bool started() const { return started_; }
  const std::string& error() const { return error_; }

 private:
  void* handle_ = nullptr;
  bool started_ = false;
  std::string error_;
};

// The folder GeGetPluginPath reports.
void SetPluginPath(const std::string& folder);

}  // namespace host
