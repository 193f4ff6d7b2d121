#include "helpers/HelpersLaunch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "helpers/HelpersPaths.h"
#include "helpers/HelpersSettings.h"
#include "ReplaceFile.h"

namespace Helpers {

namespace {

// Inside the renderer folder; joined to it as text, without adding or removing a separator.
const char* const kExecutableFolder = "/Kyrano.app/Contents/MacOS/";
const char* const kBatchFile = "kyrano_run.cmd";

std::string EightBit(const String& text) {
  std::unique_ptr<char[]> bytes(StringToChar(text));
  return std::string(bytes.get());
}

String Quoted(const std::string& text) { return String(("\"" + text + "\"").c_str()); }

// What the renderer is told besides the scene, in the batch form's order: a fresh seed, the
// scene, the sample limit (none for -1), the network master's port, and the picture to write.
struct RendererArguments {
  std::string exe, scene, image;
  LONG seed = 0, haltSpp = -1, port = 0;
  bool startMaster = false;
};

// The renderer's own arguments after the executable.
std::vector<std::string> RendererOptions(const RendererArguments& a) {
  std::vector<std::string> args = {"-seed", std::to_string(a.seed), a.scene};
  if (a.haltSpp != -1) args.insert(args.end(), {"-haltspp", std::to_string(a.haltSpp)});
  if (a.startMaster) args.insert(args.end(), {"-n", "wm", "-p", std::to_string(a.port)});
  if (!a.image.empty()) args.insert(args.end(), {"-o", a.image});
  return args;
}

// The renderer's options as the console shows them: paths in double quotes.
String DisplayedOptions(const RendererArguments& a) {
  std::string text;
  for (const std::string& arg : RendererOptions(a)) {
    const bool path = arg == a.scene || arg == a.image;
    text += " " + (path ? "\"" + arg + "\"" : arg);
  }
  return String(text.c_str());
}

#ifdef __APPLE__
// On macOS the renderer is an application bundle, opened by the system's launcher, which
// hands the words after --args to the renderer.
const char* const kLauncher = "/usr/bin/open";

bool LauncherAvailable() { return access(kLauncher, X_OK) == 0; }

std::vector<std::string> LaunchArguments(const RendererArguments& a) {
  std::vector<std::string> args = {kLauncher, "-a", a.exe, "--args"};
  const std::vector<std::string> options = RendererOptions(a);
  args.insert(args.end(), options.begin(), options.end());
  return args;
}

String DisplayedCommand(const RendererArguments& a) {
  return String("open -a ") + Quoted(a.exe) + " --args" + DisplayedOptions(a);
}
#else
// Elsewhere there is no launcher: the renderer executable itself is started on the scene.
bool LauncherAvailable() { return true; }

std::vector<std::string> LaunchArguments(const RendererArguments& a) {
  std::vector<std::string> args = {a.exe};
  const std::vector<std::string> options = RendererOptions(a);
  args.insert(args.end(), options.begin(), options.end());
  return args;
}

String DisplayedCommand(const RendererArguments& a) { return Quoted(a.exe) + DisplayedOptions(a); }
#endif

// How far a start got before it failed, and why; sent from the children to the host.
struct StartFailure {
  int step;  // 1 the second fork, 2 the exec
  int error;
};

int HighestDescriptor() {
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 65536) return 65536;
  return int(limit.rlim_cur);
}

void WriteFailure(int pipe, int step) {
  const StartFailure failure = {step, errno};
  ssize_t written;
  do written = write(pipe, &failure, sizeof failure);
  while (written < 0 && errno == EINTR);
}

// Marks the descriptor close-on-exec and, when the host runs without standard streams and the
// descriptor took one of their numbers, moves it above them, where the child's /dev/null
// streams cannot replace it.
bool CloseOnExecAboveStandardStreams(int& fd) {
  if (fd > STDERR_FILENO) return fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  if (moved < 0) return false;
  close(fd);
  fd = moved;
  return true;
}

// Runs in the grandchild, between fork and exec, so it calls only async-signal-safe
// functions: the renderer gets default signal handling, no blocked signals and none of the
// host's open files; its standard streams go to /dev/null, as for a program opened from the
// desktop, so that it never writes into the host's console or output pipe.
[[noreturn]] void ExecProgram(char* const* argv, int failurePipe, int highestDescriptor, const sigset_t& noSignals) {
  struct sigaction defaults;
  std::memset(&defaults, 0, sizeof defaults);
  defaults.sa_handler = SIG_DFL;
  for (int sig : {SIGPIPE, SIGCHLD, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2}) sigaction(sig, &defaults, nullptr);
  sigprocmask(SIG_SETMASK, &noSignals, nullptr);
  const int devNull = open("/dev/null", O_RDWR);
  if (devNull >= 0) {
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
      if (fd != devNull) dup2(devNull, fd);
    if (devNull > STDERR_FILENO) close(devNull);
  }
  for (int fd = STDERR_FILENO + 1; fd < highestDescriptor; ++fd)
    if (fd != failurePipe) close(fd);
  execv(argv[0], argv);
  WriteFailure(failurePipe, 2);
  _exit(127);
}

// Starts the program with its arguments, without a shell, in a session of its own, so that it
// outlives the host and never becomes the host's child: an intermediate child starts it and
// exits at once, and only that intermediate is reaped here. The renderer's parent is then the
// system, which reaps it; the host's own children and its SIGCHLD handling are not touched.
// Whether the exec succeeded comes back through a pipe that closes on a successful exec.
bool StartDetached(const std::vector<std::string>& args, std::string* error) {
  if (args.empty() || args[0].empty()) {
    *error = "no renderer executable is known";
    return false;
  }
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  sigset_t noSignals;
  sigemptyset(&noSignals);
  const int highestDescriptor = HighestDescriptor();

  int fds[2];
  if (pipe(fds) != 0) {
    *error = std::string("cannot create a pipe: ") + std::strerror(errno);
    return false;
  }
  if (!CloseOnExecAboveStandardStreams(fds[0]) || !CloseOnExecAboveStandardStreams(fds[1])) {
    *error = std::string("cannot prepare a pipe: ") + std::strerror(errno);
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  const pid_t intermediate = fork();
  if (intermediate < 0) {
    *error = std::string("cannot start a process: ") + std::strerror(errno);
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (intermediate == 0) {
    close(fds[0]);
    setsid();
    const pid_t renderer = fork();
    if (renderer < 0) {
      WriteFailure(fds[1], 1);
      _exit(1);
    }
    if (renderer == 0) ExecProgram(argv.data(), fds[1], highestDescriptor, noSignals);
    _exit(0);
  }
  close(fds[1]);
  int status = 0;
  pid_t reaped;
  do reaped = waitpid(intermediate, &status, 0);
  while (reaped < 0 && errno == EINTR);
  StartFailure failure = {0, 0};
  ssize_t got;
  do got = read(fds[0], &failure, sizeof failure);
  while (got < 0 && errno == EINTR);
  close(fds[0]);
  if (got == ssize_t(sizeof failure)) {
    *error = std::string(failure.step == 2 ? "cannot run " + args[0] : std::string("cannot start a process")) + ": " +
             std::strerror(failure.error);
    return false;
  }
  // The host may reap children itself (an ignored SIGCHLD); then only the pipe tells.
  if (reaped == intermediate && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
    *error = "the process that starts the renderer stopped early";
    return false;
  }
  return true;
}

// The seed of one render (a launch or a batch line): the host's generator seeded with its timer, scaled by the timer
// read again and cut toward zero, so it is never negative.
LONG RenderSeed() {
  Random random;
  random.Init(ULONG(GeGetTimer()));
  return LONG(random.Get01() * Real(GeGetTimer()));
}

// The picture the renderer writes is a PNG: the output's own suffix gives way to ".png", as in
// the batch form. Empty when no output is named.
std::string PngPath(const Filename& output) {
  if (!output.Content()) return std::string();
  Filename png = output;
  png.SetSuffix("png");
  return EightBit(png.GetString());
}

// A batch file expands "%NAME%" even inside quotes; "%%" stands for one percent sign.
std::string BatchText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '%') out += '%';
    out += c;
  }
  return out;
}

