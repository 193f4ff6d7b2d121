// The folders the test programs and the benchmarks read from: the checkout, the test fixtures,
// the built plug-in folder, the built renderer folder and the build folder. Their paths are
// compiled into TestPaths.cpp alone, so every other test source compiles to the same text in
// any clone of the repository and is taken from the compiler cache there. The build includes
// this header in every source of a program that links tavrell_test_paths.
//
// Each macro is an expression of type `const char*`.
#pragma once

namespace testing_support {

const char* SourceDir();
const char* TestDataDir();
const char* PluginDir();
const char* RendererDir();
const char* BinaryDir();

}  // namespace testing_support

#define TAVRELL_SOURCE_DIR (::testing_support::SourceDir())
#define TAVRELL_TEST_DATA (::testing_support::TestDataDir())
#define TAVRELL_PLUGIN_DIR (::testing_support::PluginDir())
#define TAVRELL_RENDERER_DIR (::testing_support::RendererDir())
#define TAVRELL_BINARY_DIR (::testing_support::BinaryDir())
