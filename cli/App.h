// The tavrell command: parses its arguments and runs one subcommand.
#pragma once
#include <string>
#include <vector>

namespace cli {

// Runs the command with its arguments (without the program name); returns the exit code.
int RunTavrell(const std::vector<std::string>& args);

}  // namespace cli
