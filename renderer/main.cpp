// The stand-in renderer: takes the renderer's command line, checks the scene it is given and
// reports what it found.
#include <cstdio>
#include <string>
#include <tinyxml.h>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: Kyrano SCENE.kys [-seed N] [-haltspp N] [-n wm -p PORT] [-o IMAGE]\n");
    return 2;
  }
  const std::string scene = argv[1];
  TiXmlDocument doc;
  if (!doc.LoadFile(scene.c_str())) {
    std::fprintf(stderr, "%s: not a readable XML scene: %s (line %d, column %d)\n", scene.c_str(), doc.ErrorDesc(),
                 doc.ErrorRow(), doc.ErrorCol());
    return 1;
  }
  std::printf("%s: scene read\n", scene.c_str());
  return 0;
}
