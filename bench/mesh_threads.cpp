// The mesh pass on a pool of threads against the same pass on one: a document of 8 grids of
// 250k triangles each (Phong and UV tags), exported whole by a fresh exporter with one mesh
// thread and with the machine's default. The two run as interleaved pairs (which goes first
// alternates); each pair gives the ratio pool / one thread in wall time, and the medians over
// the pairs are printed with the process's processor time. On a machine whose cores are busy
// with other work the pool cannot gain; the load average is printed before and after.
//
//   bench_mesh_threads [pairs]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "BenchSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "host/Console.h"

namespace fs = std::filesystem;
using namespace bench;

namespace {

struct Run {
  double wall = 0, cpu = 0;
};

Run ExportWith(BaseDocument* doc, const fs::path& dir, int threads) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  const double cpuStart = ProcessCpuSeconds();
  const Timed t = Time([&] {
    KyranoSceneExporter exporter;
    exporter.initKYS(doc, Filename((dir / "scene.kys").string().c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
    exporter.meshThreads = threads;
    if (!exporter.exportKYS()) {
      std::fprintf(stderr, "bench_mesh_threads: the export failed\n");
      std::exit(1);
    }
  });
  return Run{t.wall, ProcessCpuSeconds() - cpuStart};
}

}  // namespace

int main(int argc, char** argv) {
  host::Console::Get().SetEcho(false);
  const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int pool = MeshJobs::AvailableThreads();
  const fs::path dir = fs::temp_directory_path() / ("tavrell_bench_threads_" + std::to_string(::getpid()));
  std::printf("load average before: %s\n", LoadAverage().c_str());
  BaseDocument* doc = BaseDocument::Alloc();
  for (int i = 0; i < 8; ++i) {
    PolygonObject* grid = MakeGrid(354, true, true);
    grid->SetPos(Vector(Real(i) * 400.0f, 0, 0));
    doc->InsertObject(grid, nullptr, nullptr);
  }

  std::vector<double> oneWall, oneCpu, poolCpu, ratio;
  for (int r = 0; r < pairs; ++r) {
    Run one, many;
    if (r % 2 == 0) {
      one = ExportWith(doc, dir, 1);
      many = ExportWith(doc, dir, pool);
    } else {
      many = ExportWith(doc, dir, pool);
      one = ExportWith(doc, dir, 1);
    }
    oneWall.push_back(one.wall);
    oneCpu.push_back(one.cpu);
    poolCpu.push_back(many.cpu);
    ratio.push_back(many.wall / one.wall);
  }
  std::printf("8 x 250k triangles: one thread %.3f s wall (%.3f s cpu); %d threads: %.2fx its wall time "
              "(%.3f s cpu)  [medians of %d pairs]\n",
              Median(oneWall), Median(oneCpu), pool, Median(ratio), Median(poolCpu), pairs);
  std::printf("load average after: %s\n", LoadAverage().c_str());
  BaseDocument::Free(doc);
  fs::remove_all(dir);
  return 0;
}
