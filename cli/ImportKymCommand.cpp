// tavrell import-kym: runs the plug-in's Import .kym command on a document, answering its file
// request with the material file, and saves the document.
#include <algorithm>
#include <filesystem>
#include <iostream>

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

void CollectHelpers(BaseObject* op, LONG helperType, std::vector<BaseObject*>& out) {
  for (; op; op = op->GetNext()) {
    if (op->GetType() == helperType) out.push_back(op);
    CollectHelpers(op->GetDown(), helperType, out);
  }
}

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
    if (fs::exists(output_) && overwrite_ != "yes")
      throw CommandError(output_ + " exists: give --overwrite yes to replace it");
    if (fs::path(kymPath_).extension() != ".kym") throw CommandError(kymPath_ + ": not a material file (.kym)");
    BaseDocument* doc = session.OpenDocument(docPath_);
    const host::PluginRecord* record = host::PluginRegistry::Get().Find(kImportKymCommand);
    const host::PluginRecord* helper = host::PluginRegistry::Get().FindByDescription("oMyMaterialHelper");
    if (!record || !record->command || !helper)
      throw CommandError("the plug-in registered no Import .kym command (" + std::to_string(kImportKymCommand) + ")");

    std::vector<BaseObject*> before, after;
    CollectHelpers(doc->GetFirstObject(), helper->id, before);
    host::Interaction& in = host::Interaction::Get();
    in.fileAnswersByTitle[kFileRequest] = fs::absolute(kymPath_).lexically_normal().string();
    {
      MessagesReportedByCommand quiet;
      record->command->Execute(doc);
    }
    CollectHelpers(doc->GetFirstObject(), helper->id, after);
    const size_t made = after.size() - before.size();
    ReportMessages(made);

    std::error_code ec;
    const fs::path folder = fs::absolute(output_).parent_path();
    fs::create_directories(folder, ec);
    if (ec) throw CommandError("cannot create the output folder " + folder.string() + ": " + ec.message());
    session.SaveDocument(output_);
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
