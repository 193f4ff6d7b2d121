// Runs the renderer on a scene and waits for it: what --wait and --run over a frame range do,
// where the renderer must finish one scene before it starts the next.
#pragma once
#include <string>
#include <vector>

namespace cli {

struct RendererRun {
  std::string executable;
  std::string scene;
  std::string outputImage;  // empty: the renderer chooses
  bool master = false;
  int port = 0;
  // The renderer's command line: scene, then "-o IMAGE" and "-n wm -p PORT" when asked.
  std::vector<std::string> Arguments() const;
};

// Starts the renderer with the command's standard output and error, so its report appears
// in the command's output, and returns its exit status (0 a scene rendered or checked, 1 a
// broken scene). Throws CommandError when it cannot be started or ends by a signal.
int RunRendererAndWait(const RendererRun& run);

}  // namespace cli
