#include "c4d_baseobject.h"

#include <algorithm>
#include <new>

#include "c4d_basedocument.h"
#include "c4d_basetag.h"
#include "c4d_nodedata.h"
#include "host/BuiltinTypes.h"
#include "host/PluginNodes.h"
#include "ObjectCopy.h"

BaseObject::BaseObject(LONG type) : BaseList2D(type, Obase), tags_(nullptr, this) {}

BaseObject::~BaseObject() {
  FreeNodeData();
  tags_.FlushAll();
  if (cache_) {
    BaseObject* c = cache_;
    cache_ = nullptr;
    delete c;
  }
}

BaseObject* BaseObject::Alloc(LONG type) {
  if (type == Opolygon) return new PolygonObject();
  if (const host::PluginRecord* rec = host::PluginRegistry::Get().Find(type)) {
    // A new plug-in object is named as its plug-in registered it.
    BaseObject* op = host::AllocPluginNode<BaseObject>(*rec, host::PluginKind::Object, [type] { return new BaseObject(type); });
    if (op) op->SetName(rec->name);
    return op;
  }
  if (!host::IsBuiltinObjectType(type)) return nullptr;
  BaseObject* op = new BaseObject(type);
  host::InitBuiltinObject(op);
  return op;
}

Matrix BaseObject::GetMl() const {
  Matrix m = HPBToMatrix(rot_);
  m.v1 *= scale_.x;
  m.v2 *= scale_.y;
  m.v3 *= scale_.z;
  m.off = pos_;
  return m;
}

void BaseObject::SetMl(const Matrix& m) {
  SetPos(m.off);
  SetScale(Vector(Len(m.v1), Len(m.v2), Len(m.v3)));
  SetRot(MatrixToHPB(m));
}

Matrix BaseObject::GetUpMg() const {
  if (BaseObject* up = GetUp()) return up->GetMg();
  if (cacheParent_) return cacheParent_->GetMg();
  return Matrix();
}

Matrix BaseObject::GetMg() const { return GetUpMg() * GetMl(); }

void BaseObject::SetMg(const Matrix& m) { SetMl(!GetUpMg() * m); }

BaseTag* BaseObject::GetFirstTag() const { return static_cast<BaseTag*>(tags_.GetFirst()); }

BaseTag* BaseObject::GetTag(LONG type, LONG nr) const {
  for (BaseTag* t = GetFirstTag(); t; t = t->GetNext())
    if (t->GetType() == type && nr-- == 0) return t;
  return nullptr;
}

void BaseObject::InsertTag(BaseTag* tp, BaseTag* pred) {
  if (!tp) return;
  // Tags go first unless a predecessor is given, as in the host.
  tags_.Insert(tp, pred);
}

BaseTag* BaseObject::MakeTag(LONG type, BaseTag* pred) {
  BaseTag* t = BaseTag::Alloc(type);
  if (!t) return nullptr;
  if (!pred) {
    // MakeTag appends after the last tag.
    GeListNode* last = tags_.GetLast();
    tags_.Insert(t, last);
  } else {
    InsertTag(t, pred);
  }
  return t;
}

void BaseObject::KillTag(LONG type, LONG nr) {
  BaseTag* t = GetTag(type, nr);
  if (t) BaseTag::Free(t);
}

LayerObject* BaseObject::GetLayerObject(BaseDocument*) const {
  BaseList2D* l = layer_ ? BaseList2D::FindByUniqueId(layer_) : nullptr;
  return l && l->GetType() == Lbase ? static_cast<LayerObject*>(l) : nullptr;
}

void BaseObject::SetLayerObject(LayerObject* layer) { layer_ = layer ? layer->GetUniqueId() : 0; }

const LayerData* BaseObject::GetLayerData(BaseDocument* doc) const {
  LayerObject* l = GetLayerObject(doc);
  return l ? &l->GetLayerData() : nullptr;
}

BaseObject* BaseObject::GetCacheParent() const { return cacheParent_; }

void BaseObject::SetCache(BaseObject* cache) {
  if (cache_ == cache) return;
  delete cache_;
  cache_ = cache;
  // Every object of the cache tree knows the generator.
  struct Mark {
    static void Run(BaseObject* op, BaseObject* parent) {
      for (; op; op = op->GetNext()) {
        op->cacheParent_ = parent;
        Run(op->GetDown(), parent);
      }
    }
  };
  if (cache_) {
    cache_->Remove();
    Mark::Run(cache_, this);
  }
}

