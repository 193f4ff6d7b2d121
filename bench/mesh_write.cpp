// Mesh file writing against the floor, as a re-export does it: every run replaces the file of
// the run before. For a generated grid of N triangles (default 2,000,000; the first argument
// overrides) it times, alternating, seven runs each of
//   - the floor: the same bytes written with one buffered fwrite over the old file;
//   - KyranoMesh::writeToFile, which writes a temporary and exchanges it with the old file;
//   - the same bytes put in place as the writer did before: remove the old file, then rename;
//   - the same bytes put in place by a rename over the old file, which makes ext4 flush them;
//   - the same bytes exchanged with the old file, which is then removed (the writer's way);
// and prints each median and its ratio to the floor (and the writer's to the old way).
#include "geometry/KyranoMesh.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Kyrano::KyranoMesh;

namespace {

// A square grid of quads in the x-z plane, two triangles each, cut to exactly
// `triangleCount` triangles; normals and UVs per vertex, as a smoothed mesh has them.
KyranoMesh gridMesh(std::size_t triangleCount) {
    const std::size_t quads = (triangleCount + 1) / 2;
    const std::size_t side = std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(std::sqrt(double(quads)))));
    const std::size_t row = side + 1;

    KyranoMesh mesh;
    mesh.uvMappingCount = 1;
    mesh.materialNames = {"defaultMat"};
    mesh.uvSetExpositions = {{"default", 0}};
    mesh.positions.reserve(row * row);
    mesh.normals.reserve(row * row);
    mesh.uvs.reserve(row * row);
    for (std::size_t j = 0; j < row; ++j) {
        for (std::size_t i = 0; i < row; ++i) {
            const float u = float(i) / float(side);
            const float v = float(j) / float(side);
            mesh.positions.push_back({u * 100.0f, 0.0f, v * 100.0f});
            mesh.normals.push_back({0.0f, 1.0f, 0.0f});
            mesh.uvs.push_back({u, 1.0f - v});
        }
    }
    mesh.triangles.reserve(triangleCount);
    for (std::size_t q = 0; q < quads && mesh.triangles.size() < triangleCount; ++q) {
        const auto a = static_cast<std::uint32_t>((q / side) * row + q % side);
        const std::uint32_t b = a + 1;
        const auto c = static_cast<std::uint32_t>(b + row);
        const auto d = static_cast<std::uint32_t>(a + row);
        mesh.triangles.push_back({{c, b, a}, {c, b, a}, 0});
        if (mesh.triangles.size() < triangleCount) mesh.triangles.push_back({{a, d, c}, {a, d, c}, 0});
    }
    return mesh;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

enum class PutInPlace { RemoveThenRename, RenameOver, Exchange };

// Writes the bytes to a temporary beside `path` and puts it in place as `how` says.
bool writeAndReplace(const std::string& path, const std::vector<char>& bytes, PutInPlace how) {
    const std::string temp = path + ".bench.tmp";
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    bool ok = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out) ok = std::fclose(out) == 0 && ok;
    if (!ok) return false;
    switch (how) {
        case PutInPlace::RemoveThenRename:
            std::remove(path.c_str());
            return std::rename(temp.c_str(), path.c_str()) == 0;
        case PutInPlace::RenameOver:
            return std::rename(temp.c_str(), path.c_str()) == 0;
        case PutInPlace::Exchange:
            return syscall(SYS_renameat2, AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), 1u << 1) == 0 &&
                   std::remove(temp.c_str()) == 0;
    }
    return false;
}

struct Way {
    const char* name;
    std::function<bool()> write;
    std::vector<double> times;
};

}  // namespace

int main(int argc, char** argv) {
    const std::size_t triangleCount = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 2000000;
    const KyranoMesh mesh = gridMesh(triangleCount);

    std::string pattern = (fs::temp_directory_path() / "tavrell-mesh-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    auto file = [&](const char* name) { return (dir / name).string(); };

    // The other ways write exactly the bytes the writer produced.
    const Kyrano::MeshWriteResult first = KyranoMesh::writeToFile(file("writer.kymesh"), mesh);
    if (!first) {
        std::fprintf(stderr, "%s\n", first.error.c_str());
        return 1;
    }
    std::vector<char> prepared;
    {
        std::ifstream in(file("writer.kymesh"), std::ios::binary);
        prepared.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (const char* name : {"floor.kymesh", "removed.kymesh", "renamed.kymesh", "exchanged.kymesh"}) {
        std::ofstream(file(name), std::ios::binary).write(prepared.data(), std::streamsize(prepared.size()));
    }

    std::vector<Way> ways = {
        {"fwrite floor", [&] {
             std::FILE* out = std::fopen(file("floor.kymesh").c_str(), "wb");
             bool ok = out && std::fwrite(prepared.data(), 1, prepared.size(), out) == prepared.size();
             if (out) ok = std::fclose(out) == 0 && ok;
             return ok;
         }, {}},
        {"writeToFile (exchange)", [&] { return bool(KyranoMesh::writeToFile(file("writer.kymesh"), mesh)); }, {}},
        {"remove, then rename", [&] { return writeAndReplace(file("removed.kymesh"), prepared, PutInPlace::RemoveThenRename); }, {}},
        {"rename over", [&] { return writeAndReplace(file("renamed.kymesh"), prepared, PutInPlace::RenameOver); }, {}},
        {"exchange, then remove", [&] { return writeAndReplace(file("exchanged.kymesh"), prepared, PutInPlace::Exchange); }, {}},
    };

    using Clock = std::chrono::steady_clock;
    bool failed = false;
    for (int run = 0; run < 7; ++run) {
        for (Way& way : ways) {
            // Each timing starts with no dirty pages left by the one before, so that none pays
            // for another's writeback.
            ::sync();
            const auto start = Clock::now();
            failed |= !way.write();
            way.times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        }
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    if (failed) {
        std::fprintf(stderr, "a write failed\n");
        return 1;
    }

    const double floor = median(ways[0].times);
    std::printf("mesh_write: %zu triangles, %zu vertices, %zu bytes, replacing the file of the run before\n",
                mesh.triangles.size(), mesh.positions.size(), prepared.size());
    for (const Way& way : ways) {
        std::printf("  %-24s median %.4f s  ratio to floor %.2f  (runs", way.name, median(way.times),
                    median(way.times) / floor);
        for (double t : way.times) std::printf(" %.4f", t);
        std::printf(")\n");
    }
    std::printf("  writeToFile / remove-then-rename %.2f; exchange / remove-then-rename %.2f\n",
                median(ways[1].times) / median(ways[2].times), median(ways[4].times) / median(ways[2].times));
    return 0;
}
