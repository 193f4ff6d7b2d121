// The host's console and interaction settings: where GePrint lines go and where answers to
// questions, file selectors and dialogs come from.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "c4d_basecontainer.h"

namespace host {

class Console {
 public:
  static Console& Get();
  void Print(const std::string& line);
  // Lines printed since capture started; printing to standard output can be turned off.
  void StartCapture() {
    captured_.clear();
    capturing_ = true;
  }
  std::vector<std::string> StopCapture() {
    capturing_ = false;
    return std::move(captured_);
  }
  const std::vector<std::string>& Captured() const { return captured_; }
  void SetEcho(bool echo) { echo_ = echo; }
  // Quiet: only warnings are shown; other lines are kept from standard output.
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  bool quiet() const { return quiet_; }
  // Whether a console line is a warning ("Warning: ...", "--Warning: ..."): warnings go to
  // standard error, every other line to standard output.
  static bool IsWarning(const std::string& line);

 private:
  bool echo_ = true, capturing_ = false, quiet_ = false;
  std::vector<std::string> captured_;
};

// Scripted answers for the host's user interface. Answers are taken in order; a question
// without an answer raises UnansweredQuestion.
struct UnansweredQuestion : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One step of the script that drives a dialog: set a gadget to a value (the text is read as
// the gadget's kind needs: on/off for a check box, a number, an entry of a combo box by
// symbol or id), or press a gadget (a button; a check box is toggled). Gadgets are named by
// the symbol of the plug-in's resources (EXPORTDLG_PORT) or by number.
struct GadgetStep {
  enum Kind { Set, Press } kind = Set;
  std::string gadget;
  std::string value;
  static GadgetStep SetTo(std::string gadget, std::string value) { return {Set, std::move(gadget), std::move(value)}; }
  static GadgetStep Pressing(std::string gadget) { return {Press, std::move(gadget), std::string()}; }
};

// A gadget as it was when its dialog closed.
struct GadgetRecord {
  LONG id = 0;
  std::string symbol;  // empty when the resource gave a number
  std::string kind;    // the resource keyword: CHECKBOX, EDITNUMBERARROWS, ...
  GeData value;
  bool enabled = true;
};

// What a dialog did: whether it opened, its result and its gadgets at the end.
struct DialogRecord {
  LONG resourceId = 0;
  std::string title;
  bool opened = false;
  bool result = false;
  std::vector<GadgetRecord> gadgets;
  // The first gadget with that id or symbol, or null.
  const GadgetRecord* Find(LONG id) const;
  const GadgetRecord* Find(const std::string& symbol) const;
};

class Interaction {
 public:
  static Interaction& Get();
  // Forgets every answer, script step and record (not showProgress, showMessages).
  void Reset();
  // Answers to QuestionDialog, in order.
  std::deque<bool> questionAnswers;
  // Standing answers to QuestionDialog by the question's text; used for every asking and
  // before the ordered answers.
  std::map<std::string, bool> questionAnswersByText;
  // Answers to Filename::FileSelect, in order; an empty string means "cancelled".
  std::deque<std::string> fileAnswers;
  // Standing answers to Filename::FileSelect by the request's title ("Save kys..."); used for
  // every request with that title and before the ordered answers.
  std::map<std::string, std::string> fileAnswersByTitle;
  // The steps the next dialogs run after they open, in order.
  std::deque<GadgetStep> gadgetScript;
  // Messages shown with MessageDialog.
  std::vector<std::string> messages;
  // Questions and file requests asked, for tests.
  std::vector<std::string> questions;
  // Questions and file requests that found no answer.
  std::vector<std::string> unanswered;
  // Dialogs opened (or that refused to open), in order.
  std::vector<DialogRecord> dialogs;
  // What went wrong while a dialog ran its script: a refused step, an unanswered question,
  // a dialog left open. Each is also printed on the console.
  std::vector<std::string> errors;
  // Whether the status bar progress line goes to standard error.
  bool showProgress = true;
  // Whether MessageDialog also prints its message on standard error; a command that reports
  // the messages itself turns this off.
  bool showMessages = true;
};

}  // namespace host
