#include "ReplaceFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(ReplaceFile, ReplacesTheFileAndLeavesNothingElse) {
  TempDir dir("replace");
  const std::string path = dir.str("scene.kys");
  EXPECT_EQ("", replaceFileWithBytes(path, "first"));
  // A second name for the old file shows that it is replaced, not rewritten in place.
  fs::create_hard_link(path, dir.str("witness"));
  EXPECT_EQ("", replaceFileWithBytes(path, "second", true));
  EXPECT_EQ("second", ReadFile(path));
  EXPECT_EQ("first", ReadFile(dir.str("witness")));
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"scene.kys", "witness"}));

  // A writer that fails leaves the old file and no temporary.
  EXPECT_EQ("cannot write " + path + ": Input/output error",
            replaceFile(path, [](std::FILE* file) { return std::fputs("half", file) >= 0 && false; }));
  EXPECT_EQ("second", ReadFile(path));
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"scene.kys", "witness"}));

  EXPECT_EQ("cannot write a file without a name", replaceFileWithBytes("", "x"));
  // A name near the file system's limit still leaves room for the temporary's.
  const std::string longName = dir.str(std::string(250, 'n'));
  EXPECT_EQ("", replaceFileWithBytes(longName, "long"));
  EXPECT_EQ("long", ReadFile(longName));
  fs::remove(longName);
  EXPECT_EQ("cannot write " + dir.str("none/x") + ": cannot create a temporary file beside it: No such file or directory",
            replaceFileWithBytes(dir.str("none/x"), "x"));
  // A folder at the name is not replaced.
  fs::create_directory(dir.str("folder"));
  EXPECT_EQ("cannot write " + dir.str("folder") + ": Is a directory", replaceFileWithBytes(dir.str("folder"), "x"));
}

// Links planted where a writer with fixed temporary names would write make it write nothing
// outside the folder: a link at the file's own name is replaced, not followed.
TEST(ReplaceFile, NeverWritesThroughAPlantedLink) {
  TempDir dir("replace_link");
  const std::string outside = dir.str("outside");
  WriteFile(outside, "precious");
  fs::create_directory(dir.str("out"));
  const std::string path = dir.str("out/doc.json");
  for (const std::string& planted : {path + ".tmp", path + "." + std::to_string(getpid()) + ".tmp"})
    fs::create_symlink(outside, planted);
  EXPECT_EQ("", replaceFileWithBytes(path, "document"));
  EXPECT_EQ("document", ReadFile(path));
  EXPECT_EQ("precious", ReadFile(outside));

  const std::string linked = dir.str("out/linked.kys");
  fs::create_symlink(outside, linked);
  EXPECT_EQ("", replaceFileWithBytes(linked, "scene"));
  EXPECT_FALSE(fs::is_symlink(linked));
  EXPECT_EQ("scene", ReadFile(linked));
  EXPECT_EQ("precious", ReadFile(outside));
}

// While one writer replaces the file again and again, another looks at it all the time: the
// name never stands empty, and it always holds one whole version.
TEST(ReplaceFile, TheNameNeverStandsEmpty) {
  TempDir dir("replace_race");
  const std::string path = dir.str("m.kymesh");
  const std::string a(4096, 'a'), b(4096, 'b');
  ASSERT_EQ("", replaceFileWithBytes(path, a));
  std::atomic<bool> done{false};
  std::atomic<int> missing{0}, torn{0};
  std::thread reader([&] {
    while (!done) {
      const int fd = open(path.c_str(), O_RDONLY);
      if (fd < 0) {
        missing += errno == ENOENT;
        continue;
      }
      char buffer[8192];
      const ssize_t got = read(fd, buffer, sizeof buffer);
      close(fd);
      const std::string text(buffer, got > 0 ? size_t(got) : 0);
      torn += text != a && text != b;
    }
  });
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  for (int i = 0; std::chrono::steady_clock::now() < until; ++i) ASSERT_EQ("", replaceFileWithBytes(path, i % 2 ? a : b));
  done = true;
  reader.join();
  EXPECT_EQ(0, missing.load());
  EXPECT_EQ(0, torn.load());
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"m.kymesh"}));
}
