// The node family of the host: atoms, list nodes, named nodes with parameter containers.
#pragma once
#include <vector>
#include "c4d_basecontainer.h"

class NodeData;
class GeListHead;
class CTrack;

// Node classifications (what kind of list a node lives in).
enum {
  Obase = 5155,
  Tbase = 5612 - 1,
  Mbase = 5702,
  Xbase = 5707,
  VPbase = 5709,
  Rbase = 110304,
  Lbase = 100004801,
};

// A parameter address. The stand-in host uses the first level only.
class DescID {
 public:
  DescID() = default;
  DescID(LONG id) : id_(id) {}
  LONG operator[](LONG) const { return id_; }
  LONG GetDepth() const { return id_ ? 1 : 0; }
  bool operator==(const DescID& o) const { return id_ == o.id_; }

 private:
  LONG id_ = 0;
};

class C4DAtom {
 public:
  virtual ~C4DAtom() = default;
  LONG GetType() const { return type_; }
  LONG GetClassification() const { return classification_; }
  Bool IsInstanceOf(LONG id) const { return id == type_ || id == classification_; }
  virtual Bool GetParameter(const DescID& id, GeData& t_data, LONG flags = 0);
  virtual Bool SetParameter(const DescID& id, const GeData& t_data, LONG flags = 0);

 protected:
  C4DAtom(LONG type, LONG classification) : type_(type), classification_(classification) {}
  LONG type_;
  LONG classification_;
};

class GeListNode : public C4DAtom {
 public:
  ~GeListNode() override;
  GeListNode* GetNext() const { return next_; }
  GeListNode* GetPred() const { return prev_; }
  GeListNode* GetUp() const { return up_; }
  GeListNode* GetDown() const { return down_; }
  GeListNode* GetDownLast() const;
  void InsertBefore(GeListNode* bl);
  void InsertAfter(GeListNode* bl);
  void InsertUnder(GeListNode* bl);
  void InsertUnderLast(GeListNode* bl);
  void Remove();
  // The head list that holds this node's topmost ancestor, if any.
  GeListHead* GetListHead() const;
  virtual BaseDocument* GetDocument() const;
  NodeData* GetNodeData() const { return nodeData_; }
  // Hands a message to the node's plug-in data; TRUE for a node without any.
  Bool Message(LONG type, void* data = nullptr);
  // Host side: attaches a plug-in's node data, owned by the node from then on.
  void SetNodeData(NodeData* data) { nodeData_ = data; }

 protected:
  using C4DAtom::C4DAtom;
  void FreeChildren();
  void FreeNodeData();

 private:
  friend class GeListHead;
  GeListNode *next_ = nullptr, *prev_ = nullptr, *up_ = nullptr, *down_ = nullptr;
  GeListHead* head_ = nullptr;  // set on top-level nodes of a head list
  NodeData* nodeData_ = nullptr;
};

// A list of top-level nodes owned by a document (objects, materials, render data...) or by a
// node (tags of an object, video posts of a render data).
class GeListHead {
 public:
  explicit GeListHead(BaseDocument* doc = nullptr, GeListNode* owner = nullptr) : doc_(doc), owner_(owner) {}
  ~GeListHead();
  GeListNode* GetFirst() const { return first_; }
  GeListNode* GetLast() const;
  void InsertFirst(GeListNode* bn);
  void InsertLast(GeListNode* bn);
  // Inserts after pred, or first when pred is null.
  void Insert(GeListNode* bn, GeListNode* pred);
  void FlushAll();
  BaseDocument* GetDocument() const;
  GeListNode* GetOwner() const { return owner_; }

 private:
  friend class GeListNode;
  GeListNode* first_ = nullptr;
  BaseDocument* doc_;
  GeListNode* owner_;
};

enum {
  BIT_ACTIVE = 1 << 1,
  BIT_AOBJ = 1 << 1,
  BIT_VPDISABLED = 4,
  BIT_ENABLEPAINT = 1 << 4,
};

// A named node with its parameter container and animation tracks.
class BaseList2D : public GeListNode {
 public:
  ~BaseList2D() override;
  String GetName() const { return name_; }
  void SetName(const String& name) {
    if (name == name_) return;
    name_ = name;
    dataDirty_.Bump();
  }
  // A count that changes on every change of what the flags name (DIRTY_DATA: parameters,
  // name and the node's own data such as points or UVs; DIRTY_MATRIX: an object's
  // placement), whether made by a plug-in, the user or animation. Equal readings mean no
  // change in between.
  LONG GetDirty(LONG flags) const { return LONG(GetDirtyCount(flags)); }
  // The same without being cut to 32 bits.
  uint64_t GetDirtyCount(LONG flags) const;
  // Records a change of what the flags name.
  void SetDirty(LONG flags);
  BaseContainer* GetDataInstance() { return &data_; }
  const BaseContainer* GetDataInstance() const { return &data_; }
  BaseContainer GetData() const { return data_; }
  void SetData(const BaseContainer& bc, Bool add = TRUE);
  Bool GetBit(LONG mask) const { return (bits_ & mask) != 0; }
  void SetBit(LONG mask) { bits_ |= mask; }
  void DelBit(LONG mask) { bits_ &= ~mask; }
  void ToggleBit(LONG mask) { bits_ ^= mask; }
  LONG GetAllBits() const { return bits_; }
  void SetAllBits(LONG bits) { bits_ = bits; }
  // Animation tracks; the first one, or null.
  CTrack* GetFirstCTrack() const;
  GeListHead* GetCTrackRoot() { return &tracks_; }
  // Identity of the node for links: never reused while the host runs.
  uint64_t GetUniqueId() const { return uid_; }
  static BaseList2D* FindByUniqueId(uint64_t uid);

  Bool GetParameter(const DescID& id, GeData& t_data, LONG flags = 0) override;
  Bool SetParameter(const DescID& id, const GeData& t_data, LONG flags = 0) override;

 protected:
  BaseList2D(LONG type, LONG classification);

 private:
  String name_;
  BaseContainer data_;
  DirtyCount dataDirty_, matrixDirty_;
  LONG bits_ = 0;
  uint64_t uid_;
  GeListHead tracks_;
};

// A growable array of atoms, not owning them.
class AtomArray {
 public:
  static AtomArray* Alloc() { return new AtomArray; }
  static void Free(AtomArray*& a) {
    delete a;
    a = nullptr;
  }
  LONG GetCount() const { return LONG(atoms_.size()); }
  C4DAtom* GetIndex(LONG i) const { return i >= 0 && i < GetCount() ? atoms_[i] : nullptr; }
  Bool Append(C4DAtom* a) {
    atoms_.push_back(a);
    return TRUE;
  }
  LONG Find(C4DAtom* a) const;
  void Flush() { atoms_.clear(); }

 private:
  std::vector<C4DAtom*> atoms_;
};
