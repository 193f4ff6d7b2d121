// A subcommand of the tavrell command. Each lives in a file of its own and registers itself
// with a SubcommandRegistrar; the command line offers every registered one.
#pragma once
#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <vector>

#include "Session.h"

namespace cli {

class Subcommand {
 public:
  virtual ~Subcommand() = default;
  virtual const char* Name() const = 0;
  virtual const char* Description() const = 0;
  // Declares the subcommand's arguments and flags.
  virtual void Setup(CLI::App& app) = 0;
  // Whether the plug-in is loaded before Run.
  virtual bool NeedsPlugin() const { return true; }
  // Whether Run opens a document (and so takes the import's time limit).
  virtual bool OpensDocument() const { return true; }
  // Runs the subcommand; returns the exit code. Failures throw CommandError.
  virtual int Run(Session& session) = 0;
};

// Refuses an empty text where a file name is expected.
inline CLI::Validator NonEmptyFileName() {
  return CLI::Validator(
      [](std::string& text) { return text.empty() ? std::string("an empty text is not a file name") : std::string(); },
      "FILE");
}

using SubcommandFactory = std::function<std::unique_ptr<Subcommand>()>;
std::vector<SubcommandFactory>& Subcommands();

struct SubcommandRegistrar {
  explicit SubcommandRegistrar(SubcommandFactory factory) { Subcommands().push_back(std::move(factory)); }
};

}  // namespace cli
