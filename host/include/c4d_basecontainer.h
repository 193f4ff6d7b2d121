// Parameter values (GeData) and parameter containers (BaseContainer) of the host.
#pragma once
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>
#include "c4d_file.h"
#include "c4d_time.h"

class BaseList2D;
class BaseObject;

// What GetDirty reports a change of.
enum {
  DIRTY_MATRIX = 2,  // an object's placement
  DIRTY_DATA = 4,    // parameters, name, points, polygons, a tag's data
};

// A change counter. Every change takes a new value from one host-wide sequence, so a value
// is never handed out twice: two equal readings of one node mean it did not change in
// between. A copy counts as a change of the copy.
class DirtyCount {
 public:
  DirtyCount() : value_(Next()) {}
  DirtyCount(const DirtyCount&) : value_(Next()) {}
  DirtyCount& operator=(const DirtyCount&) {
    value_ = Next();
    return *this;
  }
  void Bump() { value_ = Next(); }
  uint64_t Get() const { return value_; }

 private:
  static uint64_t Next();
  uint64_t value_;
};
class BaseDocument;
class BaseContainer;

// A value of a registered custom data type (a bitmap button's value, ...). GeData keeps its
// own copy.
class CustomDataType {
 public:
  virtual ~CustomDataType() = default;
  virtual CustomDataType* Clone() const = 0;
};

enum {
  DA_NIL = 0,
  DA_LONG = 15,
  DA_REAL = 19,
  DA_TIME = 22,
  DA_VECTOR = 23,
  DA_MATRIX = 25,
  DA_LLONG = 26,
  DA_STRING = 130,
  DA_FILENAME = 131,
  DA_CONTAINER = 132,
  DA_ALIASLINK = 133,
};

// One value of any parameter type. Bool values are stored as LONG, as the host does.
// A link holds the identity of its target node, not a pointer, so a link never dangles:
// it resolves to nothing once the target is gone.
class GeData {
 public:
  GeData() = default;
  GeData(LONG v) : type_(DA_LONG), l_(v) {}
  GeData(int64_t v) : type_(DA_LLONG), ll_(v) {}
  GeData(Real v) : type_(DA_REAL), r_(v) {}
  GeData(double v) : type_(DA_REAL), r_(Real(v)) {}
  GeData(const Vector& v) : type_(DA_VECTOR), v_(v) {}
  GeData(const Matrix& m) : type_(DA_MATRIX), m_(m) {}
  GeData(const BaseTime& t) : type_(DA_TIME), t_(t) {}
  GeData(const String& s) : type_(DA_STRING), s_(s) {}
  GeData(const char* s) : type_(DA_STRING), s_(s) {}
  GeData(const Filename& f) : type_(DA_FILENAME), s_(f.GetString()) {}
  GeData(const BaseContainer& bc);
  GeData(const BaseList2D* link);
  // A custom data type's value; type is the data type's registered id.
  GeData(LONG type, const CustomDataType& data);
  GeData(const GeData& o);
  GeData& operator=(const GeData& o);
  ~GeData();

  LONG GetType() const { return type_; }
  // Numeric values convert between LONG and Real (a Real read as LONG is truncated);
  // any other mismatch gives the type's empty value.
  LONG GetLong() const;
  Real GetReal() const;
  Bool GetBool() const { return GetLong() != 0; }
  LLONG GetLLong() const;
  Vector GetVector() const { return type_ == DA_VECTOR ? v_ : Vector(); }
  Matrix GetMatrix() const { return type_ == DA_MATRIX ? m_ : Matrix(); }
  BaseTime GetTime() const { return type_ == DA_TIME ? t_ : BaseTime(); }
  String GetString() const { return type_ == DA_STRING || type_ == DA_FILENAME ? s_ : String(); }
  Filename GetFilename() const { return type_ == DA_FILENAME || type_ == DA_STRING ? Filename(s_) : Filename(); }
  BaseContainer* GetContainer() const { return type_ == DA_CONTAINER ? bc_.get() : nullptr; }
  // The linked node when it still exists and, when doc is given, belongs to doc.
  BaseList2D* GetLink(const BaseDocument* doc = nullptr, LONG instanceof = 0) const;
  uint64_t GetLinkId() const { return type_ == DA_ALIASLINK ? link_ : 0; }
  // The custom data type's value when the data holds that type, else null.
  const CustomDataType* GetCustomDataType(LONG type) const { return type_ == type ? custom_.get() : nullptr; }

