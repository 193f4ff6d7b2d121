// tavrell open: opens a document (or imports another tool's file) and saves it as a host
// document; the files it names stay found from the new place.
#include <filesystem>

#include "DocumentFiles.h"
#include "OutputFile.h"
#include "Subcommand.h"

namespace cli {
namespace {

class OpenCommand : public Subcommand {
 public:
  const char* Name() const override { return "open"; }
  const char* Description() const override { return "open a document and save it again (as a host document, JSON)"; }
  void Setup(CLI::App& app) override {
    app.add_option("FILE", input_, "the document to open")->required()->check(CLI::ExistingFile);
    app.add_option("-o,--output", output_, "where to save the document (.json; a missing folder is created)")
        ->required()
        ->check(NonEmptyFileName())
        ->check(CLI::Validator(
            [](std::string& path) {
              return std::filesystem::path(path).extension() == ".json"
                         ? std::string()
                         : "the host writes its documents as JSON: the output must end in .json, not " + path;
            },
            "DOC.json"));
    AddOverwriteOption(app, &overwrite_);
  }
  int Run(Session& session) override {
    PrepareOutputFile(output_, overwrite_);
    RebaseFileNames(session.OpenDocument(input_), output_);
    session.SaveDocument(output_);
    return 0;
  }

 private:
  std::string input_, output_, overwrite_;
};

SubcommandRegistrar registrar([] { return std::make_unique<OpenCommand>(); });

}  // namespace
}  // namespace cli
