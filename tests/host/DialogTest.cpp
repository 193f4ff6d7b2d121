// Dialogs of the stand-in host: layouts read from a plug-in's dialog resources, scripted
// changes and presses delivered through Message and Command, refused steps with their exact
// messages, and the status bar's progress line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "host/Console.h"
#include "host/PluginLoader.h"
#include "host/PluginRegistry.h"

using namespace testing_support;
using host::GadgetStep;

namespace {

enum {
  DLG_TEST = 20000,
  TEST_FLAG = 3000,
  TEST_COUNT = 3001,
  TEST_TEXT = 3002,
  TEST_MODE = 3003,
  TEST_LOCKED = 3011,
  TEST_GO = 3012,
  TEST_ASK = 3013,
};

const char* const kSymbols = R"(enum
{
  DLG_TEST = 20000,
  IDS_TEST_TITLE,
  IDS_FLAG,
  IDS_A,
  IDS_B,
  IDS_GO,
  TEST_FLAG = 3000,
  TEST_COUNT,
  TEST_TEXT,
  TEST_MODE,
  TEST_MODE_B = 501,
  TEST_LABEL = 3010,
  TEST_LOCKED,
  TEST_GO,
  TEST_ASK,
  _DUMMY_ELEMENT_
};
)";

const char* const kStrings = R"(STRINGTABLE
{
  IDS_TEST_TITLE "Test Dialog";
  IDS_FLAG "Flag";
  IDS_A "A";
  IDS_B "B";
  IDS_GO "Go";
}
)";

const char* const kLayout = R"(// A dialog with one gadget of each kind.
DIALOG DLG_TEST
{
  NAME IDS_TEST_TITLE;
  GROUP
  {
    COLUMNS 2;
    CHECKBOX TEST_FLAG { NAME IDS_FLAG; VALUE 1; }
    EDITNUMBERARROWS TEST_COUNT { SIZE 70, 0; }
    EDITTEXT TEST_TEXT { }
    COMBOBOX TEST_MODE { CHILDS { 500, IDS_A; TEST_MODE_B, IDS_B; } }
    STATICTEXT TEST_LABEL { NAME IDS_FLAG; }
    STATICTEXT { NAME IDS_FLAG; }
    CHECKBOX TEST_LOCKED { }
    BUTTON TEST_GO { NAME IDS_GO; }
    BUTTON TEST_ASK { NAME IDS_GO; }
  }
  DLGGROUP { OK; CANCEL; }
}
)";

// Records what reaches it; TEST_GO closes with TRUE, TEST_ASK asks a question.
class TestDialog : public GeModalDialog {
 public:
  Bool CreateLayout() override { return LoadDialogResource(DLG_TEST); }
  Bool InitValues() override {
    SetLong(TEST_COUNT, 3, 0, 10);
    Enable(TEST_LOCKED, FALSE);
    return initOk;
  }
  Bool Command(LONG id, const BaseContainer& msg) override {
    commands.push_back(id);
    values.push_back(msg.GetData(BFM_ACTION_VALUE));
    if (id == TEST_GO) Close(TRUE);
    if (id == TEST_ASK) QuestionDialog("Sure?");
    return GeModalDialog::Command(id, msg);
  }
  LONG Message(const BaseContainer& msg, BaseContainer& result) override {
    if (msg.GetId() == BFM_ACTION) actions++;
    return GeModalDialog::Message(msg, result);
  }

