#include "exporter/MeshReuse.h"

#include <sys/stat.h>

#include <cstring>

#include "geometry/WavefrontExport.h"
#include "helpers/HelpersPaths.h"

namespace {

uint64_t Bits(Real r) {
  uint32_t b = 0;
  std::memcpy(&b, &r, sizeof b);
  return b;
}

void AddMatrix(std::vector<uint64_t>& counts, const Matrix& m) {
  for (const Vector* v : {&m.off, &m.v1, &m.v2, &m.v3}) {
    counts.push_back(Bits(v->x));
    counts.push_back(Bits(v->y));
    counts.push_back(Bits(v->z));
  }
}

void AddNode(std::vector<uint64_t>& counts, const BaseList2D* node) {
  counts.push_back(node ? node->GetUniqueId() : 0);
  counts.push_back(node ? node->GetDirtyCount(DIRTY_DATA) : 0);
}

// A texture tag reaches the mesh through its parameters (projection, placement, restriction),
// its material's exported name and, unless it uses the UV tag as it is, the placement of the
// object and of the tag's carrier; a frontal or camera projection also the scene camera's.
void AddTexture(std::vector<uint64_t>& counts, TextureTag* texture, PolygonObject* object, BaseDocument* document) {
  AddNode(counts, texture);
  AddNode(counts, texture->GetMaterial());
  const LONG projection = texture->GetDataInstance()->GetLong(TEXTURETAG_PROJECTION, P_UVW);
  if (projection == P_UVW) return;
  AddMatrix(counts, object->GetMg());
  BaseObject* carrier = texture->GetObject();
  AddMatrix(counts, carrier ? carrier->GetMg() : Matrix());
  if (projection != P_FRONTAL && projection != P_CAMERAMAP) return;
  BaseDraw* view = document ? document->GetActiveBaseDraw() : nullptr;
  BaseObject* camera = view ? view->GetSceneCamera(document) : nullptr;
  AddNode(counts, camera);
  AddMatrix(counts, camera ? camera->GetMg() : Matrix());
}

bool ReadIdentity(MeshReuse::Written& w) {
  struct stat st;
  if (stat(w.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  w.device = uint64_t(st.st_dev);
  w.inode = uint64_t(st.st_ino);
  w.size = uint64_t(st.st_size);
  w.modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

bool IsPrimitive(LONG type) {
  switch (type) {
    case Ocube: case Oplane: case Odisc: case Ocylinder: case Ocone: case Otorus: case Otube: case Opyramid:
    case Oplatonic: case Ofigure:
      return true;
    default:
      return false;
  }
}

}  // namespace

BaseObject* MeshSourceOf(BaseObject* object) {
  BaseObject* generator = object ? object->GetCacheParent() : nullptr;
  return generator && generator->GetCache() == object && IsPrimitive(generator->GetType()) ? generator : object;
}

MeshFingerprint MeshFingerprint::Of(PolygonObject* object, BaseDocument* document, Real scale,
                                    TavrellMaterialList* materials) {
  MeshFingerprint f;
  const BaseObject* source = MeshSourceOf(object);
  AddNode(f.counts, source);
  f.counts.push_back(Bits(scale));
  // Every tag in order: Phong (angle), UVW, selections (which pass comes first) and the
  // plug-in's own. A primitive's polygons carry copies of its tags.
  for (const BaseTag* tag = source->GetFirstTag(); tag; tag = tag->GetNext()) {
    f.counts.push_back(uint64_t(uint32_t(tag->GetType())));
    AddNode(f.counts, tag);
  }
  const std::vector<TextureTag*> textures = Helpers::GetAllTextureTags(object);
  for (TextureTag* texture : textures) AddTexture(f.counts, texture, object, document);
  // The material names of the builder's passes, each as the builder makes it.
  for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext())
    if (tag->GetType() == Tpolygonselection)
      f.materialNames.push_back(WavefrontExport::PassMaterialName(textures, tag, materials));
  f.materialNames.push_back(WavefrontExport::PassMaterialName(textures, nullptr, materials));
  return f;
}

const MeshReuse::Written* MeshReuse::Find(uint64_t objectId, const MeshFingerprint& fingerprint) const {
  const auto it = meshes_.find(objectId);
  if (it == meshes_.end() || !(it->second.fingerprint == fingerprint)) return nullptr;
  Written now;
  now.path = it->second.written.path;
  const Written& then = it->second.written;
  if (!ReadIdentity(now) || now.device != then.device || now.inode != then.inode || now.size != then.size ||
      now.modified != then.modified)
    return nullptr;
  return &then;
}

void MeshReuse::Remember(uint64_t objectId, const MeshFingerprint& fingerprint, Written written) {
  if (!ReadIdentity(written)) {
    Forget(objectId);
    return;
  }
  meshes_[objectId] = Entry{fingerprint, std::move(written)};
}
