// What every part of the scene importer shares while one file is read: the file's name for
// messages, the Assimp scene, the document being built, the unit, and the way warnings and
// errors are reported.
#pragma once
#include <string>

#include "c4d.h"

struct aiScene;

namespace host {
namespace import {

struct ImportContext {
  std::string file;        // the model file as given, named in every message
  std::string folder;      // the folder of the model file ("." when it has none)
  const aiScene* scene = nullptr;
  BaseDocument* doc = nullptr;
  // How the file's unit was found, for the summary line ("metres, from the file", ...).
  std::string unitSource;
  // Quirks of the file's reader (see FileFrame).
  bool viewsAtNodeOrigin = false;
  bool fovIsVerticalTimesAspect = false;

  // One console line: "Warning: <file>: <where>: <what>".
  void Warn(const std::string& where, const std::string& what) const;
  // Throws DocumentError "<file>: <where>: <what>".
  [[noreturn]] void Fail(const std::string& where, const std::string& what) const;
};

// "node "Name"" / "material "Name"" for messages.
std::string NodeWhere(const std::string& name);
std::string MaterialWhere(const std::string& name);

// A name from the file as the host holds text (UTF-8): bytes that are no UTF-8 are read as
// Latin-1, the encoding older files use.
std::string Utf8Name(const std::string& name);
bool IsUtf8(const std::string& text);

// Puts the tag after the object's last tag.
void AppendTag(BaseObject* op, BaseTag* tag);

}  // namespace import
}  // namespace host