// A path written for the batch: folder, a backslash, file name, then an optional frame tag
// and the suffix; the path's own suffix is dropped first.
std::string BatchPath(const Filename& path, const std::string& frameTag, const char* suffix) {
  Filename bare = path;
  bare.ClearSuffix();
  return "\"" + BatchText(EightBit(bare.GetDirectory().GetString())) + "\\" + BatchText(EightBit(bare.GetFileString())) +
         frameTag + suffix + "\"";
}

// A double quote in a path would end its quoting, and a line break the command: what follows
// would run as commands of their own. A batch file has no way to quote either.
bool Unquotable(const Filename& path) { return EightBit(path.GetString()).find_first_of("\"\r\n") != std::string::npos; }

struct BatchOptions {
  Filename scene;
  Filename outputImage;
  Filename exe;
  bool belowNormal, console, startMaster, animation;
  LONG port, haltSpp;
};

std::string BatchFrame(const BatchOptions& o, LONG frame) {
  const std::string number = EightBit(LongToString(frame));
  const std::string frameTag = o.animation ? "_frame" + number : "";
  const std::string seed = EightBit(LongToString(RenderSeed()));
  std::string text = "echo Rendering frame " + number + "...\n";
  text += "start ";
  if (o.belowNormal) text += "/belownormal ";
  if (o.animation) text += "/wait /min ";
  text += o.console ? "kyrano_console.exe -seed " + seed + " " : EightBit(o.exe.GetFileString()) + " -seed " + seed + " ";
  text += BatchPath(o.scene, frameTag, ".kys");
  if (o.haltSpp != -1) text += " -haltspp " + EightBit(LongToString(o.haltSpp));
  if (o.startMaster) text += " -n wm -p " + EightBit(LongToString(o.port));
  if (o.outputImage.Content()) text += " -o " + BatchPath(o.outputImage, frameTag, ".png");
  text += "\n";
  text += "echo Done!\necho ------------------\n";
  return text;
}

}  // namespace

