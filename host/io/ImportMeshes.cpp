#include "ImportMeshes.h"

#include <assimp/mesh.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "ImportAxes.h"

namespace host {
namespace import {

namespace {

uint32_t Bits(float f) {
  if (f == 0) f = 0;  // folds -0 into 0
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

// Exact position of a vertex, for merging the corners Assimp keeps apart (one per face
// corner in many formats) into shared points; -0 and 0 are the same point.
struct PositionKey {
  uint32_t x, y, z;
  bool operator==(const PositionKey& o) const { return x == o.x && y == o.y && z == o.z; }
};

PositionKey KeyOf(const aiVector3D& p) { return PositionKey{Bits(p.x), Bits(p.y), Bits(p.z)}; }

uint64_t Hash(const PositionKey& k) {
  uint64_t h = (uint64_t(k.x) << 32 | k.y) * 0x9E3779B97F4A7C15ull;
  h = (h ^ (h >> 29) ^ k.z) * 0xBF58476D1CE4E5B9ull;
  return h ^ (h >> 32);
}

// The merged points of a mesh by position: an open-addressing table of point numbers, whose
// keys are the positions of the file vertices that made the points. Each slot holds the upper
// half of the hash and the point + 1 (0: free), so that probes past other keys rarely touch
// the vertices.
class PointTable {
 public:
  PointTable(const aiVector3D* vertices, size_t expected) : vertices_(vertices) {
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    slots_.assign(capacity, 0);
    firstVertex_.reserve(expected);
  }

  // The file vertex that made each point, for the caller to keep.
  std::vector<unsigned> TakeFirstVertices() { return std::move(firstVertex_); }

  void Prefetch(uint64_t hash) const { __builtin_prefetch(&slots_[size_t(hash) & (slots_.size() - 1)]); }

  // The point at the position of `vertex`, new (numbered next) when no vertex before had it.
  LONG Find(unsigned vertex, uint64_t hash, bool* added) {
    const PositionKey key = KeyOf(vertices_[vertex]);
    const uint64_t tag = hash >> 32;
    const size_t mask = slots_.size() - 1;
    for (size_t slot = size_t(hash) & mask;; slot = (slot + 1) & mask) {
      const uint64_t s = slots_[slot];
      if (s == 0) {
        firstVertex_.push_back(vertex);
        slots_[slot] = tag << 32 | uint64_t(firstVertex_.size());
        *added = true;
        return LONG(firstVertex_.size() - 1);
      }
      if (s >> 32 == tag && KeyOf(vertices_[firstVertex_[uint32_t(s) - 1]]) == key) {
        *added = false;
        return LONG(uint32_t(s) - 1);
      }
    }
  }

 private:
  const aiVector3D* vertices_;
  std::vector<uint64_t> slots_;
  std::vector<unsigned> firstVertex_;  // the file vertex that made each point
};

bool Finite(const aiVector3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Builds the host polygons of one mesh. The host's polygons run the other way round than the
// file's (the exporter reverses them again while mirroring into the renderer's axes), so the
// corners are stored in reverse order; a triangle repeats its last corner (c == d).
class MeshBuilder {
 public:
  MeshBuilder(const aiMesh& mesh, Real unit, const ImportContext& ctx, const std::string& where)
      : mesh_(mesh), unit_(unit), ctx_(ctx), where_(where) {}

  ConvertedMesh Build() {
    CheckCounts();
    MergePoints();
    out_.material = mesh_.mMaterialIndex;
    hasUV_ = mesh_.HasTextureCoords(0);
    hasNormals_ = mesh_.HasNormals();
    out_.polygons.reserve(mesh_.mNumFaces);
    if (hasUV_) out_.uvs.reserve(mesh_.mNumFaces);
    if (hasNormals_) {
      normals_.normals = mesh_.mNormals;
      normals_.vertexCount = mesh_.mNumVertices;
      normals_.onePointPerVertex = out_.points.size() == finiteVertices_;
      // With one vertex per point a corner's vertex is its point's: no list per corner.
      if (normals_.onePointPerVertex) {
        normals_.vertexOfPoint = std::move(vertexOfPoint_);
        normals_.polygons = &out_.polygons;
      } else {
        normals_.vertexOfCorner.reserve(size_t(mesh_.mNumFaces) * 4);
      }
    }
    for (unsigned f = 0; f < mesh_.mNumFaces; f++) AddFace(f);
    out_.smoothing = ChooseSmoothing(out_.points, out_.polygons, hasNormals_ ? &normals_ : nullptr);
    Bounds();
    return std::move(out_);
  }

 private:
  void CheckCounts() {
    if (mesh_.mNumVertices > unsigned(INT_MAX / 4) || mesh_.mNumFaces > unsigned(INT_MAX / 4))
      ctx_.Fail(where_, "the mesh has too many vertices or faces (" + std::to_string(mesh_.mNumVertices) + " vertices, " +
                            std::to_string(mesh_.mNumFaces) + " faces)");
    if ((mesh_.mNumVertices && !mesh_.mVertices) || (mesh_.mNumFaces && !mesh_.mFaces))
      ctx_.Fail(where_, "the mesh lists vertices or faces it does not hold");
  }

  void Bounds() {
    if (out_.points.empty()) return;
    Vector lo = out_.points[0], hi = lo;
    for (const Vector& p : out_.points) {
      lo = Vector(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
      hi = Vector(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
    out_.boundsMin = lo;
    out_.boundsMax = hi;
  }

  // One sweep over the file's vertices; the table slots lie at random, so each is fetched
  // some vertices ahead. Vertices that are not numbers make no point.
  void MergePoints() {
    const unsigned n = mesh_.mNumVertices;
    pointOf_.assign(n, -1);
    out_.points.reserve(n);
    PointTable table(mesh_.mVertices, n);
    const unsigned ahead = 16;
    auto hashOf = [&](unsigned v) { return Hash(KeyOf(mesh_.mVertices[v])); };
    for (unsigned v = 0; v < std::min(n, ahead); v++) table.Prefetch(hashOf(v));
    for (unsigned v = 0; v < n; v++) {
      if (v + ahead < n) table.Prefetch(hashOf(v + ahead));
      const aiVector3D& p = mesh_.mVertices[v];
      if (!Finite(p)) continue;
      finiteVertices_++;
      bool added = false;
      pointOf_[v] = table.Find(v, hashOf(v), &added);
      if (added) out_.points.push_back(HostPoint(p, unit_));
    }
    if (mesh_.HasNormals()) vertexOfPoint_ = table.TakeFirstVertices();
  }

  void AddFace(unsigned f) {
    const aiFace& face = mesh_.mFaces[f];
    const unsigned n = face.mNumIndices;
    if (n < 3) {
      out_.skippedFaces++;
      return;
    }
    if (!face.mIndices) ctx_.Fail(where_, "face " + std::to_string(f) + " lists corners it does not hold");
    bool valid = true;
    for (unsigned k = 0; k < n; k++) {
      const unsigned v = face.mIndices[k];
      if (v >= mesh_.mNumVertices)
        ctx_.Fail(where_, "face " + std::to_string(f) + " refers to vertex " + std::to_string(v) + ", but the mesh has " +
                              std::to_string(mesh_.mNumVertices) + " vertices");
      if (pointOf_[v] < 0) valid = false;
    }
    if (!valid) {
      out_.invalidPolygons++;
      return;
    }
    if (n <= 4) {
      AddPolygon(face.mIndices, n);
      return;
    }
    out_.splitPolygons++;
    std::vector<Vector> corners(n);
    for (unsigned k = 0; k < n; k++) corners[k] = out_.points[size_t(pointOf_[face.mIndices[k]])];
    for (const std::vector<unsigned>& piece : SplitPolygon(corners)) {
      unsigned idx[4];
      for (size_t k = 0; k < piece.size(); k++) idx[k] = face.mIndices[piece[k]];
      AddPolygon(idx, unsigned(piece.size()));
    }
  }

  // Corners v[0..n-1] (n = 3 or 4) in the file's order.
  void AddPolygon(const unsigned* v, unsigned n) {
    const unsigned a = v[n - 1], b = v[n - 2], c = v[n - 3], d = n == 4 ? v[0] : c;
    out_.polygons.emplace_back(pointOf_[a], pointOf_[b], pointOf_[c], pointOf_[d]);
    if (hasUV_) out_.uvs.emplace_back(UV(a), UV(b), UV(c), UV(d));
    if (hasNormals_ && !normals_.onePointPerVertex)
      normals_.vertexOfCorner.insert(normals_.vertexOfCorner.end(), {a, b, c, d});
  }

  // The host's v runs downwards from the top of the image, the file's upwards.
  Vector UV(unsigned v) {
    const aiVector3D& t = mesh_.mTextureCoords[0][v];
    if (!std::isfinite(t.x) || !std::isfinite(t.y)) {
      out_.invalidUVs++;
      return Vector();
    }
    return Vector(t.x, 1.0f - t.y, 0);
  }

  const aiMesh& mesh_;
  const Real unit_;
  const ImportContext& ctx_;
  const std::string& where_;
  ConvertedMesh out_;
  std::vector<LONG> pointOf_;  // merged point of each vertex, -1 for one that is not a number
  CornerNormals normals_;
  std::vector<unsigned> vertexOfPoint_;  // the file vertex that made each point
  size_t finiteVertices_ = 0;
  bool hasUV_ = false, hasNormals_ = false;
};

}  // namespace

ConvertedMesh ConvertMesh(const aiMesh& mesh, Real unit, const ImportContext& ctx, const std::string& where) {
  return MeshBuilder(mesh, unit, ctx, where).Build();
}

void WarnAboutMesh(const ConvertedMesh& m, const ImportContext& ctx, const std::string& where) {
  if (m.splitPolygons)
    ctx.Warn(where, std::to_string(m.splitPolygons) + " polygon(s) with more than four corners split into quads and triangles");
  if (m.invalidPolygons)
    ctx.Warn(where, std::to_string(m.invalidPolygons) + " polygon(s) left out: a corner's coordinates are not numbers");
  if (m.invalidUVs) ctx.Warn(where, std::to_string(m.invalidUVs) + " UV coordinate(s) that are not numbers set to 0");
  if (m.skippedFaces && !m.polygons.empty())
    ctx.Warn(where, std::to_string(m.skippedFaces) + " point(s) or line(s) left out: they hold no surface");
}

PolygonObject* MakePolygonObject(const ConvertedMesh& m) {
  PolygonObject* op = PolygonObject::Alloc(LONG(m.points.size()), LONG(m.polygons.size()));
  if (!op) return nullptr;
  std::copy(m.points.begin(), m.points.end(), op->GetPointW());
  std::copy(m.polygons.begin(), m.polygons.end(), op->GetPolygonW());
  if (!m.uvs.empty()) {
    UVWTag* uvw = UVWTag::Alloc(LONG(m.uvs.size()));
    if (!uvw) {
      BaseObject* o = op;
      BaseObject::Free(o);
      return nullptr;
    }
    for (size_t i = 0; i < m.uvs.size(); i++) uvw->Set(LONG(i), m.uvs[i]);
    AppendTag(op, uvw);
  }
  if (m.smoothing.phong) {
    BaseTag* phong = BaseTag::Alloc(Tphong);
    if (phong) {
      phong->GetDataInstance()->SetBool(PHONGTAG_PHONG_ANGLELIMIT, m.smoothing.angleLimit);
      phong->GetDataInstance()->SetReal(PHONGTAG_PHONG_ANGLE, m.smoothing.angle);
      AppendTag(op, phong);
    }
  }
  return op;
}

}  // namespace import
}  // namespace host
