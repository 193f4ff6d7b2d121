// A material file that a material helper takes its material from: which materials it
// defines, and the list the helper offers to choose from.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "c4d.h"

// The first choice of the helper's list of the file's materials.
const LONG EXTERNAL_MATERIAL_FIRST_CHOICE = 70000;

struct ExternalMaterialFile {
  // Loads the file, found as the host finds textures (beside the document, ...). Not loaded
  // (with the reason in error) when it cannot be found or read, or is no material file.
  static ExternalMaterialFile Load(const Filename& file, const Filename& documentPath);

  // The name of a choice of the helper's list, or "" for none.
  std::string ChoiceName(LONG choice) const;

  bool loaded = false;
  std::string error;
  Filename path;  // where the file was found
  // The names of the elements from the first "material" on, in file order, that have one;
  // the helper offers them as choices 70000, 70001, ...
  std::vector<std::string> choices;
  // The names of the "material" elements, which an including scene may use.
  std::set<std::string> materials;
};
