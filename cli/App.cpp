#include "App.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "CheckKym.h"
#include "Session.h"
#include "host/Console.h"
#include "host/PluginRegistry.h"

namespace cli {

namespace {

void ListPlugins(std::ostream& out) {
  for (const host::PluginRecord& r : host::PluginRegistry::Get().All())
    out << r.id << "\t" << host::KindName(r.kind) << "\t" << r.name.str() << "\n";
}

}  // namespace

int RunTavrell(const std::vector<std::string>& argsIn) {
  CLI::App app{"tavrell: runs the Tavrell plug-in's commands on host documents", "tavrell"};
  app.require_subcommand(1);
  std::string pluginDir = TAVRELL_DEFAULT_PLUGIN_DIR;
  app.add_option("--plugin-dir", pluginDir, "the plug-in folder (holding the library, res/, presets/ and preview/)");

  auto* plugins = app.add_subcommand("plugins", "load the plug-in and list what it registered: id, kind, name");

  std::string openIn, openOut;
  auto* open = app.add_subcommand("open", "open a document and save it again");
  open->add_option("FILE", openIn, "the document to open")->required()->check(CLI::ExistingFile);
  open->add_option("-o,--output", openOut, "where to save the document (JSON)")->required();

  std::string kymFile;
  auto* checkKym = app.add_subcommand("check-kym", "check the materials of a material file (.kym)");
  checkKym->add_option("FILE", kymFile, "the material file")->required()->check(CLI::ExistingFile);

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

  try {
    if (*checkKym) return checkKymFile(kymFile, std::cout, std::cerr);
    Session session(pluginDir);
    session.LoadPlugin();
    if (*plugins) {
      ListPlugins(std::cout);
      return 0;
    }
    if (*open) {
      session.OpenDocument(openIn);
      session.SaveDocument(openOut);
      return 0;
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
