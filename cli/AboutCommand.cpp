// tavrell about: runs the plug-in's About command and prints what its dialog shows (title and
// texts), then presses OK.
#include <iostream>

#include "Subcommand.h"
#include "host/Console.h"
#include "host/PluginRegistry.h"

namespace cli {
namespace {

const LONG kAboutCommand = 1020894;

class AboutCommand : public Subcommand {
 public:
  const char* Name() const override { return "about"; }
  const char* Description() const override { return "show the plug-in's About box: product, version and credits"; }
  void Setup(CLI::App&) override {}

  int Run(Session&) override {
    const host::PluginRecord* record = host::PluginRegistry::Get().Find(kAboutCommand);
    if (!record || !record->command)
      throw CommandError("the plug-in registered no About command (" + std::to_string(kAboutCommand) + ")");
    host::Interaction& in = host::Interaction::Get();
    in.gadgetScript.push_back(host::GadgetStep::Pressing("IDC_OK"));
    const size_t shown = in.dialogs.size();
    const Bool opened = record->command->Execute(GetActiveDocument());
    if (!opened || in.dialogs.size() <= shown) throw CommandError("the About dialog did not open");
    if (!in.errors.empty()) throw CommandError(in.errors.back());

    const host::DialogRecord& dialog = in.dialogs[shown];
    std::cout << dialog.title << "\n";
    for (const host::GadgetRecord& g : dialog.gadgets)
      if (g.kind == "STATICTEXT") std::cout << "  " << g.value.GetString().str() << "\n";
    std::cout << std::flush;
    return 0;
  }
};

SubcommandRegistrar registrar([] { return std::make_unique<AboutCommand>(); });

}  // namespace
}  // namespace cli
