// Mesh export against its floor: builds a grid of 2 million triangles (and, when a model
// file is given, every polygon object of that file), runs WavefrontExport::ExportObj on it,
// and writes the same file bytes with one buffered fwrite. The two run as interleaved pairs
// (which of them goes first alternates); each pair gives the ratio ExportObj / floor, in
// processor time and in wall time, and the medians over the pairs are printed, with the median
// peak of memory ExportObj takes beyond what was in use before, over the mesh file's size.
// A breakdown per grid follows, with the record floor (see Breakdown).
// Processor time is the figure to trust on a shared machine; the load average is printed
// before and after.
//
//   bench_mesh_export [model file (.json document, or anything the scene importer reads)]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "BenchSupport.h"
#include "c4d.h"
#include "geometry/WavefrontExport.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/SceneImport.h"

namespace fs = std::filesystem;

namespace {

using namespace bench;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_mesh_export: %s\n", what.c_str());
  std::exit(1);
}

std::vector<char> ReadBytes(const fs::path& path) {
  std::vector<char> bytes(size_t(fs::file_size(path)));
  std::FILE* in = std::fopen(path.string().c_str(), "rb");
  const bool read = in && std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size();
  if (in) std::fclose(in);
  if (!read) Fail("cannot read " + path.string());
  return bytes;
}

void WriteFloor(const fs::path& path, const std::vector<char>& bytes) {
  std::FILE* out = std::fopen(path.string().c_str(), "wb");
  if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0)
    Fail("cannot write the floor file " + path.string());
}

struct Measure {
  std::vector<double> exportCpu, exportWall, cpuRatio, wallRatio, peakRatio;
  double fileBytes = 0;
  long triangles = 0;
};

// `pairs` interleaved pairs of ExportObj on every object and the floor for the same bytes.
Measure Run(const std::vector<PolygonObject*>& objects, BaseDocument* doc, const fs::path& dir, int pairs) {
  Measure m;
  const Filename folder(dir.string().c_str());
  auto name = [](size_t i) { return "mesh-" + std::to_string(i); };
  for (int r = 0; r < pairs; ++r) {
    Timed exported, floor;
    double fileBytes = 0, peakKB = 0;
    long triangles = 0;
    auto exportAll = [&] {
      for (size_t i = 0; i < objects.size(); ++i) {
        ResetPeak();
        const long before = StatusKB("VmRSS");
        WavefrontExport builder;
        exported += Time([&] { builder.ExportObj(doc, folder, Filename(name(i).c_str()), objects[i], 1.0f, nullptr); });
        peakKB = std::max(peakKB, double(StatusKB("VmHWM") - before));
        triangles += builder.triangleCount;
      }
    };
    auto floorAll = [&] {
      for (size_t i = 0; i < objects.size(); ++i) {
        const std::vector<char> bytes = ReadBytes(dir / (name(i) + ".kymesh"));
        fileBytes += double(bytes.size());
        floor += Time([&] { WriteFloor(dir / (name(i) + ".floor"), bytes); });
      }
    };
    // The floor writes the bytes of the first export; after that, which goes first alternates.
    if (r % 2 == 0) {
      exportAll();
      floorAll();
    } else {
      floorAll();
      exportAll();
    }
    m.triangles = triangles;
    m.fileBytes = fileBytes;
    m.exportCpu.push_back(exported.cpu);
    m.exportWall.push_back(exported.wall);
    m.cpuRatio.push_back(exported.cpu / floor.cpu);
    m.wallRatio.push_back(exported.wall / floor.wall);
    m.peakRatio.push_back(peakKB * 1024.0 / fileBytes);
  }
  return m;
}

// ExportObj's parts timed apart, in processor time (medians of `rounds`): building the mesh,
// of which the host's Phong normals, and writing its file. Against them the record floor: a
// copy of the finished mesh made in fresh memory and written, which is what any builder that
// fills the mesh record and writes it pays before it looks up a single vertex.
void Breakdown(PolygonObject* grid, BaseDocument* doc, const fs::path& dir, int rounds) {
  std::vector<double> build, phong, write, record;
  const std::string path = (dir / "breakdown.kymesh").string();
  for (int r = 0; r < rounds; ++r) {
    WavefrontExport builder;
    builder.document = doc;
    builder.hasPhong = grid->GetTag(Tphong) != nullptr;
    build.push_back(Time([&] { builder.AddVerticesAndTris(grid, nullptr); }).cpu);
    if (builder.hasPhong) phong.push_back(Time([&] { GeFree(grid->CreatePhongNormals()); }).cpu);
    write.push_back(Time([&] { Kyrano::KyranoMesh::writeToFile(path, builder.mesh); }).cpu);
    record.push_back(Time([&] {
                       Kyrano::KyranoMesh copy(builder.mesh);
                       Kyrano::KyranoMesh::writeToFile(path, copy);
                     }).cpu);
  }
  std::printf("  building %.3f s", Median(build));
  if (!phong.empty()) std::printf(" (the host's Phong normals %.3f s)", Median(phong));
  std::printf(", writing %.3f s; record floor %.3f s: building and writing %.2fx it\n", Median(write),
              Median(record), (Median(build) + Median(write)) / Median(record));
}

void Report(const char* what, const Measure& m) {
  std::printf("%-24s %8ld tris %6.1f MB  export %6.3f s cpu, %6.3f s wall  time %5.2fx floor cpu (%5.2fx wall)  "
              "peak extra %4.2fx file\n",
              what, m.triangles, m.fileBytes / 1e6, Median(m.exportCpu), Median(m.exportWall), Median(m.cpuRatio),
              Median(m.wallRatio), Median(m.peakRatio));
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
  const int pairs = 7;
  std::printf("load average before: %s\n", LoadAverage().c_str());

  struct Variant {
    const char* name;
    bool smooth, textured;
  };
  const Variant variants[] = {{"grid", false, false}, {"grid, Phong and UV tag", true, true}};
  // Every grid is made first and every breakdown comes last: memory that an earlier step freed
  // but the process kept would otherwise make a later export's peak look smaller.
  std::vector<BaseDocument*> docs;
  std::vector<PolygonObject*> grids;
  for (const Variant& v : variants) {
    docs.push_back(BaseDocument::Alloc());
    grids.push_back(MakeGrid(1000, v.smooth, v.textured));
    docs.back()->InsertObject(grids.back(), nullptr, nullptr);
  }
  for (size_t i = 0; i < docs.size(); ++i) Report(variants[i].name, Run({grids[i]}, docs[i], dir, pairs));
  for (size_t i = 0; i < docs.size(); ++i) {
    std::printf("%s:\n", variants[i].name);
    Breakdown(grids[i], docs[i], dir, 3);
    BaseDocument::Free(docs[i]);
  }

  if (argc > 1) {
    const std::string path = argv[1];
    BaseDocument* doc = nullptr;
    try {
      doc = host::IsForeignScene(path) ? host::ImportScene(path) : host::LoadDocument(path);
    } catch (const std::exception& e) {
      fs::remove_all(dir);
      Fail(e.what());
    }
    AnimateDocument(doc, TRUE, TRUE);
    std::vector<PolygonObject*> objects;
    CollectPolygons(doc->GetFirstObject(), objects);
    if (objects.empty()) {
      std::fprintf(stderr, "bench_mesh_export: %s holds no polygon object\n", path.c_str());
    } else {
      Report(fs::path(path).filename().string().c_str(), Run(objects, doc, dir, pairs));
    }
    BaseDocument::Free(doc);
  }
  std::printf("load average after: %s\n", LoadAverage().c_str());
  fs::remove_all(dir);
  return 0;
}
