#include "RendererRun.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "Session.h"

extern char** environ;

namespace cli {

std::vector<std::string> RendererRun::Arguments() const {
  std::vector<std::string> args = {executable, scene};
  if (!outputImage.empty()) args.insert(args.end(), {"-o", outputImage});
  if (master) args.insert(args.end(), {"-n", "wm", "-p", std::to_string(port)});
  return args;
}

int RunRendererAndWait(const RendererRun& run) {
  const std::vector<std::string> args = run.Arguments();
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // What the command printed so far comes before the renderer's report.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (error != 0) throw CommandError("cannot run the renderer " + run.executable + ": " + std::strerror(error));
  int status = 0;
  pid_t reaped;
  do reaped = waitpid(pid, &status, 0);
  while (reaped < 0 && errno == EINTR);
  if (reaped != pid) throw CommandError("lost the renderer on " + run.scene + ": " + std::strerror(errno));
  if (WIFSIGNALED(status))
    throw CommandError("the renderer stopped on signal " + std::to_string(WTERMSIG(status)) + " while rendering " +
                       run.scene);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace cli
