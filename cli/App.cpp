#include "App.h"

#include <cstdlib>
#include <iostream>
#include <regex>

#include "Subcommand.h"
#include "host/Console.h"
#include "host/PluginLoader.h"
#include "host/SceneImport.h"

namespace cli {

namespace {
// The command's own version; the plug-in's comes from the banner it prints when it starts.
const char* const kTavrellVersion = "2.0.5";
}  // namespace

std::vector<SubcommandFactory>& Subcommands() {
  static std::vector<SubcommandFactory> factories;
  return factories;
}

namespace {

// --quiet for one run: the console keeps ordinary lines off standard output.
class QuietConsole {
 public:
  explicit QuietConsole(bool quiet) : previous_(host::Console::Get().quiet()) { host::Console::Get().SetQuiet(quiet); }
  ~QuietConsole() { host::Console::Get().SetQuiet(previous_); }

 private:
  bool previous_;
};

// The command's version, and the plug-in's name and version as its About box gives them.
int PrintVersion(const std::string& pluginDir) {
  std::cout << "tavrell " << kTavrellVersion << std::endl;
  host::Console::Get().StartCapture();
  host::Console::Get().SetEcho(false);
  host::PluginLibrary library;
  const bool loaded = library.Load(pluginDir);
  host::Console::Get().SetEcho(true);
  const std::vector<std::string> lines = host::Console::Get().StopCapture();
  if (!loaded) throw CommandError(library.error());
  static const std::regex productAndVersion(R"(\S+ \d+(\.\d+)+)");
  std::string name;
  std::smatch found;
  for (const std::string& line : lines)
    if (std::regex_search(line, found, productAndVersion)) {
      name = found.str();
      break;
    }
  std::cout << "plug-in: " << (name.empty() ? std::string("(unnamed)") : name) << " from " << pluginDir << std::endl;
  return 0;
}

}  // namespace

int RunTavrell(const std::vector<std::string>& argsIn) {
  CLI::App app{"tavrell: runs the Tavrell plug-in's commands on host documents", "tavrell"};
  app.require_subcommand(0, 1);
  app.footer(
      "Exit codes: 0 done, 1 the command failed, 2 a wrong command line. The plug-in's console lines go to standard "
      "output, warnings and errors to standard error.");
  std::string pluginDir = TAVRELL_DEFAULT_PLUGIN_DIR;
  app.add_option("--plugin-dir", pluginDir, "the plug-in folder (holding the library, res/, presets/ and preview/)");
  bool quiet = false, version = false;
  app.add_flag("-q,--quiet", quiet, "show warnings and errors only");
  app.add_flag("--version", version, "print the command's version and the name of the plug-in it loads");

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

  if (app.get_subcommands().empty() && !version) {
    std::cerr << "tavrell: a subcommand is required (see tavrell --help)" << std::endl;
    return 2;
  }
  host::Interaction::Get().Reset();
  const QuietConsole quietConsole(quiet);
  try {
    if (version) return PrintVersion(pluginDir);
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
