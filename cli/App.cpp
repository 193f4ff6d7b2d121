#include "App.h"

#include <iostream>

#include "Subcommand.h"
#include "host/Console.h"

namespace cli {

std::vector<SubcommandFactory>& Subcommands() {
  static std::vector<SubcommandFactory> factories;
  return factories;
}

int RunTavrell(const std::vector<std::string>& argsIn) {
  CLI::App app{"tavrell: runs the Tavrell plug-in's commands on host documents", "tavrell"};
  app.require_subcommand(1);
  std::string pluginDir = TAVRELL_DEFAULT_PLUGIN_DIR;
  app.add_option("--plugin-dir", pluginDir, "the plug-in folder (holding the library, res/, presets/ and preview/)");

  std::vector<std::unique_ptr<Subcommand>> commands;
  std::vector<CLI::App*> apps;
  for (const SubcommandFactory& make : Subcommands()) {
    commands.push_back(make());
    CLI::App* sub = app.add_subcommand(commands.back()->Name(), commands.back()->Description());
    commands.back()->Setup(*sub);
    apps.push_back(sub);
  }

  std::vector<std::string> args(argsIn.rbegin(), argsIn.rend());
  try {
    app.parse(args);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::CallForAllHelp&) {
    std::cout << app.help("", CLI::AppFormatMode::All);
    return 0;
  } catch (const CLI::ParseError& e) {
    std::string what = e.what();
    if (what.empty()) what = e.get_name();
    std::cerr << "tavrell: " << what << " (see tavrell --help)" << std::endl;
    return 2;
  }

  host::Interaction::Get().Reset();
  try {
    for (size_t i = 0; i < commands.size(); i++) {
      if (!*apps[i]) continue;
      Session session(pluginDir);
      if (commands[i]->NeedsPlugin()) session.LoadPlugin();
      return commands[i]->Run(session);
    }
  } catch (const CommandError& e) {
    std::cerr << "tavrell: " << e.what() << std::endl;
    return 1;
  } catch (const host::UnansweredQuestion& e) {
    std::cerr << "tavrell: " << e.what() << " (give the answer with a flag)" << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace cli
