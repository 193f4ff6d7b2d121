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
  // Runs the subcommand; returns the exit code. Failures throw CommandError.
  virtual int Run(Session& session) = 0;
};

using SubcommandFactory = std::function<std::unique_ptr<Subcommand>()>;
std::vector<SubcommandFactory>& Subcommands();

struct SubcommandRegistrar {
  explicit SubcommandRegistrar(SubcommandFactory factory) { Subcommands().push_back(std::move(factory)); }
};

}  // namespace cli
