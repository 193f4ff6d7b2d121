// Mesh export against its floor: builds a grid of 2 million triangles (and, when a model
// file is given, every polygon object of that file), runs WavefrontExport::ExportObj on it,
// then writes the same file bytes with one buffered fwrite. Prints the time ratio
// ExportObj / floor and the peak extra memory of ExportObj over the mesh file size.
//
//   bench_mesh_export [model file (.json document, or anything the scene importer reads)]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "c4d.h"
#include "geometry/WavefrontExport.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/SceneImport.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Processor time of this thread, in seconds: what the work costs when the machine is shared.
double CpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A field of /proc/self/status in kB, or -1.
long StatusKB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.compare(0, key.size(), key) == 0) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  return -1;
}

// Starts a new peak: the high-water mark drops to the memory in use now.
void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

// A flat grid of quads in the host's x-z plane, with a UV tag and a texture tag using it
// when `textured`, and a Phong tag when `smooth`.
PolygonObject* MakeGrid(LONG quadsPerSide, bool smooth, bool textured) {
  const LONG side = quadsPerSide + 1;
  PolygonObject* op = PolygonObject::Alloc(side * side, quadsPerSide * quadsPerSide);
  op->SetName("Grid");
  Vector* p = op->GetPointW();
  for (LONG z = 0; z < side; ++z)
    for (LONG x = 0; x < side; ++x) p[z * side + x] = Vector(Real(x), 0.01f * Real((x * 7 + z * 13) % 17), Real(z));
  CPolygon* polys = op->GetPolygonW();
  for (LONG z = 0; z < quadsPerSide; ++z)
    for (LONG x = 0; x < quadsPerSide; ++x) {
      const LONG a = z * side + x;
      polys[z * quadsPerSide + x] = CPolygon(a, a + side, a + side + 1, a + 1);
    }
  if (smooth) op->InsertTag(BaseTag::Alloc(Tphong));
  if (textured) {
    UVWTag* uvw = UVWTag::Alloc(op->GetPolygonCount());
    // Each point has one UV, whichever polygon it is a corner of.
    const Real step = 1.0f / Real(quadsPerSide);
    auto uv = [&](LONG x, LONG z) { return Vector(Real(x) * step, Real(z) * step, 0); };
    for (LONG z = 0; z < quadsPerSide; ++z)
      for (LONG x = 0; x < quadsPerSide; ++x)
        uvw->Set(z * quadsPerSide + x, UVWStruct(uv(x, z), uv(x, z + 1), uv(x + 1, z + 1), uv(x + 1, z)));
    op->InsertTag(uvw);
    TextureTag* texture = TextureTag::Alloc();
    texture->GetDataInstance()->SetLong(TEXTURETAG_PROJECTION, P_UVW);
    op->InsertTag(texture);
  }
  return op;
}

struct Measure {
  double exportSeconds = 0, floorSeconds = 0;
  double peakExtraKB = 0, fileBytes = 0;
  long triangles = 0;
};

// ExportObj on every object, then the floor for the same bytes; best of `rounds` times.
Measure Run(const std::vector<PolygonObject*>& objects, BaseDocument* doc, const fs::path& dir, int rounds) {
  Measure m;
  m.exportSeconds = m.floorSeconds = 1e30;
  for (int r = 0; r < rounds; ++r) {
    double exportTime = 0, floorTime = 0, fileBytes = 0, peak = 0;
    for (size_t i = 0; i < objects.size(); ++i) {
      const std::string name = "mesh-" + std::to_string(i);
      ResetPeak();
      const long before = StatusKB("VmRSS");
      {
        WavefrontExport builder;
        const Clock::time_point start = Clock::now();
        builder.ExportObj(doc, Filename(dir.string().c_str()), Filename(name.c_str()), objects[i], 1.0f, nullptr);
        exportTime += Seconds(start);
        if (r == 0) m.triangles += builder.triangleCount;
      }
      peak = std::max(peak, double(StatusKB("VmHWM") - before));

      const fs::path written = dir / (name + ".kymesh");
      std::ifstream in(written, std::ios::binary);
      const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      fileBytes += double(bytes.size());
      const Clock::time_point floorStart = Clock::now();
      std::FILE* out = std::fopen((dir / (name + ".floor")).string().c_str(), "wb");
      if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "bench_mesh_export: cannot write the floor file in %s\n", dir.string().c_str());
        std::exit(1);
      }
      floorTime += Seconds(floorStart);
    }
    m.exportSeconds = std::min(m.exportSeconds, exportTime);
    m.floorSeconds = std::min(m.floorSeconds, floorTime);
    if (r == 0) {
      m.peakExtraKB = peak;
      m.fileBytes = fileBytes;
    }
  }
  return m;
}

