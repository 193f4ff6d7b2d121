// The renderer's command line: the scene file and the options the plug-in passes.
#pragma once
#include <string>

namespace renderer {

struct RenderOptions {
  std::string scene;
  long seed = -1;               // -seed N
  long haltSpp = -1;            // -haltspp N
  bool networkMaster = false;   // -n wm
  long port = -1;               // -p PORT
  std::string outputImage;      // -o IMAGE
  bool checkOnly = false;       // --check-only: check and report, draw nothing
  std::string maskImage;        // --mask FILE.png: the silhouette through the scene camera
};

// The picture the renderer writes: -o IMAGE, or the scene's path with ".png" in place of its
// suffix.
std::string OutputImagePath(const RenderOptions& options);

// Reads the arguments (without the program name). On a bad or missing argument returns
// false and sets error to one sentence saying what is wrong.
bool ParseCommandLine(int argc, const char* const* argv, RenderOptions& options, std::string& error);

// One line listing the options that were given, "none" when there were none.
std::string DescribeOptions(const RenderOptions& options);

}  // namespace renderer
