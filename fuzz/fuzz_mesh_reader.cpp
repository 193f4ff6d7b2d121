// Fuzz target: any bytes as a mesh file. A file the reader accepts holds exactly the fields of
// the format, so writing the mesh it read must give back the very same bytes; every other
// file must be refused with a message and its byte offset.
#include "geometry/KyranoMesh.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// The input is handed to the reader as a file in memory, the written copy goes to a private
// folder in the system's shared memory when there is one.
struct Files {
  Files() {
    fd = memfd_create("fuzz-mesh", 0);
    input = "/proc/self/fd/" + std::to_string(fd);
    std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/fuzz-mesh-XXXXXX");
    folder = mkdtemp(pattern.data()) ? pattern : "/tmp";
    output = folder + "/copy.kymesh";
  }
  int fd;
  std::string input, folder, output;
};

Files& files() {
  static Files f;
  return f;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Files& f = files();
  if (ftruncate(f.fd, 0) != 0 || pwrite(f.fd, data, size, 0) != ssize_t(size)) std::abort();

  Kyrano::KyranoMesh mesh;
  const Kyrano::MeshReadResult read = Kyrano::KyranoMesh::readFromFile(f.input, mesh);
  if (!read) {
    if (read.error.empty() || read.offset > size) __builtin_trap();
    return 0;
  }
  Kyrano::validateMesh(mesh);
  if (!Kyrano::KyranoMesh::writeToFile(f.output, mesh)) std::abort();
  if (ReadBytes(f.output) != std::string(reinterpret_cast<const char*>(data), size)) __builtin_trap();
  return 0;
}
