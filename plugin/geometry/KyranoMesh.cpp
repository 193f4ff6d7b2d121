#include "geometry/KyranoMesh.h"

#include "ReplaceFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <limits>
#include <ostream>
#include <streambuf>
#include <type_traits>
#include <utility>

namespace Kyrano {

// Every element record is a run of 4-byte words without padding, so a whole sequence can be
// written or read as one block and byte-swapped word by word where the host is big-endian.
static_assert(sizeof(float) == 4, "the file stores 32-bit floats");
static_assert(sizeof(Vec3f) == 12 && std::is_trivially_copyable<Vec3f>::value, "Vec3f layout");
static_assert(sizeof(Vec2f) == 8 && std::is_trivially_copyable<Vec2f>::value, "Vec2f layout");
static_assert(sizeof(Triangle) == 28 && std::is_trivially_copyable<Triangle>::value,
              "Triangle layout");

namespace {

bool hostIsLittleEndian() {
    const std::uint32_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

void swapWordBytes(unsigned char* bytes, std::size_t wordCount) {
    for (std::size_t i = 0; i < wordCount; ++i, bytes += 4) {
        std::swap(bytes[0], bytes[3]);
        std::swap(bytes[1], bytes[2]);
    }
}

// ---- Writing -------------------------------------------------------------------------

void putU32(std::ostream& out, std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF),
                           static_cast<char>((value >> 24) & 0xFF)};
    out.write(bytes, 4);
}

// Writes `wordCount` 4-byte words in little-endian order: one call on a little-endian host,
// otherwise through a swapped copy, a chunk at a time.
void putWords(std::ostream& out, const void* data, std::size_t wordCount) {
    if (wordCount == 0) return;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (hostIsLittleEndian()) {
        out.write(reinterpret_cast<const char*>(bytes),
                  static_cast<std::streamsize>(wordCount * 4));
        return;
    }
    constexpr std::size_t chunkWords = 16384;
    std::vector<unsigned char> chunk(chunkWords * 4);
    while (wordCount > 0 && out) {
        const std::size_t n = std::min(wordCount, chunkWords);
        std::memcpy(chunk.data(), bytes, n * 4);
        swapWordBytes(chunk.data(), n);
        out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(n * 4));
        bytes += n * 4;
        wordCount -= n;
    }
}

template <typename T>
void putSequence(std::ostream& out, const std::vector<T>& values) {
    putU32(out, static_cast<std::uint32_t>(values.size()));
    putWords(out, values.data(), values.size() * (sizeof(T) / 4));
}

// Writes a name as its length and bytes, cut first if it is too long to be read back.
void putName(std::ostream& out, const std::string& name, std::vector<std::string>& cutNames) {
    if (name.size() <= MAX_STRING_BYTES) {
        putU32(out, static_cast<std::uint32_t>(name.size()));
        out.write(name.data(), static_cast<std::streamsize>(name.size()));
        return;
    }
    std::string cut = cutToMaxStringBytes(name);
    putU32(out, static_cast<std::uint32_t>(cut.size()));
    out.write(cut.data(), static_cast<std::streamsize>(cut.size()));
    cutNames.push_back(std::move(cut));
}

void putMesh(std::ostream& out, const KyranoMesh& mesh, std::vector<std::string>& cutNames) {
    putU32(out, MAGIC_NUMBER);
    putU32(out, FORMAT_VERSION);
    putU32(out, mesh.uvMappingCount);

    putU32(out, static_cast<std::uint32_t>(mesh.materialNames.size()));
    for (const std::string& name : mesh.materialNames) putName(out, name, cutNames);

    putU32(out, static_cast<std::uint32_t>(mesh.uvSetExpositions.size()));
    for (const UVSetExposition& exposition : mesh.uvSetExpositions) {
        putName(out, exposition.name, cutNames);
        putU32(out, exposition.index);
    }

    writeVector(out, mesh.positions);
    writeVector(out, mesh.normals);
    putSequence(out, mesh.uvs);
    putSequence(out, mesh.triangles);
}