  std::vector<LONG> commands;
  std::vector<GeData> values;
  int actions = 0;
  bool initOk = true;
};

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.path() / "res/dialogs");
    fs::create_directories(dir.path() / "res/strings_us");
    WriteFile(dir.str("res/c4d_symbols.h"), kSymbols);
    WriteFile(dir.str("res/strings_us/c4d_strings.str"), kStrings);
    WriteFile(dir.str("res/dialogs/DLG_TEST.res"), kLayout);
    host::SetPluginPath(dir.str());
    ASSERT_TRUE(resource.Init());
    host::Console::Get().SetEcho(false);
    host::Interaction::Get().Reset();
  }
  void TearDown() override {
    host::PluginRegistry::Get().Clear();
    resource.Clear();
    host::Interaction::Get().Reset();
  }

  // Opens the dialog with the steps; the record of what it did.
  host::DialogRecord Run(TestDialog& dialog, std::vector<GadgetStep> steps) {
    host::Interaction& in = host::Interaction::Get();
    in.errors.clear();
    in.gadgetScript.assign(steps.begin(), steps.end());
    dialog.Open(-1, -1);
    return in.dialogs.back();
  }

  std::string Error() const {
    const std::vector<std::string>& errors = host::Interaction::Get().errors;
    return errors.empty() ? "" : errors.front();
  }

  TempDir dir{"dialog"};
};

}  // namespace

TEST_F(Dialogs, LayoutComesFromTheResourceWithItsInitialValues) {
  TestDialog dialog;
  host::Console::Get().StartCapture();
  const host::DialogRecord r = Run(dialog, {});
  const std::vector<std::string> console = host::Console::Get().StopCapture();
  EXPECT_TRUE(r.opened);
  EXPECT_FALSE(r.result);
  EXPECT_EQ(r.title, "Test Dialog");
  EXPECT_EQ(r.resourceId, DLG_TEST);
  const std::string left =
      "The dialog \"Test Dialog\" was still open when its script ended; it was closed with result FALSE.";
  EXPECT_EQ(Error(), left);
  EXPECT_EQ(console, std::vector<std::string>{left});

  std::vector<std::string> symbols;
  for (const host::GadgetRecord& g : r.gadgets) symbols.push_back(g.symbol);
  EXPECT_EQ(symbols, (std::vector<std::string>{"TEST_FLAG", "TEST_COUNT", "TEST_TEXT", "TEST_MODE", "TEST_LABEL",
                                               "TEST_LOCKED", "TEST_GO", "TEST_ASK", "IDC_OK", "IDC_CANCEL"}));
  EXPECT_EQ(r.Find(TEST_FLAG)->value.GetLong(), 1);
  EXPECT_EQ(r.Find(TEST_COUNT)->value.GetLong(), 3);
  EXPECT_EQ(r.Find(TEST_MODE)->value.GetLong(), 500) << "a combo box starts on its first entry";
  EXPECT_EQ(r.Find(TEST_TEXT)->value.GetType(), DA_STRING);
  EXPECT_FALSE(r.Find(TEST_LOCKED)->enabled);
  EXPECT_TRUE(r.Find("TEST_FLAG")->enabled);
  EXPECT_EQ(r.Find(IDC_OK)->kind, "BUTTON");
}

TEST_F(Dialogs, StepsGoThroughMessageAndCommandUntilTheDialogCloses) {
  TestDialog dialog;
  const host::DialogRecord r =
      Run(dialog, {GadgetStep::SetTo("TEST_FLAG", "off"), GadgetStep::SetTo("TEST_COUNT", "12"),
                   GadgetStep::SetTo("TEST_TEXT", "hello"), GadgetStep::SetTo("TEST_MODE", "TEST_MODE_B"),
                   GadgetStep::Pressing("3000"), GadgetStep::SetTo("TEST_COUNT", "2.75"),
                   GadgetStep::Pressing("TEST_GO"), GadgetStep::SetTo("TEST_FLAG", "no")});
  EXPECT_EQ(Error(), "");
  EXPECT_TRUE(r.result);
  EXPECT_EQ(dialog.actions, 7);
  EXPECT_EQ(dialog.commands,
            (std::vector<LONG>{TEST_FLAG, TEST_COUNT, TEST_TEXT, TEST_MODE, TEST_FLAG, TEST_COUNT, TEST_GO}));
  EXPECT_EQ(dialog.values[1].GetLong(), 10) << "the limits the dialog set hold a typed number";
  EXPECT_EQ(dialog.values[4].GetLong(), 1) << "pressing a check box toggles it";
  EXPECT_EQ(r.Find(TEST_TEXT)->value.GetString().str(), "hello");
  EXPECT_EQ(r.Find(TEST_MODE)->value.GetLong(), 501);
  EXPECT_EQ(r.Find(TEST_COUNT)->value.GetType(), DA_REAL);
  EXPECT_FLOAT_EQ(r.Find(TEST_COUNT)->value.GetReal(), 2.75f);
  EXPECT_EQ(host::Interaction::Get().gadgetScript.size(), 1u) << "steps after the close are left for the next dialog";

  TestDialog reopened;
  Bool flag = TRUE;
  reopened.Open();
  EXPECT_EQ(host::Interaction::Get().dialogs.back().Find(TEST_FLAG)->value.GetLong(), 0)
      << "the left-over step ran in the next dialog";
  EXPECT_TRUE(reopened.GetBool(TEST_FLAG, flag));
  EXPECT_FALSE(flag);
  EXPECT_FALSE(reopened.GetBool(4242, flag));
}

