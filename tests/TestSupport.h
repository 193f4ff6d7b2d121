// Helpers shared by the test programs: temporary folders and a copy of the plug-in folder.
#pragma once
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testing_support {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& tag) {
    static int counter = 0;
    path_ = fs::temp_directory_path() / ("tavrell_" + tag + "_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  std::string str(const std::string& rel = "") const { return rel.empty() ? path_.string() : (path_ / rel).string(); }

 private:
  fs::path path_;
};

// A private copy of the built plug-in folder, so a test may change or break it. What a user's
// runs left in the presets folder (settings, batch file, quick-render folder) is not copied:
// every test starts from a plug-in as installed.
inline std::string CopyPluginFolder(const TempDir& dir) {
  const fs::path target = dir.path() / "Tavrell";
  fs::copy(TAVRELL_PLUGIN_DIR, target, fs::copy_options::recursive);
  for (const char* left : {"tavrellSettings.cfg", "kyrano_run.cmd", "quickrender"}) fs::remove_all(target / "presets" / left);
  return target.string();
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

}  // namespace testing_support