// A count that does not fit the file's 32-bit field would make a file that reads back as
// something else; such a mesh is refused before anything is written.
std::string overlongSequence(const KyranoMesh& mesh) {
    constexpr std::size_t limit = std::numeric_limits<std::uint32_t>::max();
    const std::pair<const char*, std::size_t> counts[] = {
        {"material names", mesh.materialNames.size()},
        {"UV set expositions", mesh.uvSetExpositions.size()},
        {"positions", mesh.positions.size()},
        {"normals", mesh.normals.size()},
        {"UVs", mesh.uvs.size()},
        {"triangles", mesh.triangles.size()},
    };
    for (const auto& [what, count] : counts) {
        if (count > limit) {
            return "the mesh has " + std::to_string(count) + " " + what +
                   ", more than a mesh file can count (" + std::to_string(limit) + ")";
        }
    }
    return {};
}

// An output stream buffer that hands everything straight to a C file, which buffers it.
class FileStreamBuffer : public std::streambuf {
public:
    explicit FileStreamBuffer(std::FILE* file) : file_(file) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        return std::fputc(c, file_) == EOF ? traits_type::eof() : c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        return static_cast<std::streamsize>(std::fwrite(s, 1, static_cast<std::size_t>(n), file_));
    }

private:
    std::FILE* file_;
};

std::string systemReason(int error) {
    return error != 0 ? " (" + std::string(std::strerror(error)) + ")" : std::string();
}

// ---- Reading -------------------------------------------------------------------------

// Reads fields from a seekable stream while tracking the offset and the bytes that remain,
// so that no count is trusted beyond what the stream can still deliver. The first failure
// is kept; later calls do nothing.
class FieldReader {
public:
    explicit FieldReader(std::istream& in) : in_(in) {
        const std::istream::pos_type start = in.tellg();
        if (start == std::istream::pos_type(-1)) {
            fail("the stream cannot tell its position, so its size is unknown");
            return;
        }
        in.seekg(0, std::ios::end);
        const std::istream::pos_type end = in.tellg();
        in.seekg(start);
        if (end == std::istream::pos_type(-1) || !in) {
            fail("the stream cannot seek, so its size is unknown");
            return;
        }
        offset_ = static_cast<std::uint64_t>(static_cast<std::streamoff>(start));
        end_ = static_cast<std::uint64_t>(static_cast<std::streamoff>(end));
    }

    bool ok() const { return error_.empty(); }
    std::uint64_t offset() const { return offset_; }
    std::uint64_t remaining() const { return end_ > offset_ ? end_ - offset_ : 0; }

    MeshReadResult result() const {
        MeshReadResult r;
        r.ok = ok();
        r.error = error_;
        r.offset = errorOffset_;
        return r;
    }

    bool fail(std::string message) { return failAt(offset_, std::move(message)); }

    bool failAt(std::uint64_t at, std::string message) {
        if (ok()) {
            error_ = std::move(message);
            errorOffset_ = at;
        }
        return false;
    }

    bool bytes(void* target, std::size_t size, const char* what) {
        if (!ok()) return false;
        if (size > remaining()) {
            return fail("the file ends inside the " + std::string(what) + " (it needs " +
                        std::to_string(size) + " bytes, " + std::to_string(remaining()) +
                        " remain)");
        }
        if (size == 0) return true;
        in_.read(static_cast<char*>(target), static_cast<std::streamsize>(size));
        if (static_cast<std::size_t>(in_.gcount()) != size) {
            return fail("reading the " + std::string(what) + " failed after " +
                        std::to_string(in_.gcount()) + " of " + std::to_string(size) + " bytes");
        }
        offset_ += size;
        return true;
    }

    bool u32(std::uint32_t& value, const char* what) {
        unsigned char b[4];
        if (!bytes(b, 4, what)) return false;
        value = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
        return true;
    }

    // Reads a count whose elements take at least `minBytes` each, and refuses it when the
    // rest of the stream cannot hold that many. The offset reported is the count's own.
    bool count(std::uint32_t& n, std::uint64_t minBytes, const char* what) {
        const std::uint64_t at = offset_;
        if (!u32(n, (std::string(what) + " count").c_str())) return false;
        const std::uint64_t needed = static_cast<std::uint64_t>(n) * minBytes;
        if (needed > remaining()) {
            return failAt(at, "the " + std::string(what) + " count " + std::to_string(n) +
                                  " needs at least " + std::to_string(needed) +
                                  " bytes, but only " + std::to_string(remaining()) +
                                  " remain after it");
        }
        return true;
    }