TEST_F(Dialogs, ARefusedStepClosesTheDialogWithAClearError) {
  const std::string where = "The gadget ";
  const std::string of = " of the dialog \"Test Dialog\"";
  const std::vector<std::pair<GadgetStep, std::string>> cases = {
      {GadgetStep::SetTo("TEST_LOCKED", "on"),
       where + "TEST_LOCKED (3011)" + of + " is disabled: it cannot be set to 'on'."},
      {GadgetStep::Pressing("TEST_LOCKED"), where + "TEST_LOCKED (3011)" + of + " is disabled: it cannot be pressed."},
      {GadgetStep::SetTo("TEST_FLAG", "maybe"),
       where + "TEST_FLAG (3000)" + of + " is a check box: give on or off (true/false, yes/no, 1/0), not 'maybe'."},
      {GadgetStep::SetTo("TEST_COUNT", "12abc"),
       where + "TEST_COUNT (3001)" + of + " is a number field: '12abc' is not a number."},
      {GadgetStep::SetTo("TEST_COUNT", "nan"),
       where + "TEST_COUNT (3001)" + of + " is a number field: 'nan' is not a number."},
      {GadgetStep::SetTo("TEST_COUNT", "1e12"),
       where + "TEST_COUNT (3001)" + of +
           " is a number field: '1e12' is out of its range (-2147483647 to 2147483647)."},
      {GadgetStep::SetTo("TEST_MODE", "502"),
       where + "TEST_MODE (3003)" + of + " has no entry '502' (its entries: 500, 501)."},
      {GadgetStep::SetTo("TEST_LABEL", "x"),
       where + "TEST_LABEL (3010)" + of +
           " is a STATICTEXT and takes no value; it can only be pressed if it is a button."},
      {GadgetStep::Pressing("TEST_TEXT"),
       where + "TEST_TEXT (3002)" + of + " is a EDITTEXT: only buttons and check boxes can be pressed."},
      {GadgetStep::SetTo("NO_SUCH", "1"),
       "Unknown gadget 'NO_SUCH': neither a number nor a symbol of the plug-in's resources."},
      {GadgetStep::SetTo("4242", "1"), "The dialog \"Test Dialog\" has no gadget 4242."},
  };
  for (const auto& c : cases) {
    TestDialog dialog;
    const host::DialogRecord r = Run(dialog, {c.first, GadgetStep::Pressing("TEST_GO")});
    EXPECT_EQ(Error(), c.second);
    EXPECT_FALSE(r.result);
    EXPECT_TRUE(dialog.commands.empty()) << c.second;
    EXPECT_TRUE(host::Interaction::Get().gadgetScript.empty()) << "the rest of the script is dropped";
  }
}

