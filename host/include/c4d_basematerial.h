// Materials and shaders.
#pragma once
#include <memory>
#include "c4d_baselist.h"

class BaseBitmap;
class BaseMaterial;
class LayerObject;

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

// One channel of a standard material, as the material's own parameters show it: the colour
// and brightness, and the file of the bitmap shader linked into the channel.
class BaseChannel {
 public:
  BaseChannel(BaseMaterial* material, LONG channel) : material_(material), channel_(channel) {}
  // BASECHANNEL_COLOR_EX, BASECHANNEL_BRIGHTNESS_EX (for channels with a colour) and
  // BASECHANNEL_TEXTURE ("" when the channel holds no bitmap shader).
  BaseContainer GetData() const;
  // Writes the given entries back. A texture file puts a bitmap shader of that file into the
  // channel (the channel's bitmap shader takes the new file; another shader is replaced); an
  // empty one takes the channel's shader out.
  void SetData(const BaseContainer& data);
  // The shader linked into the channel, or null.
  BaseShader* GetShader() const;

 private:
  BaseMaterial* material_;
  LONG channel_;
};

class BaseMaterial : public BaseList2D {
 public:
  static BaseMaterial* Alloc(LONG type);
  static void Free(BaseMaterial*& mat) {
    delete mat;
    mat = nullptr;
  }
  ~BaseMaterial() override;
  BaseMaterial* GetNext() const { return static_cast<BaseMaterial*>(GeListNode::GetNext()); }
  BaseMaterial* GetPred() const { return static_cast<BaseMaterial*>(GeListNode::GetPred()); }
  // Shaders owned by the material (the channels link them by id).
  BaseShader* GetFirstShader() const { return static_cast<BaseShader*>(shaders_.GetFirst()); }
  void InsertShader(BaseShader* shader, BaseShader* pred = nullptr) { shaders_.Insert(shader, pred); }
  BaseDocument* GetDocument() const override;

  // A channel of a standard material (CHANNEL_...), owned by the material; null for a
  // material of another type or a channel it does not have.
  BaseChannel* GetChannel(LONG channel);
  Bool GetChannelState(LONG channel) const;
  void SetChannelState(LONG channel, Bool state);
  // The picture the material manager shows for the material, owned by the material; made at
  // the first request, filled with the material's colour.
  BaseBitmap* GetPreview(LONG flags = 0);
  // Recalculates the material after its parameters changed (the stand-in host keeps nothing
  // that needs it).
  void Update(Bool /*preview*/ = TRUE, Bool /*rttm*/ = TRUE) {}
  LayerObject* GetLayerObject(BaseDocument* doc) const;
  void SetLayerObject(LayerObject* layer);

 protected:
  explicit BaseMaterial(LONG type) : BaseList2D(type, Mbase), shaders_(nullptr, this) {}

 private:
  GeListHead shaders_;
  std::unique_ptr<BaseChannel> channels_[14];
  BaseBitmap* preview_ = nullptr;
  uint64_t layer_ = 0;
};

class Material : public BaseMaterial {
 public:
  static Material* Alloc() { return static_cast<Material*>(BaseMaterial::Alloc(Mmaterial)); }

 private:
  friend class BaseMaterial;
  Material();
};
