#include "c4d_basecontainer.h"

#include <atomic>

#include "c4d_baselist.h"
#include "c4d_baseobject.h"

GeData::GeData(const BaseContainer& bc) : type_(DA_CONTAINER), bc_(new BaseContainer(bc)) {}

GeData::GeData(const BaseList2D* link) : type_(DA_ALIASLINK), link_(link ? link->GetUniqueId() : 0) {}

GeData::GeData(LONG type, const CustomDataType& data) : type_(type), custom_(data.Clone()) {}

GeData::GeData(const GeData& o) { *this = o; }

GeData& GeData::operator=(const GeData& o) {
  if (this == &o) return *this;
  type_ = o.type_;
  l_ = o.l_;
  ll_ = o.ll_;
  r_ = o.r_;
  v_ = o.v_;
  m_ = o.m_;
  t_ = o.t_;
  s_ = o.s_;
  bc_.reset(o.bc_ ? new BaseContainer(*o.bc_) : nullptr);
  link_ = o.link_;
  custom_ = o.custom_;
  return *this;
}

GeData::~GeData() = default;

// A Real outside the LONG range (or NaN) saturates instead of being undefined.
static LONG RealToLong(Real r) {
  if (!(r == r)) return 0;
  if (r >= 2147483647.0f) return INT32_MAX;
  if (r <= -2147483648.0f) return INT32_MIN;
  return LONG(r);
}

LONG GeData::GetLong() const {
  switch (type_) {
    case DA_LONG: return l_;
    case DA_LLONG: return ll_ > INT32_MAX ? INT32_MAX : ll_ < INT32_MIN ? INT32_MIN : LONG(ll_);
    case DA_REAL: return RealToLong(r_);
    default: return 0;
  }
}

Real GeData::GetReal() const {
  switch (type_) {
    case DA_REAL: return r_;
    case DA_LONG: return Real(l_);
    case DA_LLONG: return Real(ll_);
    default: return 0;
  }
}

LLONG GeData::GetLLong() const {
  switch (type_) {
    case DA_LLONG: return ll_;
    case DA_LONG: return l_;
    case DA_REAL: return r_ == r_ && r_ < 9.2e18f && r_ > -9.2e18f ? LLONG(r_) : 0;
    default: return 0;
  }
}

BaseList2D* GeData::GetLink(const BaseDocument* doc, LONG instanceof) const {
  if (type_ != DA_ALIASLINK || !link_) return nullptr;
  BaseList2D* node = BaseList2D::FindByUniqueId(link_);
  if (!node) return nullptr;
  if (doc && node->GetDocument() != doc) return nullptr;
  if (instanceof && !node->IsInstanceOf(instanceof)) return nullptr;
  return node;
}

bool GeData::operator==(const GeData& o) const {
  if (type_ != o.type_) return false;
  switch (type_) {
    case DA_NIL: return true;
    case DA_LONG: return l_ == o.l_;
    case DA_LLONG: return ll_ == o.ll_;
    case DA_REAL: return r_ == o.r_;
    case DA_VECTOR: return v_ == o.v_;
    case DA_MATRIX: return m_ == o.m_;
    case DA_TIME: return t_ == o.t_;
    case DA_STRING:
    case DA_FILENAME: return s_ == o.s_;
    case DA_CONTAINER: return *bc_ == *o.bc_;
    case DA_ALIASLINK: return link_ == o.link_;
    default: return custom_ && custom_ == o.custom_;
  }
}

BaseContainer* BaseContainer::GetClone(LONG, void*) const { return new BaseContainer(*this); }

void BaseContainer::CopyTo(BaseContainer* dst, LONG, void*) const {
  if (dst) *dst = *this;
}

uint64_t DirtyCount::Next() {
  static std::atomic<uint64_t> sequence{1};
  return sequence.fetch_add(1, std::memory_order_relaxed);
}

Bool BaseContainer::RemoveData(LONG id) {
  for (size_t i = 0; i < values_.size(); i++)
    if (values_[i].first == id) {
      values_.erase(values_.begin() + long(i));
      dirty_.Bump();
      return TRUE;
    }
  return FALSE;
}

