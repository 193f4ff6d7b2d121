// The stand-in renderer: takes the renderer's command line, checks the scene it is given and
// everything the scene names, reports what it found, and draws a scene that passed the checks
// into the picture "-o" names (or <scene>.png beside the scene). The report goes to standard
// output and to a report file beside the scene. Exit status: 0 for a scene drawn (or ready,
// with --check-only or KYRANO_CHECK_ONLY=1 in the environment), 1 for a broken scene, a drawing that failed or a report that could not
// be written, 2 for a bad command line.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CommandLine.h"
#include "Draw.h"
#include "Report.h"
#include "SceneCheck.h"

namespace {

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  renderer::RenderOptions options;
  std::string error;
  if (!renderer::ParseCommandLine(argc - 1, argv + 1, options, error)) {
    std::fprintf(stderr, "Kyrano: %s\n", error.c_str());
    return 2;
  }
  // Test runs and scripts that want the report only set KYRANO_CHECK_ONLY to anything but 0.
  const char* checkOnly = std::getenv("KYRANO_CHECK_ONLY");
  if (checkOnly && *checkOnly && std::string(checkOnly) != "0") options.checkOnly = true;
  const renderer::SceneFindings findings = renderer::CheckScene(options.scene);
  std::string report = renderer::FormatReport(options, findings);
  Print(report);
  bool failed = !findings.problems.empty();
  if (!failed && !options.checkOnly) {
    const renderer::DrawResult drawn = renderer::DrawScene(options);
    if (drawn.ok) {
      report += drawn.summary;
      Print(drawn.summary);
    } else {
      std::fprintf(stderr, "Kyrano: %s\n", drawn.error.c_str());
      report += "Drawing failed: " + drawn.error + "\n";
      failed = true;
    }
  }
  const std::string failure = renderer::WriteReplacing(renderer::ReportPath(options.scene), report);
  if (!failure.empty()) {
    std::fprintf(stderr, "Kyrano: report not written: %s\n", failure.c_str());
    return 1;
  }
  return failed ? 1 : 0;
}
