// The indexed triangle mesh that the exporter hands to Kyrano, and its binary file form
// (.kymesh): magic, version, then every sequence of the record preceded by its element
// count. All integers are unsigned 32-bit and all floats 32-bit IEEE-754, little-endian on
// every platform, back to back without padding. This file knows nothing of the host.
#ifndef TAVRELL_GEOMETRY_KYRANOMESH_H
#define TAVRELL_GEOMETRY_KYRANOMESH_H

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace Kyrano {

struct Vec3f {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// A texture coordinate: x is u, y is v.
struct Vec2f {
    float x = 0.0f;
    float y = 0.0f;
};

struct Triangle {
    std::uint32_t vertexIndices[3] = {0, 0, 0};  // into positions (and normals when present)
    std::uint32_t uvIndices[3] = {0, 0, 0};      // into uvs
    std::uint32_t materialIndex = 0;             // into materialNames
};

struct UVSetExposition {
    std::string name;
    std::uint32_t index = 0;
};

// Equality is exact, float by float; it serves round-trip checks.
bool operator==(const Vec3f& a, const Vec3f& b);
bool operator==(const Vec2f& a, const Vec2f& b);
bool operator==(const Triangle& a, const Triangle& b);
bool operator==(const UVSetExposition& a, const UVSetExposition& b);

// "oCS" and a zero byte, as the file stores it: 6F 43 53 00.
constexpr std::uint32_t MAGIC_NUMBER = 0x0053436F;
constexpr std::uint32_t FORMAT_VERSION = 1;
// The longest string (material or exposition name) the file can hold, in bytes.
constexpr std::size_t MAX_STRING_BYTES = 1024;

struct MeshWriteResult {
    bool ok = false;
    // What failed and on which file; empty on success.
    std::string error;
    // Names longer than MAX_STRING_BYTES, as they were written after cutting them down, in
    // file order (material names first, then exposition names).
    std::vector<std::string> cutNames;

    explicit operator bool() const { return ok; }
};

struct MeshReadResult {
    bool ok = false;
    // What was wrong, on which file and at which byte; empty on success.
    std::string error;
    // Byte offset of the field at fault, from the start of the file (or of the stream for the
    // stream helpers).
    std::uint64_t offset = 0;

    explicit operator bool() const { return ok; }
};

class KyranoMesh {
public:
    std::uint32_t uvMappingCount = 0;  // UV mappings per vertex; the mesh builder writes 1
    std::vector<std::string> materialNames;  // in first-use order
    std::vector<UVSetExposition> uvSetExpositions;
    std::vector<Vec3f> positions;  // renderer coordinates
    std::vector<Vec3f> normals;    // empty, or one unit normal per position
    std::vector<Vec2f> uvs;
    std::vector<Triangle> triangles;

    // Writes the mesh through replaceFile: to a temporary file of its own beside `path`, put in
    // place only once every byte is written and the file closed; on failure the temporary is
    // removed and any previous file at `path` is left as it was, and at no moment is there no
    // file at `path` that was there before. Names over MAX_STRING_BYTES are cut (see
    // cutToMaxStringBytes) and listed in the result. `path` is a byte string in the file
    // system's encoding.
    static MeshWriteResult writeToFile(const std::string& path, const KyranoMesh& mesh);

    // Reads the file into `mesh`. On any error (missing file, wrong magic or version,
    // truncation, a count larger than the bytes that remain, an over-long string, bytes after
    // the last triangle) `mesh` is left exactly as it was and the result says what and where.
    // The indices are not checked here; see validateMesh.
    static MeshReadResult readFromFile(const std::string& path, KyranoMesh& mesh);
};

bool operator==(const KyranoMesh& a, const KyranoMesh& b);

// Checks what the file format cannot: every vertex index is below the position count, every
// UV index below the UV count, every material index below the material name count, and the
// normal count is 0 or the position count. Returns an empty string when all holds, otherwise
// a sentence naming the first fault found.
std::string validateMesh(const KyranoMesh& mesh);

// Returns `name` cut to at most MAX_STRING_BYTES bytes without splitting a UTF-8 character.
// The writer applies it to every name; the exporter applies it wherever else the same name
// must match the mesh file.
std::string cutToMaxStringBytes(const std::string& name);

// Stream helpers. The streams are binary; the readers need a seekable stream, because they
// check every count against the bytes that remain before allocating anything. A reader that
// fails leaves its target unchanged and reports the offset from the start of the stream.

// Writes the count of `values`, then each element's x, y and z. Returns false when the
// stream fails.
bool writeVector(std::ostream& out, const std::vector<Vec3f>& values);
// Reads a count followed by that many x, y, z triples. `what` names the sequence in messages.
MeshReadResult readVector(std::istream& in, std::vector<Vec3f>& values,
                          const char* what = "vector");
// Reads a length L (at most MAX_STRING_BYTES) followed by L bytes of text.
MeshReadResult read(std::istream& in, std::string& value);

}  // namespace Kyrano

#endif  // TAVRELL_GEOMETRY_KYRANOMESH_H
