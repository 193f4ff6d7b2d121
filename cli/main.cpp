#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "App.h"
#include "host/SceneImport.h"

int main(int argc, char** argv) {
  const int code = cli::RunTavrell(std::vector<std::string>(argv + 1, argv + argc));
  // An import given up on still runs inside the importer's library, whose static data the
  // normal exit would destroy under it.
  if (host::ImportsAbandoned()) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(code);
  }
  return code;
}
