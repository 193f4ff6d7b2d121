#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "c4d.h"

namespace fs = std::filesystem;

TEST(Filename, DirectoryFileAndSuffixOperations) {
  Filename f("/Users/a/scenes/room.kys");
  EXPECT_EQ(f.GetDirectory().GetString(), String("/Users/a/scenes"));
  EXPECT_EQ(f.GetFileString(), String("room.kys"));
  EXPECT_EQ(f.GetSuffix(), String("kys"));
  f.ClearSuffix();
  EXPECT_EQ(f.GetString(), String("/Users/a/scenes/room"));
  f.SetSuffix("kymesh");
  EXPECT_EQ(f.GetString(), String("/Users/a/scenes/room.kymesh"));
  f.SetSuffix("png");  // replaces the suffix
  EXPECT_EQ(f.GetFileString(), String("room.png"));
  EXPECT_EQ((Filename("/a/b/") + Filename("c")).GetString(), String("/a/b/c"));
  EXPECT_EQ((Filename("/a/b") + Filename("models.room")).GetString(), String("/a/b/models.room"));
  Filename dotted("/a/v1.2/file");
  EXPECT_EQ(dotted.GetSuffix(), String(""));
  EXPECT_FALSE(Filename().Content());
}

TEST(Files, RecursiveKillNeverFollowsALinkOutOfTheFolder) {
  const fs::path base = fs::temp_directory_path() / ("tavrell_kill_" + std::to_string(getpid()));
  fs::remove_all(base);
  fs::create_directories(base / "victim" / "sub");
  fs::create_directories(base / "outside");
  std::ofstream(base / "outside" / "keep.txt") << "precious";
  std::ofstream(base / "victim" / "sub" / "a.txt") << "a";
  fs::create_directory_symlink(base / "outside", base / "victim" / "link");
  fs::create_symlink(base / "outside" / "keep.txt", base / "victim" / "filelink");

  EXPECT_FALSE(GeFKill(Filename((base / "victim").c_str()), 0));  // a folder needs the directory flag
  EXPECT_TRUE(GeFKill(Filename((base / "victim").c_str()), GE_DIRECTORY | GE_RECURSIVE));
  EXPECT_FALSE(fs::exists(base / "victim"));
  EXPECT_TRUE(fs::exists(base / "outside" / "keep.txt"));
  EXPECT_TRUE(GeFCreateDir(Filename((base / "new").c_str())));
  EXPECT_TRUE(GeFExist(Filename((base / "new").c_str()), TRUE));
  EXPECT_FALSE(GeFExist(Filename((base / "outside" / "keep.txt").c_str()), TRUE));
  fs::remove_all(base);
}

TEST(Files, BaseFileWritesAndReadsBytes) {
  const std::string path = (fs::temp_directory_path() / ("tavrell_bf_" + std::to_string(getpid()))).string();
  BaseFile* f = BaseFile::Alloc();
  ASSERT_TRUE(f->Open(Filename(path.c_str()), GE_WRITE));
  EXPECT_TRUE(f->WriteBytes("abc\"", 4));
  EXPECT_TRUE(f->Close());
  ASSERT_TRUE(f->Open(Filename(path.c_str()), GE_READ));
  char buf[8] = {0};
  EXPECT_EQ(f->ReadBytes(buf, 8, TRUE), 4);
  EXPECT_STREQ(buf, "abc\"");
  EXPECT_FALSE(f->Open(Filename("/no/such/folder/x"), GE_WRITE));
  BaseFile::Free(f);
  fs::remove(path);
}

TEST(String, ConversionsAndNumberText) {
  char buf[4];
  String("hello").GetCString(buf, sizeof buf);
  EXPECT_STREQ(buf, "hel");  // never past the buffer
  EXPECT_EQ(String(" 42x").StringToLong(), 42);
  LONG err = 0;
  EXPECT_EQ(String("abc").StringToLong(&err), 0);
  EXPECT_NE(err, 0);
  EXPECT_EQ(String("").StringToLong(), 0);
  EXPECT_EQ(RealToString(1.5f, -1, 3), String("1.500"));
  EXPECT_EQ(RealToString(0.2f, 8, 5, FALSE, '0'), String("00.20000"));
  EXPECT_EQ(LongToString(-12), String("-12"));
}
