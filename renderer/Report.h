// The report of a scene check: the text shown on standard output and kept beside the scene.
#pragma once
#include <string>

#include "CommandLine.h"
#include "SceneCheck.h"

namespace renderer {

// The report file of a scene: the scene path followed by ".report.txt".
std::string ReportPath(const std::string& scenePath);

std::string FormatReport(const RenderOptions& options, const SceneFindings& findings);

// Writes the text to a temporary file beside the target and renames it over the target, so
// that a reader never sees half a report. Returns an empty string, or what went wrong.
std::string WriteReplacing(const std::string& path, const std::string& text);

}  // namespace renderer
