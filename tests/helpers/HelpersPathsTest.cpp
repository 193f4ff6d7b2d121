#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "c4d.h"
#include "helpers/HelpersPaths.h"
#include "description/oMyMaterialHelper.h"

namespace {

using testing_support::TempDir;

std::string Relative(const std::string& dir, const std::string& file) {
  const char* r = Helpers::GetRelativeFilename(dir.c_str(), file.c_str());
  return r ? std::string(r) : std::string("<null>");
}

std::string Absolute(const std::string& dir, std::string rel) {
  const char* r = Helpers::GetAbsoluteFilename(dir.c_str(), &rel[0]);
  return r ? std::string(r) : std::string("<null>");
}

TextureTag* AddTextureTag(BaseObject* op, BaseMaterial* material, const char* restriction = "") {
  TextureTag* tag = TextureTag::Alloc();
  tag->SetMaterial(material);
  tag->GetDataInstance()->SetString(TEXTURETAG_RESTRICTION, restriction);
  BaseTag* last = nullptr;
  for (BaseTag* t = op->GetFirstTag(); t; t = t->GetNext()) last = t;
  op->InsertTag(tag, last);
  return tag;
}

}  // namespace

TEST(HelpersPaths, RelativeFilenameClimbsFromWherePathsPart) {
  EXPECT_EQ(Relative("/Users/a/scenes", "/Users/a/scenes/tex/w.png"), "tex/w.png");
  EXPECT_EQ(Relative("/Users/a/scenes", "/Users/a/tex/w.png"), "../tex/w.png");
  EXPECT_EQ(Relative("/Applications/Kyrano", "/Applications/Kyrano/data/x.txt"), "data/x.txt");
  EXPECT_EQ(Relative("/Users/a/scenes/", "/Users/a/scenes/tex/w.png"), "tex/w.png");
  EXPECT_EQ(Relative("/Users/a/scenes/", "/Users/a/tex/w.png"), "../tex/w.png");
  // A component of the folder that only begins like the file's.
  EXPECT_EQ(Relative("/Users/a/sc", "/Users/a/scenes/x.png"), "../scenes/x.png");
  EXPECT_EQ(Relative("/Users/a/scenes/deep/er", "/Users/a/tex/w.png"), "../../../tex/w.png");
  // A name relative to something else (its first character differs) is kept.
  EXPECT_EQ(Relative("/Applications/Kyrano", "data/camera_response_functions/x.txt"),
            "data/camera_response_functions/x.txt");
}

TEST(HelpersPaths, RelativeFilenameCountsEveryFolderLeft) {
  // The folder parts right at one of its separators: both folders after it are left.
  EXPECT_EQ(Relative("/a/bc/d", "/a/bcd/x.png"), "../../bcd/x.png");
  // The file lies in a parent of the folder.
  EXPECT_EQ(Relative("/Users/a/scenes/sub", "/Users/a/scenes"), "../../scenes");
  // The paths part inside their first folder name.
  EXPECT_EQ(Relative("/ab/cd", "/xy/cd.png"), "../../xy/cd.png");
}

TEST(HelpersPaths, RelativeFilenameRefusesWhatItCannotHold) {
  EXPECT_EQ(Relative("/ab", "/ab/c.png"), "<null>");
  EXPECT_EQ(Relative("/Users/a", "/x"), "<null>");
  const std::string longName = "/Users/" + std::string(2041, 'n');  // 2048 characters
  EXPECT_EQ(Relative("/Users/b", longName), "../" + longName.substr(7));
  EXPECT_EQ(Relative("/Users/b", longName + "x"), "<null>");
  EXPECT_EQ(Relative(longName + "x", "/Users/b/c.png"), "<null>");
  // Climbing out of many folders would make the result longer than 2048 characters.
  std::string deep = "/r";
  while (deep.size() < 1500) deep += "/d";
  EXPECT_EQ(Relative(deep, "/q/" + std::string(1000, 'f')), "<null>");
}

TEST(HelpersPaths, AbsoluteFilenameClimbsOneFolderPerParentReference) {
  EXPECT_EQ(Absolute("/Users/a/scenes", "../tex/w.png"), "/Users/a/tex/w.png");
  EXPECT_EQ(Absolute("/Users/a/scenes", "tex/w.png"), "/Users/a/scenes/tex/w.png");
  EXPECT_EQ(Absolute("/Users/a/scenes", "../../w.png"), "/Users/w.png");
  // A "../" after a name cancels that name.
  EXPECT_EQ(Absolute("/Users/a/scenes", "x/../a.png"), "/Users/a/scenes/a.png");
  EXPECT_EQ(Absolute("/Users/a/scenes", "x/y/../../../a.png"), "/Users/a/a.png");
  // A trailing '/' on the folder does not change it.
  EXPECT_EQ(Absolute("/Users/a/scenes/", "../w.png"), "/Users/a/w.png");
  EXPECT_EQ(Absolute("/Users/a/scenes/", "w.png"), "/Users/a/scenes/w.png");
  // Climbing stops at the start of the folder.
  EXPECT_EQ(Absolute("/Users", "../../../../w.png"), "/w.png");
  EXPECT_EQ(Absolute("", "../w.png"), "/w.png");
}