TEST_F(Dialogs, DialogGroupButtonsQuestionsAndDialogsThatDoNotOpen) {
  {
    TestDialog dialog;
    EXPECT_TRUE(Run(dialog, {GadgetStep::Pressing("IDC_OK")}).result);
    EXPECT_FALSE(Run(dialog, {GadgetStep::Pressing("2")}).result) << "the same dialog opens again";
    EXPECT_EQ(Error(), "");
    EXPECT_FALSE(dialog.GetResult());
  }
  {
    // An unanswered question inside the dialog closes it; Open returns normally.
    TestDialog dialog;
    const host::DialogRecord r = Run(dialog, {GadgetStep::Pressing("TEST_ASK"), GadgetStep::Pressing("TEST_GO")});
    EXPECT_TRUE(r.opened);
    EXPECT_FALSE(r.result);
    EXPECT_EQ(Error(), "No answer was given to the question \"Sure?\" while the dialog \"Test Dialog\" was open.");
    EXPECT_EQ(host::Interaction::Get().unanswered, std::vector<std::string>{"Sure?"});
  }
  {
    TestDialog dialog;
    dialog.initOk = false;
    const host::DialogRecord r = Run(dialog, {GadgetStep::Pressing("TEST_GO")});
    EXPECT_FALSE(r.opened);
    EXPECT_TRUE(dialog.commands.empty());
    EXPECT_EQ(Error(), "");
  }
  {
    // A dialog that does not block stays open when its script ends.
    struct Palette : GeDialog {
      Bool CreateLayout() override { return LoadDialogResource(DLG_TEST); }
    } palette;
    host::Interaction::Get().gadgetScript.assign({GadgetStep::SetTo("TEST_FLAG", "0")});
    EXPECT_TRUE(palette.Open(TRUE, 0));
    EXPECT_TRUE(palette.IsOpen());
    EXPECT_EQ(Error(), "");
    EXPECT_EQ(host::Interaction::Get().dialogs.back().Find(TEST_FLAG)->value.GetLong(), 0);
  }
}

TEST_F(Dialogs, BrokenLayoutsNameTheFileAndLine) {
  const std::string file = dir.str("res/dialogs/DLG_TEST.res");
  const std::string prefix = "The dialog layout 20000 could not be loaded: " + file + ":";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"DIALOG DLG_TEST\n{\n  CHECKBOX TEST_FLAG { SIZE 70, 0 }\n}\n", prefix + "3: expected ';' after SIZE"},
      {"DIALOG DLG_TEST\n{\n  CHECKBOX TEST_NOPE { }\n}\n",
       prefix + "3: unknown symbol 'TEST_NOPE' (the plug-in's res/c4d_symbols.h does not declare it)"},
      {"DIALOG DLG_TEST\n{\n  GROUP\n  {\n", prefix + "4: the block is not closed with '}'"},
      {"DIALOG DLG_TEST\n{\n  COMBOBOX TEST_MODE { CHILDS { 500 IDS_A; } }\n}\n",
       prefix + "3: expected ',', found 'IDS_A'"},
      {"DIALOG DLG_TEST\n{\n}\n}\n", prefix + "4: unexpected '}' after the dialog's closing '}'"},
      {"DIALOG DLG_ABOUT\n{\n}\n",
       "The dialog layout 20000 could not be loaded: no dialog layout with id 20000 in " + dir.str("res/dialogs")},
  };
  for (const auto& c : cases) {
    WriteFile(file, c.first);
    TestDialog dialog;
    const host::DialogRecord r = Run(dialog, {});
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(Error(), c.second);
  }
}

TEST(StatusBar, ALongRangeGivesALineASecondOffATerminal) {
  host::Interaction::Get().showProgress = true;
  testing::internal::CaptureStderr();
  const LONG started = GeGetTimer();
  for (LONG frame = 0; frame < 10000; frame++) {
    StatusSetText(String("Exporting frame ") + LongToString(frame + 1) + " of 10000");
    StatusSetBar(frame * 100 / 10000);
  }
  StatusSetBar(100);
  StatusClear();
  const std::string err = testing::internal::GetCapturedStderr();
  // The first frame, then at most one line a second, then the end: never a line per frame.
  EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 2 + (GeGetTimer() - started) / 1000) << err;
  EXPECT_EQ(err.substr(0, 30), "Exporting frame 1 of 10000 0%\n");
  EXPECT_EQ(err.substr(err.size() - 36), "Exporting frame 10000 of 10000 100%\n");
}