BaseDocument* BaseObject::GetDocument() const {
  if (cacheParent_) return cacheParent_->GetDocument();
  return GeListNode::GetDocument();
}

// ---- bounding boxes ----

namespace {

struct Bounds {
  Vector lo, hi;
  bool empty = true;
  void Add(const Vector& p) {
    if (empty) {
      lo = hi = p;
      empty = false;
      return;
    }
    lo = Vector(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
    hi = Vector(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
  }
  // The eight corners of a box given as centre and half size, placed by m.
  void AddBox(const Vector& mp, const Vector& rad, const Matrix& m) {
    for (int i = 0; i < 8; i++)
      Add(m * (mp + Vector(i & 1 ? rad.x : -rad.x, i & 2 ? rad.y : -rad.y, i & 4 ? rad.z : -rad.z)));
  }
  void Get(Vector* mp, Vector* rad) const {
    *mp = empty ? Vector() : (lo + hi) * 0.5f;
    *rad = empty ? Vector() : (hi - lo) * 0.5f;
  }
};

void OwnBox(const BaseObject* op, Vector* mp, Vector* rad);

// The objects of a cache with their children, each placed by its matrix below the generator.
void AddTree(const BaseObject* op, const Matrix& parent, Bounds& b) {
  for (; op; op = op->GetNext()) {
    const Matrix m = parent * op->GetMl();
    Vector mp, rad;
    OwnBox(op, &mp, &rad);
    if (op->GetType() == Opolygon ? static_cast<const PolygonObject*>(op)->GetPointCount() > 0 : rad != Vector())
      b.AddBox(mp, rad, m);
    AddTree(op->GetDown(), m, b);
  }
}

void PointsBox(const PolygonObject* poly, Vector* mp, Vector* rad) {
  Bounds b;
  const Vector* p = poly->GetPointR();
  for (LONG i = 0; i < poly->GetPointCount(); i++) b.Add(p[i]);
  b.Get(mp, rad);
}

void CacheBox(const BaseObject* op, Vector* mp, Vector* rad) {
  Bounds b;
  AddTree(op->GetCache(), Matrix(), b);
  b.Get(mp, rad);
}

void OwnBox(const BaseObject* op, Vector* mp, Vector* rad) {
  *mp = *rad = Vector();
  if (op->GetType() == Opolygon) {
    PointsBox(static_cast<const PolygonObject*>(op), mp, rad);
  } else if (ObjectData* data = dynamic_cast<ObjectData*>(op->GetNodeData())) {
    data->GetDimension(const_cast<BaseObject*>(op), mp, rad);
  } else if (op->GetCache()) {
    CacheBox(op, mp, rad);
  } else if (PolygonObject* form = host::BuildPrimitive(op)) {
    PointsBox(form, mp, rad);
    PolygonObject::Free(form);
  }
}

}  // namespace

void ObjectData::GetDimension(PluginObject* op, Vector* mp, Vector* rad) { CacheBox(op, mp, rad); }

Vector BaseObject::GetMp() const {
  Vector mp, rad;
  OwnBox(this, &mp, &rad);
  return mp;
}

Vector BaseObject::GetRad() const {
  Vector mp, rad;
  OwnBox(this, &mp, &rad);
  return rad;
}

static void ClearBits(BaseObject* op) {
  for (; op; op = op->GetNext()) {
    op->SetAllBits(0);
    ClearBits(op->GetDown());
  }
}

BaseObject* BaseObject::GetClone(LONG flags, AliasTrans*) const {
  BaseObject* copy = host::CloneObject(this);
  if (copy && (flags & COPYFLAGS_NO_BITS)) ClearBits(copy);
  return copy;
}

PolygonObject* PolygonObject::Alloc(LONG pcnt, LONG vcnt) {
  PolygonObject* op = new PolygonObject();
  if (!op->ResizeObject(std::max<LONG>(pcnt, 0), std::max<LONG>(vcnt, 0))) PolygonObject::Free(op);
  return op;
}

// Memory that cannot be had is a FALSE result, never an exception through the plug-in.
Bool PolygonObject::ResizeObject(LONG pcnt, LONG vcnt) {
  if (pcnt < 0 || vcnt < 0) return FALSE;
  SetDirty(DIRTY_DATA);
  try {
    points_.resize(size_t(pcnt));
    polygons_.resize(size_t(vcnt));
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}
