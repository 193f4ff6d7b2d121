// Documents: the object tree, materials, layers, render settings, time and views.
#pragma once
#include <memory>
#include <vector>
#include "c4d_baseobject.h"
#include "c4d_basetag.h"
#include "c4d_basematerial.h"

class BaseDraw;
class BaseThread;

class BaseVideoPost : public BaseList2D {
 public:
  static BaseVideoPost* Alloc(LONG type);
  static void Free(BaseVideoPost*& vp) {
    delete vp;
    vp = nullptr;
  }
  BaseVideoPost* GetNext() const { return static_cast<BaseVideoPost*>(GeListNode::GetNext()); }
  BaseVideoPost* GetPred() const { return static_cast<BaseVideoPost*>(GeListNode::GetPred()); }

 private:
  explicit BaseVideoPost(LONG type) : BaseList2D(type, VPbase) {}
};

// Render data parameters.
enum { RDATA_XRES = 5008, RDATA_YRES = 5009, RDATA_FRAMERATE = 5005 };

class RenderData : public BaseList2D {
 public:
  static RenderData* Alloc();
  static void Free(RenderData*& rd) {
    delete rd;
    rd = nullptr;
  }
  RenderData* GetNext() const { return static_cast<RenderData*>(GeListNode::GetNext()); }
  BaseVideoPost* GetFirstVideoPost() const { return static_cast<BaseVideoPost*>(videoPosts_.GetFirst()); }
  void InsertVideoPost(BaseVideoPost* pvp, BaseVideoPost* pred = nullptr) { videoPosts_.Insert(pvp, pred); }
  void InsertVideoPostLast(BaseVideoPost* pvp) { videoPosts_.InsertLast(pvp); }

 private:
  RenderData() : BaseList2D(Rbase, Rbase), videoPosts_(nullptr, this) {}
  GeListHead videoPosts_;
};

struct LayerData {
  Bool solo = FALSE, view = TRUE, render = TRUE, manager = TRUE, locked = FALSE;
  Bool generators = TRUE, deformers = TRUE, expressions = TRUE, animation = TRUE;
  Vector color{0.5f, 0.5f, 0.5f};
};

class LayerObject : public BaseList2D {
 public:
  static LayerObject* Alloc();
  static void Free(LayerObject*& l) {
    delete l;
    l = nullptr;
  }
  LayerObject* GetNext() const { return static_cast<LayerObject*>(GeListNode::GetNext()); }
  const LayerData& GetLayerData() const { return data_; }
  void SetLayerData(const LayerData& d) { data_ = d; }

 private:
  LayerObject() : BaseList2D(Lbase, Lbase) {}
  LayerData data_;
};

// Flags of AnimateObject / AnimateDocument.
enum { ANIMATE_NO_PARENTS = 8 };

class BaseDocument : public BaseList2D {
 public:
  static BaseDocument* Alloc();
  static void Free(BaseDocument*& doc) {
    delete doc;
    doc = nullptr;
  }
  ~BaseDocument() override;

  BaseObject* GetFirstObject() const { return static_cast<BaseObject*>(objects_.GetFirst()); }
  // Inserts under parent (or at the top level) after pred (or first).
  void InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred, Bool checknames = FALSE);
  // The first object with that name, depth first.
  BaseObject* SearchObject(const String& name) const;
  BaseObject* GetActiveObject() const;
  void SetActiveObject(BaseObject* op, LONG mode = 0);
  void GetActiveObjects(AtomArray& selection, Bool children) const;

  BaseMaterial* GetFirstMaterial() const { return static_cast<BaseMaterial*>(materials_.GetFirst()); }
  void InsertMaterial(BaseMaterial* mat, BaseMaterial* pred = nullptr, Bool checknames = FALSE);
  BaseMaterial* SearchMaterial(const String& name) const;
  BaseMaterial* GetActiveMaterial() const;
  void SetActiveMaterial(BaseMaterial* mat, LONG mode = 0);

  RenderData* GetFirstRenderData() const { return static_cast<RenderData*>(renderData_.GetFirst()); }
  RenderData* GetActiveRenderData() const;
  void InsertRenderData(RenderData* rd, RenderData* pred = nullptr);
  void SetActiveRenderData(RenderData* rd);

  LayerObject* GetFirstLayer() const { return static_cast<LayerObject*>(layers_.GetFirst()); }
  GeListHead* GetLayerObjectRoot() { return &layers_; }

  BaseTime GetTime() const { return time_; }
  void SetTime(const BaseTime& t) { time_ = t; }
  LONG GetFps() const { return fps_; }
  void SetFps(LONG fps) { fps_ = fps; }
  BaseTime GetMinTime() const { return minTime_; }
  BaseTime GetMaxTime() const { return maxTime_; }
  void SetMinTime(const BaseTime& t) { minTime_ = t; }
  void SetMaxTime(const BaseTime& t) { maxTime_ = t; }

  // The view the document renders through, and the active editor view (the same one here).
  BaseDraw* GetRenderBaseDraw() const { return view_.get(); }
  BaseDraw* GetActiveBaseDraw() const { return view_.get(); }

  Filename GetDocumentPath() const { return path_.GetDirectory(); }
  Filename GetDocumentName() const { return path_.GetFile(); }
  void SetDocumentName(const Filename& fn) { path_ = fn; }

  // Undo recording: the host keeps the steps of each undo group.
  Bool StartUndo();
  Bool AddUndo(LONG type, void* data);
  Bool EndUndo();
  struct UndoStep {
    LONG type;
    void* data;
  };
  const std::vector<std::vector<UndoStep>>& GetUndoGroups() const { return undo_; }

  // Evaluates the document at its current time: animation tracks set the objects' values,
  // generators rebuild their caches. Without a render camera, the first evaluation frames the
  // render view's editor camera on every object the view shows.
  Bool ExecutePasses(BaseThread* bt, Bool animation, Bool expressions, Bool caches);
  // Sets one object (and, without ANIMATE_NO_PARENTS, its parents) to the given time.
  void AnimateObject(BaseList2D* op, const BaseTime& time, LONG flags);

  BaseDocument* GetDocument() const override { return const_cast<BaseDocument*>(this); }

 private:
  BaseDocument();
  GeListHead objects_, materials_, renderData_, layers_;
  uint64_t activeObject_ = 0, activeMaterial_ = 0, activeRenderData_ = 0;
  BaseTime time_, minTime_, maxTime_{90, 30};
  LONG fps_ = 30;
  Filename path_;
  std::unique_ptr<BaseDraw> view_;
  std::vector<std::vector<UndoStep>> undo_;
  bool inUndo_ = false;
};

enum { UNDO_NEW = 1, UNDO_CHANGE = 2, UNDO_DELETE = 3 };

// Evaluates a document: animation, then generator caches. AnimateDocument(null, ...) works on
// the active document, as the host's own does.
void AnimateDocument(BaseDocument* doc, Bool animation, Bool expressions);
// Host side: makes a document the active one (the document commands work on).
void SetActiveDocument(BaseDocument* doc);
