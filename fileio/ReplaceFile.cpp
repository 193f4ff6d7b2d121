#include "ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

// Long names leave room for the temporary's own suffix within the file system's limit of
// 255 bytes per name.
const size_t kMaxBaseBytes = 200;

std::string reason(int error) { return std::strerror(error ? error : EIO); }

// A name no other writer uses: the process, a count of this process's files and random bits
// (process numbers repeat across machines sharing a folder, and after restarts).
std::string temporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  static thread_local std::mt19937_64 random(std::random_device{}() ^
                                             std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.size() > kMaxBaseBytes) base.resize(kMaxBaseBytes);
  char tag[64];
  std::snprintf(tag, sizeof tag, ".%ld-%u-%08x.tmp", long(getpid()), counter++, unsigned(random()));
  return folder + base + tag;
}

// Creates the temporary exclusively; an existing file or link of that name makes it try another.
int createTemporary(const std::string& path, std::string& temp) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    temp = temporaryName(path);
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool exchangeUnsupported(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

// Puts the finished temporary at `path`; 0, or the error.
int putInPlace(const std::string& temp, const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
#ifdef SYS_renameat2
    const unsigned kRenameExchange = 1u << 1;
    if (syscall(SYS_renameat2, AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), kRenameExchange) == 0) {
      // The temporary's name now holds the old file.
      unlink(temp.c_str());
      return 0;
    }
    if (!exchangeUnsupported(errno)) return errno;
#endif
  }
  return std::rename(temp.c_str(), path.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::string replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write, bool sync) {
  if (path.empty()) return "cannot write a file without a name";
  std::string temp;
  const int fd = createTemporary(path, temp);
  if (fd < 0) return "cannot write " + path + ": cannot create a temporary file beside it: " + reason(errno);
  std::FILE* file = fdopen(fd, "wb");
  if (!file) {
    const int error = errno;
    close(fd);
    unlink(temp.c_str());
    return "cannot write " + path + ": " + reason(error);
  }
  errno = 0;
  bool ok = write(file) && std::fflush(file) == 0 && !std::ferror(file) && (!sync || fsync(fileno(file)) == 0);
  int error = ok ? 0 : errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok) error = putInPlace(temp, path);
  if (ok && error == 0) return "";
  unlink(temp.c_str());
  return "cannot write " + path + ": " + reason(error);
}

std::string replaceFileWithBytes(const std::string& path, const std::string& bytes, bool sync) {
  return replaceFile(
      path, [&bytes](std::FILE* file) { return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(); },
      sync);
}

namespace {

// Links `source` under a fresh temporary name beside `path`; 0, or the error.
int linkTemporary(const std::string& source, const std::string& path, std::string& temp) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    temp = temporaryName(path);
    if (link(source.c_str(), temp.c_str()) == 0) return 0;
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

bool copyInto(const std::string& source, std::FILE* out) {
  std::FILE* in = std::fopen(source.c_str(), "rb");
  if (!in) return false;
  std::vector<char> block(1 << 20);
  size_t n = 0;
  bool ok = true;
  while (ok && (n = std::fread(block.data(), 1, block.size(), in)) > 0) ok = std::fwrite(block.data(), 1, n, out) == n;
  ok = ok && !std::ferror(in);
  std::fclose(in);
  return ok;
}

}  // namespace

std::string replaceFileWithLink(const std::string& path, const std::string& source, bool* copied) {
  if (copied) *copied = false;
  if (path.empty()) return "cannot write a file without a name";
  std::string temp;
  const int linkError = linkTemporary(source, path, temp);
  if (linkError == 0) {
    const int error = putInPlace(temp, path);
    if (error == 0) return "";
    unlink(temp.c_str());
    return "cannot write " + path + ": " + reason(error);
  }
  if (linkError == ENOENT) return "cannot write " + path + ": " + source + " is gone";
  if (copied) *copied = true;
  const std::string error = replaceFile(path, [&source](std::FILE* file) { return copyInto(source, file); });
  return error.empty() ? "" : error + " (copying " + source + ")";
}
