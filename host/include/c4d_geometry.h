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
  // Writing access: the selection counts as changed (DIRTY_DATA).
  BaseSelect* GetBaseSelect() {
    SetDirty(DIRTY_DATA);
    return &select_;
  }
  const BaseSelect* GetBaseSelect() const { return &select_; }

 private:
  friend class BaseTag;
  explicit SelectionTag(LONG type) : BaseTag(type) {}
  BaseSelect select_;
};

// Phong tag parameters.
enum { PHONGTAG_PHONG_ANGLELIMIT = 1000, PHONGTAG_PHONG_ANGLE = 1001 };

// Motion blur tag parameter: how much of the exposure the blur spans (1 = all of it).
enum { MOTIONBLURTAG_STRENGTH = 1000 };

// Parameters of the primitive objects. Lengths are host units, counts are segments.
enum {
  PRIM_CUBE_LEN = 1100,   // vector: edge lengths along x, y, z
  PRIM_CUBE_SUBX = 1102,  // segments along each edge direction
  PRIM_CUBE_SUBY = 1103,
  PRIM_CUBE_SUBZ = 1104,

  PRIM_SPHERE_RAD = 1110,
  PRIM_SPHERE_SUB = 1111,   // segments around the equator
  PRIM_SPHERE_TYPE = 1112,  // PRIM_SPHERE_TYPE_STANDARD or PRIM_SPHERE_TYPE_HEMISPHERE

  PRIM_DISC_IRAD = 1160,
  PRIM_DISC_ORAD = 1161,
  PRIM_DISC_SUB = 1162,   // rings between the inner and the outer radius
  PRIM_DISC_CSUB = 1163,  // segments around

  PRIM_PLANE_WIDTH = 1230,   // along the plane's first axis
  PRIM_PLANE_HEIGHT = 1231,  // along its second axis
  PRIM_PLANE_SUBW = 1232,
  PRIM_PLANE_SUBH = 1233,

  PRIM_AXIS = 1300,  // the main axis (a plane's or disc's normal, a cylinder's axis)

  PRIM_CYLINDER_RADIUS = 5000,
  PRIM_CYLINDER_HEIGHT = 5005,
  PRIM_CYLINDER_HSUB = 5006,  // segments along the height
  PRIM_CYLINDER_SEG = 5008,   // segments around
};

// Values of PRIM_AXIS.
enum { PRIM_AXIS_XP = 0, PRIM_AXIS_XN = 1, PRIM_AXIS_YP = 2, PRIM_AXIS_YN = 3, PRIM_AXIS_ZP = 4, PRIM_AXIS_ZN = 5 };

// Values of PRIM_SPHERE_TYPE. Any other value builds a standard sphere.
enum { PRIM_SPHERE_TYPE_STANDARD = 0, PRIM_SPHERE_TYPE_HEMISPHERE = 5 };

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
// Host side details: the command fills `result` with the new object (freeing any array that
// was there). When `doc` holds `op`, the old object is freed, `op` is set to the new one and
// links to the old object (BaseLink and parameter links) lead to the new one; otherwise `op`
// is left as it is and the caller owns the object in `result`. A polygon object is already
// editable: it comes back unchanged. FALSE for other commands and for objects that have no
// polygon form.
Bool SendModelingCommand(LONG command, ModelingCommandData& data);
