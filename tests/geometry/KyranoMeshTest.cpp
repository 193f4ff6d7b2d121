#include "geometry/KyranoMesh.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Kyrano::KyranoMesh;

namespace {

using Bytes = std::vector<unsigned char>;

// Builds expected file contents field by field, little-endian, independently of the writer.
struct ByteBuilder {
    Bytes bytes;
    ByteBuilder& u32(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back((v >> shift) & 0xFF);
        return *this;
    }
    ByteBuilder& f32(float f) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return u32(bits);
    }
    ByteBuilder& str(const std::string& s) {
        u32(static_cast<std::uint32_t>(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
};

Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One quad as the mesh builder makes it: positions already in renderer axes, four distinct
// UV pairs, corner order reversed.
KyranoMesh quadMesh() {
    KyranoMesh mesh;
    mesh.uvMappingCount = 1;
    mesh.materialNames = {"defaultMat"};
    mesh.uvSetExpositions = {{"default", 0}};
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
    mesh.uvs = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    mesh.triangles = {{{2, 1, 0}, {2, 1, 0}, 0}, {{0, 3, 2}, {0, 3, 2}, 0}};
    return mesh;
}

Bytes quadBytes() {
    ByteBuilder b;
    b.bytes = {0x6F, 0x43, 0x53, 0x00};
    b.u32(1).u32(1);
    b.u32(1).str("defaultMat");
    b.u32(1).str("default").u32(0);
    b.u32(4).f32(0).f32(0).f32(0).f32(1).f32(0).f32(0).f32(1).f32(0).f32(1).f32(0).f32(0).f32(1);
    b.u32(0);
    b.u32(4).f32(0).f32(1).f32(1).f32(1).f32(1).f32(0).f32(0).f32(0);
    b.u32(2).u32(2).u32(1).u32(0).u32(2).u32(1).u32(0).u32(0);
    b.u32(0).u32(3).u32(2).u32(0).u32(3).u32(2).u32(0);
    return b.bytes;
}

// A mesh with content in every field, to show that a refused file leaves all of it alone.
KyranoMesh sentinelMesh() {
    KyranoMesh mesh;
    mesh.uvMappingCount = 7;
    mesh.materialNames = {"keep", "these", "names"};
    mesh.uvSetExpositions = {{"a", 3}, {"b", 4}};
    mesh.positions.assign(9, {1.5f, -2.0f, 3.25f});
    mesh.normals.assign(9, {0, 1, 0});
    mesh.uvs.assign(6, {0.5f, 0.25f});
    mesh.triangles.assign(5, {{1, 2, 3}, {4, 5, 0}, 2});
    return mesh;
}

void patchU32(Bytes& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = (v >> (8 * i)) & 0xFF;
}

// Writes with the process's file size limit lowered, so that the disk refuses bytes part way.
// Returns whether the writer reported the failure. Meant for a child process only.
bool writeUnderSizeLimit(const std::string& path, const KyranoMesh& mesh, rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
    const Kyrano::MeshWriteResult result = KyranoMesh::writeToFile(path, mesh);
    return !result.ok && result.error == "Mesh file '" + path + "' was not written: File too large.";
}

// The names in a folder, sorted: what a write left there.
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class KyranoMeshTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kyranomesh-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string file(const std::string& name) const { return (dir / name).string(); }

    fs::path dir;
};

}  // namespace

TEST_F(KyranoMeshTest, FilesHoldExactlyTheLayoutBytes) {
    {
        const std::string path = file("empty.kymesh");
        ASSERT_TRUE(KyranoMesh::writeToFile(path, KyranoMesh()));
        Bytes expected = {0x6F, 0x43, 0x53, 0x00, 0x01, 0x00, 0x00, 0x00};
        expected.resize(36, 0x00);
        EXPECT_EQ(readBytes(path), expected);
        EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"empty.kymesh"}));
    }
    {
        KyranoMesh mesh;
        mesh.materialNames = {"abc"};
        const std::string path = file("abc.kymesh");
        ASSERT_TRUE(KyranoMesh::writeToFile(path, mesh));
        const Bytes bytes = readBytes(path);
        ASSERT_EQ(bytes.size(), 43u);
        EXPECT_EQ(Bytes(bytes.begin() + 12, bytes.begin() + 23),
                  (Bytes{0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63}));
    }
    {
        const std::string path = file("quad.kymesh");
        const Kyrano::MeshWriteResult written = KyranoMesh::writeToFile(path, quadMesh());
        ASSERT_TRUE(written) << written.error;
        EXPECT_TRUE(written.cutNames.empty());
        EXPECT_EQ(readBytes(path), quadBytes());
        ASSERT_EQ(fs::file_size(path), 201u);

        // Reading into a mesh that holds more of everything replaces every field.
        KyranoMesh back = sentinelMesh();
        const Kyrano::MeshReadResult read = KyranoMesh::readFromFile(path, back);
        ASSERT_TRUE(read) << read.error;
        EXPECT_TRUE(back == quadMesh());

        // Writing again replaces the old file.
        ASSERT_TRUE(KyranoMesh::writeToFile(path, KyranoMesh()));
        ASSERT_TRUE(KyranoMesh::readFromFile(path, back));
        EXPECT_TRUE(back == KyranoMesh());
    }
}

