#include "Subcommand.h"

namespace cli {
namespace {

class OpenCommand : public Subcommand {
 public:
  const char* Name() const override { return "open"; }
  const char* Description() const override { return "open a document and save it again (as a host document, JSON)"; }
  void Setup(CLI::App& app) override {
    app.add_option("FILE", input_, "the document to open")->required()->check(CLI::ExistingFile);
    app.add_option("-o,--output", output_, "where to save the document")->required()->check(NonEmptyFileName());
  }
  int Run(Session& session) override {
    session.OpenDocument(input_);
    session.SaveDocument(output_);
    return 0;
  }

 private:
  std::string input_, output_;
};

SubcommandRegistrar registrar([] { return std::make_unique<OpenCommand>(); });

}  // namespace
}  // namespace cli
