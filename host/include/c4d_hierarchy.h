// A walk over every object of a document with its global matrix.
#pragma once
#include "c4d_baseobject.h"

class BaseThread;

// Run visits objects depth first, children after their parent, carrying each branch's data
// (made by Alloc, filled from the parent's by CopyTo, released by Free) and the global
// matrix. The objects a generator built (its cache) are visited after the generator, as its
// children.
class Hierarchy {
 public:
  virtual ~Hierarchy() = default;
  virtual void* Alloc() = 0;
  virtual void Free(void* data) = 0;
  virtual void CopyTo(void* src, void* dst) = 0;
  virtual Bool Do(void* data, BaseObject* op, const Matrix& mg, Bool controlobject) = 0;
  Bool Run(BaseDocument* doc, Bool spline, Real lod, LONG flags, void* startdata, BaseThread* bt);

 private:
  void Walk(BaseObject* op, const Matrix& parentMg, void* parentData);
  BaseDocument* doc_ = nullptr;
  BaseThread* thread_ = nullptr;
};