TEST_F(KyranoMeshTest, RefusedFilesLeaveTheMeshUnchanged) {
    const std::string path = file("bad.kymesh");
    auto refuse = [&](const Bytes& bytes) {
        writeBytes(path, bytes);
        KyranoMesh mesh = sentinelMesh();
        const Kyrano::MeshReadResult read = KyranoMesh::readFromFile(path, mesh);
        EXPECT_FALSE(read);
        EXPECT_TRUE(mesh == sentinelMesh()) << read.error;
        return read;
    };
    const std::string prefix = "Mesh file '" + path + "', byte ";

    Bytes bytes = quadBytes();
    bytes[3] = 0x01;
    EXPECT_EQ(refuse(bytes).error, prefix + "0: not a mesh file: the magic number is 6F 43 53 01 "
                                            "instead of 6F 43 53 00.");
    bytes = quadBytes();
    patchU32(bytes, 4, 2);
    EXPECT_EQ(refuse(bytes).error,
              prefix + "4: format version 2 is not supported (this reader reads version 1).");

    const Bytes whole = quadBytes();
    for (std::size_t length = 0; length < whole.size(); ++length) {
        EXPECT_LE(refuse(Bytes(whole.begin(), whole.begin() + length)).offset, length);
    }
    EXPECT_EQ(refuse(Bytes(whole.begin(), whole.begin() + 25)).error,
              prefix + "20: the file ends inside the material name (it needs 10 bytes, 5 remain).");
    bytes = whole;
    bytes.push_back(0);
    EXPECT_EQ(refuse(bytes).error, prefix + "201: 1 unexpected bytes follow the last triangle.");

    // Counts larger than the rest of the file, checked before anything is allocated.
    const std::pair<std::size_t, std::string> absurd[] = {
        {12, "the material name count 4294967295 needs at least 17179869180 bytes, but only 185 "
             "remain after it"},
        {16, "the material name length 4294967295 is over the limit of 1024 bytes"},
        {49, "the position count 4294967295 needs at least 51539607540 bytes, but only 148 "
             "remain after it"},
        {141, "the triangle count 4294967295 needs at least 120259084260 bytes, but only 56 "
              "remain after it"},
    };
    for (const auto& [at, message] : absurd) {
        bytes = whole;
        patchU32(bytes, at, 0xFFFFFFFFu);
        const Kyrano::MeshReadResult read = refuse(bytes);
        EXPECT_EQ(read.offset, at);
        EXPECT_EQ(read.error, prefix + std::to_string(at) + ": " + message + ".");
    }

    KyranoMesh mesh = sentinelMesh();
    EXPECT_FALSE(KyranoMesh::readFromFile(file("none.kymesh"), mesh));
    EXPECT_TRUE(mesh == sentinelMesh());
}

TEST_F(KyranoMeshTest, LongNamesAreCutAtACharacterBoundary) {
    const std::string path = file("names.kymesh");
    const std::string euro = "\xE2\x82\xAC";  // three bytes
    KyranoMesh mesh = quadMesh();
    mesh.materialNames = {std::string(1024, 'm'), std::string(1025, 'x'),
                          std::string(1022, 'y') + euro, std::string(1023, 'z') + "\xC3\xA9"};
    mesh.uvSetExpositions = {{std::string(1020, 'w') + euro + euro, 9}};
    const Kyrano::MeshWriteResult written = KyranoMesh::writeToFile(path, mesh);
    ASSERT_TRUE(written) << written.error;
    const std::vector<std::string> cut = {std::string(1024, 'x'), std::string(1022, 'y'),
                                          std::string(1023, 'z'), std::string(1020, 'w') + euro};
    EXPECT_EQ(written.cutNames, cut);

    KyranoMesh back;
    const Kyrano::MeshReadResult read = KyranoMesh::readFromFile(path, back);
    ASSERT_TRUE(read) << read.error;
    EXPECT_EQ(back.materialNames,
              (std::vector<std::string>{std::string(1024, 'm'), cut[0], cut[1], cut[2]}));
    ASSERT_EQ(back.uvSetExpositions.size(), 1u);
    EXPECT_EQ(back.uvSetExpositions[0].name, cut[3]);
    EXPECT_EQ(back.uvSetExpositions[0].index, 9u);
    EXPECT_TRUE(back.triangles == mesh.triangles);

    // Bytes that are not UTF-8 are cut at the limit.
    EXPECT_EQ(Kyrano::cutToMaxStringBytes(std::string(1030, '\x80')), std::string(1024, '\x80'));
}