Filename GetWritePath() { return GeGetPluginPath() + Filename("presets"); }

int GetKyranoExe(Filename* exe, int withFile, int console) {
  String folder;
  if (!exe || !GetRendererFolder(&folder)) return 0;
  exe->SetDirectory(Filename(folder + kExecutableFolder));
  if (withFile) exe->SetFile(Filename(console ? "KyranoConsole" : "Kyrano"));
  return 1;
}

int ChooseKyranoExe() {
  Filename folder;
  const String title("Choose Kyrano dir");
  // A cancelled chooser keeps the folder stored before: storing its empty answer would lose a
  // working renderer folder.
  if (!folder.FileSelect(FILESELECTTYPE_ANYTHING, FILESELECT_DIRECTORY, &title)) return 1;
  GlobalSettings settings;
  settings.path = folder.GetString();
  SaveSettings(nullptr, &settings);
  return 1;
}

int LaunchKyrano(const Filename& scene, int, int console, int, int startMaster, LONG port, const Filename& outputImage,
                 LONG haltSpp) {
  if (!LauncherAvailable()) {
    GePrint("Command processor not available! Render cannot be launched.");
    return 0;
  }
  GePrint("Command processor available.");
  Filename exe;
  GetKyranoExe(&exe, 1, console);
  RendererArguments a;
  a.exe = EightBit(exe.GetString());
  a.scene = EightBit(scene.GetString());
  a.image = PngPath(outputImage);
  a.seed = RenderSeed();
  a.haltSpp = haltSpp;
  a.startMaster = startMaster != 0;
  a.port = port;
  GePrint("Launching Kyrano...");
  GePrint(DisplayedCommand(a));
  std::string error;
  if (!StartDetached(LaunchArguments(a), &error)) {
    GePrint("failed. Check your path settings.");
    GePrint(String("Could not start the renderer: ") + error.c_str());
    return 0;
  }
  GePrint("successful!");
  return 1;
}

Filename WriteBatchFile(const Filename& scene, int belowNormal, const Filename& outputImage, int console,
                        int startMaster, LONG port, LONG haltSpp, LONG firstFrame, LONG lastFrame, int animation) {
  BatchOptions o;
  o.scene = scene;
  o.outputImage = outputImage;
  GetKyranoExe(&o.exe, 1, console);
  o.belowNormal = belowNormal != 0;
  o.console = console != 0;
  o.startMaster = startMaster != 0;
  o.animation = animation != 0;
  o.port = port;
  o.haltSpp = haltSpp;
  for (const Filename* path : {&o.scene, &o.outputImage, &o.exe}) {
    if (!Unquotable(*path)) continue;
    GePrint(String("Batch file not written: the path ") + path->GetString() +
            " holds a double quote or a line break, which a batch file cannot quote.");
    return Filename();
  }

  std::string text = "@echo off\n";
  text += "cd /d \"" + BatchText(EightBit(o.exe.GetDirectory().GetString())) + "\"\n";
  // A wide count, so that a range ending at the largest frame number still ends.
  for (long long frame = firstFrame; frame <= lastFrame; ++frame) text += BatchFrame(o, LONG(frame));

  const Filename batch = GetWritePath() + Filename(kBatchFile);
  const std::string error = replaceFileWithBytes(EightBit(batch.GetString()), text);
  if (!error.empty()) GePrint(String("Could not write the batch file: ") + error.c_str());
  return batch;
}

}  // namespace Helpers