    bool string(std::string& value, const char* what) {
        const std::uint64_t at = offset_;
        std::uint32_t length = 0;
        if (!u32(length, (std::string(what) + " length").c_str())) return false;
        if (length > MAX_STRING_BYTES) {
            return failAt(at, "the " + std::string(what) + " length " + std::to_string(length) +
                                  " is over the limit of " + std::to_string(MAX_STRING_BYTES) +
                                  " bytes");
        }
        std::string text(length, '\0');
        if (!bytes(text.data(), length, what)) return false;
        value = std::move(text);
        return true;
    }

    // A count followed by that many fixed-size records, read as one block.
    template <typename T>
    bool sequence(std::vector<T>& values, const char* what) {
        std::uint32_t n = 0;
        if (!count(n, sizeof(T), what)) return false;
        std::vector<T> loaded(n);
        if (!bytes(loaded.data(), loaded.size() * sizeof(T), what)) return false;
        if (!hostIsLittleEndian()) {
            swapWordBytes(reinterpret_cast<unsigned char*>(loaded.data()), loaded.size() * sizeof(T) / 4);
        }
        values.swap(loaded);
        return true;
    }

private:
    std::istream& in_;
    std::uint64_t offset_ = 0;
    std::uint64_t end_ = 0;
    std::string error_;
    std::uint64_t errorOffset_ = 0;
};

bool readMesh(FieldReader& reader, KyranoMesh& mesh) {
    const std::uint64_t magicAt = reader.offset();
    unsigned char magic[4];
    if (!reader.bytes(magic, 4, "magic number")) return false;
    const unsigned char expected[4] = {0x6F, 0x43, 0x53, 0x00};
    if (std::memcmp(magic, expected, 4) != 0) {
        static const char hex[] = "0123456789ABCDEF";
        std::string found;
        for (unsigned char b : magic) {
            if (!found.empty()) found += ' ';
            found += hex[b >> 4];
            found += hex[b & 0xF];
        }
        return reader.failAt(magicAt, "not a mesh file: the magic number is " + found +
                           " instead of 6F 43 53 00");
    }
    const std::uint64_t versionAt = reader.offset();
    std::uint32_t version = 0;
    if (!reader.u32(version, "format version")) return false;
    if (version != FORMAT_VERSION) {
        return reader.failAt(versionAt, "format version " + std::to_string(version) +
                           " is not supported (this reader reads version " +
                           std::to_string(FORMAT_VERSION) + ")");
    }
    if (!reader.u32(mesh.uvMappingCount, "UV mapping count")) return false;

    std::uint32_t n = 0;
    if (!reader.count(n, 4, "material name")) return false;
    mesh.materialNames.resize(n);
    for (std::string& name : mesh.materialNames) {
        if (!reader.string(name, "material name")) return false;
    }

    if (!reader.count(n, 8, "UV set exposition")) return false;
    mesh.uvSetExpositions.resize(n);
    for (UVSetExposition& exposition : mesh.uvSetExpositions) {
        if (!reader.string(exposition.name, "UV set exposition name")) return false;
        if (!reader.u32(exposition.index, "UV set exposition index")) return false;
    }

    return reader.sequence(mesh.positions, "position") && reader.sequence(mesh.normals, "normal") &&
           reader.sequence(mesh.uvs, "UV") && reader.sequence(mesh.triangles, "triangle");
}

}  // namespace

// ---- Element equality ----------------------------------------------------------------

