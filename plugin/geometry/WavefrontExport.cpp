#include "geometry/WavefrontExport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "helpers/HelpersPaths.h"

namespace {

using Key = WavefrontExport::_MeshVertices;

// ---- exact float keys ----------------------------------------------------------------
// Keys are equal when their floats compare equal one by one, as an ordered map with exact
// float comparison sees them: +0 and -0 are one key. NaNs (which such a map cannot order)
// are equal only to the same bits.

uint32_t KeyBits(float f) {
  if (f == 0.0f) return 0;
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

bool SameFloat(float a, float b) {
  if (a == b) return true;
  return a != a && b != b && KeyBits(a) == KeyBits(b);
}

uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return h;
}

uint64_t Hash(const Key& k) {
  uint64_t h = Mix((uint64_t(KeyBits(k.px)) << 32) | KeyBits(k.py));
  h = Mix(h ^ ((uint64_t(KeyBits(k.pz)) << 32) | KeyBits(k.nx)));
  return Mix(h ^ ((uint64_t(KeyBits(k.ny)) << 32) | KeyBits(k.nz)));
}

uint64_t Hash(const Kyrano::Vec2f& k) { return Mix((uint64_t(KeyBits(k.x)) << 32) | KeyBits(k.y)); }

bool Same(const Key& a, const Key& b) {
  return SameFloat(a.px, b.px) && SameFloat(a.py, b.py) && SameFloat(a.pz, b.pz) && SameFloat(a.nx, b.nx) &&
         SameFloat(a.ny, b.ny) && SameFloat(a.nz, b.nz);
}

bool Same(const Kyrano::Vec2f& a, const Kyrano::Vec2f& b) { return SameFloat(a.x, b.x) && SameFloat(a.y, b.y); }

// The key of a corner at host point p with the given normal. The renderer's axes are the
// host's with y and z exchanged: (x, y, z) becomes (x, z, y). Positions are scaled, normals
// are not.
Key VertexKey(const Vector& p, Real scale, const Vector& normal) {
  Key key;
  key.px = scale * p.x;
  key.py = scale * p.z;
  key.pz = scale * p.y;
  key.nx = normal.x;
  key.ny = normal.z;
  key.nz = normal.y;
  return key;
}

// ---- where the distinct keys live ----------------------------------------------------
// The mesh itself holds them, in index order: vertices as positions (and normals, when the
// mesh has normals), texture coordinates as UV pairs.

struct VertexStore {
  using KeyType = Key;
  std::vector<Kyrano::Vec3f>& positions;
  std::vector<Kyrano::Vec3f>* normals;  // null: every key's normal is zero

  Key At(uint32_t i) const {
    const Kyrano::Vec3f& p = positions[i];
    Key k;
    k.px = p.x;
    k.py = p.y;
    k.pz = p.z;
    if (normals) {
      const Kyrano::Vec3f& n = (*normals)[i];
      k.nx = n.x;
      k.ny = n.y;
      k.nz = n.z;
    }
    return k;
  }
  uint32_t Append(const Key& k) {
    positions.push_back(Kyrano::Vec3f{k.px, k.py, k.pz});
    if (normals) normals->push_back(Kyrano::Vec3f{k.nx, k.ny, k.nz});
    return uint32_t(positions.size() - 1);
  }
};

struct UVStore {
  using KeyType = Kyrano::Vec2f;
  std::vector<Kyrano::Vec2f>& uvs;

  Kyrano::Vec2f At(uint32_t i) const { return uvs[i]; }
  uint32_t Append(const Kyrano::Vec2f& k) {
    uvs.push_back(k);
    return uint32_t(uvs.size() - 1);
  }
};

// The points of an object as positions: a key "appended" is the point being looked at.
struct PointStore {
  using KeyType = Key;
  const Vector* points;
  Real scale;
  uint32_t current = 0;

  Key At(uint32_t i) const { return VertexKey(points[i], scale, Vector()); }
  uint32_t Append(const Key&) { return current; }
};

// Hands out indices in first-seen order for the keys of a store: a key seen before gets its
// index again, a new key is appended and gets the next one. Open addressing; each slot holds
// the upper half of the key's hash and its index + 1 (0 marks a free slot).
template <typename Store>
class FirstSeenIndex {
 public:
  using K = typename Store::KeyType;

  FirstSeenIndex(Store store, size_t expected) : store_(store) {
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    slots_.assign(capacity, 0);
  }

