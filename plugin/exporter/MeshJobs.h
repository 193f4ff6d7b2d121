// The meshes of one mesh pass, in the order the walk met their objects: each is built and
// written later, on a pool of threads, or was reused and only has its console line. The walk
// itself stays on the host's thread; the lines are printed in walk order afterwards.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "c4d.h"
#include "exporter/MeshReuse.h"
#include "exporter/TavrellMaterialList.h"

class MeshJobs {
 public:
  struct Job {
    BaseObject* object = nullptr;  // null: nothing to build (the mesh was reused)
    uint64_t source = 0;           // the identity its file is remembered under (MeshSourceOf)
    Filename meshFile;
    std::string path;
    MeshFingerprint fingerprint;
    std::vector<String> lines;  // the console lines, in order
    bool written = false;
    LONG triangles = 0, vertices = 0, uvs = 0;
  };

  void Add(Job job) { jobs_.push_back(std::move(job)); }
  // Builds and writes every queued mesh into `directory` on up to `threads` threads (one:
  // on this thread). Objects and the material list are only read meanwhile.
  void Build(BaseDocument* document, const Filename& directory, Real scale, TavrellMaterialList* materials,
             int threads);
  std::vector<Job>& Jobs() { return jobs_; }
  void Clear() { jobs_.clear(); }

  // One: an export builds on the host's thread unless its caller asks for more.
  static int DefaultThreads();
  // What the machine offers, at most 8: meshes beyond that wait for memory, not processors.
  static int AvailableThreads();

 private:
  std::vector<Job> jobs_;
};
