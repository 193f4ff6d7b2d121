// While a command runs, message boxes become its one line of failure instead of being
// printed as they are shown.
#pragma once
#include "host/Console.h"

namespace cli {

class MessagesReportedByCommand {
 public:
  MessagesReportedByCommand() : previous_(host::Interaction::Get().showMessages) {
    host::Interaction::Get().showMessages = false;
  }
  ~MessagesReportedByCommand() { host::Interaction::Get().showMessages = previous_; }

 private:
  bool previous_;
};

}  // namespace cli