TEST(HelpersPaths, AbsoluteFilenameTurnsBackslashesIntoSlashesInPlace) {
  std::string rel = "..\\tex\\w.png";
  const char* r = Helpers::GetAbsoluteFilename("/Users/a/scenes", &rel[0]);
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r, "/Users/a/tex/w.png");
  EXPECT_EQ(rel, "../tex/w.png");
}

TEST(HelpersPaths, AbsoluteFilenameRefusesResultsLongerThanItsBuffer) {
  const std::string dir = "/" + std::string(1500, 'd');
  EXPECT_EQ(Absolute(dir, std::string(546, 'f')), dir + "/" + std::string(546, 'f'));
  EXPECT_EQ(Absolute(dir, std::string(547, 'f')), "<null>");
  EXPECT_EQ(Absolute(dir, std::string(100000, 'f')), "<null>");
}

TEST(HelpersPaths, TexturePathKeepsDriveNamesAndFindsFilesBesideTheDocument) {
  EXPECT_EQ(Helpers::GetTexturePath(Filename("C:\\tex\\w.png"), Filename("/docs")).GetString(), String("C:\\tex\\w.png"));

  TempDir dir("texpath");
  std::filesystem::create_directories(dir.path() / "tex");
  testing_support::WriteFile(dir.str("tex/w.png"), "png");
  const Filename found = Helpers::GetTexturePath(Filename("w.png"), Filename(dir.str().c_str()));
  ASSERT_TRUE(found.Content());
  EXPECT_TRUE(std::filesystem::equivalent(found.GetString().str(), dir.str("tex/w.png")));

  EXPECT_FALSE(Helpers::GetTexturePath(Filename("missing.png"), Filename(dir.str().c_str())).Content());
}

TEST(HelpersPaths, ChannelChoicesMapToHostChannelsAndShaderLinks) {
  LONG channel = -1, link = -1;
  Helpers::GetChannelAndShader(MATHELPER_CHANNEL_COLOR, channel, link);
  EXPECT_EQ(channel, 0);
  EXPECT_EQ(link, 8000);
  Helpers::GetChannelAndShader(MATHELPER_CHANNEL_NORMAL, channel, link);
  EXPECT_EQ(channel, 13);
  EXPECT_EQ(link, 8012);
  Helpers::GetChannelAndShader(MATHELPER_CHANNEL_DISPLACEMENT, channel, link);
  EXPECT_EQ(channel, 11);
  EXPECT_EQ(link, 8009);
  Helpers::GetChannelAndShader(1252, channel, link);
  EXPECT_EQ(channel, 0);
  EXPECT_EQ(link, 0);
}

TEST(HelpersPaths, TextureTagsComeFromTheObjectThenItsParents) {
  BaseDocument* doc = BaseDocument::Alloc();
  BaseMaterial* red = Material::Alloc();
  red->SetName("Red");
  doc->InsertMaterial(red);
  BaseObject* parent = BaseObject::Alloc(Onull);
  doc->InsertObject(parent, nullptr, nullptr);
  BaseObject* child = BaseObject::Alloc(Onull);
  doc->InsertObject(child, parent, nullptr);
  TextureTag* p1 = AddTextureTag(parent, red);
  TextureTag* p2 = AddTextureTag(parent, nullptr, "Top");

  std::vector<TextureTag*> tags = Helpers::GetAllTextureTags(child);
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[0], p1);
  EXPECT_EQ(tags[1], p2);

  TextureTag* own = AddTextureTag(child, nullptr);
  tags = Helpers::GetAllTextureTags(child);
  ASSERT_EQ(tags.size(), 3u);
  EXPECT_EQ(tags[0], own);

  // Objects in a generator's cache see the generator's tags.
  BaseObject* cached = BaseObject::Alloc(Onull);
  parent->SetCache(cached);
  tags = Helpers::GetAllTextureTags(cached);
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[0], p1);
  BaseDocument::Free(doc);
}

TEST(HelpersPaths, TextureTagForASelectionIsTheRestrictedOneElseTheFirstUnrestricted) {
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* op = BaseObject::Alloc(Onull);
  doc->InsertObject(op, nullptr, nullptr);
  SelectionTag* top = SelectionTag::Alloc(Tpolygonselection);
  top->SetName("Top");
  op->InsertTag(top);
  TextureTag* restricted = AddTextureTag(op, nullptr, "Top");
  TextureTag* first = AddTextureTag(op, nullptr);
  TextureTag* second = AddTextureTag(op, nullptr);
  const std::vector<TextureTag*> tags = {restricted, first, second};

  EXPECT_EQ(Helpers::GetTexTagWithSelection(tags, top), restricted);
  EXPECT_EQ(Helpers::GetTexTagWithSelection(tags, nullptr), first);
  top->SetName("Side");
  EXPECT_EQ(Helpers::GetTexTagWithSelection(tags, top), first);
  EXPECT_EQ(Helpers::GetTexTagWithSelection({restricted}, nullptr), nullptr);
  EXPECT_EQ(Helpers::GetTexTagWithSelection({}, top), nullptr);
  BaseDocument::Free(doc);
}
