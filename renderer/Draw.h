// The drawing stage, run only on a scene that passed the checks: builds the render scene,
// writes the silhouette mask when asked, draws the picture with progress lines on standard
// output and writes it as PNG.
#pragma once
#include <string>

#include "CommandLine.h"

namespace renderer {

struct DrawResult {
  bool ok = false;
  std::string error;    // one sentence when not ok
  std::string summary;  // the report's closing lines: what was not drawn, the picture written
};

DrawResult DrawScene(const RenderOptions& options);

}  // namespace renderer