// ExportObj's two halves timed apart: building the mesh and writing its file.
void Breakdown(PolygonObject* grid, BaseDocument* doc, const fs::path& dir) {
  WavefrontExport builder;
  builder.document = doc;
  builder.hasPhong = grid->GetTag(Tphong) != nullptr;
  const Clock::time_point start = Clock::now();
  const double cpuStart = CpuSeconds();
  builder.AddVerticesAndTris(grid, nullptr);
  const double build = Seconds(start), buildCpu = CpuSeconds() - cpuStart;
  const Clock::time_point writeStart = Clock::now();
  const double writeCpuStart = CpuSeconds();
  Kyrano::KyranoMesh::writeToFile((dir / "breakdown.kymesh").string(), builder.mesh);
  std::printf("  of which building %.3f s (processor %.3f s), writing %.3f s (processor %.3f s)\n", build, buildCpu,
              Seconds(writeStart), CpuSeconds() - writeCpuStart);
}

void Report(const char* what, const Measure& m) {
  std::printf("%-34s %9ld tris  %8.1f MB  export %7.3f s  floor %7.3f s  time %5.2fx floor  peak extra %5.2fx file\n",
              what, m.triangles, m.fileBytes / 1e6, m.exportSeconds, m.floorSeconds, m.exportSeconds / m.floorSeconds,
              m.peakExtraKB * 1024.0 / m.fileBytes);
}

void CollectPolygons(BaseObject* op, std::vector<PolygonObject*>& out) {
  for (; op; op = op->GetNext()) {
    if (op->GetType() == Opolygon && static_cast<PolygonObject*>(op)->GetPolygonCount() > 0)
      out.push_back(static_cast<PolygonObject*>(op));
    if (op->GetCache()) CollectPolygons(op->GetCache(), out);
    CollectPolygons(op->GetDown(), out);
  }
}

}  // namespace

int main(int argc, char** argv) {
  host::Console::Get().SetEcho(false);
  const fs::path dir = fs::temp_directory_path() / ("tavrell_bench_mesh_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const int rounds = 3;

  struct Variant {
    const char* name;
    bool smooth, textured;
  };
  const Variant variants[] = {{"grid 1000x1000 quads", false, false},
                              {"grid, Phong and UV tag", true, true}};
  for (const Variant& v : variants) {
    BaseDocument* doc = BaseDocument::Alloc();
    PolygonObject* grid = MakeGrid(1000, v.smooth, v.textured);
    doc->InsertObject(grid, nullptr, nullptr);
    Report(v.name, Run({grid}, doc, dir, rounds));
    Breakdown(grid, doc, dir);
    BaseDocument::Free(doc);
  }

  if (argc > 1) {
    const std::string path = argv[1];
    BaseDocument* doc = nullptr;
    try {
      doc = host::IsForeignScene(path) ? host::ImportScene(path) : host::LoadDocument(path);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "bench_mesh_export: %s\n", e.what());
      fs::remove_all(dir);
      return 1;
    }
    AnimateDocument(doc, TRUE, TRUE);
    std::vector<PolygonObject*> objects;
    CollectPolygons(doc->GetFirstObject(), objects);
    if (objects.empty()) {
      std::fprintf(stderr, "bench_mesh_export: %s holds no polygon object\n", path.c_str());
    } else {
      Report(fs::path(path).filename().string().c_str(), Run(objects, doc, dir, rounds));
    }
    BaseDocument::Free(doc);
  }
  fs::remove_all(dir);
  return 0;
}
