// tavrell quick-render: runs the plug-in's Quick Render command on a document: an export into
// the plug-in's quick-render folder with the options of the last export, and the renderer
// started on it.
#include <filesystem>

#include "MessagesReportedByCommand.h"
#include "Subcommand.h"
#include "host/Console.h"
#include "host/PluginRegistry.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

const LONG kQuickRenderCommand = 1023920;
const char* const kRendererRequest = "Choose Kyrano dir";


class QuickRenderCommand : public Subcommand {
 public:
  const char* Name() const override { return "quick-render"; }
  const char* Description() const override {
    return "export a document into the plug-in's quick-render folder with the last export's options and start the "
           "renderer";
  }

  void Setup(CLI::App& app) override {
    app.add_option("DOC", input_, "the document to render")->required()->check(CLI::ExistingFile);
    app.add_option("--renderer-dir", rendererDir_,
                   "the folder holding the renderer's Kyrano.app, when none is stored yet")
        ->check(CLI::ExistingDirectory);
  }

  int Run(Session& session) override {
    BaseDocument* doc = session.OpenDocument(input_);
    const host::PluginRecord* record = host::PluginRegistry::Get().Find(kQuickRenderCommand);
    if (!record || !record->command)
      throw CommandError("the plug-in registered no Quick Render command (" + std::to_string(kQuickRenderCommand) +
                         ")");
    host::Interaction& in = host::Interaction::Get();
    in.fileAnswersByTitle[kRendererRequest] =
        rendererDir_.empty() ? TAVRELL_DEFAULT_RENDERER_DIR : fs::absolute(rendererDir_).lexically_normal().string();

    MessagesReportedByCommand quiet;
    const Bool started = record->command->Execute(doc);
    if (!in.messages.empty()) throw CommandError(in.messages.back());
    if (!started)
      throw CommandError("the renderer was not started: no renderer folder is known (give one with --renderer-dir)");
    return 0;
  }

 private:
  std::string input_, rendererDir_;
};

SubcommandRegistrar registrar([] { return std::make_unique<QuickRenderCommand>(); });

}  // namespace
}  // namespace cli
