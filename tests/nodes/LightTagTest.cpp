// The light tag: what the attribute view shows, its preview image parameter, and its IES
// preview button run on a private copy of the plug-in folder with the stand-in renderer.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <tinyxml.h>

#include <chrono>
#include <csignal>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "NodeFixture.h"
#include "TestSupport.h"
#include "description/tMyLightTag.h"
#include "helpers/HelpersSettings.h"

using namespace testing_support;

TEST_F(PluginNodes, TheLightTagShowsOneSpectrumAndWhatItsSwitchesTurnOn) {
  BaseTag* tag = BaseTag::Alloc(tMyLightTag);
  ASSERT_NE(tag, nullptr);
  BaseContainer* bc = tag->GetDataInstance();
  const LONG groups[] = {LIGHTTAG_GROUP_PEAK, LIGHTTAG_GROUP_RGB, LIGHTTAG_GROUP_BLACKBODY, LIGHTTAG_GROUP_UNIFORM};
  auto shownGroups = [&] {
    Description desc;
    EXPECT_TRUE(Describe(tag, &desc));
    std::vector<LONG> shown;
    for (LONG g : groups)
      if (!Hidden(desc, g)) shown.push_back(g);
    return shown;
  };
  EXPECT_EQ(shownGroups(), std::vector<LONG>{LIGHTTAG_GROUP_RGB});
  bc->SetLong(LIGHTTAG_SPECTRUM, LIGHTTAG_SPECTRUM_BLACKBODY);
  EXPECT_EQ(shownGroups(), std::vector<LONG>{LIGHTTAG_GROUP_BLACKBODY});
  bc->SetLong(LIGHTTAG_SPECTRUM, LIGHTTAG_SPECTRUM_PEAK);
  EXPECT_EQ(shownGroups(), std::vector<LONG>{LIGHTTAG_GROUP_PEAK});
  bc->SetLong(LIGHTTAG_SPECTRUM, LIGHTTAG_SPECTRUM_UNIFORM);
  EXPECT_EQ(shownGroups(), std::vector<LONG>{LIGHTTAG_GROUP_UNIFORM});
  bc->SetLong(LIGHTTAG_SPECTRUM, 4711);  // an unknown choice hides nothing
  EXPECT_EQ(shownGroups().size(), 4u);

  Description desc;
  ASSERT_TRUE(Describe(tag, &desc));
  for (LONG id : {LIGHTTAG_IES_PREVIEW, LIGHTTAG_IES_IMAGE_FILE, LIGHTTAG_IES_FILE, LIGHTTAG_SCALE_MEASURE,
                  LIGHTTAG_SCALE_VALUE})
    EXPECT_TRUE(Hidden(desc, id)) << id;
  EXPECT_FALSE(Hidden(desc, LIGHTTAG_IES_IMAGE));
  bc->SetBool(LIGHTTAG_USE_IES, TRUE);
  bc->SetBool(LIGHTTAG_USE_SCALE, TRUE);
  Description on;
  ASSERT_TRUE(Describe(tag, &on));
  for (LONG id : {LIGHTTAG_IES_FILE, LIGHTTAG_SCALE_MEASURE, LIGHTTAG_SCALE_VALUE}) EXPECT_FALSE(Hidden(on, id)) << id;
  EXPECT_TRUE(Hidden(on, LIGHTTAG_IES_PREVIEW));
  BaseTag::Free(tag);
}

TEST_F(PluginNodes, TheLightTagPreviewImageIsABitmapButtonOfTheTag) {
  BaseTag* tag = BaseTag::Alloc(tMyLightTag);
  GeData value;
  ASSERT_TRUE(tag->GetParameter(DescID(LIGHTTAG_IES_IMAGE), value));
  const BitmapButtonStruct* button =
      static_cast<const BitmapButtonStruct*>(value.GetCustomDataType(CUSTOMDATATYPE_BITMAPBUTTON));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->op, tag);
  EXPECT_EQ(button->id, DescID(LIGHTTAG_IES_IMAGE));
  EXPECT_EQ(button->dirty, 0);
  // Setting it stores nothing; other parameters come from the container.
  EXPECT_TRUE(tag->SetParameter(DescID(LIGHTTAG_IES_IMAGE), GeData(LONG(5))));
  EXPECT_EQ(tag->GetDataInstance()->GetDataPointer(LIGHTTAG_IES_IMAGE), nullptr);
  ASSERT_TRUE(tag->GetParameter(DescID(LIGHTTAG_GAMMA), value));
  EXPECT_EQ(value.GetReal(), 2.2f);
  BaseTag::Free(tag);
}

