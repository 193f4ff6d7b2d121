#include "OutputFile.h"

#include <filesystem>

#include "Session.h"

namespace cli {

namespace fs = std::filesystem;

void AddOverwriteOption(CLI::App& app, std::string* answer) {
  app.add_option("--overwrite", *answer, "replace an existing output file (yes) or keep it and fail (no)")
      ->check(CLI::IsMember({"yes", "no"}));
}

void PrepareOutputFile(const std::string& path, const std::string& overwrite) {
  const fs::path folder = fs::absolute(path).parent_path();
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder))
    throw CommandError("cannot create the output folder " + folder.string() + ": " +
                       (ec ? ec.message() : std::string("a file of that name is in the way")));
  if (!fs::exists(path, ec)) return;
  if (fs::is_directory(path, ec)) throw CommandError(path + " is a folder, not a file to write");
  if (overwrite == "yes") return;
  if (overwrite == "no") throw CommandError(path + " exists and --overwrite no kept it: nothing was written");
  throw CommandError(path + " exists: give --overwrite yes to replace it or --overwrite no to keep it");
}

}  // namespace cli
