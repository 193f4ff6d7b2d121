// Mesh file writing against the floor: the time of KyranoMesh::writeToFile for a generated
// grid of N triangles (default 2,000,000; the first argument overrides), divided by the time
// of writing the same bytes with one buffered fwrite of a prepared buffer. Each is run three
// times, alternating, and the medians are compared. Both overwrite the file of their previous
// run, as a repeated export does.
#include "geometry/KyranoMesh.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
    const std::string meshPath = (dir / "grid.kymesh").string();
    const std::string floorPath = (dir / "floor.kymesh").string();

    // The floor writes exactly the bytes the writer produced.
    const Kyrano::MeshWriteResult first = KyranoMesh::writeToFile(meshPath, mesh);
    if (!first) {
        std::fprintf(stderr, "%s\n", first.error.c_str());
        return 1;
    }
    std::vector<char> prepared;
    {
        std::ifstream in(meshPath, std::ios::binary);
        prepared.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    using Clock = std::chrono::steady_clock;
    std::vector<double> writerTimes, floorTimes;
    bool failed = false;
    for (int run = 0; run < 3; ++run) {
        // Each timing starts with no dirty pages left by the one before, so that neither pays
        // for the other's writeback.
        ::sync();
        auto start = Clock::now();
        failed |= !KyranoMesh::writeToFile(meshPath, mesh);
        writerTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());

        ::sync();
        start = Clock::now();
        std::FILE* out = std::fopen(floorPath.c_str(), "wb");
        failed |= !out || std::fwrite(prepared.data(), 1, prepared.size(), out) != prepared.size();
        if (out) failed |= std::fclose(out) != 0;
        floorTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }

    std::error_code ignored;
    fs::remove_all(dir, ignored);
    if (failed) {
        std::fprintf(stderr, "a write failed\n");
        return 1;
    }

    const double writer = median(writerTimes);
    const double floor = median(floorTimes);
    std::printf("mesh_write: %zu triangles, %zu vertices, %zu bytes\n", mesh.triangles.size(),
                mesh.positions.size(), prepared.size());
    std::printf("  writeToFile  median %.4f s (runs %.4f %.4f %.4f)\n", writer, writerTimes[0],
                writerTimes[1], writerTimes[2]);
    std::printf("  fwrite floor median %.4f s (runs %.4f %.4f %.4f)\n", floor, floorTimes[0],
                floorTimes[1], floorTimes[2]);
    std::printf("  ratio writeToFile/floor %.2f\n", writer / floor);
    return 0;
}