namespace {

// The plug-in loaded from a private copy of its folder, the stand-in renderer as the stored
// renderer, and a spot light whose tag names a profile beside its document.
class IesPreview : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Console::Get().SetEcho(false);
    host::Interaction::Get().Reset();
    host::Interaction::Get().showMessages = false;
    plugin_ = CopyPluginFolder(dir_);
    ASSERT_TRUE(lib_.Load(plugin_)) << lib_.error();
    Helpers::GlobalSettings renderer;
    renderer.path = String(TAVRELL_RENDERER_DIR);
    Helpers::SaveSettings(nullptr, &renderer);
    scene_ = plugin_ + "/preview/iespreview.kys";
    ies_ = dir_.str("wide.ies");
    fs::copy_file(plugin_ + "/presets/default.ies", ies_);

    doc_ = BaseDocument::Alloc();
    doc_->SetDocumentName(Filename(dir_.str("lamp.json").c_str()));
    BaseObject* light = BaseObject::Alloc(Olight);
    doc_->InsertObject(light, nullptr, nullptr);
    tag_ = BaseTag::Alloc(tMyLightTag);
    light->InsertTag(tag_);
    tag_->GetDataInstance()->SetBool(LIGHTTAG_USE_IES, TRUE);
    tag_->GetDataInstance()->SetFilename(LIGHTTAG_IES_FILE, Filename("wide.ies"));
  }
  void TearDown() override {
    BaseDocument::Free(doc_);
    lib_.Unload();
    host::Interaction::Get().showMessages = true;
  }

  // Presses the preview button; the console lines in lines_.
  Bool Press() {
    DescriptionCommand press;
    press.id = DescID(LIGHTTAG_IES_PREVIEW);
    host::Console::Get().StartCapture();
    const Bool result = tag_->Message(MSG_DESCRIPTION_COMMAND, &press);
    lines_ = host::Console::Get().StopCapture();
    return result;
  }
  bool Launched() const { return std::find(lines_.begin(), lines_.end(), "Launching Kyrano...") != lines_.end(); }
  std::string Image() const { return tag_->GetDataInstance()->GetFilename(LIGHTTAG_IES_IMAGE_FILE).str(); }

  // Waits for the renderer's report on the preview scene (it runs detached) and returns it.
  std::string Report() const {
    const std::string report = scene_ + ".report.txt";
    for (int i = 0; i < 600 && !fs::exists(report); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::string text = ReadFile(report);
    fs::remove(report);
    return text;
  }

  TempDir dir_{"iespreview"};
  std::string plugin_, scene_, ies_;
  host::PluginLibrary lib_;
  BaseDocument* doc_ = nullptr;
  BaseTag* tag_ = nullptr;
  std::vector<std::string> lines_;
};

// The path texts of the ies_profile elements of the scene's models, "-" for a model without.
std::vector<std::string> ProfilePaths(const std::string& scene) {
  TiXmlDocument xml;
  EXPECT_TRUE(xml.LoadFile(scene.c_str()));
  std::vector<std::string> out;
  for (const TiXmlElement* m = xml.RootElement()->FirstChildElement("model"); m; m = m->NextSiblingElement("model")) {
    const TiXmlElement* ies = m->FirstChildElement("ies_profile");
    if (!ies) {
      out.push_back("-");
      continue;
    }
    std::string paths;
    for (const TiXmlElement* p = ies->FirstChildElement("path"); p; p = p->NextSiblingElement("path"))
      paths += (paths.empty() ? "" : "|") + std::string(p->GetText() ? p->GetText() : "");
    out.push_back(std::string(ies->FirstChildElement("material_name") ? "named " : "") + paths);
  }
  return out;
}

}  // namespace

