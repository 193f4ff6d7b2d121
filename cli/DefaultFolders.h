// The plug-in folder and the renderer folder this build lays out: the command's defaults when
// no flag names another folder. Their paths are compiled into DefaultFolders.cpp alone, so the
// other sources of the command compile to the same text in any clone of the repository and are
// taken from the compiler cache there. The build includes this header in every source of the
// command's library.
#pragma once

namespace cli {

const char* DefaultPluginDir();
const char* DefaultRendererDir();

}  // namespace cli

#define TAVRELL_DEFAULT_PLUGIN_DIR (::cli::DefaultPluginDir())
#define TAVRELL_DEFAULT_RENDERER_DIR (::cli::DefaultRendererDir())
