// The host's console and interaction settings: where GePrint lines go and where answers to
// questions and file selectors come from.
#pragma once
#include <deque>
#include <functional>
#include <stdexcept>
#include <map>
#include <string>
#include <vector>

namespace host {

class Console {
 public:
  static Console& Get();
  void Print(const std::string& line);
  // Lines printed since capture started; printing to standard output can be turned off.
  void StartCapture() { captured_.clear(); capturing_ = true; }
  std::vector<std::string> StopCapture() { capturing_ = false; return std::move(captured_); }
  const std::vector<std::string>& Captured() const { return captured_; }
  void SetEcho(bool echo) { echo_ = echo; }

 private:
  bool echo_ = true, capturing_ = false;
  std::vector<std::string> captured_;
};

// Scripted answers for the host's user interface. Answers are taken in order; a question
// without an answer raises UnansweredQuestion.
struct UnansweredQuestion : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Interaction {
 public:
  static Interaction& Get();
  void Reset();
  // Answers to QuestionDialog, in order.
  std::deque<bool> questionAnswers;
  // Answers to Filename::FileSelect, in order; an empty string means "cancelled".
  std::deque<std::string> fileAnswers;
  // Messages shown with MessageDialog.
  std::vector<std::string> messages;
  // Questions asked, for tests.
  std::vector<std::string> questions;
  // Whether the status bar progress line goes to standard error.
  bool showProgress = true;
};

}  // namespace host
