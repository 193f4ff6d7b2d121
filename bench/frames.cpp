// A frame range against one frame: a document holding a static grid of 2 million triangles
// (Phong and UV tags) and a cube that moves, exported as the export command does it (evaluate
// the document at the frame, then export it), once for frame 0 alone and once for frames 0
// to 9, each with a fresh exporter. The two run as interleaved pairs (which goes first
// alternates); each pair gives the ratios ten frames / one frame in processor time, wall time
// and bytes written (the write calls' byte count of this process), and the medians over the
// pairs are printed. Unchanged meshes of later frames are links of the first frame's files,
// so ten frames should cost little more than one.
//
//   bench_frames [pairs]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "BenchSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "host/Console.h"

namespace fs = std::filesystem;
using namespace bench;

namespace {

// Bytes this process has handed to write calls so far (/proc/self/io "wchar").
double BytesWritten() {
  std::ifstream in("/proc/self/io");
  std::string key;
  double value = 0;
  while (in >> key >> value)
    if (key == "wchar:") return value;
  return 0;
}

BaseDocument* MakeDocument() {
  BaseDocument* doc = BaseDocument::Alloc();
  doc->SetFps(25);
  doc->InsertObject(MakeGrid(1000, true, true), nullptr, nullptr);
  BaseObject* cube = BaseObject::Alloc(Ocube);
  cube->SetName("Cube");
  CTrack* track = CTrack::Alloc(cube, CTRACK_POSITION, 0);
  track->AddKey(BaseTime(0.0, 25.0), 0.0f);
  track->AddKey(BaseTime(9.0, 25.0), 90.0f);
  doc->InsertObject(cube, nullptr, nullptr);
  return doc;
}

struct Cost {
  Timed time;
  double bytes = 0;
};

// Frames first..last of the document into a scene in dir, with one exporter.
Cost ExportRange(BaseDocument* doc, const fs::path& dir, LONG first, LONG last) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  Cost cost;
  const double before = BytesWritten(), cpuBefore = ProcessCpuSeconds();
  // Meshes are built on threads of their own: the processor time is the whole process's.
  cost.time = Time([&] {
    KyranoSceneExporter exporter;
    exporter.initKYS(doc, Filename((dir / "shot.kys").string().c_str()), 0, 0, 0, 0, 0, 0, 0, 1);
    for (LONG frame = first; frame <= last; ++frame) {
      doc->SetTime(BaseTime(double(frame), 25.0));
      doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE);
      exporter.currentFrame = frame;
      if (!exporter.exportKYS()) {
        std::fprintf(stderr, "bench_frames: the export of frame %d failed\n", int(frame));
        std::exit(1);
      }
    }
  });
  cost.time.cpu = ProcessCpuSeconds() - cpuBefore;
  cost.bytes = BytesWritten() - before;
  return cost;
}

}  // namespace

int main(int argc, char** argv) {
  host::Console::Get().SetEcho(false);
  const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const fs::path dir = fs::temp_directory_path() / ("tavrell_bench_frames_" + std::to_string(::getpid()));
  std::printf("load average before: %s\n", LoadAverage().c_str());
  BaseDocument* doc = MakeDocument();

  std::vector<double> oneCpu, oneWall, cpuRatio, wallRatio, bytesRatio;
  double oneBytes = 0, tenBytes = 0;
  for (int r = 0; r < pairs; ++r) {
    Cost one, ten;
    if (r % 2 == 0) {
      one = ExportRange(doc, dir, 0, 0);
      ten = ExportRange(doc, dir, 0, 9);
    } else {
      ten = ExportRange(doc, dir, 0, 9);
      one = ExportRange(doc, dir, 0, 0);
    }
    oneCpu.push_back(one.time.cpu);
    oneWall.push_back(one.time.wall);
    cpuRatio.push_back(ten.time.cpu / one.time.cpu);
    wallRatio.push_back(ten.time.wall / one.time.wall);
    bytesRatio.push_back(ten.bytes / one.bytes);
    oneBytes = one.bytes;
    tenBytes = ten.bytes;
  }
  std::printf("one frame: %.3f s cpu, %.3f s wall, %.1f MB written\n", Median(oneCpu), Median(oneWall), oneBytes / 1e6);
  std::printf("ten frames / one frame: time %.2fx cpu (%.2fx wall), bytes %.3fx (%.1f MB)  [medians of %d pairs]\n",
              Median(cpuRatio), Median(wallRatio), Median(bytesRatio), tenBytes / 1e6, pairs);
  std::printf("load average after: %s\n", LoadAverage().c_str());
  BaseDocument::Free(doc);
  fs::remove_all(dir);
  return 0;
}
