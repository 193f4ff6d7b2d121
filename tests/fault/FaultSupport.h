// Real faults for tests: a folder that refuses writes, a file system that fills up, a limit on
// the size of the files a process may write.
#pragma once
#include <gtest/gtest.h>
#include <tinyxml.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "geometry/KyranoMesh.h"

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

// A program started with its arguments, its output going to a file; Wait gives its exit code
// (128 + the signal when a signal ended it).
class Process {
 public:
  Process(const std::vector<std::string>& args, const std::string& output) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Process() {
    if (pid_ > 0 && !waited_) {
      kill(pid_, SIGKILL);
      Wait();
    }
  }
  void Kill() { kill(pid_, SIGKILL); }
  int Wait() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    waited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  bool started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  bool waited_ = false;
};

// A host document holding one polygon object, a square grid of side x side quads: its mesh
// file has (side + 1)^2 positions and 2 side^2 triangles.
inline std::string GridDocument(int side) {
  std::string points, polygons;
  for (int j = 0; j <= side; j++)
    for (int i = 0; i <= side; i++)
      points += (points.empty() ? "[" : ",[") + std::to_string(i) + ",0," + std::to_string(j) + "]";
  for (int j = 0; j < side; j++)
    for (int i = 0; i < side; i++) {
      const int a = j * (side + 1) + i;
      polygons += (polygons.empty() ? "[" : ",[") + std::to_string(a) + "," + std::to_string(a + side + 1) + "," +
                  std::to_string(a + side + 2) + "," + std::to_string(a + 1) + "]";
    }
  return "{\"objects\": [{\"type\": \"Opolygon\", \"name\": \"Grid\", \"points\": [" + points +
         "], \"polygons\": [" + polygons + "]}]}\n";
}

// The mesh file names and paths the scene's mesh elements give, in order.
struct SceneMeshes {
  std::vector<std::string> names, paths;
};

inline SceneMeshes MeshesOf(const std::string& scene) {
  SceneMeshes meshes;
  TiXmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(scene)) << scene;
  const TiXmlElement* root = doc.RootElement();
  for (const TiXmlElement* m = root ? root->FirstChildElement("mesh") : nullptr; m; m = m->NextSiblingElement("mesh")) {
    meshes.names.push_back(m->FirstChildElement("name")->GetText());
    meshes.paths.push_back(m->FirstChildElement("external")->FirstChildElement("path")->GetText());
  }
  return meshes;
}

inline Kyrano::KyranoMesh ReadMesh(const std::string& path) {
  Kyrano::KyranoMesh mesh;
  const Kyrano::MeshReadResult read = Kyrano::KyranoMesh::readFromFile(path, mesh);
  EXPECT_TRUE(read) << read.error;
  return mesh;
}

// The names in a folder, sorted.
inline std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testing_support
