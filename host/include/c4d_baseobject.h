// Objects of the host's scene tree.
#pragma once
#include <vector>
#include "c4d_baselist.h"

class BaseTag;
class LayerObject;
struct LayerData;

// Built-in object types.
enum {
  Opolygon = 5100,
  Ospline = 5101,
  Olight = 5102,
  Ocamera = 5103,
  Onull = 5140,
  Ocube = 5159,
  Osphere = 5160,
  Oplatonic = 5161,
  Ocone = 5162,
  Otorus = 5163,
  Odisc = 5164,
  Otube = 5165,
  Opyramid = 5167,
  Oplane = 5168,
  Ofigure = 5169,
  Ocylinder = 5170,
  Oinstance = 5126,
};

enum { MODE_ON = 0, MODE_OFF = 1, MODE_UNDEF = 2 };

// An object a generator takes as its input: the host neither draws nor renders it itself.
enum { BIT_CONTROLOBJECT = 0x200 };

// Flags of GetClone.
enum {
  COPYFLAGS_NO_BITS = 16,        // the copy starts with no bits (not selected, not a control object)
  COPYFLAGS_NO_ANIMATION = 256,  // the copy gets no animation tracks
};

class AliasTrans;

class BaseObject : public BaseList2D {
 public:
  // A new object of a built-in or registered plug-in type; null for an unknown type.
  static BaseObject* Alloc(LONG type);
  static void Free(BaseObject*& op) {
    delete op;
    op = nullptr;
  }
  ~BaseObject() override;

  BaseObject* GetNext() const { return static_cast<BaseObject*>(GeListNode::GetNext()); }
  BaseObject* GetPred() const { return static_cast<BaseObject*>(GeListNode::GetPred()); }
  BaseObject* GetUp() const { return static_cast<BaseObject*>(GeListNode::GetUp()); }
  BaseObject* GetDown() const { return static_cast<BaseObject*>(GeListNode::GetDown()); }
  BaseObject* GetDownLast() const { return static_cast<BaseObject*>(GeListNode::GetDownLast()); }

  // Local placement: position, rotation (heading, pitch, bank in radians) and scale.
  Vector GetPos() const { return pos_; }
  Vector GetRot() const { return rot_; }
  Vector GetScale() const { return scale_; }
  // Each records a change (DIRTY_MATRIX) only when the value is new.
  void SetPos(const Vector& v) { Place(pos_, v); }
  void SetRot(const Vector& v) { Place(rot_, v); }
  void SetScale(const Vector& v) { Place(scale_, v); }
  Matrix GetMl() const;
  void SetMl(const Matrix& m);
  // Global matrix: the parents' matrices (or the generator's, for a cache object) times Ml.
  Matrix GetMg() const;
  void SetMg(const Matrix& m);
  Matrix GetUpMg() const;

  LONG GetRenderMode() const { return renderMode_; }
  void SetRenderMode(LONG mode) { Change(renderMode_, mode); }
  LONG GetEditorMode() const { return editorMode_; }
  void SetEditorMode(LONG mode) { Change(editorMode_, mode); }
  // Whether the object (a generator, deformer, light...) is switched on.
  Bool GetDeformMode() const { return enabled_; }
  void SetDeformMode(Bool mode) { Change(enabled_, mode); }

  BaseTag* GetFirstTag() const;
  BaseTag* GetTag(LONG type, LONG nr = 0) const;
  void InsertTag(BaseTag* tp, BaseTag* pred = nullptr);
  BaseTag* MakeTag(LONG type, BaseTag* pred = nullptr);
  void KillTag(LONG type, LONG nr = 0);
  GeListHead* GetTagRoot() { return &tags_; }

  LayerObject* GetLayerObject(BaseDocument* doc) const;
  void SetLayerObject(LayerObject* layer);
  // The layer's flags, or null when the object is on no layer.
  const LayerData* GetLayerData(BaseDocument* doc) const;

  // Generator caches: what a generator (a primitive, a plug-in object) built for display
  // and rendering. Objects inside a cache know their generator as cache parent.
  BaseObject* GetCache() const { return cache_; }
  BaseObject* GetDeformCache() const { return nullptr; }
  BaseObject* GetCacheParent() const;
  // Host side: replaces the cache (the object owns it from then on).
  void SetCache(BaseObject* cache);

  BaseDocument* GetDocument() const override;

  // The object's own bounding box (its points, a primitive's form or a generator's answer),
  // as centre and half size in the object's space; zero for an object without geometry.
  Vector GetMp() const;
  Vector GetRad() const;

  // A copy with the name, placement, modes, container, points and polygons, tags and
  // children; not the cache, tracks or layer. Null when the type can no longer be made.
  BaseObject* GetClone(LONG flags, AliasTrans* trans) const;

 protected:
  BaseObject(LONG type);

 private:
  void Place(Vector& field, const Vector& v) {
    if (field == v) return;
    field = v;
    SetDirty(DIRTY_MATRIX);
  }
  void Change(LONG& field, LONG value) {
    if (field == value) return;
    field = value;
    SetDirty(DIRTY_DATA);
  }
  Vector pos_, rot_, scale_{1, 1, 1};
  LONG renderMode_ = MODE_UNDEF, editorMode_ = MODE_UNDEF;
  Bool enabled_ = TRUE;
  GeListHead tags_;
  uint64_t layer_ = 0;
  BaseObject* cache_ = nullptr;
  BaseObject* cacheParent_ = nullptr;
};

struct CPolygon {
  LONG a = 0, b = 0, c = 0, d = 0;
  CPolygon() = default;
  CPolygon(LONG a_, LONG b_, LONG c_) : a(a_), b(b_), c(c_), d(c_) {}
  CPolygon(LONG a_, LONG b_, LONG c_, LONG d_) : a(a_), b(b_), c(c_), d(d_) {}
  bool operator==(const CPolygon& o) const { return a == o.a && b == o.b && c == o.c && d == o.d; }
};

// An editable polygon mesh: points and polygons; a triangle has c == d.
class PolygonObject : public BaseObject {
 public:
  static PolygonObject* Alloc(LONG pcnt, LONG vcnt);
  static void Free(PolygonObject*& op) {
    delete op;
    op = nullptr;
  }
  LONG GetPointCount() const { return LONG(points_.size()); }
  LONG GetPolygonCount() const { return LONG(polygons_.size()); }
  const Vector* GetPointR() const { return points_.data(); }
  const CPolygon* GetPolygonR() const { return polygons_.data(); }
  // Writing access: the points or polygons count as changed (DIRTY_DATA).
  Vector* GetPointW() {
    SetDirty(DIRTY_DATA);
    return points_.data();
  }
  CPolygon* GetPolygonW() {
    SetDirty(DIRTY_DATA);
    return polygons_.data();
  }
  Bool ResizeObject(LONG pcnt, LONG vcnt);
  // Per-corner Phong normals (four per polygon); free with GeFree. Null without a Phong tag.
  Vector* CreatePhongNormals() const;

 private:
  friend class BaseObject;
  PolygonObject() : BaseObject(Opolygon) {}
  std::vector<Vector> points_;
  std::vector<CPolygon> polygons_;
};
typedef PolygonObject* PolygonObjectPtr;

// Releases memory the host handed out (Phong normals).
void GeFree(void* p);
