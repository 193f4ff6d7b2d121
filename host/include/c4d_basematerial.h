// Materials and shaders.
#pragma once
#include "c4d_baselist.h"

enum { Mmaterial = 5703, Mplugin = 5705 };
enum { Xbitmap = 5833 };

class BaseShader : public BaseList2D {
 public:
  static BaseShader* Alloc(LONG type);
  static void Free(BaseShader*& sh) {
    delete sh;
    sh = nullptr;
  }
  BaseShader* GetNext() const { return static_cast<BaseShader*>(GeListNode::GetNext()); }

 protected:
  explicit BaseShader(LONG type) : BaseList2D(type, Xbase) {}
};

class BaseMaterial : public BaseList2D {
 public:
  static BaseMaterial* Alloc(LONG type);
  static void Free(BaseMaterial*& mat) {
    delete mat;
    mat = nullptr;
  }
  BaseMaterial* GetNext() const { return static_cast<BaseMaterial*>(GeListNode::GetNext()); }
  BaseMaterial* GetPred() const { return static_cast<BaseMaterial*>(GeListNode::GetPred()); }
  // Shaders owned by the material (the channels link them by id).
  BaseShader* GetFirstShader() const { return static_cast<BaseShader*>(shaders_.GetFirst()); }
  void InsertShader(BaseShader* shader, BaseShader* pred = nullptr) { shaders_.Insert(shader, pred); }
  BaseDocument* GetDocument() const override;

 protected:
  explicit BaseMaterial(LONG type) : BaseList2D(type, Mbase), shaders_(nullptr, this) {}

 private:
  GeListHead shaders_;
};

class Material : public BaseMaterial {
 public:
  static Material* Alloc() { return static_cast<Material*>(BaseMaterial::Alloc(Mmaterial)); }

 private:
  friend class BaseMaterial;
  Material() : BaseMaterial(Mmaterial) {}
};
