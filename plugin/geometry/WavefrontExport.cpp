#include "geometry/WavefrontExport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "geometry/CornerNormals.h"
#include "geometry/FirstSeenIndex.h"
#include "geometry/HugePages.h"
#include "geometry/PointPositions.h"
#include "helpers/HelpersPaths.h"

namespace {

using Key = WavefrontExport::_MeshVertices;
using geometry::CornerNormals;
using geometry::FirstPointAtEachPosition;
using geometry::RendererPosition;
using geometry::FirstSeenIndex;
using geometry::Mix;
using geometry::Pair;
using geometry::SameFloat;
using geometry::SameVec3;

// ---- where the distinct keys live -----------------------------------------------------
// The mesh itself holds them, in index order: vertices as positions and normals, texture
// coordinates as UV pairs.

// Vertices with normals, as positions and normals of the mesh.
struct VertexStore {
  using Key = WavefrontExport::_MeshVertices;
  std::vector<Kyrano::Vec3f>& positions;
  std::vector<Kyrano::Vec3f>& normals;

  static uint64_t Hash(const Key& k) { return Mix(Mix(Mix(Pair(k.px, k.py)) ^ Pair(k.pz, k.nx)) ^ Pair(k.ny, k.nz)); }
  static bool Same(const Key& a, const Key& b) {
    return SameFloat(a.px, b.px) && SameFloat(a.py, b.py) && SameFloat(a.pz, b.pz) && SameFloat(a.nx, b.nx) &&
           SameFloat(a.ny, b.ny) && SameFloat(a.nz, b.nz);
  }
  Key At(uint32_t i) const {
    const Kyrano::Vec3f &p = positions[i], &n = normals[i];
    Key k;
    k.px = p.x, k.py = p.y, k.pz = p.z;
    k.nx = n.x, k.ny = n.y, k.nz = n.z;
    return k;
  }
  uint32_t Append(const Key& k) {
    positions.push_back(Kyrano::Vec3f{k.px, k.py, k.pz});
    normals.push_back(Kyrano::Vec3f{k.nx, k.ny, k.nz});
    return uint32_t(positions.size() - 1);
  }
};

struct UVStore {
  using Key = Kyrano::Vec2f;
  std::vector<Kyrano::Vec2f>& uvs;

  static uint64_t Hash(const Key& k) { return Mix(Pair(k.x, k.y)); }
  static bool Same(const Key& a, const Key& b) { return SameFloat(a.x, b.x) && SameFloat(a.y, b.y); }
  Key At(uint32_t i) const { return uvs[i]; }
  uint32_t Append(const Key& k) {
    uvs.push_back(k);
    return uint32_t(uvs.size() - 1);
  }
};

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

// The placement of a texture tag: offset and length along u and v.
struct Placement {
  Real offsetU, offsetV, factorU, factorV;

  explicit Placement(const TextureTag* texture) {
    const BaseContainer* data = texture->GetDataInstance();
    offsetU = data->GetReal(TEXTURETAG_OFFSETX, 0.0f);
    offsetV = data->GetReal(TEXTURETAG_OFFSETY, 0.0f);
    const Real lengthU = data->GetReal(TEXTURETAG_LENGTHX, 0.0f);
    const Real lengthV = data->GetReal(TEXTURETAG_LENGTHY, 0.0f);
    factorU = lengthU != 0.0f ? 1.0f / lengthU : 1.0f;
    factorV = lengthV != 0.0f ? 1.0f / lengthV : 1.0f;
  }
  void Apply(Vector& c) const {
    c.x = (c.x - offsetU) * factorU;
    c.y = (c.y - offsetV) * factorV;
  }
  // (u - 0) * 1 is u, bit for bit, for every u (also -0): the placement changes nothing.
  bool LeavesAsIs() const {
    return geometry::SameBits(offsetU, 0.0f) && geometry::SameBits(offsetV, 0.0f) && factorU == 1.0f &&
           factorV == 1.0f;
  }
};

// The UVs that baking would give every polygon, when they are the object's own UV tag as it
// stands (or all zero, without one): every selection with polygons, and the rest, takes a
// texture tag that uses the UV tag (UVW projection) and places it nowhere (offset 0, length
// 0 or 1). `asItStands` is set then; the result may be null (no UV tag: all zero).
const UVWTag* UVsAsTheyStand(PolygonObject* object, const std::vector<TextureTag*>& textureTags, bool* asItStands) {
  auto usesTagAsItStands = [](TextureTag* texture) {
    return texture && texture->GetDataInstance()->GetLong(TEXTURETAG_PROJECTION, P_UVW) == P_UVW &&
           Placement(texture).LeavesAsIs();
  };
  *asItStands = false;
  for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext()) {
    if (tag->GetType() != Tpolygonselection || !static_cast<const SelectionTag*>(tag)->GetBaseSelect()) continue;
    if (!usesTagAsItStands(Helpers::GetTexTagWithSelection(textureTags, tag))) return nullptr;
  }
  if (!usesTagAsItStands(Helpers::GetTexTagWithSelection(textureTags, nullptr))) return nullptr;
  *asItStands = true;
  return static_cast<const UVWTag*>(object->GetTag(Tuvw));
}

