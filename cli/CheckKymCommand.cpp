#include <iostream>

#include "CheckKym.h"
#include "Subcommand.h"

namespace cli {
namespace {

class CheckKymCommand : public Subcommand {
 public:
  const char* Name() const override { return "check-kym"; }
  const char* Description() const override { return "check every material of a material file (.kym)"; }
  void Setup(CLI::App& app) override {
    app.add_option("FILE", file_, "the material file")->required()->check(CLI::ExistingFile);
  }
  bool NeedsPlugin() const override { return false; }
  bool OpensDocument() const override { return false; }
  int Run(Session&) override { return checkKymFile(file_, std::cout, std::cerr); }

 private:
  std::string file_;
};

SubcommandRegistrar registrar([] { return std::make_unique<CheckKymCommand>(); });

}  // namespace
}  // namespace cli
