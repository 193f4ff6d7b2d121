// The Create Instances and About commands of the plug-in loaded from its folder, run as the
// host runs a menu command.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "c4d.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"
#include "host/PluginRegistry.h"

namespace {

const LONG kCreateInstances = 1023984;
const LONG kAbout = 1020894;
const LONG kInstance = 1022273;
const LONG kInstanceLink = 10000;

class MenuCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Console::Get().SetEcho(false);
    ASSERT_TRUE(library.Load(TAVRELL_PLUGIN_DIR)) << library.error();
    host::Interaction::Get().Reset();
  }
  void TearDown() override {
    SetActiveDocument(nullptr);
    BaseDocument::Free(doc);
    library.Unload();
    host::Interaction::Get().Reset();
  }
  void Open(const std::string& json) {
    doc = host::ParseDocument(json, "commands.json");
    SetActiveDocument(doc);
  }
  Bool Run(LONG id) { return host::PluginRegistry::Get().Find(id)->command->Execute(doc); }

  host::PluginLibrary library;
  BaseDocument* doc = nullptr;
};

void ExpectSameMatrix(const Matrix& a, const Matrix& b) {
  for (const auto& pair : {std::make_pair(a.off, b.off), std::make_pair(a.v1, b.v1), std::make_pair(a.v2, b.v2),
                           std::make_pair(a.v3, b.v3)}) {
    EXPECT_NEAR(pair.first.x, pair.second.x, 1e-3f);
    EXPECT_NEAR(pair.first.y, pair.second.y, 1e-3f);
    EXPECT_NEAR(pair.first.z, pair.second.z, 1e-3f);
  }
}

}  // namespace

TEST_F(MenuCommands, CreateInstancesPutsALinkedInstanceBesideEachSelectedObjectInOneUndoStep) {
  Open(R"({"objects": [
    {"type": "Onull", "name": "Group", "position": [0, 100, 0], "rotation": [45, 0, 0], "scale": [2, 2, 2], "children": [
      {"type": "Ocube", "name": "Left", "position": [10, 0, 0], "active": true},
      {"type": "Onull", "name": "After"}]},
    {"type": "Ocube", "name": "Right", "position": [-50, 0, 0], "rotation": [0, 20, 0], "active": true},
    {"type": "Onull", "name": "Last"}]})");
  const size_t groupsBefore = doc->GetUndoGroups().size();
  EXPECT_TRUE(Run(kCreateInstances));

  BaseObject* left = host::FindObjectByPath(doc, "/Group/Left");
  BaseObject* right = host::FindObjectByPath(doc, "/Right");
  BaseObject* made[2] = {left->GetNext(), right->GetNext()};
  for (int i = 0; i < 2; i++) {
    BaseObject* original = i == 0 ? left : right;
    ASSERT_NE(made[i], nullptr);
    EXPECT_EQ(made[i]->GetType(), kInstance);
    EXPECT_EQ(made[i]->GetName(), original->GetName());
    EXPECT_EQ(made[i]->GetUp(), original->GetUp());
    EXPECT_EQ(made[i]->GetDataInstance()->GetObjectLink(kInstanceLink, doc), original);
    ExpectSameMatrix(made[i]->GetMg(), original->GetMg());
  }
  EXPECT_EQ(made[0]->GetNext()->GetName(), String("After"));
  EXPECT_EQ(made[1]->GetNext()->GetName(), String("Last"));

  ASSERT_EQ(doc->GetUndoGroups().size(), groupsBefore + 1);
  const auto& steps = doc->GetUndoGroups().back();
  ASSERT_EQ(steps.size(), 2u);
  for (int i = 0; i < 2; i++) {
    EXPECT_EQ(steps[i].type, UNDO_NEW);
    EXPECT_EQ(steps[i].data, made[i]);
  }
}

TEST_F(MenuCommands, CreateInstancesWithNothingSelectedPutsOneEmptyInstanceAtTheTop) {
  Open(R"({"objects": [{"type": "Ocube", "name": "Cube"}]})");
  EXPECT_TRUE(Run(kCreateInstances));
  BaseObject* top = doc->GetFirstObject();
  EXPECT_EQ(top->GetType(), kInstance);
  EXPECT_EQ(top->GetDataInstance()->GetObjectLink(kInstanceLink, doc), nullptr);
  EXPECT_EQ(top->GetNext()->GetName(), String("Cube"));
  EXPECT_EQ(top->GetNext()->GetNext(), nullptr);
  ASSERT_EQ(doc->GetUndoGroups().size(), 1u);
  ASSERT_EQ(doc->GetUndoGroups().back().size(), 1u);
  EXPECT_EQ(doc->GetUndoGroups().back()[0].data, top);
}

TEST_F(MenuCommands, AboutShowsTheProductLineAndTheCreditsAndClosesOnOk) {
  Open(R"({})");
  host::Interaction& in = host::Interaction::Get();
  in.gadgetScript.push_back(host::GadgetStep::Pressing("IDC_OK"));
  EXPECT_TRUE(Run(kAbout));
  EXPECT_TRUE(in.errors.empty()) << in.errors.front();
  ASSERT_EQ(in.dialogs.size(), 1u);
  const host::DialogRecord& about = in.dialogs[0];
  EXPECT_TRUE(about.opened);
  EXPECT_EQ(about.title, "About");
  std::vector<std::pair<LONG, std::string>> texts;
  for (const host::GadgetRecord& g : about.gadgets)
    if (g.kind == "STATICTEXT") texts.emplace_back(g.id, g.value.GetString().str());
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0], std::make_pair(LONG(177162), std::string("Tavrell 2.0.5")));
  EXPECT_EQ(texts[1].second.rfind("Developed by: ", 0), 0u);
  for (int i = 1; i < 4; i++) EXPECT_EQ(texts[i].first, 177163);
  ASSERT_NE(about.Find(LONG(IDC_OK)), nullptr);

  // A modal box that nobody closes is closed by the host, which says so.
  in.Reset();
  Run(kAbout);
  ASSERT_EQ(in.errors.size(), 1u);
  EXPECT_NE(in.errors[0].find("was still open"), std::string::npos);
}
