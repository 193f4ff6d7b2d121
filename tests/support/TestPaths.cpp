#include "TestPaths.h"

// The build defines the TAVRELL_BUILT_* paths for this file only.
namespace testing_support {

const char* SourceDir() { return TAVRELL_BUILT_SOURCE_DIR; }
const char* TestDataDir() { return TAVRELL_BUILT_TEST_DATA; }
const char* PluginDir() { return TAVRELL_BUILT_PLUGIN_DIR; }
const char* RendererDir() { return TAVRELL_BUILT_RENDERER_DIR; }
const char* BinaryDir() { return TAVRELL_BUILT_BINARY_DIR; }

}  // namespace testing_support
