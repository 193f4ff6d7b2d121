// What a user of tavrell relies on: flags mean the same in every run, the renderer is waited
// for when asked, exit codes and streams keep their promise, and documents open from any
// working folder. Scenes are read back with TinyXML; the renderer is the stand-in, checking
// only.
#include <gtest/gtest.h>
#include <tinyxml.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "cli/CliRun.h"

using namespace testing_support;

namespace {

const std::string kExamples = std::string(TAVRELL_SOURCE_DIR) + "/examples/";

// The text of the first element of that name anywhere below the scene's root.
std::string SceneValue(const std::string& scene, const char* element) {
  TiXmlDocument doc;
  if (!doc.LoadFile(scene)) return "<unreadable>";
  std::vector<const TiXmlElement*> todo = {doc.FirstChildElement("scene")};
  while (!todo.empty()) {
    const TiXmlElement* e = todo.back();
    todo.pop_back();
    if (!e) continue;
    if (e->ValueStr() == element) return e->GetText() ? e->GetText() : "";
    for (const TiXmlElement* c = e->LastChild() ? e->LastChild()->ToElement() : nullptr; c;
         c = c->PreviousSibling() ? c->PreviousSibling()->ToElement() : nullptr)
      todo.push_back(c);
  }
  return "<none>";
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) n++;
  return n;
}

class CommandContract : public ::testing::Test {
 protected:
  void SetUp() override { plugin = CopyPluginFolder(dir); }

  CommandRun Tavrell(std::vector<std::string> args) {
    args.insert(args.begin(), {"--plugin-dir", plugin});
    return RunCommand(args);
  }

  TempDir dir{"contract"};
  std::string plugin;
};

// Changes the working folder for one scope.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
  ~WorkingFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

}  // namespace

