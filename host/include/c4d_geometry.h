// Geometry services of the host: UV tags, polygon selections, Phong normals, texture
// projection, texture paths, links and modelling commands.
#pragma once
#include <vector>
#include "c4d_basedocument.h"
#include "c4d_basedraw.h"

// UV coordinates of one polygon's four corners (u, v, w each).
struct UVWStruct {
  Vector a, b, c, d;
  UVWStruct() = default;
  UVWStruct(const Vector& a_, const Vector& b_, const Vector& c_, const Vector& d_) : a(a_), b(b_), c(c_), d(d_) {}
};

// A UV tag: one UVWStruct per polygon.
class UVWTag : public BaseTag {
 public:
  static UVWTag* Alloc(LONG count);
  static void Free(UVWTag*& tag) {
    delete tag;
    tag = nullptr;
  }
  LONG GetDataCount() const { return LONG(uvw_.size()); }
  void Get(LONG i, UVWStruct& res) const;
  void Set(LONG i, const UVWStruct& s);
  Bool Resize(LONG count);

 private:
  friend class BaseTag;
  UVWTag() : BaseTag(Tuvw) {}
  std::vector<UVWStruct> uvw_;
};

// A set of element indices held as sorted, disjoint ranges.
class BaseSelect {
 public:
  static BaseSelect* Alloc() { return new BaseSelect; }
  static void Free(BaseSelect*& bs) {
    delete bs;
    bs = nullptr;
  }
  LONG GetCount() const;
  LONG GetSegments() const { return LONG(ranges_.size()); }
  Bool Select(LONG num);
  Bool SelectAll(LONG min, LONG max);
  Bool Deselect(LONG num);
  Bool DeselectAll();
  // Selects what was unselected and the other way round, within [min, max].
  Bool ToggleAll(LONG min, LONG max);
  Bool IsSelected(LONG num) const;
  // The seg-th range; FALSE past the last.
  Bool GetRange(LONG seg, LONG* a, LONG* b) const;
  Bool Merge(const BaseSelect* src);
  Bool CopyTo(BaseSelect* dest) const;

 private:
  std::vector<std::pair<LONG, LONG>> ranges_;
};

// Polygon and point selection tags: a named BaseSelect.
class SelectionTag : public BaseTag {
 public:
  static SelectionTag* Alloc(LONG type);
  BaseSelect* GetBaseSelect() { return &select_; }
  const BaseSelect* GetBaseSelect() const { return &select_; }

 private:
  friend class BaseTag;
  explicit SelectionTag(LONG type) : BaseTag(type) {}
  BaseSelect select_;
};

// Phong tag parameters.
enum { PHONGTAG_PHONG_ANGLELIMIT = 1000, PHONGTAG_PHONG_ANGLE = 1001 };

// Texture projections (texture tag parameter TEXTURETAG_PROJECTION).
enum {
  P_SPHERICAL = 0,
  P_CYLINDRICAL = 1,
  P_FLAT = 2,
  P_CUBIC = 3,
  P_FRONTAL = 4,
  P_SPATIAL = 5,
  P_UVW = 6,
  P_SHRINKWRAP = 7,
  P_CAMERAMAP = 8,
};

// Projects the texture tag onto the polygon object; a new UV tag (the caller frees it), or null
// for the UVW projection, which uses the object's own UV tag.
UVWTag* GenerateUVW(BaseObject* op, const Matrix& opmg, TextureTag* tp, const Matrix& texopmg, BaseDraw* view);

// Finds a texture the way the host does: as given, then beside the document and in its "tex"
// folder. FALSE when it is nowhere.
Bool GenerateTexturePath(const Filename& docpath, const Filename& srcname, const Filename& suggestedpath, Filename* dstname);

// A weak link to a node.
class BaseLink {
 public:
  static BaseLink* Alloc() { return new BaseLink; }
  static void Free(BaseLink*& l) {
    delete l;
    l = nullptr;
  }
  void SetLink(BaseList2D* node) { uid_ = node ? node->GetUniqueId() : 0; }
  BaseList2D* GetLink(const BaseDocument* doc, LONG instanceof = 0) const;

 private:
  uint64_t uid_ = 0;
};

enum { MCOMMAND_MAKEEDITABLE = 230, MODIFY_ALL = 0, MODELINGCOMMANDFLAG_CREATEUNDO = 1 };

struct ModelingCommandData {
  BaseDocument* doc = nullptr;
  BaseObject* op = nullptr;
  BaseContainer* bc = nullptr;
  LONG mode = MODIFY_ALL;
  LONG flags = 0;
  AtomArray* result = nullptr;
  // Host side: owns the result array when the command made one.
  ~ModelingCommandData();
};

// Runs a modelling command. MCOMMAND_MAKEEDITABLE replaces a generator in its document by its
// polygon form (which keeps its name, placement, tags and children).
Bool SendModelingCommand(LONG command, ModelingCommandData& data);
