#include "c4d_general.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "host/Console.h"
#include "host/PluginLoader.h"

namespace host {

Console& Console::Get() {
  static Console console;
  return console;
}

void Console::Print(const std::string& line) {
  if (capturing_) captured_.push_back(line);
  if (echo_) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
}

Interaction& Interaction::Get() {
  static Interaction interaction;
  return interaction;
}

void Interaction::Reset() {
  questionAnswers.clear();
  fileAnswers.clear();
  messages.clear();
  questions.clear();
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
  std::fprintf(stderr, "[message] %s\n", str.str().c_str());
}

Bool QuestionDialog(const String& str) {
  host::Interaction& in = host::Interaction::Get();
  in.questions.push_back(str.str());
  if (in.questionAnswers.empty()) throw host::UnansweredQuestion("No answer was given to the question \"" + str.str() + "\"");
  bool answer = in.questionAnswers.front();
  in.questionAnswers.pop_front();
  return answer;
}

Bool Filename::FileSelect(LONG, LONG, const String* title) {
  host::Interaction& in = host::Interaction::Get();
  const std::string what = title ? title->str() : std::string("Select a file");
  in.questions.push_back(what);
  if (in.fileAnswers.empty()) throw host::UnansweredQuestion("No answer was given to the file request \"" + what + "\"");
  std::string answer = in.fileAnswers.front();
  in.fileAnswers.pop_front();
  if (answer.empty()) return FALSE;
  path_ = answer;
  return TRUE;
}

static String g_statusText;

void StatusSetText(const String& str) {
  g_statusText = str;
  if (host::Interaction::Get().showProgress) std::fprintf(stderr, "%s\n", str.str().c_str());
}

void StatusSetBar(LONG percent) {
  if (host::Interaction::Get().showProgress)
    std::fprintf(stderr, "\r%s %3d%%%s", g_statusText.str().c_str(), int(percent), percent >= 100 ? "\n" : "");
}

void StatusSetSpin() {}
void StatusClear() { g_statusText = String(); }
void GeShowMouse(LONG) {}
void SetMousePointer(LONG) {}

Real Random::Get01() {
  // xorshift32: a small, repeatable generator.
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return Real((state_ >> 8) * (1.0 / 16777216.0));
}
