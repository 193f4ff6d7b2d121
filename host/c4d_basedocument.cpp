#include "c4d_basedocument.h"

#include "c4d_basedraw.h"
#include "c4d_nodedata.h"
#include "host/EditorCamera.h"
#include "host/Evaluation.h"
#include "host/PluginNodes.h"

BaseVideoPost* BaseVideoPost::Alloc(LONG type) {
  const host::PluginRecord* rec = host::PluginRegistry::Get().Find(type);
  if (!rec) return nullptr;
  return host::AllocPluginNode<BaseVideoPost>(*rec, host::PluginKind::VideoPost, [type] { return new BaseVideoPost(type); });
}

RenderData* RenderData::Alloc() {
  RenderData* rd = new RenderData();
  rd->SetName("My Render Setting");
  rd->GetDataInstance()->SetLong(RDATA_XRES, 800);
  rd->GetDataInstance()->SetLong(RDATA_YRES, 600);
  rd->GetDataInstance()->SetReal(RDATA_FRAMERATE, 30.0f);
  return rd;
}

LayerObject* LayerObject::Alloc() { return new LayerObject(); }

BaseDocument::BaseDocument()
    : BaseList2D(110059, 110059),
      objects_(this),
      materials_(this),
      renderData_(this),
      layers_(this),
      view_(new BaseDraw(this)) {}

BaseDocument::~BaseDocument() {
  // Objects first: their links into materials and layers resolve to nothing afterwards.
  objects_.FlushAll();
  materials_.FlushAll();
  renderData_.FlushAll();
  layers_.FlushAll();
}

BaseDocument* BaseDocument::Alloc() {
  BaseDocument* doc = new BaseDocument();
  RenderData* rd = RenderData::Alloc();
  doc->InsertRenderData(rd);
  doc->SetActiveRenderData(rd);
  return doc;
}

void BaseDocument::InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred, Bool) {
  if (!op) return;
  if (pred) op->InsertAfter(pred);
  else if (parent) op->InsertUnder(parent);
  else objects_.InsertFirst(op);
}

static BaseObject* SearchTree(BaseObject* op, const String& name) {
  for (; op; op = op->GetNext()) {
    if (op->GetName() == name) return op;
    if (BaseObject* found = SearchTree(op->GetDown(), name)) return found;
  }
  return nullptr;
}

BaseObject* BaseDocument::SearchObject(const String& name) const { return SearchTree(GetFirstObject(), name); }

BaseObject* BaseDocument::GetActiveObject() const {
  BaseList2D* l = BaseList2D::FindByUniqueId(activeObject_);
  return l && l->GetClassification() == Obase && l->GetDocument() == this ? static_cast<BaseObject*>(l) : nullptr;
}

void BaseDocument::SetActiveObject(BaseObject* op, LONG) { activeObject_ = op ? op->GetUniqueId() : 0; }

static void CollectActive(BaseObject* op, AtomArray& out, Bool children, bool parentActive) {
  for (; op; op = op->GetNext()) {
    bool active = op->GetBit(BIT_ACTIVE) != 0;
    if (active && !(parentActive && !children)) out.Append(op);
    CollectActive(op->GetDown(), out, children, active || parentActive);
  }
}

void BaseDocument::GetActiveObjects(AtomArray& selection, Bool children) const {
  selection.Flush();
  CollectActive(GetFirstObject(), selection, children, false);
  BaseObject* active = GetActiveObject();
  if (active && selection.Find(active) == NOTOK) selection.Append(active);
}

void BaseDocument::InsertMaterial(BaseMaterial* mat, BaseMaterial* pred, Bool) {
  if (mat) materials_.Insert(mat, pred);
}

BaseMaterial* BaseDocument::SearchMaterial(const String& name) const {
  for (BaseMaterial* m = GetFirstMaterial(); m; m = m->GetNext())
    if (m->GetName() == name) return m;
  return nullptr;
}

BaseMaterial* BaseDocument::GetActiveMaterial() const {
  BaseList2D* l = BaseList2D::FindByUniqueId(activeMaterial_);
  return l && l->GetClassification() == Mbase ? static_cast<BaseMaterial*>(l) : nullptr;
}

void BaseDocument::SetActiveMaterial(BaseMaterial* mat, LONG) { activeMaterial_ = mat ? mat->GetUniqueId() : 0; }

RenderData* BaseDocument::GetActiveRenderData() const {
  BaseList2D* l = BaseList2D::FindByUniqueId(activeRenderData_);
  if (l && l->GetType() == Rbase && l->GetDocument() == this) return static_cast<RenderData*>(l);
  return GetFirstRenderData();
}

void BaseDocument::InsertRenderData(RenderData* rd, RenderData* pred) {
  if (rd) renderData_.Insert(rd, pred);
}

void BaseDocument::SetActiveRenderData(RenderData* rd) { activeRenderData_ = rd ? rd->GetUniqueId() : 0; }

Bool BaseDocument::StartUndo() {
  undo_.emplace_back();
  inUndo_ = true;
  return TRUE;
}

Bool BaseDocument::AddUndo(LONG type, void* data) {
  if (!inUndo_) return FALSE;
  undo_.back().push_back(UndoStep{type, data});
  return TRUE;
}

Bool BaseDocument::EndUndo() {
  bool was = inUndo_;
  inUndo_ = false;
  return was;
}

Bool BaseDocument::ExecutePasses(BaseThread*, Bool animation, Bool, Bool caches) {
  if (animation) host::AnimateTree(GetFirstObject(), time_);
  if (caches) host::BuildCaches(this);
  // A document without a render camera is seen through the editor camera, framed on what the
  // view shows the first time the document is evaluated; it stays there for later frames.
  if (view_->UsesEditorCamera() && !view_->IsEditorCameraPlaced()) host::FrameEditorCamera(this);
  return TRUE;
}

void BaseDocument::AnimateObject(BaseList2D* op, const BaseTime& time, LONG flags) {
  if (!op) return;
  if (!(flags & ANIMATE_NO_PARENTS) && op->GetClassification() == Obase) {
    for (BaseObject* up = static_cast<BaseObject*>(op)->GetUp(); up; up = up->GetUp()) host::AnimateNode(up, time);
  }
  host::AnimateNode(op, time);
}

static BaseDocument* g_activeDocument = nullptr;

void SetActiveDocument(BaseDocument* doc) { g_activeDocument = doc; }
BaseDocument* GetActiveDocument() { return g_activeDocument; }

void AnimateDocument(BaseDocument* doc, Bool animation, Bool expressions) {
  if (!doc) doc = GetActiveDocument();
  if (doc) doc->ExecutePasses(nullptr, animation, expressions, TRUE);
}
