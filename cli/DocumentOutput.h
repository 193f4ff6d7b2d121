// The output document of a command that changes a document and saves it.
#pragma once
#include <string>

#include "Session.h"

namespace cli {

// Throws CommandError when the output exists and overwrite is not "yes".
void RefuseExistingOutput(const std::string& output, const std::string& overwrite);
// Saves the session's document as the output, its folder created first.
void SaveToOutput(Session& session, const std::string& output);

}  // namespace cli
