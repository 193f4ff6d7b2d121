#include "CommandLine.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "RenderLimits.h"

namespace renderer {

namespace {

// A whole decimal number between low and high, nothing around it.
bool ParseNumber(const std::string& text, long low, long high, long& value) {
  if (text.empty() || text[0] == ' ' || text[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno == ERANGE || *end != '\0' || v < low || v > high) return false;
  value = v;
  return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, RenderOptions& options, std::string& error) {
  bool optionsEnded = false;
  bool portGiven = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
    if (!isOption) {
      if (!options.scene.empty()) {
        error = "more than one scene file given: '" + options.scene + "' and '" + arg + "'";
        return false;
      }
      options.scene = arg;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--check-only") {
      options.checkOnly = true;
      continue;
    }
    if (arg != "-seed" && arg != "-haltspp" && arg != "-n" && arg != "-p" && arg != "-o" && arg != "--mask") {
      error = "unknown option '" + arg +
              "' (options: -seed N, -haltspp N, -n wm -p PORT, -o IMAGE, --mask IMAGE, --check-only)";
      return false;
    }
    if (i + 1 >= argc) {
      error = "option " + arg + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    if (arg == "-seed" && !ParseNumber(value, 0, INT_MAX, options.seed)) {
      error = "-seed needs a whole number from 0 to " + std::to_string(INT_MAX) + ", not '" + value + "'";
      return false;
    }
    if (arg == "-haltspp" && !ParseNumber(value, 0, kMaxSamplesPerPixel, options.haltSpp)) {
      error = "-haltspp needs a whole number of samples per pixel from 0 to " + std::to_string(kMaxSamplesPerPixel) +
              ", not '" + value + "'";
      return false;
    }
    if (arg == "-n") {
      if (value != "wm") {
        error = "-n knows only the network mode 'wm' (work master), not '" + value + "'";
        return false;
      }
      options.networkMaster = true;
    }
    if (arg == "-p") {
      if (!ParseNumber(value, 1, 65535, options.port)) {
        error = "-p needs a port number from 1 to 65535, not '" + value + "'";
        return false;
      }
      portGiven = true;
    }
    if (arg == "-o") {
      if (value.empty()) {
        error = "-o needs an image file name";
        return false;
      }
      options.outputImage = value;
    }
    if (arg == "--mask") {
      if (value.empty()) {
        error = "--mask needs an image file name";
        return false;
      }
      options.maskImage = value;
    }
  }
  if (options.scene.empty()) {
    error = "no scene file given (usage: Kyrano SCENE.kys [-seed N] [-haltspp N] [-n wm -p PORT] [-o IMAGE])";
    return false;
  }
  if (options.networkMaster != portGiven) {
    error = options.networkMaster ? "-n wm needs the port to listen on: -p PORT" : "-p PORT is only used with -n wm";
    return false;
  }
  return true;
}

std::string DescribeOptions(const RenderOptions& options) {
  std::string text;
  auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
  if (options.seed >= 0) add("seed " + std::to_string(options.seed));
  if (options.haltSpp >= 0) add("halt at " + std::to_string(options.haltSpp) + " samples per pixel");
  if (options.networkMaster) add("network work master on port " + std::to_string(options.port));
  if (!options.outputImage.empty()) add("output image " + options.outputImage);
  if (!options.maskImage.empty()) add("mask image " + options.maskImage);
  if (options.checkOnly) add("check only");
  return text.empty() ? "none" : text;
}

std::string OutputImagePath(const RenderOptions& options) {
  if (!options.outputImage.empty()) return options.outputImage;
  return std::filesystem::path(options.scene).replace_extension(".png").string();
}

}  // namespace renderer