TEST_F(IesPreview, RendersTheProfileOnThePreviewSceneIntoOneImage) {
  const std::vector<std::string> shipped = ProfilePaths(scene_);
  EXPECT_EQ(shipped, (std::vector<std::string>{"named ../presets/default.ies", "-", "-"}));
  ASSERT_TRUE(Press());

  const std::string image = Image();
  EXPECT_TRUE(std::regex_match(image, std::regex(std::regex_replace(plugin_, std::regex("[.^$|()\\[\\]{}*+?\\\\]"), "\\$&") +
                                                 "/preview/renders/ies[0-9]+\\.png")))
      << image;
  EXPECT_TRUE(fs::is_directory(plugin_ + "/preview/renders"));
  // The profile named relative to the document is written with its full path.
  EXPECT_EQ(ProfilePaths(scene_), (std::vector<std::string>{"named " + ies_, "-", "-"}));
  const std::string exe = std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/KyranoConsole";
  const std::vector<std::string> launch = {"Command processor available.", "Launching Kyrano..."};
  ASSERT_GE(lines_.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(lines_.begin(), lines_.begin() + 2), launch);
  // No sample limit and no network master; the image goes to the tag's preview file.
  EXPECT_EQ(std::regex_replace(lines_[2], std::regex("-seed [0-9]+ "), "-seed N "),
            "\"" + exe + "\" -seed N \"" + scene_ + "\" -o \"" + image + "\"");
  EXPECT_EQ(lines_.back(), "successful!");
  // The renderer accepts the edited scene with everything it names, and is told the image.
  const std::string report = Report();
  EXPECT_NE(report.find("Problems: 0\n"), std::string::npos) << report;
  EXPECT_NE(report.find(", output image " + image), std::string::npos) << report;

  // The name stays once chosen; an unset name ("NOPATH" in the host) gets a new one.
  ASSERT_TRUE(Press());
  EXPECT_EQ(Image(), image);
  Report();
  tag_->GetDataInstance()->SetFilename(LIGHTTAG_IES_IMAGE_FILE, Filename("NOPATH"));
  ASSERT_TRUE(Press());
  EXPECT_NE(Image(), "NOPATH");
  EXPECT_EQ(fs::path(Image()).parent_path(), fs::path(image).parent_path());
  Report();
}

TEST_F(IesPreview, TheFirstModelWithAProfileGetsTheFile) {
  WriteFile(scene_, "<!--Generated by Tavrell 2.0.5-->\n<!--Using TinyXml-->\n<!--Developed by: x-->\n<scene>"
                    "<model><mesh_name>a</mesh_name></model>"
                    "<model><ies_profile><path>old.ies</path><material_name>defaultLight</material_name></ies_profile></model>"
                    "<model><ies_profile><material_name>defaultLight</material_name><path>keep.ies</path></ies_profile></model>"
                    "</scene>");
  ASSERT_TRUE(Press());
  EXPECT_EQ(ProfilePaths(scene_), (std::vector<std::string>{"-", "named " + ies_, "named keep.ies"}));
  TiXmlDocument xml;
  ASSERT_TRUE(xml.LoadFile(scene_.c_str()));
  const TiXmlElement* second = xml.RootElement()->FirstChildElement("model")->NextSiblingElement("model");
  // The old path is gone and the new one comes after the material name.
  EXPECT_EQ(std::string(second->FirstChildElement("ies_profile")->FirstChildElement()->Value()), "material_name");
  Report();
}