bool operator==(const Vec3f& a, const Vec3f& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

bool operator==(const Vec2f& a, const Vec2f& b) { return a.x == b.x && a.y == b.y; }

bool operator==(const Triangle& a, const Triangle& b) {
    return std::equal(a.vertexIndices, a.vertexIndices + 3, b.vertexIndices) &&
           std::equal(a.uvIndices, a.uvIndices + 3, b.uvIndices) &&
           a.materialIndex == b.materialIndex;
}

bool operator==(const UVSetExposition& a, const UVSetExposition& b) {
    return a.name == b.name && a.index == b.index;
}

bool operator==(const KyranoMesh& a, const KyranoMesh& b) {
    return a.uvMappingCount == b.uvMappingCount && a.materialNames == b.materialNames &&
           a.uvSetExpositions == b.uvSetExpositions && a.positions == b.positions &&
           a.normals == b.normals && a.uvs == b.uvs && a.triangles == b.triangles;
}

// ---- Names ---------------------------------------------------------------------------

std::string cutToMaxStringBytes(const std::string& name) {
    if (name.size() <= MAX_STRING_BYTES) return name;
    auto isContinuation = [&](std::size_t i) {
        return (static_cast<unsigned char>(name[i]) & 0xC0) == 0x80;
    };
    // The byte just past the limit starts the first character left out. If it continues a
    // character instead, step back to that character's first byte (at most three steps); a
    // name that is not UTF-8 is cut at the limit.
    std::size_t cut = MAX_STRING_BYTES;
    for (int step = 0; step < 3 && cut > 0 && isContinuation(cut); ++step) --cut;
    if (isContinuation(cut)) cut = MAX_STRING_BYTES;
    return name.substr(0, cut);
}

// ---- Stream helpers ------------------------------------------------------------------

bool writeVector(std::ostream& out, const std::vector<Vec3f>& values) {
    putSequence(out, values);
    return static_cast<bool>(out);
}

MeshReadResult readVector(std::istream& in, std::vector<Vec3f>& values, const char* what) {
    FieldReader reader(in);
    reader.sequence(values, what);
    return reader.result();
}

MeshReadResult read(std::istream& in, std::string& value) {
    FieldReader reader(in);
    reader.string(value, "string");
    return reader.result();
}

// ---- Files ---------------------------------------------------------------------------

MeshWriteResult KyranoMesh::writeToFile(const std::string& path, const KyranoMesh& mesh) {
    MeshWriteResult result;
    const std::string tooMany = overlongSequence(mesh);
    if (!tooMany.empty()) {
        result.error = "Mesh file '" + path + "' was not written: " + tooMany + ".";
        return result;
    }
    std::vector<std::string> cutNames;
    const std::string error = replaceFile(path, [&](std::FILE* file) {
        FileStreamBuffer buffer(file);
        std::ostream out(&buffer);
        putMesh(out, mesh, cutNames);
        return static_cast<bool>(out);
    });
    if (!error.empty()) {
        const std::string prefix = "cannot write " + path + ": ";
        const bool named = error.compare(0, prefix.size(), prefix) == 0;
        result.error = "Mesh file '" + path + "' was not written: " + (named ? error.substr(prefix.size()) : error) + ".";
        return result;
    }
    result.ok = true;
    result.cutNames = std::move(cutNames);
    return result;
}

MeshReadResult KyranoMesh::readFromFile(const std::string& path, KyranoMesh& mesh) {
    MeshReadResult result;
    errno = 0;
    std::ifstream in(path, std::ios::binary | std::ios::in);
    if (!in) {
        result.error = "Mesh file '" + path + "' cannot be opened" + systemReason(errno) + ".";
        return result;
    }

    FieldReader reader(in);
    KyranoMesh loaded;
    if (readMesh(reader, loaded) && reader.remaining() != 0) {
        reader.fail(std::to_string(reader.remaining()) +
                    " unexpected bytes follow the last triangle");
    }
    result = reader.result();
    if (!result.ok) {
        result.error = "Mesh file '" + path + "', byte " + std::to_string(result.offset) + ": " +
                       result.error + ".";
        return result;
    }
    mesh = std::move(loaded);
    return result;
}

// ---- Validation ----------------------------------------------------------------------

std::string validateMesh(const KyranoMesh& mesh) {
    const std::size_t positionCount = mesh.positions.size();
    if (!mesh.normals.empty() && mesh.normals.size() != positionCount) {
        return "the normal count " + std::to_string(mesh.normals.size()) +
               " is neither 0 nor the position count " + std::to_string(positionCount);
    }
    const std::size_t uvCount = mesh.uvs.size();
    const std::size_t materialCount = mesh.materialNames.size();
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
        const Triangle& triangle = mesh.triangles[t];
        for (int corner = 0; corner < 3; ++corner) {
            if (triangle.vertexIndices[corner] >= positionCount) {
                return "triangle " + std::to_string(t) + ": vertex index " +
                       std::to_string(triangle.vertexIndices[corner]) +
                       " is not below the position count " + std::to_string(positionCount);
            }
            if (triangle.uvIndices[corner] >= uvCount) {
                return "triangle " + std::to_string(t) + ": UV index " +
                       std::to_string(triangle.uvIndices[corner]) +
                       " is not below the UV count " + std::to_string(uvCount);
            }
        }
        if (triangle.materialIndex >= materialCount) {
            return "triangle " + std::to_string(t) + ": material index " +
                   std::to_string(triangle.materialIndex) +
                   " is not below the material name count " + std::to_string(materialCount);
        }
    }
    return {};
}

}  // namespace Kyrano