TEST_F(CommandContract, EachExportDependsOnlyOnItsOwnFlags) {
  const std::string scene = dir.str("out/room.kys");
  CommandRun r = Tavrell({"export", kExamples + "room.json", "-o", scene, "--frames", "-3:-2", "--clay", "--output-image",
                          dir.str("out/room.png")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir.str("out/room_frame-3.kys")));
  EXPECT_EQ(Count(r.out, "Launching Kyrano"), 0u) << "no renderer without --run";

  // A plain export: the current frame, no clay, no image to ask for.
  r = Tavrell({"export", kExamples + "room.json", "-o", scene});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  ASSERT_TRUE(fs::exists(scene));
  EXPECT_EQ(Count(ReadFile(scene), "<oren_nayar>"), 0u) << "clay stayed behind in the first run";
  EXPECT_EQ(Count(r.out, "Launching Kyrano"), 0u);

  // The stored options come back only when asked for.
  r = Tavrell({"export", kExamples + "room.json", "-o", dir.str("again/room.kys"), "--last-options"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(fs::exists(dir.str("again/room_frame-3.kys")));
  EXPECT_TRUE(fs::exists(dir.str("again/room.kys")));
  r = Tavrell({"export", kExamples + "room.json", "-o", dir.str("clay/room.kys"), "--frames", "0:0", "--clay"});
  ASSERT_EQ(r.code, 0) << r.err;
  r = Tavrell({"export", kExamples + "room.json", "-o", dir.str("last/room.kys"), "--last-options"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_GT(Count(ReadFile(dir.str("last/room.kys")), "<oren_nayar>"), 0u);
}

TEST_F(CommandContract, WaitRunsTheRendererOnEachSceneInTurnAndFailsOnABrokenOne) {
  const std::string scene = dir.str("out/room.kys");
  CommandRun r = Tavrell({"export", kExamples + "room.json", "-o", scene, "--wait", "--master", "--port", "9000",
                          "--output-image", dir.str("img/room.png")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Scene: " + scene + "\nOptions: network work master on port 9000, output image " +
                       dir.str("img/room.png") + ", check only\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Result: the scene is ready to render.\n"), std::string::npos);

  // A range with --run: every frame's scene, one after the other, each with its own image.
  r = Tavrell({"export", kExamples + "room.json", "-o", scene, "--frames", "1:2", "--run", "--output-image",
               dir.str("img/room.png")});
  ASSERT_EQ(r.code, 0) << r.err;
  const size_t first = r.out.find("Scene: " + dir.str("out/room_frame1.kys") + "\nOptions: output image " +
                                  dir.str("img/room_frame1.png"));
  const size_t second = r.out.find("Scene: " + dir.str("out/room_frame2.kys") + "\nOptions: output image " +
                                   dir.str("img/room_frame2.png"));
  ASSERT_NE(first, std::string::npos) << r.out;
  ASSERT_NE(second, std::string::npos) << r.out;
  EXPECT_LT(first, second);
  EXPECT_EQ(Count(r.out, "Kyrano scene check"), 2u);

  // Without mesh files the scene names files that are not there: the renderer refuses it.
  r = Tavrell({"export", kExamples + "room.json", "-o", dir.str("broken/room.kys"), "--no-geometry", "--wait"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Result: the scene is broken.\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "tavrell: the renderer found " + dir.str("broken/room.kys") + " broken (its report: " +
                       dir.str("broken/room.kys") + ".report.txt)\n");
}

TEST_F(CommandContract, DocumentsOpenFromAnyWorkingFolderAndWithoutRenderData) {
  // The example's IES profile and textures are named relative to the document.
  const std::string elsewhere = dir.str("elsewhere");
  fs::create_directories(elsewhere);
  const std::string relative = fs::relative(kExamples + "lights.json", elsewhere).string();
  ASSERT_EQ(relative.rfind("../", 0), 0u);
  CommandRun r;
  {
    WorkingFolder cd(elsewhere);
    r = Tavrell({"export", relative, "-o", "lights.kys", "--wait"});
  }
  ASSERT_EQ(r.code, 0) << r.err << r.out;
  EXPECT_NE(r.out.find("Scene: " + dir.str("elsewhere/lights.kys") + "\n"), std::string::npos);
  EXPECT_NE(r.out.find("Problems: 0\n"), std::string::npos) << r.out;

  // No render data at all: the host's default render setting, 800 x 600.
  const std::string doc = dir.str("bare.json"), scene = dir.str("bare.kys");
  WriteFile(doc, R"({"renderData": [], "objects": [{"type": "Ocube", "name": "Box"}]})");
  r = Tavrell({"export", doc, "-o", scene, "--wait"});
  ASSERT_EQ(r.code, 0) << r.err << r.out;
  EXPECT_EQ(SceneValue(scene, "width"), "800");
  EXPECT_EQ(SceneValue(scene, "height"), "600");

  // A model file without a suffix: Assimp finds its format from its content.
  const std::string stl = dir.str("formatDetection");
  fs::copy_file("/usr/share/assimp/models/STL/formatDetection", stl);
  r = Tavrell({"export", stl, "-o", dir.str("stl/stl.kys")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Imported " + stl + ": "), std::string::npos);
  // ...while a host document without a suffix is still read as one.
  fs::copy_file(doc, dir.str("bare"));
  r = Tavrell({"open", dir.str("bare"), "-o", dir.str("bare-again.json")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.find("Imported"), std::string::npos);
}

TEST_F(CommandContract, ExitCodesStreamsQuietAndVersion) {
  const std::string scene = dir.str("out/room.kys");
  // 2: the command line itself is wrong; nothing is run.
  CommandRun r = Tavrell({"export", kExamples + "room.json", "-o", scene, "--frame", "1", "--frames", "0:2"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
  EXPECT_EQ(Tavrell({}).code, 2);
  // 1: the command ran and failed.
  r = Tavrell({"export", kExamples + "room.json", "-o", scene, "--frames", "10:5"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
  const std::string notKym = dir.str("not.kym");
  WriteFile(notKym, "<scene/>");
  r = Tavrell({"check-kym", notKym});
  EXPECT_EQ(r.code, 1) << r.out;

  // A range reaching past the document's frames is warned about, once, on standard error.
  const std::string short_ = dir.str("short.json");
  WriteFile(short_, R"({"minFrame": 0, "maxFrame": 2, "objects": [{"type": "Ocube", "name": "Box"}]})");
  r = Tavrell({"export", short_, "-o", dir.str("short/s.kys"), "--frames", "1:3"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Count(r.err, "tavrell: warning: frames 1 to 3 reach outside " + short_ + "'s frames 0 to 2"), 1u) << r.err;
  EXPECT_EQ(Count(r.out, "warning"), 0u);
  r = Tavrell({"export", short_, "-o", dir.str("short/s.kys"), "--frames", "0:2", "--overwrite", "yes"});
  EXPECT_EQ(r.err, "");

  // --quiet: the console's report stays off standard output; the verdict still comes.
  r = Tavrell({"--quiet", "export", kExamples + "room.json", "-o", scene, "--overwrite", "yes"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
  r = Tavrell({"-q", "export", kExamples + "room.json", "-o", scene});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("--overwrite yes"), std::string::npos) << r.err;

  r = Tavrell({"--version"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "tavrell 2.0.5\nplug-in: Tavrell 2.0.5 from " + plugin + "\n");
}

TEST_F(CommandContract, ExportLooksThroughTheCameraAndAtTheFrameItIsGiven) {
  const std::string doc = dir.str("cams.json");
  WriteFile(doc, R"({"fps": 10, "objects": [
      {"type": "Ocube", "name": "Box"},
      {"type": "Ocamera", "name": "Near", "position": [0, 0, -500]},
      {"type": "Ocamera", "name": "Far", "position": [0, 0, -2000],
       "tracks": [{"target": "position.x", "keys": [[0, 0], [10, 1000]]}]}],
    "renderCamera": "/Near"})");
  CommandRun r = Tavrell({"export", doc, "-o", dir.str("near.kys")});
  ASSERT_EQ(r.code, 0) << r.err;
  r = Tavrell({"export", doc, "-o", dir.str("far.kys"), "--camera", "/Far", "--frame", "10"});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string nearPos = SceneValue(dir.str("near.kys"), "pos");
  const std::string farPos = SceneValue(dir.str("far.kys"), "pos");
  // Scene axes: host (x, y, z) is written (x, z, y), in metres.
  EXPECT_EQ(nearPos, "0.000000 -500.000000 0.000000");
  EXPECT_EQ(farPos, "1000.000000 -2000.000000 0.000000");
  r = Tavrell({"export", doc, "-o", dir.str("x.kys"), "--camera", "/Box"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tavrell: " + doc + ": /Box is not a camera\n");
}

TEST_F(CommandContract, ADocumentSavedElsewhereKeepsItsTextures) {
  const std::string src = dir.str("src");
  fs::create_directories(src);
  fs::copy(kExamples + "materials.json", src + "/materials.json");
  fs::copy(kExamples + "textures", src + "/textures", fs::copy_options::recursive);
  // Named "textures/wood.png" in the document, written in capitals on disk.
  fs::rename(src + "/textures/wood.png", src + "/textures/WOOD.PNG");

  const std::string moved = dir.str("elsewhere/deep/materials.json");
  CommandRun r = Tavrell({"open", src + "/materials.json", "-o", moved});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Count(r.err, "Warning: texture 'textures/wood.png' found as " + src + "/textures/WOOD.PNG"), 1u) << r.err;
  const std::string text = ReadFile(moved);
  EXPECT_EQ(Count(text, "\"file\": \"" + src + "/textures/WOOD.PNG\""), 1u) << text;
  EXPECT_EQ(Count(text, "\"file\": \"" + src + "/textures/bump.png\""), 1u);

  // Beside the old place a found name stays relative.
  r = Tavrell({"open", src + "/materials.json", "-o", src + "/again.json"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Count(ReadFile(src + "/again.json"), "\"file\": \"textures/WOOD.PNG\""), 1u);

  // The renderer finds every texture of the moved document.
  r = Tavrell({"export", moved, "-o", dir.str("scene/materials.kys"), "--wait"});
  EXPECT_EQ(r.code, 0) << r.err << r.out;
  EXPECT_NE(r.out.find("Problems: 0\n"), std::string::npos) << r.out;

  r = Tavrell({"open", src + "/materials.json", "-o", dir.str("m.obj")});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("the output must end in .json"), std::string::npos) << r.err;
}
