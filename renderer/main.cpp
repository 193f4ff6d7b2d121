// The stand-in renderer: takes the renderer's command line, checks the scene it is given and
// everything the scene names, and reports what it found on standard output and in a report
// file beside the scene. Exit status: 0 for a scene ready to render, 1 for a broken scene (or
// a report that could not be written), 2 for a bad command line.
#include <cstdio>
#include <string>

#include "CommandLine.h"
#include "Report.h"
#include "SceneCheck.h"

int main(int argc, char** argv) {
  renderer::RenderOptions options;
  std::string error;
  if (!renderer::ParseCommandLine(argc - 1, argv + 1, options, error)) {
    std::fprintf(stderr, "Kyrano: %s\n", error.c_str());
    return 2;
  }
  const renderer::SceneFindings findings = renderer::CheckScene(options.scene);
  const std::string report = renderer::FormatReport(options, findings);
  std::fwrite(report.data(), 1, report.size(), stdout);
  std::fflush(stdout);
  const std::string reportPath = renderer::ReportPath(options.scene);
  const std::string failure = renderer::WriteReplacing(reportPath, report);
  if (!failure.empty()) {
    std::fprintf(stderr, "Kyrano: report not written: %s\n", failure.c_str());
    return 1;
  }
  return findings.problems.empty() ? 0 : 1;
}
