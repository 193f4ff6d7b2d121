// Runs the tavrell command in-process and keeps what it printed.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "App.h"
#include "host/Console.h"

namespace testing_support {

struct CommandRun {
  int code;
  std::string out, err;
};

inline CommandRun RunCommand(const std::vector<std::string>& args) {
  host::Interaction::Get().showProgress = false;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  CommandRun r;
  r.code = cli::RunTavrell(args);
  r.out = testing::internal::GetCapturedStdout();
  r.err = testing::internal::GetCapturedStderr();
  host::Interaction::Get().showProgress = true;
  return r;
}

// The same with the built plug-in folder.
inline CommandRun RunWithBuiltPlugin(std::vector<std::string> args) {
  args.insert(args.begin(), {"--plugin-dir", TAVRELL_PLUGIN_DIR});
  return RunCommand(args);
}

}  // namespace testing_support
