#include <iostream>

#include "Subcommand.h"
#include "host/PluginRegistry.h"

namespace cli {
namespace {

class PluginsCommand : public Subcommand {
 public:
  const char* Name() const override { return "plugins"; }
  const char* Description() const override { return "load the plug-in and list what it registered: id, kind, name"; }
  void Setup(CLI::App&) override {}
  bool OpensDocument() const override { return false; }
  int Run(Session&) override {
    for (const host::PluginRecord& r : host::PluginRegistry::Get().All())
      std::cout << r.id << "\t" << host::KindName(r.kind) << "\t" << r.name.str() << "\n";
    return 0;
  }
};

SubcommandRegistrar registrar([] { return std::make_unique<PluginsCommand>(); });

}  // namespace
}  // namespace cli
