// Helpers shared by the benchmarks: timing in processor and wall time, medians, peak memory,
// the load average, and the 2-million-triangle grid they export.
#pragma once
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <time.h>

#include "c4d.h"

namespace bench {

using Clock = std::chrono::steady_clock;

// Processor time of this thread (user and system), in seconds.
inline double CpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Processor time of the whole process (every thread), in seconds.
inline double ProcessCpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Timed {
  double wall = 0, cpu = 0;
  Timed& operator+=(const Timed& o) {
    wall += o.wall;
    cpu += o.cpu;
    return *this;
  }
};

template <typename F>
Timed Time(F work) {
  const Clock::time_point start = Clock::now();
  const double cpuStart = CpuSeconds();
  work();
  return Timed{std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpuStart};
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// A field of /proc/self/status in kB, or -1.
inline long StatusKB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.compare(0, key.size(), key) == 0) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  return -1;
}

// Starts a new peak: the high-water mark drops to the memory in use now.
inline void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

inline std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five;
  in >> one >> five;
  return one + " (1 min), " + five + " (5 min)";
}

// A flat grid of quads in the host's x-z plane, with a UV tag and a texture tag using it
// when `textured`, and a Phong tag when `smooth`.
inline PolygonObject* MakeGrid(LONG quadsPerSide, bool smooth, bool textured) {
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

}  // namespace bench
