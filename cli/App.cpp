#include "App.h"

#include <cstdlib>
#include <iostream>

#include "Subcommand.h"
#include "host/Console.h"
#include "host/SceneImport.h"

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

  double importTimeout = host::kDefaultImportTimeout;

  std::vector<std::unique_ptr<Subcommand>> commands;
  std::vector<CLI::App*> apps;
  for (const SubcommandFactory& make : Subcommands()) {
    commands.push_back(make());
    CLI::App* sub = app.add_subcommand(commands.back()->Name(), commands.back()->Description());
    commands.back()->Setup(*sub);
    if (commands.back()->OpensDocument())
      sub->add_option("--import-timeout", importTimeout,
                      "seconds an import of another tool's file may take before the command gives up on it")
          ->check(CLI::Validator(
              [](std::string& text) {
                char* end = nullptr;
                const double seconds = std::strtod(text.c_str(), &end);
                return *end == 0 && seconds > 0 && seconds <= 1e7 ? std::string()
                                                                  : "expected a number of seconds above 0";
              },
              "SECONDS"))
          ->capture_default_str();
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
      Session session(pluginDir, importTimeout);
      if (commands[i]->NeedsPlugin()) session.LoadPlugin();
      return commands[i]->Run(session);
    }
  } catch (const CommandError& e) {
    std::cerr << "tavrell: " << e.what() << std::endl;
    return 1;
  } catch (const host::UnansweredQuestion& e) {
    std::cerr << "tavrell: " << e.what() << " (give the answer with a flag)" << std::endl;
    return 1;
  } catch (const std::bad_alloc&) {
    std::cerr << "tavrell: not enough memory" << std::endl;
    return 1;
  } catch (const std::exception& e) {
    // What the standard library throws (a file system error, say) is one line too.
    std::cerr << "tavrell: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace cli
