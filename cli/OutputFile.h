// An output file of a command: its folder is created, and an existing file is replaced only
// when --overwrite yes says so.
#pragma once
#include <CLI/CLI.hpp>
#include <string>

namespace cli {

// Declares --overwrite yes|no on the subcommand.
void AddOverwriteOption(CLI::App& app, std::string* answer);

// Creates the file's missing folders and applies the --overwrite answer (empty when not given)
// to a file that exists. Throws CommandError naming the file and the flag that answers.
void PrepareOutputFile(const std::string& path, const std::string& overwrite);

}  // namespace cli
