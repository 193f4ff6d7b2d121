#include "c4d_general.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

#include "host/Console.h"
#include "host/PluginLoader.h"

namespace host {

Console& Console::Get() {
  static Console console;
  return console;
}

bool Console::IsWarning(const std::string& line) {
  const size_t start = line.find_first_not_of("-* ");
  if (start == std::string::npos) return false;
  const std::string_view text = std::string_view(line).substr(start);
  return text.substr(0, 7) == "Warning" || text.substr(0, 7) == "WARNING";
}

void Console::Print(const std::string& line) {
  if (capturing_) captured_.push_back(line);
  if (!echo_) return;
  const bool warning = IsWarning(line);
  if (quiet_ && !warning) return;
  // Standard output carries the console's report, standard error the warnings (a failure is
  // the command's own line there); a line goes to one of them only.
  FILE* stream = warning ? stderr : stdout;
  if (warning) std::fflush(stdout);
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

Interaction& Interaction::Get() {
  static Interaction interaction;
  return interaction;
}

void Interaction::Reset() {
  questionAnswers.clear();
  questionAnswersByText.clear();
  fileAnswers.clear();
  fileAnswersByTitle.clear();
  gadgetScript.clear();
  messages.clear();
  questions.clear();
  unanswered.clear();
  dialogs.clear();
  errors.clear();
}

const GadgetRecord* DialogRecord::Find(LONG id) const {
  for (const GadgetRecord& g : gadgets)
    if (g.id == id) return &g;
  return nullptr;
}

const GadgetRecord* DialogRecord::Find(const std::string& symbol) const {
  for (const GadgetRecord& g : gadgets)
    if (g.symbol == symbol) return &g;
  return nullptr;
}

static std::string g_pluginPath;

void SetPluginPath(const std::string& folder) { g_pluginPath = folder; }

}  // namespace host

void GePrint(const String& str) { host::Console::Get().Print(str.str()); }

LONG GeGetTimer() {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  return LONG(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

void GeSleep(LONG milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

Filename GeGetPluginPath() { return Filename(host::g_pluginPath.c_str()); }

BaseContainer* GetWorldContainerInstance() {
  static BaseContainer world;
  static bool init = false;
  if (!init) {
    world.SetLong(WPREF_UNITS_BASIC, 3);  // centimetres
    init = true;
  }
  return &world;
}

BaseContainer GetWorldContainer() { return *GetWorldContainerInstance(); }

LONG GeGetCPUCount() {
  unsigned n = std::thread::hardware_concurrency();
  return n ? LONG(n) : 1;
}

void EventAdd(LONG) {}

void MessageDialog(const String& str) {
  host::Interaction::Get().messages.push_back(str.str());
  if (host::Interaction::Get().showMessages) std::fprintf(stderr, "[message] %s\n", str.str().c_str());
}

Bool QuestionDialog(const String& str) {
  host::Interaction& in = host::Interaction::Get();
  const std::string question = str.str();
  in.questions.push_back(question);
  auto standing = in.questionAnswersByText.find(question);
  if (standing != in.questionAnswersByText.end()) return standing->second;
  if (in.questionAnswers.empty()) {
    in.unanswered.push_back(question);
    throw host::UnansweredQuestion("No answer was given to the question \"" + question + "\"");
  }
  bool answer = in.questionAnswers.front();
  in.questionAnswers.pop_front();
  return answer;
}

Bool Filename::FileSelect(LONG, LONG, const String* title) {
  host::Interaction& in = host::Interaction::Get();
  const std::string what = title ? title->str() : std::string("Select a file");
  in.questions.push_back(what);
  std::string answer;
  auto standing = in.fileAnswersByTitle.find(what);
  if (standing != in.fileAnswersByTitle.end()) {
    answer = standing->second;
  } else if (!in.fileAnswers.empty()) {
    answer = in.fileAnswers.front();
    in.fileAnswers.pop_front();
  } else {
    in.unanswered.push_back(what);
    throw host::UnansweredQuestion("No answer was given to the file request \"" + what + "\"");
  }
  if (answer.empty()) return FALSE;
  path_ = answer;
  return TRUE;
}

// The status bar as a progress line on standard error. On a terminal the line is redrawn in
// place, at most ten times a second; elsewhere (a log, a pipe) a whole line is written at most
// once a second and at the end of the bar, so a range of thousands of frames gives a few lines
// per minute, not a line per frame.
namespace {

class StatusLine {
 public:
  void SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    percent_ = -1;
    if (Shown() && Terminal()) Redraw(text_);
  }

  void SetBar(LONG percentIn) {
    const int percent = int(std::clamp<LONG>(percentIn, 0, 100));
    if (percent == percent_) return;
    const int previous = percent_;
    percent_ = percent;
    if (!Shown()) return;
    const std::string line = text_ + (text_.empty() ? "" : " ") + std::to_string(percent) + "%";
    const LONG now = GeGetTimer();
    if (Terminal()) {
      if (percent < 100 && previous >= 0 && now - lastDraw_ < 100) return;
      lastDraw_ = now;
      Redraw(line);
      if (percent == 100) EndLine();
    } else if (!printed_ || percent == 100 || now - lastDraw_ >= 1000) {
      lastDraw_ = now;
      printed_ = true;
      std::fprintf(stderr, "%s\n", line.c_str());
    }
  }

  void Clear() {
    if (open_) {
      std::fputs("\r\033[K", stderr);
      open_ = false;
    }
    text_.clear();
    percent_ = -1;
    printed_ = false;
  }

 private:
  static bool Shown() { return host::Interaction::Get().showProgress; }
  static bool Terminal() { return isatty(fileno(stderr)) != 0; }
  void Redraw(const std::string& line) {
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    open_ = true;
  }
  void EndLine() {
    std::fputc('\n', stderr);
    open_ = false;
  }

  std::string text_;
  int percent_ = -1;
  LONG lastDraw_ = 0;
  bool open_ = false, printed_ = false;
};

StatusLine& Status() {
  static StatusLine status;
  return status;
}

}  // namespace

void StatusSetText(const String& str) { Status().SetText(str.str()); }
void StatusSetBar(LONG percent) { Status().SetBar(percent); }
void StatusSetSpin() {}
void StatusClear() { Status().Clear(); }
void GeShowMouse(LONG) {}
void SetMousePointer(LONG) {}

Real Random::Get01() {
  // xorshift32: a small, repeatable generator.
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return Real((state_ >> 8) * (1.0 / 16777216.0));
}
