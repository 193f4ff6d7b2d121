#include "Report.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ReplaceFile.h"

namespace renderer {

namespace {

std::string FormatProblem(const Problem& p) {
  std::string text = "  " + p.file;
  if (p.line > 0) text += ":" + std::to_string(p.line);
  text += ": ";
  if (!p.element.empty()) text += p.element + ": ";
  return text + p.message + "\n";
}

std::string FormatCounts(const SceneFindings& findings) {
  std::string text;
  for (const auto& entry : findings.elementCounts)
    text += (text.empty() ? "" : ", ") + entry.first + " " + std::to_string(entry.second);
  return text.empty() ? "none" : text;
}

}  // namespace

std::string ReportPath(const std::string& scenePath) { return scenePath + ".report.txt"; }

std::string FormatReport(const RenderOptions& options, const SceneFindings& findings) {
  std::string text = "Kyrano scene check\n";
  text += "Scene: " + options.scene + "\n";
  text += "Options: " + DescribeOptions(options) + "\n";
  text += "Elements: " + FormatCounts(findings) + "\n";
  text += "Materials parsed: " + std::to_string(findings.materialsParsed) + " in the scene, " +
          std::to_string(findings.includedMaterials) + " in included files\n";
  text += "Mesh files read: " + std::to_string(findings.meshFilesRead) + ", triangles: " +
          std::to_string(findings.triangles) + "\n";
  text += "Problems: " + std::to_string(findings.problems.size()) + "\n";
  for (const Problem& problem : findings.problems) text += FormatProblem(problem);
  text += findings.problems.empty() ? "Result: the scene is ready to render.\n" : "Result: the scene is broken.\n";
  return text;
}

std::string WriteReplacing(const std::string& path, const std::string& text) {
  return replaceFile(path, [&text](std::FILE* file) { return std::fwrite(text.data(), 1, text.size(), file) == text.size(); });
}

}  // namespace renderer
