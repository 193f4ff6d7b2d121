// tavrell import-kym: runs the plug-in's Import .kym command on a document, answering its file
// request with the material file, and saves the document.
#include <filesystem>
#include <iostream>

#include "ConvertMaterials.h"
#include "DocumentOutput.h"
#include "MessagesReportedByCommand.h"
#include "Subcommand.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginRegistry.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

const LONG kImportKymCommand = 1022469;
// What the command asks, worded as the plug-in words it.
const char* const kFileRequest = "Select .kym file";
const char* const kWarningsTitle = "Import warnings:";

class ImportKymCommand : public Subcommand {
 public:
  const char* Name() const override { return "import-kym"; }
  const char* Description() const override {
    return "import the materials of a material file (.kym) as host materials with material helpers, and save the "
           "document";
  }
  void Setup(CLI::App& app) override {
    app.add_option("DOC", docPath_, "the document")->required()->check(CLI::ExistingFile);
    app.add_option("FILE", kymPath_, "the material file (.kym)")->required()->check(CLI::ExistingFile);
    app.add_option("-o,--output", output_, "where to save the document (JSON)")->required()->check(NonEmptyFileName());
    app.add_option("--overwrite", overwrite_, "replace an existing output file: yes or no")
        ->capture_default_str()
        ->check(CLI::IsMember({"yes", "no"}));
  }

  int Run(Session& session) override {
    RefuseExistingOutput(output_, overwrite_);
    if (fs::path(kymPath_).extension() != ".kym") throw CommandError(kymPath_ + ": not a material file (.kym)");
    BaseDocument* doc = session.OpenDocument(docPath_);
    const host::PluginRecord* record = host::PluginRegistry::Get().Find(kImportKymCommand);
    if (!record || !record->command)
      throw CommandError("the plug-in registered no Import .kym command (" + std::to_string(kImportKymCommand) + ")");

    const size_t before = MaterialHelpers(doc).size();
    host::Interaction::Get().fileAnswersByTitle[kFileRequest] = fs::absolute(kymPath_).lexically_normal().string();
    {
      MessagesReportedByCommand quiet;
      record->command->Execute(doc);
    }
    const size_t made = MaterialHelpers(doc).size() - before;
    ReportMessages(made);
    SaveToOutput(session, output_);
    std::cout << "Imported " << made << (made == 1 ? " material" : " materials") << " from " << kymPath_ << std::endl;
    return 0;
  }

 private:
  // The warnings and the readers' messages go to standard error; a file that gave nothing
  // and said why is a failure.
  void ReportMessages(size_t made) const {
    std::string failure;
    for (const std::string& m : host::Interaction::Get().messages) {
      std::cerr << m << std::endl;
      if (m.rfind(kWarningsTitle, 0) != 0) failure = m;
    }
    if (made == 0 && !failure.empty()) throw CommandError(kymPath_ + ": nothing imported");
  }

  std::string docPath_, kymPath_, output_, overwrite_ = "no";
};

SubcommandRegistrar registrar([] { return std::make_unique<ImportKymCommand>(); });

}  // namespace
}  // namespace cli