  bool operator==(const GeData& o) const;
  bool operator!=(const GeData& o) const { return !(*this == o); }

 private:
  LONG type_ = DA_NIL;
  LONG l_ = 0;
  int64_t ll_ = 0;
  Real r_ = 0;
  Vector v_;
  Matrix m_;
  BaseTime t_;
  String s_;
  std::unique_ptr<BaseContainer> bc_;
  uint64_t link_ = 0;
  std::shared_ptr<const CustomDataType> custom_;
};

// An ordered list of (id, value) pairs; the container's own id tells what it is.
// Reading an absent id returns the default given by the reader.
class BaseContainer {
 public:
  explicit BaseContainer(LONG id = 0) : id_(id) {}
  BaseContainer(const BaseContainer&) = default;
  BaseContainer& operator=(const BaseContainer&) = default;

  LONG GetId() const { return id_; }
  void SetId(LONG id) {
    if (id != id_) dirty_.Bump();
    id_ = id;
  }
  // Changes whenever an entry is set to another value, added or removed; setting an entry
  // to the value it holds is no change.
  LONG GetDirty() const { return LONG(dirty_.Get()); }
  uint64_t GetDirtyCount() const { return dirty_.Get(); }
  BaseContainer* GetClone(LONG flags = 0, void* trans = nullptr) const;
  void CopyTo(BaseContainer* dst, LONG flags = 0, void* trans = nullptr) const;
  void FlushAll() {
    if (!values_.empty()) dirty_.Bump();
    values_.clear();
  }
  Bool RemoveData(LONG id);
  Bool RemoveIndex(LONG index);

  const GeData* GetDataPointer(LONG id) const;
  const GeData& GetData(LONG id) const;
  void SetData(LONG id, const GeData& d);
  // Iteration over entries: index from 0; NOTOK past the end.
  LONG GetIndexId(LONG index) const { return index >= 0 && index < LONG(values_.size()) ? values_[index].first : NOTOK; }
  const GeData* GetIndexData(LONG index) const { return index >= 0 && index < LONG(values_.size()) ? &values_[index].second : nullptr; }
  LONG GetCount() const { return LONG(values_.size()); }

  Bool GetBool(LONG id, Bool def = FALSE) const;
  LONG GetLong(LONG id, LONG def = 0) const;
  LLONG GetLLong(LONG id, LLONG def = 0) const;
  Real GetReal(LONG id, Real def = 0) const;
  Vector GetVector(LONG id, const Vector& def = Vector()) const;
  Matrix GetMatrix(LONG id, const Matrix& def = Matrix()) const;
  BaseTime GetTime(LONG id, const BaseTime& def = BaseTime()) const;
  String GetString(LONG id, const String& def = String()) const;
  Filename GetFilename(LONG id, const Filename& def = Filename()) const;
  BaseContainer GetContainer(LONG id) const;
  BaseContainer* GetContainerInstance(LONG id);
  const BaseContainer* GetContainerInstance(LONG id) const;
  BaseList2D* GetLink(LONG id, const BaseDocument* doc, LONG instanceof = 0) const;
  BaseObject* GetObjectLink(LONG id, const BaseDocument* doc) const;

  void SetBool(LONG id, Bool b) { SetData(id, GeData(LONG(b ? 1 : 0))); }
  void SetLong(LONG id, LONG l) { SetData(id, GeData(l)); }
  void SetLLong(LONG id, LLONG l) { SetData(id, GeData(int64_t(l))); }
  void SetReal(LONG id, Real r) { SetData(id, GeData(r)); }
  void SetVector(LONG id, const Vector& v) { SetData(id, GeData(v)); }
  void SetMatrix(LONG id, const Matrix& m) { SetData(id, GeData(m)); }
  void SetTime(LONG id, const BaseTime& t) { SetData(id, GeData(t)); }
  void SetString(LONG id, const String& s) { SetData(id, GeData(s)); }
  void SetFilename(LONG id, const Filename& f) { SetData(id, GeData(f)); }
  void SetContainer(LONG id, const BaseContainer& bc) { SetData(id, GeData(bc)); }
  void SetLink(LONG id, const BaseList2D* link) { SetData(id, GeData(link)); }

  bool operator==(const BaseContainer& o) const { return id_ == o.id_ && values_ == o.values_; }
  bool operator!=(const BaseContainer& o) const { return !(*this == o); }

 private:
  LONG id_;
  std::vector<std::pair<LONG, GeData>> values_;
  DirtyCount dirty_;
};
