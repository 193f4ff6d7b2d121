#include "c4d_baselist.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>

#include "c4d_nodedata.h"
#include "c4d_track.h"

Bool C4DAtom::GetParameter(const DescID&, GeData&, LONG) { return FALSE; }
Bool C4DAtom::SetParameter(const DescID&, const GeData&, LONG) { return FALSE; }

GeListNode::~GeListNode() {
  FreeNodeData();
  FreeChildren();
  Remove();
}

void GeListNode::FreeNodeData() {
  if (!nodeData_) return;
  NodeData* data = nodeData_;
  nodeData_ = nullptr;
  data->Free(this);
  delete data;
}

void GeListNode::FreeChildren() {
  while (down_) delete down_;
}

GeListNode* GeListNode::GetDownLast() const {
  GeListNode* n = down_;
  while (n && n->next_) n = n->next_;
  return n;
}

void GeListNode::Remove() {
  if (prev_) prev_->next_ = next_;
  if (next_) next_->prev_ = prev_;
  if (up_ && up_->down_ == this) up_->down_ = next_;
  if (head_ && head_->first_ == this) head_->first_ = next_;
  next_ = prev_ = up_ = nullptr;
  head_ = nullptr;
}

void GeListNode::InsertBefore(GeListNode* bl) {
  if (!bl || bl == this) return;
  Remove();
  next_ = bl;
  prev_ = bl->prev_;
  up_ = bl->up_;
  head_ = bl->head_;
  if (prev_) prev_->next_ = this;
  bl->prev_ = this;
  if (up_ && up_->down_ == bl) up_->down_ = this;
  if (head_ && head_->first_ == bl) head_->first_ = this;
}

void GeListNode::InsertAfter(GeListNode* bl) {
  if (!bl || bl == this) return;
  Remove();
  prev_ = bl;
  next_ = bl->next_;
  up_ = bl->up_;
  head_ = bl->head_;
  if (next_) next_->prev_ = this;
  bl->next_ = this;
}

void GeListNode::InsertUnder(GeListNode* bl) {
  if (!bl || bl == this) return;
  Remove();
  up_ = bl;
  next_ = bl->down_;
  if (next_) next_->prev_ = this;
  bl->down_ = this;
}

void GeListNode::InsertUnderLast(GeListNode* bl) {
  if (!bl || bl == this) return;
  GeListNode* last = bl->GetDownLast();
  if (last) InsertAfter(last);
  else InsertUnder(bl);
}

GeListHead* GeListNode::GetListHead() const {
  const GeListNode* n = this;
  while (n->up_) n = n->up_;
  while (n->prev_) n = n->prev_;
  return n->head_;
}

BaseDocument* GeListNode::GetDocument() const {
  GeListHead* head = GetListHead();
  return head ? head->GetDocument() : nullptr;
}

GeListHead::~GeListHead() { FlushAll(); }

GeListNode* GeListHead::GetLast() const {
  GeListNode* n = first_;
  while (n && n->next_) n = n->next_;
  return n;
}

void GeListHead::InsertFirst(GeListNode* bn) {
  if (!bn) return;
  if (first_) {
    bn->InsertBefore(first_);
    return;
  }
  bn->Remove();
  bn->head_ = this;
  first_ = bn;
}

void GeListHead::InsertLast(GeListNode* bn) {
  GeListNode* last = GetLast();
  if (last) bn->InsertAfter(last);
  else InsertFirst(bn);
}

void GeListHead::Insert(GeListNode* bn, GeListNode* pred) {
  if (pred) bn->InsertAfter(pred);
  else InsertFirst(bn);
}

void GeListHead::FlushAll() {
  while (first_) delete first_;
}

BaseDocument* GeListHead::GetDocument() const {
  if (doc_) return doc_;
  return owner_ ? owner_->GetDocument() : nullptr;
}

static std::unordered_map<uint64_t, BaseList2D*>& NodeRegistry() {
  static std::unordered_map<uint64_t, BaseList2D*> registry;
  return registry;
}

// Plug-ins may make and free nodes of their own (temporary UV tags) on threads of their own.
static std::mutex& NodeRegistryLock() {
  static std::mutex lock;
  return lock;
}

BaseList2D::BaseList2D(LONG type, LONG classification)
    : GeListNode(type, classification), data_(type), tracks_(nullptr, this) {
  static uint64_t next = 1;
  std::lock_guard<std::mutex> hold(NodeRegistryLock());
  uid_ = next++;
  NodeRegistry()[uid_] = this;
}

BaseList2D::~BaseList2D() {
  // The plug-in's Free still sees the node's container and links.
  FreeNodeData();
  tracks_.FlushAll();
  std::lock_guard<std::mutex> hold(NodeRegistryLock());
  NodeRegistry().erase(uid_);
}

BaseList2D* BaseList2D::FindByUniqueId(uint64_t uid) {
  std::lock_guard<std::mutex> hold(NodeRegistryLock());
  auto it = NodeRegistry().find(uid);
  return it == NodeRegistry().end() ? nullptr : it->second;
}

void BaseList2D::SetData(const BaseContainer& bc, Bool add) {
  if (!add) data_.FlushAll();
  for (LONG i = 0; i < bc.GetCount(); i++) data_.SetData(bc.GetIndexId(i), *bc.GetIndexData(i));
}

uint64_t BaseList2D::GetDirtyCount(LONG flags) const {
  uint64_t count = 0;
  if (flags & DIRTY_DATA) count = std::max({count, dataDirty_.Get(), data_.GetDirtyCount()});
  if (flags & DIRTY_MATRIX) count = std::max(count, matrixDirty_.Get());
  return count;
}

void BaseList2D::SetDirty(LONG flags) {
  if (flags & DIRTY_DATA) dataDirty_.Bump();
  if (flags & DIRTY_MATRIX) matrixDirty_.Bump();
}

CTrack* BaseList2D::GetFirstCTrack() const { return static_cast<CTrack*>(tracks_.GetFirst()); }

Bool GeListNode::Message(LONG type, void* data) {
  // MSG_UPDATE is how a plug-in says it changed a node's data (points, say) in place.
  if (type == MSG_UPDATE)
    if (BaseList2D* node = dynamic_cast<BaseList2D*>(this)) node->SetDirty(DIRTY_DATA);
  return nodeData_ ? nodeData_->Message(this, type, data) : TRUE;
}

// The node's plug-in data may answer for a parameter itself; otherwise the container does.
Bool BaseList2D::GetParameter(const DescID& id, GeData& t_data, LONG) {
  LONG handled = 0;
  if (NodeData* data = GetNodeData()) {
    if (!data->GetDParameter(this, id, t_data, handled)) return FALSE;
    if (handled & DESCFLAGS_PARAM_GET) return TRUE;
  }
  const GeData* d = data_.GetDataPointer(id[0]);
  if (!d) return FALSE;
  t_data = *d;
  return TRUE;
}

Bool BaseList2D::SetParameter(const DescID& id, const GeData& t_data, LONG) {
  LONG handled = 0;
  if (NodeData* data = GetNodeData()) {
    if (!data->SetDParameter(this, id, t_data, handled)) return FALSE;
    if (handled & DESCFLAGS_PARAM_SET) return TRUE;
  }
  data_.SetData(id[0], t_data);
  return TRUE;
}

LONG AtomArray::Find(C4DAtom* a) const {
  for (size_t i = 0; i < atoms_.size(); i++)
    if (atoms_[i] == a) return LONG(i);
  return NOTOK;
}
