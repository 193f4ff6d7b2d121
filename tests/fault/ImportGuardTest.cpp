// Files of other tools on which the importer would read for ever: refused at once where that
// is cheap to tell, and otherwise given up after the command's time limit.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "fault/FaultSupport.h"
#include "host/DocumentIO.h"
#include "host/SceneImport.h"

using namespace testing_support;

namespace {

const std::string kTavrell = std::string(TAVRELL_BINARY_DIR) + "/bin/tavrell";

std::string ImportError(const std::string& path) {
  try {
    BaseDocument* doc = host::ImportScene(path, 20);
    BaseDocument::Free(doc);
  } catch (const host::DocumentError& e) {
    return e.what();
  }
  return "";
}

// An OBJ grid of side x side quads, big enough that reading it takes a while.
std::string GridObj(int side) {
  std::string text;
  for (int j = 0; j <= side; j++)
    for (int i = 0; i <= side; i++) text += "v " + std::to_string(i) + " 0 " + std::to_string(j) + "\n";
  for (int j = 0; j < side; j++)
    for (int i = 0; i < side; i++) {
      const int a = j * (side + 1) + i + 1;
      text += "f " + std::to_string(a) + " " + std::to_string(a + 1) + " " + std::to_string(a + side + 2) + " " +
              std::to_string(a + side + 1) + "\n";
    }
  return text;
}

}  // namespace

// Each of these made Assimp's PLY reader look for the end of its header for ever.
TEST(ImportGuard, PlyHeadersThatNeverEndAreRefusedAtOnce) {
  TempDir dir("plyguard");
  const char* headers[] = {
      "ply\nformat ascii 1.0\n",
      "ply\r\nformat ascii 1.0\r\n",
      "ply\nformat binary_little_endian 1.0\nelement vertex 1\nproperty float x\n",
      "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nend_headerx\n",
      "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\ncomment end_header\n",
  };
  for (const char* header : headers) {
    const std::string path = dir.str("hang.ply");
    WriteFile(path, header);
    EXPECT_EQ(ImportError(path), path + ": cannot read the scene: the PLY header never ends (it has no end_header line)")
        << header;
  }
  // A header that ends goes on to the importer, which says what else is wrong.
  WriteFile(dir.str("empty.ply"), "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nend_header\n");
  EXPECT_EQ(ImportError(dir.str("empty.ply")).rfind(dir.str("empty.ply") + ": cannot read the scene: ", 0), 0u);
}

TEST(ImportGuard, AJobPastItsTimeLimitIsGivenUp) {
  EXPECT_TRUE(host::RunWithTimeLimit([] {}, 10));
  EXPECT_THROW(host::RunWithTimeLimit([] { throw std::runtime_error("broken"); }, 10), std::runtime_error);
  EXPECT_FALSE(host::ImportsAbandoned());
  // The job owns what it touches, so it may run on after the call.
  EXPECT_FALSE(host::RunWithTimeLimit([] { std::this_thread::sleep_for(std::chrono::seconds(2)); }, 0.05));
  EXPECT_TRUE(host::ImportsAbandoned());
}

TEST(ImportGuard, TheCommandGivesUpAfterItsImportTimeout) {
  TempDir dir("importtimeout");
  const std::string plugin = CopyPluginFolder(dir), log = dir.str("log.txt");
  const std::string big = dir.str("big.obj"), small = dir.str("small.obj");
  WriteFile(big, GridObj(300));
  WriteFile(small, GridObj(2));
  auto open = [&](const std::string& file, const std::string& timeout) {
    return Process({kTavrell, "--plugin-dir", plugin, "open", file, "-o", dir.str("out.json"), "--import-timeout", timeout},
                   log)
        .Wait();
  };
  EXPECT_EQ(open(big, "0.001"), 1);
  const std::string text = ReadFile(log);
  EXPECT_NE(text.find("tavrell: " + big + ": the import did not finish within 0.001 s; the file may be malformed, or "
                      "need a longer time limit\n"),
            std::string::npos)
      << text;
  EXPECT_FALSE(fs::exists(dir.str("out.json")));
  EXPECT_EQ(open(small, "30"), 0) << ReadFile(log);
  EXPECT_EQ(open(small, "0"), 2);
  EXPECT_NE(ReadFile(log).find("--import-timeout: expected a number of seconds above 0"), std::string::npos);
}
