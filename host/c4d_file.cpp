#include "c4d_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

Filename Filename::GetDirectory() const {
  size_t p = path_.find_last_of('/');
  if (p == std::string::npos) return Filename();
  if (p == 0) return Filename("/");
  return Filename(path_.substr(0, p).c_str());
}

Filename Filename::GetFile() const {
  size_t p = path_.find_last_of('/');
  return Filename((p == std::string::npos ? path_ : path_.substr(p + 1)).c_str());
}

void Filename::SetDirectory(const Filename& dir) { *this = dir + GetFile(); }

void Filename::SetFile(const Filename& file) { *this = GetDirectory() + file; }

static size_t SuffixDot(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
  if (dot == (slash == std::string::npos ? 0 : slash + 1)) return std::string::npos;  // ".hidden"
  return dot;
}

String Filename::GetSuffix() const {
  size_t dot = SuffixDot(path_);
  return dot == std::string::npos ? String() : String(path_.substr(dot + 1));
}

Bool Filename::CheckSuffix(const String& suffix) const {
  return GetSuffix().ToLower() == suffix.ToLower();
}

void Filename::SetSuffix(const String& suffix) {
  ClearSuffix();
  if (suffix.Content()) path_ += "." + suffix.str();
}

void Filename::ClearSuffix() {
  size_t dot = SuffixDot(path_);
  if (dot != std::string::npos) path_.erase(dot);
}

Filename Filename::operator+(const Filename& rel) const {
  if (path_.empty()) return rel;
  if (rel.path_.empty()) return *this;
  if (path_.back() == '/') return Filename((path_ + rel.path_).c_str());
  return Filename((path_ + "/" + rel.path_).c_str());
}

Bool GeFExist(const Filename& name, Bool isdir) {
  struct stat st;
  if (!name.Content() || stat(name.str().c_str(), &st) != 0) return FALSE;
  return isdir ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
}

// Removes a folder's content without following symbolic links: a link is deleted itself,
// never what it points to, so a link out of the folder cannot take foreign files with it.
static bool RemoveTree(const fs::path& dir) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path p = it->path();
    if (it->is_symlink(ec) || !it->is_directory(ec)) {
      if (!fs::remove(p, ec)) return false;
    } else if (!RemoveTree(p)) {
      return false;
    }
  }
  if (ec) return false;
  return fs::remove(dir, ec);
}

Bool GeFKill(const Filename& name, LONG flags) {
  if (!name.Content()) return FALSE;
  std::error_code ec;
  fs::path p(name.str());
  fs::file_status st = fs::symlink_status(p, ec);
  if (ec || !fs::exists(st)) return FALSE;
  if (fs::is_directory(st)) {
    if (!(flags & GE_DIRECTORY)) return FALSE;
    if (flags & GE_RECURSIVE) return RemoveTree(p);
    return fs::remove(p, ec);
  }
  return fs::remove(p, ec);
}

Bool GeFCreateDir(const Filename& name) {
  if (!name.Content()) return FALSE;
  std::error_code ec;
  fs::create_directory(name.str(), ec);
  return !ec && fs::is_directory(name.str());
}

Bool BaseFile::Open(const Filename& name, LONG mode, LONG, LONG, LONG, LONG) {
  Close();
  file_ = std::fopen(name.str().c_str(), mode == GE_WRITE ? "wb" : "rb");
  error_ = file_ ? FILEERROR_NONE : FILEERROR_OPEN;
  return file_ != nullptr;
}

Bool BaseFile::Close() {
  if (!file_) return TRUE;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!ok) error_ = FILEERROR_WRITE;
  return ok && error_ == FILEERROR_NONE;
}

Bool BaseFile::WriteBytes(const void* data, LONG len) {
  if (!file_ || len < 0) return FALSE;
  if (len > 0 && std::fwrite(data, 1, size_t(len), file_) != size_t(len)) {
    error_ = FILEERROR_WRITE;
    return FALSE;
  }
  return TRUE;
}

LONG BaseFile::ReadBytes(void* data, LONG len, Bool just_try_it) {
  if (!file_ || len <= 0) return 0;
  size_t n = std::fread(data, 1, size_t(len), file_);
  if (n != size_t(len) && !just_try_it) error_ = FILEERROR_READ;
  return LONG(n);
}