// The state of one build: the object's arrays, the lookups and the mesh being filled.
class MeshBuilder {
 public:
  // `uvs` and `normals` may be null: every corner then has UV (0, 0), respectively no normal.
  MeshBuilder(WavefrontExport& exporter, PolygonObject* object, const UVWTag* uvs, const CornerNormals* normals)
      : mesh_(exporter.mesh),
        scale_(exporter.scale),
        points_(object->GetPointR()),
        polygons_(object->GetPolygonR()),
        pointCount_(object->GetPointCount()),
        polygonCount_(object->GetPolygonCount()),
        uvs_(uvs),
        normals_(normals),
        uvIndex_(UVStore{mesh_.uvs}, uvs ? size_t(pointCount_) : 0),
        firstAtPosition_(FirstPointAtEachPosition(points_, pointCount_, scale_)),
        positionVertex_(size_t(pointCount_), 0),
        pointVertex_(normals ? size_t(pointCount_) : 0, 0),
        pointUV_(uvs ? size_t(pointCount_) : 0, 0) {
    LONG quads = 0;
    for (LONG i = 0; i < polygonCount_; ++i) quads += polygons_[i].c != polygons_[i].d ? 1 : 0;
    geometry::ReserveLarge(mesh_.triangles, size_t(polygonCount_) + size_t(quads));
    geometry::ReserveLarge(mesh_.positions, size_t(pointCount_));
    if (normals_) geometry::ReserveLarge(mesh_.normals, size_t(pointCount_));
    if (uvs_) geometry::ReserveLarge(mesh_.uvs, size_t(pointCount_));
  }

  // Polygons go in blocks: a block's UV entries are read once, and the table slots of its
  // new UVs are fetched before its polygons are added, so that their cache misses overlap.
  // The loop is made once for each combination of normals and UVs, without tests per corner.
  void AddPolygons(const BaseSelect* selection, uint32_t material) {
    if (normals_) uvs_ ? AddRuns<true, true>(selection, material) : AddRuns<true, false>(selection, material);
    else uvs_ ? AddRuns<false, true>(selection, material) : AddRuns<false, false>(selection, material);
  }

  LONG SkippedPolygons() const { return skipped_; }

 private:
  template <bool kNormals, bool kUVs>
  void AddRuns(const BaseSelect* selection, uint32_t material) {
    ForEachSelectedRun(selection, polygonCount_, [&](LONG first, LONG last) {
      for (LONG begin = first; begin <= last; begin += kBlock) {
        const LONG end = std::min(last + 1, begin + kBlock);
        if (kUVs) ReadUVsAndPrefetch(begin, end);
        for (LONG i = begin; i < end; ++i) AddPolygon<kNormals, kUVs>(i, block_[i - begin], material);
      }
    });
  }

  bool InRange(LONG point) const { return point >= 0 && point < pointCount_; }
  bool Valid(const CPolygon& p) const { return InRange(p.a) && InRange(p.b) && InRange(p.c) && InRange(p.d); }

