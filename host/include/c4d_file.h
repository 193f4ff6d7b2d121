// File names, file existence and deletion, folders and binary files of the host.
#pragma once
#include <cstdio>
#include "c4d_string.h"

enum { FILESELECTTYPE_ANYTHING = 0, FILESELECTTYPE_IMAGES = 1, FILESELECTTYPE_SCENES = 2 };
enum { FILESELECT_LOAD = 0, FILESELECT_SAVE = 1, FILESELECT_DIRECTORY = 2 };

class Filename {
 public:
  Filename() = default;
  Filename(const String& s) : path_(s.str()) {}
  Filename(const char* s) : path_(s ? s : "") {}

  String GetString() const { return String(path_); }
  void SetString(const String& s) { path_ = s.str(); }
  Bool Content() const { return !path_.empty(); }

  // The folder part (everything before the last separator) and the file part.
  Filename GetDirectory() const;
  Filename GetFile() const;
  String GetFileString() const { return GetFile().GetString(); }
  void SetDirectory(const Filename& dir);
  void SetFile(const Filename& file);
  // The suffix without its point; an empty string when the file part has none.
  String GetSuffix() const;
  Bool CheckSuffix(const String& suffix) const;
  // Replaces an existing suffix, or appends one.
  void SetSuffix(const String& suffix);
  void ClearSuffix();

  // Joins a folder and a relative name with one separator.
  Filename operator+(const Filename& rel) const;
  Filename& operator+=(const Filename& rel) { return *this = *this + rel; }
  bool operator==(const Filename& o) const { return path_ == o.path_; }
  bool operator!=(const Filename& o) const { return path_ != o.path_; }

  // Asks the user for a file or folder. The stand-in host takes the answer from its
  // interaction settings; a question without a scripted answer is an error, never a hang.
  Bool FileSelect(LONG type, LONG flags, const String* title = nullptr);

  const std::string& str() const { return path_; }

 private:
  std::string path_;
};

enum { GE_DIRECTORY = 1, GE_RECURSIVE = 2 };
// Flags of GeFKill: 1 directory, 2 recursive.
Bool GeFExist(const Filename& name, Bool isdir = FALSE);
Bool GeFKill(const Filename& name, LONG flags = 0);
Bool GeFCreateDir(const Filename& name);

enum { GE_READ = 0, GE_WRITE = 1 };
enum { FILEERROR_NONE = 0, FILEERROR_OPEN = -1, FILEERROR_READ = -2, FILEERROR_WRITE = -3 };
enum { FILEDIALOG_NONE = 0 };
const LONG MACTYPE_CINEMA = 0x43344443;    // 'C4DC'
const LONG MACCREATOR_CINEMA = 0x43344431; // 'C4D1'

// A binary file, read or written through a small buffer.
class BaseFile {
 public:
  static BaseFile* Alloc() { return new BaseFile; }
  static void Free(BaseFile*& f) {
    delete f;
    f = nullptr;
  }
  ~BaseFile() { Close(); }
  Bool Open(const Filename& name, LONG mode = GE_READ, LONG errordialog = FILEDIALOG_NONE,
            LONG order = 0, LONG type = MACTYPE_CINEMA, LONG creator = MACCREATOR_CINEMA);
  Bool Close();
  Bool WriteBytes(const void* data, LONG len);
  LONG ReadBytes(void* data, LONG len, Bool just_try_it = FALSE);
  LONG GetError() const { return error_; }

 private:
  BaseFile() = default;
  std::FILE* file_ = nullptr;
  LONG error_ = FILEERROR_NONE;
};
