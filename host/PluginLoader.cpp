#include "host/PluginLoader.h"

#include <dlfcn.h>

#include <filesystem>

#include "c4d.h"
#include "c4d_pmain.h"
#include "host/PluginRegistry.h"

namespace host {

namespace fs = std::filesystem;

bool StartPlugin(const std::string& folder, const PluginEntry& entry, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  SetPluginPath(folder);
  entry.message(C4DPL_INIT_PRIORITY, nullptr);
  if (!entry.message(C4DPL_INIT_SYS, nullptr))
    return fail("the plug-in in " + folder + " could not initialise its resources (res/strings_us/c4d_strings.str)");
  if (!entry.start()) return fail("the plug-in in " + folder + " stopped loading: a registration failed");
  return true;
}

void EndPlugin(const PluginEntry& entry) {
  entry.message(C4DPL_ENDACTIVITY, nullptr);
  entry.end();
}

static C4DMainFunction* g_main = nullptr;
static PluginEntry LibraryEntry() {
  PluginEntry e;
  e.start = [] { return g_main(C4DMAIN_START, nullptr, nullptr, nullptr) != 0; };
  e.end = [] { g_main(C4DMAIN_END, nullptr, nullptr, nullptr); };
  e.message = [](LONG id, void* data) {
    return g_main(C4DMAIN_MESSAGE, reinterpret_cast<void*>(intptr_t(id)), data, nullptr) != 0;
  };
  return e;
}

static std::string FindLibrary(const std::string& folder) {
  std::error_code ec;
  if (fs::exists(fs::path(folder) / "tavrell.so", ec)) return (fs::path(folder) / "tavrell.so").string();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().extension() == ".so") return it->path().string();
  return std::string();
}

bool PluginLibrary::Load(const std::string& folder) {
  Unload();
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    error_ = "plug-in folder not found: " + folder;
    return false;
  }
  const std::string lib = FindLibrary(folder);
  if (lib.empty()) {
    error_ = "no plug-in library (.so) in the plug-in folder " + folder;
    return false;
  }
  handle_ = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    error_ = std::string("cannot load the plug-in library: ") + dlerror();
    return false;
  }
  g_main = reinterpret_cast<C4DMainFunction*>(dlsym(handle_, "c4d_main"));
  if (!g_main) {
    error_ = lib + " is not a plug-in library: it has no entry point c4d_main";
    dlclose(handle_);
    handle_ = nullptr;
    return false;
  }
  started_ = StartPlugin(folder, LibraryEntry(), &error_);
  return started_;
}

void PluginLibrary::Unload() {
  if (!handle_) return;
  // End the plug-in's activity, then drop what it registered before its code goes away.
  EndPlugin(LibraryEntry());
  PluginRegistry::Get().Clear();
  resource.Clear();
  dlclose(handle_);
  handle_ = nullptr;
  g_main = nullptr;
  started_ = false;
}

}  // namespace host