  uint32_t Find(const K& key) {
    const uint64_t h = Hash(key);
    const uint64_t tag = h >> 32;
    const size_t mask = slots_.size() - 1;
    for (size_t slot = size_t(h) & mask;; slot = (slot + 1) & mask) {
      const uint64_t s = slots_[slot];
      if (s == 0) {
        const uint32_t index = store_.Append(key);
        slots_[slot] = (tag << 32) | (uint64_t(index) + 1);
        if (++count_ * 2 > slots_.size()) Grow();
        return index;
      }
      if ((s >> 32) == tag && Same(store_.At(uint32_t(s) - 1), key)) return uint32_t(s) - 1;
    }
  }

  Store& store() { return store_; }

 private:
  void Grow() {
    std::vector<uint64_t> old;
    old.swap(slots_);
    slots_.assign(old.size() * 2, 0);
    const size_t mask = slots_.size() - 1;
    for (uint64_t s : old) {
      if (s == 0) continue;
      size_t slot = size_t(Hash(store_.At(uint32_t(s) - 1))) & mask;
      while (slots_[slot] != 0) slot = (slot + 1) & mask;
      slots_[slot] = s;
    }
  }

  Store store_;
  std::vector<uint64_t> slots_;
  size_t count_ = 0;
};

// The corner normal as written: unit length, or (1, 0, 0) when it has none.
Vector UnitNormal(const Vector& n) {
  const Real length = Len(n);
  if (length < 1e-7f) return Vector(1, 0, 0);
  if (std::fabs(length - 1.0f) < 1e-7f) return n;
  return n / length;
}

std::string ToStd(const String& s) {
  char* c = Helpers::StringToChar(s);
  std::string out(c);
  delete[] c;
  return out;
}

// Entry i of a UV tag; all zero past its end.
UVWStruct EntryOf(const UVWTag* tag, LONG i) {
  UVWStruct s;
  if (tag && i < tag->GetDataCount()) tag->Get(i, s);
  return s;
}

// Calls visit(first, last) for every run of polygon indices of the selection, cut to
// [0, polygonCount), in increasing order.
template <typename Visit>
void ForEachSelectedRun(const BaseSelect* selection, LONG polygonCount, Visit visit) {
  LONG a = 0, b = 0;
  for (LONG seg = 0; selection->GetRange(seg, &a, &b); ++seg) {
    const LONG first = std::max<LONG>(a, 0), last = std::min<LONG>(b, polygonCount - 1);
    if (first <= last) visit(first, last);
  }
}

// Turns `covered` into the polygons that no selection covered: all of them when it is
// empty, otherwise its complement.
void SelectRest(BaseSelect* covered, LONG polygonCount) {
  if (polygonCount <= 0) return;
  if (covered->GetCount() == 0) covered->SelectAll(0, polygonCount - 1);
  else covered->ToggleAll(0, polygonCount - 1);
}

// The state of one build: the object's arrays, the lookups and the mesh being filled.
class MeshBuilder {
 public:
  // `uvs` and `phong` may be null: every corner then has UV (0, 0), respectively no normal.
  MeshBuilder(WavefrontExport& exporter, PolygonObject* object, const UVWTag* uvs, const Vector* phong)
      : mesh_(exporter.mesh),
        scale_(exporter.scale),
        points_(object->GetPointR()),
        polygons_(object->GetPolygonR()),
        pointCount_(object->GetPointCount()),
        polygonCount_(object->GetPolygonCount()),
        uvs_(uvs),
        phong_(phong),
        vertexIndex_(VertexStore{mesh_.positions, phong ? &mesh_.normals : nullptr}, phong ? size_t(pointCount_) : 0),
        uvIndex_(UVStore{mesh_.uvs}, uvs ? size_t(pointCount_) : 0),
        pointVertex_(size_t(pointCount_), 0),
        pointUV_(uvs ? size_t(pointCount_) : 0, 0) {
    if (!phong_) MergeEqualPoints();
    LONG quads = 0;
    for (LONG i = 0; i < polygonCount_; ++i) quads += polygons_[i].c != polygons_[i].d ? 1 : 0;
    mesh_.triangles.reserve(size_t(polygonCount_) + size_t(quads));
    mesh_.positions.reserve(size_t(pointCount_));
    if (phong_) mesh_.normals.reserve(size_t(pointCount_));
    if (uvs_) mesh_.uvs.reserve(size_t(pointCount_));
  }