TEST_F(KyranoMeshTest, FailedWritesLeaveNothingNewBehind) {
    const std::string missing = file("no/such/folder/m.kymesh");
    const Kyrano::MeshWriteResult written = KyranoMesh::writeToFile(missing, quadMesh());
    EXPECT_FALSE(written);
    EXPECT_EQ(written.error, "Mesh file '" + missing + "' was not written: cannot create a temporary file beside it: "
                             "No such file or directory.");
    EXPECT_FALSE(fs::exists(dir / "no"));

    // A folder where the file should go is not replaced, and the temporary goes away again.
    fs::create_directory(dir / "taken.kymesh");
    EXPECT_FALSE(KyranoMesh::writeToFile(file("taken.kymesh"), quadMesh()));
    EXPECT_TRUE(fs::is_directory(dir / "taken.kymesh"));
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"taken.kymesh"}));

    // The disk refuses bytes part way, in a child process whose file size limit is smaller
    // than the mesh; its exit code says whether the writer noticed.
    const std::string path = file("old.kymesh");
    ASSERT_TRUE(KyranoMesh::writeToFile(path, quadMesh()));
    KyranoMesh big;
    big.positions.assign(100000, {1, 2, 3});
    EXPECT_EXIT(std::exit(writeUnderSizeLimit(path, big, 300000) ? 0 : 1),
                ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readBytes(path), quadBytes());
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"old.kymesh", "taken.kymesh"}));
}

TEST(KyranoMeshStreams, HelpersReportStreamOffsetsAndKeepTargets) {
    std::stringstream stream(std::ios::in | std::ios::out | std::ios::binary);
    stream.write("pad!", 4);
    const std::vector<Kyrano::Vec3f> values = {{1, 2, 3}, {-4, 5.5f, 6}};
    ASSERT_TRUE(Kyrano::writeVector(stream, values));
    stream.seekg(4);
    std::vector<Kyrano::Vec3f> back;
    ASSERT_TRUE(Kyrano::readVector(stream, back));
    EXPECT_TRUE(back == values);

    const Kyrano::MeshReadResult missing = Kyrano::readVector(stream, back, "normal");
    EXPECT_EQ(missing.offset, 32u);
    EXPECT_EQ(missing.error, "the file ends inside the normal count (it needs 4 bytes, 0 remain)");
    EXPECT_TRUE(back == values);

    std::stringstream text(std::string("\x03\x00\x00\x00" "ab", 6), std::ios::in | std::ios::binary);
    std::string value = "kept";
    EXPECT_FALSE(Kyrano::read(text, value));
    EXPECT_EQ(value, "kept");
}

TEST(KyranoMeshValidation, NamesTheFirstIndexOutOfRange) {
    KyranoMesh mesh = quadMesh();
    EXPECT_EQ(Kyrano::validateMesh(mesh), "");
    mesh.normals.assign(3, {0, 1, 0});
    EXPECT_EQ(Kyrano::validateMesh(mesh), "the normal count 3 is neither 0 nor the position count 4");
    mesh.normals.assign(4, {0, 1, 0});
    EXPECT_EQ(Kyrano::validateMesh(mesh), "");
    mesh.triangles[1].vertexIndices[2] = 4;
    EXPECT_EQ(Kyrano::validateMesh(mesh), "triangle 1: vertex index 4 is not below the position count 4");
    mesh = quadMesh();
    mesh.triangles[0].uvIndices[1] = 9;
    EXPECT_EQ(Kyrano::validateMesh(mesh), "triangle 0: UV index 9 is not below the UV count 4");
    mesh = quadMesh();
    mesh.triangles[1].materialIndex = 1;
    EXPECT_EQ(Kyrano::validateMesh(mesh),
              "triangle 1: material index 1 is not below the material name count 1");
}