  template <bool kNormals, bool kUVs>
  void AddPolygon(LONG i, const UVWStruct& uv, uint32_t material) {
    const CPolygon& p = polygons_[i];
    if (!Valid(p)) {
      ++skipped_;
      return;
    }
    const uint32_t va = VertexOf<kNormals>(p.a, i, 0), ua = UVOf<kUVs>(p.a, uv.a);
    const uint32_t vb = VertexOf<kNormals>(p.b, i, 1), ub = UVOf<kUVs>(p.b, uv.b);
    const uint32_t vc = VertexOf<kNormals>(p.c, i, 2), uc = UVOf<kUVs>(p.c, uv.c);
    // The axis exchange mirrors the geometry, so the corner order is reversed to keep the
    // faces' orientation.
    AddTriangle(vc, vb, va, uc, ub, ua, material);
    if (p.c != p.d) {
      const uint32_t vd = VertexOf<kNormals>(p.d, i, 3), ud = UVOf<kUVs>(p.d, uv.d);
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

  // A vertex is a position and a normal. Corners of points at different positions never
  // share one, so vertices are looked for among those of the corner's position only: the
  // first vertex made there, then, for another normal, a table of the rest. Without normals
  // the first vertex at the position is the only one. A corner with its point's usual
  // normal goes straight to the vertex its point found before.
  template <bool kNormals>
  uint32_t VertexOf(LONG point, LONG polygon, int corner) {
    if (!kNormals) return AtPosition(point, nullptr);
    if (!normals_->HasPointNormal(polygon, corner)) return AtPosition(point, &normals_->OfCorner(polygon, corner));
    uint32_t& known = pointVertex_[size_t(point)];
    if (known == 0) known = AtPosition(point, &normals_->OfPoint(point)) + 1;
    return known - 1;
  }

  uint32_t AtPosition(LONG point, const Kyrano::Vec3f* normal) {
    const size_t at = firstAtPosition_.empty() ? size_t(point) : firstAtPosition_[size_t(point)];
    uint32_t& first = positionVertex_[at];
    if (first == 0) {
      mesh_.positions.push_back(RendererPosition(points_[point], scale_));
      if (normal) mesh_.normals.push_back(*normal);
      first = uint32_t(mesh_.positions.size());
      return first - 1;
    }
    if (!normal || SameVec3(mesh_.normals[first - 1], *normal)) return first - 1;
    if (!otherNormals_) otherNormals_.reset(new FirstSeenIndex<VertexStore>(VertexStore{mesh_.positions, mesh_.normals},
                                                                            normals_->OwnNormalCount()));
    const Kyrano::Vec3f position = RendererPosition(points_[point], scale_);
    Key key;
    key.px = position.x, key.py = position.y, key.pz = position.z;
    key.nx = normal->x, key.ny = normal->y, key.nz = normal->z;
    return otherNormals_->Find(key);
  }

  void ReadUVsAndPrefetch(LONG begin, LONG end) {
    for (LONG i = begin; i < end; ++i) {
      UVWStruct& uv = block_[i - begin];
      uvs_->Get(i, uv);
      const CPolygon& p = polygons_[i];
      if (!Valid(p)) continue;
      PrefetchIfNew(p.a, uv.a);
      PrefetchIfNew(p.b, uv.b);
      PrefetchIfNew(p.c, uv.c);
      if (p.c != p.d) PrefetchIfNew(p.d, uv.d);
    }
  }

  void PrefetchIfNew(LONG point, const Vector& uvw) {
    const Kyrano::Vec2f key = UVKey(uvw);
    const uint32_t cached = pointUV_[size_t(point)];
    if (cached == 0 || !UVStore::Same(mesh_.uvs[cached - 1], key)) uvIndex_.Prefetch(UVStore::Hash(key));
  }

  // Texture v runs the other way in the renderer.
  static Kyrano::Vec2f UVKey(const Vector& uvw) { return Kyrano::Vec2f{uvw.x, 1.0f - uvw.y}; }

  // Corners of one point usually have one UV, so each point remembers its last index and the
  // table is asked only when the UV differs from that one. Without a UV source every corner's
  // UV is (0, 0): one key for all.
  template <bool kUVs>
  uint32_t UVOf(LONG point, const Vector& uvw) {
    if (!kUVs) return zeroUV_ != 0 ? zeroUV_ - 1 : ZeroUV(uvw);
    const Kyrano::Vec2f key = UVKey(uvw);
    const uint32_t cached = pointUV_[size_t(point)];
    if (cached != 0 && UVStore::Same(mesh_.uvs[cached - 1], key)) return cached - 1;
    return LookUpUV(point, key);
  }

  // Out of line, so that the common cases above stay small enough to be inlined.
  __attribute__((noinline)) uint32_t ZeroUV(const Vector& uvw) {
    zeroUV_ = uvIndex_.Find(UVKey(uvw)) + 1;
    return zeroUV_ - 1;
  }
  __attribute__((noinline)) uint32_t LookUpUV(LONG point, const Kyrano::Vec2f& key) {
    const uint32_t index = uvIndex_.Find(key);
    pointUV_[size_t(point)] = index + 1;
    return index;
  }

  Kyrano::KyranoMesh& mesh_;
  const Real scale_;
  const Vector* points_;
  const CPolygon* polygons_;
  const LONG pointCount_, polygonCount_;
  const UVWTag* uvs_;
  const CornerNormals* normals_;
  FirstSeenIndex<UVStore> uvIndex_;
  // Vertices of a position that differ from its first one in their normal.
  std::unique_ptr<FirstSeenIndex<VertexStore>> otherNormals_;
  // The first point at each point's position; empty when every point is the first at its own.
  std::vector<uint32_t> firstAtPosition_;
  // Index + 1 (0: none yet) of the first vertex at each position (by its first point), of
  // the vertex of each point's usual normal, and of each point's last UV.
  std::vector<uint32_t> positionVertex_, pointVertex_, pointUV_;
  static const LONG kBlock = 32;
  UVWStruct block_[kBlock];  // the UV entries of the block being added (zero without a UV source)
  uint32_t zeroUV_ = 0;      // index + 1 of the UV every corner has without a UV source
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
    Print(String("--Failed to export mesh: ") + name + ". " + written.error);
    return FALSE;
  }
  ReportCutNames(name, written.cutNames);
  Print(String("--Exported mesh: ") + name + ", " + LongToString(triangleCount) + " Tris, " +
          LongToString(vertexCount) + " Vertices, " + LongToString(uvCount) + " UVs. Processing Time: " +
          RealToString(Real(processing * 0.001), -1, 3) + "s. Export Time: " + RealToString(Real(total * 0.001), -1, 3) +
          "s");
  return TRUE;
}

void WavefrontExport::Print(const String& line) const {
  if (consoleLines) consoleLines->push_back(line);
  else GePrint(line);
}

void WavefrontExport::ReportCutNames(const String& objectName, const std::vector<std::string>& cutNames) const {
  for (const std::string& cut : cutNames) {
    Print(String("--Mesh ") + objectName + ": a material name longer than " +
            LongToString(LONG(Kyrano::MAX_STRING_BYTES)) + " bytes was cut to " + LongToString(LONG(cut.size())) +
            " bytes: " + String(cut.substr(0, 40)) + "...");
  }
}

Bool WavefrontExport::AddVerticesAndTris(PolygonObject* object, TavrellMaterialList* materials) {
  if (!object) return FALSE;
  const LONG polygonCount = object->GetPolygonCount();
  const std::vector<TextureTag*> textureTags = Helpers::GetAllTextureTags(object);

  // Without Phong normals (no Phong tag, or the host gave none) vertices merge by position
  // alone. The host's four normals per polygon are kept in a compact form and given back
  // before the mesh grows.
  std::unique_ptr<geometry::CornerNormals> normals;
  if (Vector* phong = hasPhong ? object->CreatePhongNormals() : nullptr) {
    normals.reset(new geometry::CornerNormals(phong, object->GetPointCount(), object->GetPolygonR(), polygonCount));
    GeFree(phong);
  }

  // The UVs: none without texture tags (every corner reads as zero), the object's UV tag
  // read in place when baking would only copy it, else baked into a tag of our own.
  const UVWTag* uvs = nullptr;
  UVWTag* baked = nullptr;
  bool asItStands = textureTags.empty();
  if (!asItStands) uvs = UVsAsTheyStand(object, textureTags, &asItStands);
  if (!asItStands) {
    baked = UVWTag::Alloc(polygonCount);
    if (!baked) return FALSE;
    BakeUV(object, baked, textureTags);
    uvs = baked;
  }

  // The material of a pass: the texture tag for its selection (or the unrestricted one)
  // names a material whose helper gives the exported name; light geometry has no list.
  auto materialIndex = [&](BaseTag* selectionTag) {
    const std::string name = PassMaterialName(textureTags, selectionTag, materials);
    std::vector<std::string>& names = mesh.materialNames;
    const auto found = std::find(names.begin(), names.end(), name);
    if (found != names.end()) return uint32_t(found - names.begin());
    names.push_back(name);
    return uint32_t(names.size() - 1);
  };

  LONG skipped = 0;
  {
    // One pass per polygon selection tag, then one over the polygons no selection covered.
    MeshBuilder builder(*this, object, uvs, normals.get());
    BaseSelect* covered = BaseSelect::Alloc();
    for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext()) {
      if (tag->GetType() != Tpolygonselection) continue;
      const BaseSelect* selection = static_cast<const SelectionTag*>(tag)->GetBaseSelect();
      if (!selection) continue;
      builder.AddPolygons(selection, materialIndex(tag));
      covered->Merge(selection);
    }
    SelectRest(covered, polygonCount);
    builder.AddPolygons(covered, materialIndex(nullptr));
    skipped = builder.SkippedPolygons();
    BaseSelect::Free(covered);
  }
  UVWTag::Free(baked);
  if (skipped > 0) {
    Print(String("--Mesh ") + object->GetName() + ": " + LongToString(skipped) +
            " polygons skipped, they name points the object does not have");
  }

