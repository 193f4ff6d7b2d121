// Animation tracks: one parameter of a node, keyed over time.
#pragma once
#include <vector>
#include "c4d_baselist.h"

enum { CTbase = 5350 };

// Which value a track animates: the object's position, rotation or scale vector, one
// component of it (0, 1, 2), or a Real parameter of the node's container.
enum {
  CTRACK_POSITION = 903,
  CTRACK_ROTATION = 904,
  CTRACK_SCALE = 905,
  CTRACK_PARAMETER = 0,
};

struct CKey {
  BaseTime time;
  Real value = 0;
};

class CTrack : public BaseList2D {
 public:
  // target: CTRACK_POSITION, CTRACK_ROTATION, CTRACK_SCALE (with a component) or a
  // parameter id of the node.
  static CTrack* Alloc(BaseList2D* node, LONG target, LONG component = 0);
  static void Free(CTrack*& t) {
    delete t;
    t = nullptr;
  }
  CTrack* GetNext() const { return static_cast<CTrack*>(GeListNode::GetNext()); }
  LONG GetTarget() const { return target_; }
  LONG GetComponent() const { return component_; }
  // Keys are kept sorted by time.
  void AddKey(const BaseTime& t, Real value);
  const std::vector<CKey>& GetKeys() const { return keys_; }
  LONG GetKeyCount() const { return LONG(keys_.size()); }
  // Linear interpolation between keys, constant before the first and after the last.
  Real GetValue(const BaseTime& t) const;

 private:
  CTrack(LONG target, LONG component) : BaseList2D(CTbase, CTbase), target_(target), component_(component) {}
  LONG target_;
  LONG component_;
  std::vector<CKey> keys_;
};
