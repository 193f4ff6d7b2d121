#include "DefaultFolders.h"

// The build defines the TAVRELL_BUILT_* paths for this file only.
namespace cli {

const char* DefaultPluginDir() { return TAVRELL_BUILT_PLUGIN_DIR; }
const char* DefaultRendererDir() { return TAVRELL_BUILT_RENDERER_DIR; }

}  // namespace cli