  void AddPolygons(const BaseSelect* selection, uint32_t material) {
    ForEachSelectedRun(selection, polygonCount_, [&](LONG first, LONG last) {
      for (LONG i = first; i <= last; ++i) AddPolygon(i, material);
    });
  }

  LONG SkippedPolygons() const { return skipped_; }

 private:
  // Without normals a vertex is a position, so points at the same position are one vertex.
  // Each point learns the first point (in point order) at its position, and its corners go
  // by that point. One sweep over the points, with a table that is gone before the corners
  // come.
  void MergeEqualPoints() {
    samePoint_.resize(size_t(pointCount_));
    FirstSeenIndex<PointStore> positions(PointStore{points_, scale_}, size_t(pointCount_));
    for (LONG p = 0; p < pointCount_; ++p) {
      positions.store().current = uint32_t(p);
      samePoint_[size_t(p)] = positions.Find(VertexKey(points_[p], scale_, Vector()));
    }
  }

  bool InRange(LONG point) const { return point >= 0 && point < pointCount_; }
  bool Valid(const CPolygon& p) const { return InRange(p.a) && InRange(p.b) && InRange(p.c) && InRange(p.d); }

  Vector CornerNormal(LONG polygon, int corner) const {
    return UnitNormal(phong_[size_t(polygon) * 4 + size_t(corner)]);
  }

  void AddPolygon(LONG i, uint32_t material) {
    const CPolygon& p = polygons_[i];
    if (!Valid(p)) {
      ++skipped_;
      return;
    }
    UVWStruct uv;
    if (uvs_) uvs_->Get(i, uv);
    const uint32_t va = VertexOf(p.a, i, 0), ua = UVOf(p.a, uv.a);
    const uint32_t vb = VertexOf(p.b, i, 1), ub = UVOf(p.b, uv.b);
    const uint32_t vc = VertexOf(p.c, i, 2), uc = UVOf(p.c, uv.c);
    // The axis exchange mirrors the geometry, so the corner order is reversed to keep the
    // faces' orientation.
    AddTriangle(vc, vb, va, uc, ub, ua, material);
    if (p.c != p.d) {
      const uint32_t vd = VertexOf(p.d, i, 3), ud = UVOf(p.d, uv.d);
      AddTriangle(va, vd, vc, ua, ud, uc, material);
    }
  }

  void AddTriangle(uint32_t v0, uint32_t v1, uint32_t v2, uint32_t u0, uint32_t u1, uint32_t u2, uint32_t material) {
    Kyrano::Triangle t;
    t.vertexIndices[0] = v0;
    t.vertexIndices[1] = v1;
    t.vertexIndices[2] = v2;
    t.uvIndices[0] = u0;
    t.uvIndices[1] = u1;
    t.uvIndices[2] = u2;
    t.materialIndex = material;
    mesh_.triangles.push_back(t);
  }

  // Texture v runs the other way in the renderer.
  static Kyrano::Vec2f UVKey(const Vector& uvw) {
    Kyrano::Vec2f key;
    key.x = uvw.x;
    key.y = 1.0f - uvw.y;
    return key;
  }

  // Without normals the vertex of a corner is that of the first point at its position. With
  // normals, corners of one point usually make the same key, so each point remembers its last
  // index and the full lookup runs only when the key differs from that one.
  uint32_t VertexOf(LONG point, LONG polygon, int corner) {
    if (!phong_) {
      uint32_t& first = pointVertex_[samePoint_[size_t(point)]];
      if (first == 0) {
        mesh_.positions.push_back(Position(point));
        first = uint32_t(mesh_.positions.size());
      }
      return first - 1;
    }
    const Key key = VertexKey(points_[point], scale_, CornerNormal(polygon, corner));
    uint32_t& cached = pointVertex_[size_t(point)];
    if (cached != 0 && Same(vertexIndex_.store().At(cached - 1), key)) return cached - 1;
    const uint32_t index = vertexIndex_.Find(key);
    cached = index + 1;
    return index;
  }

  Kyrano::Vec3f Position(LONG point) const {
    const Key k = VertexKey(points_[point], scale_, Vector());
    return Kyrano::Vec3f{k.px, k.py, k.pz};
  }