TEST_F(IesPreview, NothingIsRenderedWhenTheSceneCannotNameTheProfile) {
  const std::string shipped = ReadFile(scene_);
  host::Interaction& ui = host::Interaction::Get();
  const std::string refused = "The IES profile preview was not rendered. ";

  // No profile chosen: the button does nothing.
  tag_->GetDataInstance()->SetFilename(LIGHTTAG_IES_FILE, Filename());
  EXPECT_TRUE(Press());
  EXPECT_TRUE(lines_.empty());
  EXPECT_EQ(tag_->GetDataInstance()->GetDataPointer(LIGHTTAG_IES_IMAGE_FILE), nullptr);

  tag_->GetDataInstance()->SetFilename(LIGHTTAG_IES_FILE, Filename("missing.ies"));
  EXPECT_FALSE(Press());
  EXPECT_EQ(ui.messages, std::vector<std::string>{refused + "The profile '" + dir_.str("missing.ies") + "' does not exist."});
  EXPECT_FALSE(Launched());

  // A save that fails (here: files may not grow past 1000 bytes) keeps the old scene.
  tag_->GetDataInstance()->SetFilename(LIGHTTAG_IES_FILE, Filename(ies_.c_str()));
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  ui.messages.clear();
  const Bool saveFailed = Press();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(saveFailed);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], refused + "Could not save the preview scene: cannot write " + scene_ + ": File too large.");
  EXPECT_EQ(ReadFile(scene_), shipped);
  EXPECT_FALSE(Launched());

  WriteFile(scene_, "<!--c-->\n<scene><model/></scene>");
  ui.messages.clear();
  EXPECT_FALSE(Press());
  EXPECT_EQ(ui.messages, std::vector<std::string>{refused + "'" + scene_ + "' holds no model with an ies_profile."});
  fs::remove(scene_);
  ui.messages.clear();
  EXPECT_FALSE(Press());
  EXPECT_EQ(ui.messages, std::vector<std::string>{refused + "Cannot read '" + scene_ + "': no such file."});
  EXPECT_FALSE(Launched());
}

TEST_F(IesPreview, AnUnknownRendererIsAskedForOnce) {
  const std::string shipped = ReadFile(scene_);
  fs::remove(plugin_ + "/presets/tavrellSettings.cfg");
  host::Interaction& ui = host::Interaction::Get();
  ui.fileAnswers = {""};
  EXPECT_FALSE(Press());
  EXPECT_EQ(ui.questions, std::vector<std::string>{"Choose Kyrano dir"});
  EXPECT_EQ(ReadFile(scene_), shipped);
  EXPECT_FALSE(Launched());

  ui.fileAnswers = {TAVRELL_RENDERER_DIR};
  EXPECT_TRUE(Press());
  EXPECT_TRUE(Launched());
  Report();
}

TEST_F(IesPreview, TheRenderedImageIsTheDescriptionBitmap) {
  DescriptionGetBitmap request;
  request.id = DescID(LIGHTTAG_IES_IMAGE);
  ASSERT_TRUE(tag_->Message(MSG_DESCRIPTION_GETBITMAP, &request));
  EXPECT_EQ(request.bmp, nullptr) << "no image chosen yet";

  const std::string image = dir_.str("ies1.png");
  tag_->GetDataInstance()->SetFilename(LIGHTTAG_IES_IMAGE_FILE, Filename(image.c_str()));
  ASSERT_TRUE(tag_->Message(MSG_DESCRIPTION_GETBITMAP, &request));
  EXPECT_EQ(request.bmp, nullptr) << "not rendered yet";

  BaseBitmap* rendered = BaseBitmap::Alloc();
  ASSERT_EQ(rendered->Init(4, 3), IMAGE_OK);
  ASSERT_TRUE(rendered->SavePng(Filename(image.c_str())));
  BaseBitmap::Free(rendered);
  ASSERT_TRUE(tag_->Message(MSG_DESCRIPTION_GETBITMAP, &request));
  ASSERT_NE(request.bmp, nullptr);
  EXPECT_EQ(request.bmp->GetBw(), 4);
  EXPECT_EQ(request.bmp->GetBh(), 3);
  BaseBitmap::Free(request.bmp);

  DescriptionGetBitmap other;
  other.id = DescID(LIGHTTAG_IES_FILE);
  ASSERT_TRUE(tag_->Message(MSG_DESCRIPTION_GETBITMAP, &other));
  EXPECT_EQ(other.bmp, nullptr);
}
