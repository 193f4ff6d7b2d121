// tavrell export-kym: presses a material helper's save button, answering its file request
// with the output file, so the helper's material is written as a material file (.kym).
#include <filesystem>

#include "HelperArguments.h"
#include "MessagesReportedByCommand.h"
#include "OutputFile.h"
#include "Subcommand.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginRegistry.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

// What the helper's save button asks, worded as the plug-in words it.
const char* const kSaveRequest = "Save kym...";

class ExportKymCommand : public Subcommand {
 public:
  const char* Name() const override { return "export-kym"; }
  const char* Description() const override {
    return "save a material helper's material as a material file (.kym), as its save button does";
  }

  void Setup(CLI::App& app) override {
    app.add_option("DOC", input_, "the document")->required()->check(CLI::ExistingFile);
    app.add_option("HELPER", helper_, "the material helper: a path such as /Materials/Wood, or a name")->required();
    app.add_option("-o,--output", output_, "the material file to write; its suffix becomes .kym, a missing folder is created")
        ->required();
    AddOverwriteOption(app, &overwrite_);
  }

  int Run(Session& session) override {
    const std::string file = PrepareOutput();
    BaseDocument* doc = session.OpenDocument(input_);
    BaseObject* helper = FindMaterialHelper(doc, input_, helper_);
    LONG button = 0;
    if (!host::PluginRegistry::Get().LookupSymbol("MATHELPER_EXPORT_KYM", &button))
      throw CommandError("the plug-in's material helper has no save button (MATHELPER_EXPORT_KYM)");

    host::Interaction& in = host::Interaction::Get();
    in.fileAnswersByTitle[kSaveRequest] = file;
    MessagesReportedByCommand quiet;
    DescriptionCommand press;
    press.id = DescID(button);
    const Bool saved = helper->Message(MSG_DESCRIPTION_COMMAND, &press);
    if (!in.messages.empty()) throw CommandError(in.messages.back());
    if (!saved || !fs::exists(file))
      throw CommandError("the material of " + host::ObjectPath(helper) + " was not saved to " + file +
                         " (the console above says why)");
    return 0;
  }

 private:
  // The file the plug-in writes (the output with the suffix .kym), absolute, with its folder
  // created; an existing one only with --overwrite yes.
  std::string PrepareOutput() const {
    fs::path file(output_);
    file.replace_extension(".kym");
    return PrepareAbsoluteOutput(file, overwrite_).string();
  }

  std::string input_, helper_, output_, overwrite_;
};

SubcommandRegistrar registrar([] { return std::make_unique<ExportKymCommand>(); });

}  // namespace
}  // namespace cli