  // Without a UV source every corner's UV is (0, 0): one key for all.
  uint32_t UVOf(LONG point, const Vector& uvw) {
    if (!uvs_) {
      if (zeroUV_ == 0) zeroUV_ = uvIndex_.Find(UVKey(uvw)) + 1;
      return zeroUV_ - 1;
    }
    const Kyrano::Vec2f key = UVKey(uvw);
    uint32_t& cached = pointUV_[size_t(point)];
    if (cached != 0 && Same(mesh_.uvs[cached - 1], key)) return cached - 1;
    const uint32_t index = uvIndex_.Find(key);
    cached = index + 1;
    return index;
  }

  Kyrano::KyranoMesh& mesh_;
  const Real scale_;
  const Vector* points_;
  const CPolygon* polygons_;
  const LONG pointCount_, polygonCount_;
  const UVWTag* uvs_;
  const Vector* phong_;
  FirstSeenIndex<VertexStore> vertexIndex_;
  FirstSeenIndex<UVStore> uvIndex_;
  std::vector<uint32_t> pointVertex_, pointUV_;
  std::vector<uint32_t> samePoint_;  // without normals: the first point at each point's position
  uint32_t zeroUV_ = 0;              // index + 1 of the UV every corner has without a UV source
  LONG skipped_ = 0;
};

}  // namespace

Bool WavefrontExport::ExportObj(BaseDocument* doc, const Filename& directory, Filename fileName, BaseObject* object,
                                Real meshScale, TavrellMaterialList* materials) {
  if (!object || object->GetType() != Opolygon) return FALSE;
  PolygonObject* poly = static_cast<PolygonObject*>(object);
  const LONG start = GeGetTimer();
  document = doc;
  hasPhong = object->GetTag(Tphong) != nullptr;
  triangleCount = poly->GetPolygonCount();
  vertexCount = poly->GetPointCount();
  scale = meshScale;
  if (!GeFExist(directory, TRUE)) GeFCreateDir(directory);

  AddVerticesAndTris(poly, materials);
  Kyrano::UVSetExposition exposition;
  exposition.name = "default";
  exposition.index = 0;
  mesh.uvSetExpositions.push_back(exposition);
  mesh.uvMappingCount = 1;
  const LONG processing = GeGetTimer() - start;

  fileName.SetSuffix("kymesh");
  const std::string path = ToStd(directory.GetString() + "/" + fileName.GetString());
  const Kyrano::MeshWriteResult written = Kyrano::KyranoMesh::writeToFile(path, mesh);
  const LONG total = GeGetTimer() - start;
  const String name = object->GetName();
  if (!written) {
    GePrint(String("--Failed to export mesh: ") + name + ". " + written.error);
    return FALSE;
  }
  ReportCutNames(name, written.cutNames);
  GePrint(String("--Exported mesh: ") + name + ", " + LongToString(triangleCount) + " Tris, " +
          LongToString(vertexCount) + " Vertices, " + LongToString(uvCount) + " UVs. Processing Time: " +
          RealToString(Real(processing * 0.001), -1, 3) + "s. Export Time: " + RealToString(Real(total * 0.001), -1, 3) +
          "s");
  return TRUE;
}

void WavefrontExport::ReportCutNames(const String& objectName, const std::vector<std::string>& cutNames) const {
  for (const std::string& cut : cutNames) {
    GePrint(String("--Mesh ") + objectName + ": a material name longer than " +
            LongToString(LONG(Kyrano::MAX_STRING_BYTES)) + " bytes was cut to " + LongToString(LONG(cut.size())) +
            " bytes: " + String(cut.substr(0, 40)) + "...");
  }
}

