// The exporter's find pass: the distinct objects that instance objects point to, counted on
// the console before the materials.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"

using namespace testing_support;

namespace {

// The console lines of an export of the document, from "Starting export..." on.
std::vector<std::string> ExportLines(const std::string& json) {
  host::PluginLibrary library;
  EXPECT_TRUE(library.Load(TAVRELL_PLUGIN_DIR)) << library.error();
  BaseDocument* doc = host::ParseDocument(json, "instanced.json");
  SetActiveDocument(doc);
  TempDir dir("instanced");
  KyranoSceneExporter exporter;
  exporter.initKYS(doc, Filename(dir.str("scene.kys").c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
  host::Console::Get().SetEcho(false);
  host::Console::Get().StartCapture();
  exporter.exportKYS();
  std::vector<std::string> lines = host::Console::Get().StopCapture();
  SetActiveDocument(nullptr);
  BaseDocument::Free(doc);
  return lines;
}

// The line after "Starting export..." and the one after it.
std::vector<std::string> FindPassLines(const std::vector<std::string>& lines) {
  auto start = std::find(lines.begin(), lines.end(), "Starting export...");
  if (start == lines.end() || lines.end() - start < 3) return {};
  return {start[1], start[2]};
}

}  // namespace

// Three instances of one cube, hidden ones and empty links: ExporterDriver's test.
TEST(InstancedList, TheCountOfDistinctLinkedObjectsFollowsTheStartLine) {
  const std::vector<std::string> none = ExportLines(R"({"objects": [{"type": "Ocube", "name": "Cube"}]})");
  EXPECT_EQ(FindPassLines(none), (std::vector<std::string>{"Instanced objects found: 0", " "}));

  const std::vector<std::string> two = ExportLines(R"({"objects": [
    {"type": "Ocube", "name": "Cube"}, {"type": "Osphere", "name": "Ball"},
    {"type": "Okyranoinstance", "name": "A", "data": {"INSTANCE_LINK": {"link": "/Ball"}}},
    {"type": "Okyranoinstance", "name": "B", "data": {"INSTANCE_LINK": {"link": "/Cube"}}},
    {"type": "Okyranoinstance", "name": "C", "data": {"INSTANCE_LINK": {"link": "/Ball"}}}]})");
  EXPECT_EQ(FindPassLines(two), (std::vector<std::string>{"Instanced objects found: 2", " "}));
}
