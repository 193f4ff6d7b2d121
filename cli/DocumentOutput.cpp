#include "DocumentOutput.h"

#include <filesystem>

namespace cli {

namespace fs = std::filesystem;

void RefuseExistingOutput(const std::string& output, const std::string& overwrite) {
  if (fs::exists(output) && overwrite != "yes") throw CommandError(output + " exists: give --overwrite yes to replace it");
}

void SaveToOutput(Session& session, const std::string& output) {
  std::error_code ec;
  const fs::path folder = fs::absolute(output).parent_path();
  fs::create_directories(folder, ec);
  if (ec) throw CommandError("cannot create the output folder " + folder.string() + ": " + ec.message());
  session.SaveDocument(output);
}

}  // namespace cli
