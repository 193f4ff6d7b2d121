#include "exporter/MeshJobs.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>

#include "geometry/WavefrontExport.h"

namespace {

void BuildOne(MeshJobs::Job& job, BaseDocument* document, const Filename& directory, Real scale,
              TavrellMaterialList* materials) {
  WavefrontExport builder;
  builder.consoleLines = &job.lines;
  try {
    job.written = builder.ExportObj(document, directory, job.meshFile, job.object, scale, materials);
  } catch (const std::bad_alloc&) {
    // A thread may not throw past its end; the mesh fails like an unwritable file.
    job.lines.push_back(String("--Failed to export mesh: ") + job.object->GetName() + ". Out of memory.");
    job.written = false;
  }
  job.triangles = builder.triangleCount;
  job.vertices = builder.vertexCount;
  job.uvs = builder.uvCount;
}

}  // namespace

// All plug-in work runs inside the host's calls, on its thread: the host's interface makes no
// promise that nodes may be made elsewhere. So an export builds its meshes on the host's
// thread; a caller that knows its host allows it may ask for more (the bench and tests do).
int MeshJobs::DefaultThreads() { return 1; }

int MeshJobs::AvailableThreads() { return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)); }

void MeshJobs::Build(BaseDocument* document, const Filename& directory, Real scale, TavrellMaterialList* materials,
                     int threads) {
  std::vector<Job*> builds;
  for (Job& job : jobs_)
    if (job.object) builds.push_back(&job);
  if (builds.empty()) return;
  // Made here once, so that no two threads make the folder at the same time; the same for the
  // view's camera, which a frontal projection asks for and a view may make when first asked.
  if (!GeFExist(directory, TRUE)) GeFCreateDir(directory);
  if (BaseDraw* view = document ? document->GetActiveBaseDraw() : nullptr) view->GetSceneCamera(document);

  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < builds.size(); i = next++) BuildOne(*builds[i], document, directory, scale, materials);
  };
  const size_t helpers = size_t(std::clamp(threads, 1, int(builds.size()))) - 1;
  std::vector<std::thread> pool;
  for (size_t t = 0; t < helpers; ++t) {
    try {
      pool.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // the threads there are do the work
    }
  }
  work();
  for (std::thread& t : pool) t.join();
}
