#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "ReplaceFile.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

struct stat StatOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st;
}

size_t EntriesIn(const fs::path& dir) {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(dir)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

}  // namespace

// On one file system the target becomes a second name of the source; an old file at the
// target is replaced, never written through, so a file it shared with a third name keeps its
// bytes. No temporary is left behind.
TEST(ReplaceFileWithLink, LinksTheSourceAndReplacesWithoutWritingThrough) {
  TempDir dir("link");
  const std::string source = dir.str("a.kymesh"), target = dir.str("b.kymesh"), other = dir.str("c.kymesh");
  WriteFile(source, "new mesh");
  WriteFile(target, "old mesh");
  ASSERT_EQ(::link(target.c_str(), other.c_str()), 0);

  bool copied = true;
  EXPECT_EQ(replaceFileWithLink(target, source, &copied), "");
  EXPECT_FALSE(copied);
  EXPECT_EQ(StatOf(target).st_ino, StatOf(source).st_ino);
  EXPECT_EQ(StatOf(source).st_nlink, nlink_t(2));
  EXPECT_EQ(ReadFile(target), "new mesh");
  EXPECT_EQ(ReadFile(other), "old mesh");
  EXPECT_EQ(EntriesIn(dir.path()), 3u);
}

// Across file systems a link cannot be made: the bytes are copied into a file of the
// target's own. A source that is gone is an error naming it, and the target stays as it was.
TEST(ReplaceFileWithLink, CopiesWhereNoLinkCanBeMadeAndReportsAMissingSource) {
  TempDir dir("link");
  const fs::path shm = fs::path("/dev/shm") / ("tavrell_link_" + std::to_string(::getpid()));
  fs::create_directories(shm);
  const std::string source = (shm / "a.kymesh").string(), target = dir.str("b.kymesh");
  std::string bytes(3 << 20, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 31 % 251);
  WriteFile(source, bytes);
  if (StatOf(source).st_dev != StatOf(dir.str()).st_dev) {
    bool copied = false;
    EXPECT_EQ(replaceFileWithLink(target, source, &copied), "");
    EXPECT_TRUE(copied);
    EXPECT_NE(StatOf(target).st_ino, StatOf(source).st_ino);
    EXPECT_EQ(ReadFile(target), bytes);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
  }
  fs::remove_all(shm);

  WriteFile(target, "kept");
  EXPECT_EQ(replaceFileWithLink(target, source), "cannot write " + target + ": " + source + " is gone");
  EXPECT_EQ(ReadFile(target), "kept");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}
