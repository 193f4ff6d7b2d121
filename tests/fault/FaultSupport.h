// Real faults for tests: a folder that refuses writes, a file system that fills up, a limit on
// the size of the files a process may write.
#pragma once
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

namespace testing_support {

// Makes a folder refuse new files while the object lives: a read-only bind mount of the folder
// onto itself when running as root (root writes through any permission bits), otherwise its
// write permission taken away. `ok()` is false when neither can be done here.
class BlockedFolder {
 public:
  explicit BlockedFolder(const std::string& folder) : folder_(folder) {
    if (geteuid() != 0) {
      ok_ = chmod(folder.c_str(), 0555) == 0;
      return;
    }
    mounted_ = mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0;
    ok_ = mounted_ && mount(nullptr, folder.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }
  ~BlockedFolder() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
    else if (geteuid() != 0) chmod(folder_.c_str(), 0755);
  }
  bool ok() const { return ok_; }

 private:
  std::string folder_;
  bool mounted_ = false;
  bool ok_ = false;
};

// A small file system of its own (tmpfs), when the tests run as root and may mount one.
class SmallFileSystem {
 public:
  SmallFileSystem(const std::string& folder, long bytes) : folder_(folder) {
    std::filesystem::create_directories(folder);
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = geteuid() == 0 && mount("tavrell-test", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }

 private:
  std::string folder_;
  bool mounted_ = false;
};

// In a child process: files may grow to `bytes` and no further; a write past it fails with
// EFBIG instead of killing the process.
inline void LimitFileSize(rlim_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{bytes, bytes};
  setrlimit(RLIMIT_FSIZE, &limit);
}

}  // namespace testing_support
