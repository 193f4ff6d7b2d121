// What the commands that press a material helper's buttons share: finding the helper the
// command line names, and preparing the file they write.
#pragma once
#include <filesystem>
#include <string>

#include "c4d.h"

namespace cli {

// The material helper named by a path such as /Materials/Wood, or by its name; a CommandError
// names the document (as the user gave it) when there is no such object or it is no helper.
BaseObject* FindMaterialHelper(BaseDocument* doc, const std::string& docName, const std::string& helper);

// The file made absolute, then prepared as every output file is (its folder created, an
// existing one replaced only with --overwrite yes). Throws CommandError.
std::filesystem::path PrepareAbsoluteOutput(const std::filesystem::path& file, const std::string& overwrite);

}  // namespace cli