  triangleCount = LONG(mesh.triangles.size());
  vertexCount = LONG(mesh.positions.size());
  uvCount = LONG(mesh.uvs.size());
  return TRUE;
}

std::string WavefrontExport::PassMaterialName(const std::vector<TextureTag*>& textureTags, BaseTag* selectionTag,
                                              TavrellMaterialList* materials) {
  if (!materials) return "defaultLight";
  TextureTag* texture = Helpers::GetTexTagWithSelection(textureTags, selectionTag);
  TavrellMaterial* entry = materials->FindMaterialWithPointer(texture ? texture->GetMaterial() : nullptr);
  return entry ? ToStd(entry->name) : "defaultMat";
}

Bool WavefrontExport::BakeUV(PolygonObject* object, UVWTag* uvOut, const std::vector<TextureTag*>& textureTags) {
  const LONG polygonCount = object->GetPolygonCount();
  BaseTag* ownUVs = object->GetTag(Tuvw);
  const UVWTag* source = ownUVs ? static_cast<UVWTag*>(ownUVs) : uvOut;
  BaseDraw* view = document ? document->GetActiveBaseDraw() : nullptr;

  auto bake = [&](const BaseSelect* selection, TextureTag* texture) {
    BaseObject* carrier = texture->GetObject();
    UVWTag* generated = GenerateUVW(object, object->GetMg(), texture, carrier ? carrier->GetMg() : Matrix(), view);
    const Placement placement(texture);
    const UVWTag* from = generated ? generated : source;
    ForEachSelectedRun(selection, polygonCount, [&](LONG first, LONG last) {
      for (LONG i = first; i <= last; ++i) {
        UVWStruct s = EntryOf(from, i);
        placement.Apply(s.a);
        placement.Apply(s.b);
        placement.Apply(s.c);
        placement.Apply(s.d);
        uvOut->Set(i, s);
      }
    });
    UVWTag::Free(generated);
  };

  BaseSelect* covered = BaseSelect::Alloc();
  for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext()) {
    if (tag->GetType() != Tpolygonselection) continue;
    const BaseSelect* selection = static_cast<const SelectionTag*>(tag)->GetBaseSelect();
    if (!selection) continue;
    covered->Merge(selection);
    if (TextureTag* texture = Helpers::GetTexTagWithSelection(textureTags, tag)) bake(selection, texture);
  }
  SelectRest(covered, polygonCount);
  if (TextureTag* texture = Helpers::GetTexTagWithSelection(textureTags, nullptr)) bake(covered, texture);
  BaseSelect::Free(covered);
  return TRUE;
}