Bool BaseContainer::RemoveIndex(LONG index) {
  if (index < 0 || index >= LONG(values_.size())) return FALSE;
  values_.erase(values_.begin() + index);
  dirty_.Bump();
  return TRUE;
}

const GeData* BaseContainer::GetDataPointer(LONG id) const {
  for (const auto& v : values_)
    if (v.first == id) return &v.second;
  return nullptr;
}

const GeData& BaseContainer::GetData(LONG id) const {
  static const GeData empty;
  const GeData* d = GetDataPointer(id);
  return d ? *d : empty;
}

void BaseContainer::SetData(LONG id, const GeData& d) {
  for (auto& v : values_)
    if (v.first == id) {
      // Animation sets every animated value on every frame: only a new value is a change.
      if (v.second.GetType() == d.GetType() && v.second == d) return;
      v.second = d;
      dirty_.Bump();
      return;
    }
  values_.emplace_back(id, d);
  dirty_.Bump();
}

static bool IsNumeric(const GeData* d) {
  return d && (d->GetType() == DA_LONG || d->GetType() == DA_REAL || d->GetType() == DA_LLONG);
}

Bool BaseContainer::GetBool(LONG id, Bool def) const {
  const GeData* d = GetDataPointer(id);
  return IsNumeric(d) ? d->GetBool() : def;
}

LONG BaseContainer::GetLong(LONG id, LONG def) const {
  const GeData* d = GetDataPointer(id);
  return IsNumeric(d) ? d->GetLong() : def;
}

LLONG BaseContainer::GetLLong(LONG id, LLONG def) const {
  const GeData* d = GetDataPointer(id);
  return IsNumeric(d) ? d->GetLLong() : def;
}

Real BaseContainer::GetReal(LONG id, Real def) const {
  const GeData* d = GetDataPointer(id);
  return IsNumeric(d) ? d->GetReal() : def;
}

Vector BaseContainer::GetVector(LONG id, const Vector& def) const {
  const GeData* d = GetDataPointer(id);
  return d && d->GetType() == DA_VECTOR ? d->GetVector() : def;
}

Matrix BaseContainer::GetMatrix(LONG id, const Matrix& def) const {
  const GeData* d = GetDataPointer(id);
  return d && d->GetType() == DA_MATRIX ? d->GetMatrix() : def;
}

BaseTime BaseContainer::GetTime(LONG id, const BaseTime& def) const {
  const GeData* d = GetDataPointer(id);
  return d && d->GetType() == DA_TIME ? d->GetTime() : def;
}

String BaseContainer::GetString(LONG id, const String& def) const {
  const GeData* d = GetDataPointer(id);
  return d && (d->GetType() == DA_STRING || d->GetType() == DA_FILENAME) ? d->GetString() : def;
}

Filename BaseContainer::GetFilename(LONG id, const Filename& def) const {
  const GeData* d = GetDataPointer(id);
  return d && (d->GetType() == DA_FILENAME || d->GetType() == DA_STRING) ? d->GetFilename() : def;
}

BaseContainer BaseContainer::GetContainer(LONG id) const {
  const GeData* d = GetDataPointer(id);
  return d && d->GetContainer() ? *d->GetContainer() : BaseContainer();
}

// The caller may change the inner container through the pointer: that counts as a change.
BaseContainer* BaseContainer::GetContainerInstance(LONG id) {
  for (auto& v : values_)
    if (v.first == id && v.second.GetContainer()) {
      dirty_.Bump();
      return v.second.GetContainer();
    }
  return nullptr;
}

const BaseContainer* BaseContainer::GetContainerInstance(LONG id) const {
  const GeData* d = GetDataPointer(id);
  return d ? d->GetContainer() : nullptr;
}

BaseList2D* BaseContainer::GetLink(LONG id, const BaseDocument* doc, LONG instanceof) const {
  const GeData* d = GetDataPointer(id);
  return d ? d->GetLink(doc, instanceof) : nullptr;
}

BaseObject* BaseContainer::GetObjectLink(LONG id, const BaseDocument* doc) const {
  BaseList2D* l = GetLink(id, doc);
  return l && l->GetClassification() == Obase ? static_cast<BaseObject*>(l) : nullptr;
}
