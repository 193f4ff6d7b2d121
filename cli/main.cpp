#include "App.h"

int main(int argc, char** argv) {
  return cli::RunTavrell(std::vector<std::string>(argv + 1, argv + argc));
}