Bool WavefrontExport::AddVerticesAndTris(PolygonObject* object, TavrellMaterialList* materials) {
  if (!object) return FALSE;
  const LONG polygonCount = object->GetPolygonCount();
  const std::vector<TextureTag*> textureTags = Helpers::GetAllTextureTags(object);
  // The baked UVs. Without texture tags every entry would stay zero, so none is made and
  // every corner reads as zero.
  UVWTag* uvs = nullptr;
  if (!textureTags.empty()) {
    uvs = UVWTag::Alloc(polygonCount);
    if (!uvs) return FALSE;
    BakeUV(object, uvs, textureTags);
  }

  // Without Phong normals (no Phong tag, or the host gave none) every key's normal is zero,
  // so vertices merge by position alone.
  Vector* phong = hasPhong ? object->CreatePhongNormals() : nullptr;

  // The material of a pass: the texture tag for its selection (or the unrestricted one)
  // names a material whose helper gives the exported name; light geometry has no list.
  auto materialIndex = [&](BaseTag* selectionTag) {
    std::string name = "defaultLight";
    if (materials) {
      TextureTag* texture = Helpers::GetTexTagWithSelection(textureTags, selectionTag);
      TavrellMaterial* entry = materials->FindMaterialWithPointer(texture ? texture->GetMaterial() : nullptr);
      name = entry ? ToStd(entry->name) : "defaultMat";
    }
    std::vector<std::string>& names = mesh.materialNames;
    const auto found = std::find(names.begin(), names.end(), name);
    if (found != names.end()) return uint32_t(found - names.begin());
    names.push_back(name);
    return uint32_t(names.size() - 1);
  };

  LONG skipped = 0;
  {
    // One pass per polygon selection tag, then one over the polygons no selection covered.
    MeshBuilder builder(*this, object, uvs, phong);
    BaseSelect* covered = BaseSelect::Alloc();
    for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext()) {
      if (tag->GetType() != Tpolygonselection) continue;
      const BaseSelect* selection = static_cast<SelectionTag*>(tag)->GetBaseSelect();
      if (!selection) continue;
      builder.AddPolygons(selection, materialIndex(tag));
      covered->Merge(selection);
    }
    SelectRest(covered, polygonCount);
    builder.AddPolygons(covered, materialIndex(nullptr));
    skipped = builder.SkippedPolygons();
    BaseSelect::Free(covered);
  }
  UVWTag::Free(uvs);
  GeFree(phong);
  if (skipped > 0) {
    GePrint(String("--Mesh ") + object->GetName() + ": " + LongToString(skipped) +
            " polygons skipped, they name points the object does not have");
  }

  triangleCount = LONG(mesh.triangles.size());
  vertexCount = LONG(mesh.positions.size());
  uvCount = LONG(mesh.uvs.size());
  return TRUE;
}

Bool WavefrontExport::BakeUV(PolygonObject* object, UVWTag* uvOut, const std::vector<TextureTag*>& textureTags) {
  const LONG polygonCount = object->GetPolygonCount();
  BaseTag* ownUVs = object->GetTag(Tuvw);
  const UVWTag* source = ownUVs ? static_cast<UVWTag*>(ownUVs) : uvOut;
  BaseDraw* view = document ? document->GetActiveBaseDraw() : nullptr;

  auto bake = [&](const BaseSelect* selection, TextureTag* texture) {
    BaseObject* carrier = texture->GetObject();
    UVWTag* generated = GenerateUVW(object, object->GetMg(), texture, carrier ? carrier->GetMg() : Matrix(), view);
    const BaseContainer* data = texture->GetDataInstance();
    const Real offsetU = data->GetReal(TEXTURETAG_OFFSETX, 0.0f);
    const Real offsetV = data->GetReal(TEXTURETAG_OFFSETY, 0.0f);
    const Real lengthU = data->GetReal(TEXTURETAG_LENGTHX, 0.0f);
    const Real lengthV = data->GetReal(TEXTURETAG_LENGTHY, 0.0f);
    const Real factorU = lengthU != 0.0f ? 1.0f / lengthU : 1.0f;
    const Real factorV = lengthV != 0.0f ? 1.0f / lengthV : 1.0f;
    const UVWTag* from = generated ? generated : source;
    auto place = [&](Vector& c) {
      c.x = (c.x - offsetU) * factorU;
      c.y = (c.y - offsetV) * factorV;
    };
    ForEachSelectedRun(selection, polygonCount, [&](LONG first, LONG last) {
      for (LONG i = first; i <= last; ++i) {
        UVWStruct s = EntryOf(from, i);
        place(s.a);
        place(s.b);
        place(s.c);
        place(s.d);
        uvOut->Set(i, s);
      }
    });
    UVWTag::Free(generated);
  };

  BaseSelect* covered = BaseSelect::Alloc();
  for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext()) {
    if (tag->GetType() != Tpolygonselection) continue;
    const BaseSelect* selection = static_cast<SelectionTag*>(tag)->GetBaseSelect();
    if (!selection) continue;
    covered->Merge(selection);
    if (TextureTag* texture = Helpers::GetTexTagWithSelection(textureTags, tag)) bake(selection, texture);
  }
  SelectRest(covered, polygonCount);
  if (TextureTag* texture = Helpers::GetTexTagWithSelection(textureTags, nullptr)) bake(covered, texture);
  BaseSelect::Free(covered);
  return TRUE;
}
