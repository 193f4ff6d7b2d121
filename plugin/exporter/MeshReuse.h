// Meshes already written in one export, and what each was built from: across the frames of a
// range, an object that did not change gets the earlier frame's file (a hard link of it)
// instead of being built and written again.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "c4d.h"
#include "exporter/TavrellMaterialList.h"

// What one object's mesh file depends on: the host's change counts of the object (points,
// polygons, parameters) and of its tags, the texture tags that reach it with their materials
// and, for projections that depend on placement, the matrices involved; the scale; and the
// material names its triangles get. Two equal fingerprints of one object build the same
// bytes.
struct MeshFingerprint {
  std::vector<uint64_t> counts;
  std::vector<std::string> materialNames;

  static MeshFingerprint Of(PolygonObject* object, BaseDocument* document, Real scale, TavrellMaterialList* materials);
  bool operator==(const MeshFingerprint& o) const { return counts == o.counts && materialNames == o.materialNames; }
};

// The node whose identity and change counts stand for an object's mesh: the object itself,
// or, for the polygons a built-in primitive made, the primitive. The host makes those polygons
// anew, as a new object, whenever it evaluates the document, from the primitive's parameters
// alone.
BaseObject* MeshSourceOf(BaseObject* object);

class MeshReuse {
 public:
  // A mesh file as it was written: where, its counts for the console line, the frame that
  // wrote it, and the file's identity, so that a file changed since is never handed on.
  struct Written {
    std::string path;
    LONG triangles = 0, vertices = 0, uvs = 0;
    LONG frame = 0;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t modified = 0;
  };

  // The earlier file of the object when its fingerprint is the same and the file is still
  // the one that was written; null otherwise.
  const Written* Find(uint64_t objectId, const MeshFingerprint& fingerprint) const;
  // Records the file just written or linked at written.path (its identity is read here);
  // a file that cannot be read is forgotten instead.
  void Remember(uint64_t objectId, const MeshFingerprint& fingerprint, Written written);
  void Forget(uint64_t objectId) { meshes_.erase(objectId); }
  void Clear() { meshes_.clear(); }

 private:
  struct Entry {
    MeshFingerprint fingerprint;
    Written written;
  };
  std::unordered_map<uint64_t, Entry> meshes_;
};
