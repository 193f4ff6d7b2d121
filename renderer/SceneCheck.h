// Reads a scene file and every file it names, and collects what the scene holds and what is
// wrong with it.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace renderer {

struct Problem {
  std::string file;     // the scene, or the material file it includes
  int line = 0;         // 0 when the file as a whole is at fault
  std::string element;  // for example "mesh 'room-0.kymesh'"; empty for the file as a whole
  std::string message;
};

struct SceneFindings {
  // The children of "scene" by name, with how often each occurs, in first-seen order.
  std::vector<std::pair<std::string, int>> elementCounts;
  int materialsParsed = 0;    // in the scene
  int includedMaterials = 0;  // in the material files it includes
  int meshFilesRead = 0;
  std::uint64_t triangles = 0;
  std::vector<Problem> problems;
};

// Checks that the scene is well-formed XML beginning with the three header comments and the
// "scene" element, that its elements come in the exporter's order, that every file it names
// exists, that every mesh file reads and is consistent, that every material parses and that
// every material and mesh it refers to is defined.
SceneFindings CheckScene(const std::string& scenePath);

}  // namespace renderer
