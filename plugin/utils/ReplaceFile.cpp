#include "utils/ReplaceFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

std::string replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write, bool sync) {
  const std::string temp = path + "." + std::to_string(long(getpid())) + ".tmp";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return "cannot create " + temp + ": " + std::strerror(errno);
  errno = 0;
  bool ok = write(file) && std::fflush(file) == 0 && (!sync || fsync(fileno(file)) == 0);
  int error = ok ? 0 : errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (ok) return "";
  std::remove(temp.c_str());
  return "cannot write " + path + ": " + std::strerror(error ? error : EIO);
}
