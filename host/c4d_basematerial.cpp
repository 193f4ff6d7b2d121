#include "c4d_basematerial.h"

#include "c4d_basebitmap.h"
#include "c4d_basedocument.h"
#include "c4d_materialids.h"
#include "c4d_nodedata.h"
#include "host/PluginNodes.h"

namespace {
class PlainShader : public BaseShader {
 public:
  explicit PlainShader(LONG type) : BaseShader(type) {}
};

// A material of another kind than the standard one (a plug-in's): parameters, no channels.
class PlainMaterial : public BaseMaterial {
 public:
  explicit PlainMaterial(LONG type) : BaseMaterial(type) {}
};

struct ChannelIds {
  LONG color, brightness, shader;
};

// Colour, brightness and shader link of each channel, by channel number. The specular
// channel is a highlight without a colour or shader of its own.
const ChannelIds kChannels[CHANNEL_COUNT] = {
    {MATERIAL_COLOR_COLOR, MATERIAL_COLOR_BRIGHTNESS, MATERIAL_COLOR_SHADER},
    {MATERIAL_LUMINANCE_COLOR, MATERIAL_LUMINANCE_BRIGHTNESS, MATERIAL_LUMINANCE_SHADER},
    {MATERIAL_TRANSPARENCY_COLOR, MATERIAL_TRANSPARENCY_BRIGHTNESS, MATERIAL_TRANSPARENCY_SHADER},
    {MATERIAL_REFLECTION_COLOR, MATERIAL_REFLECTION_BRIGHTNESS, MATERIAL_REFLECTION_SHADER},
    {MATERIAL_ENVIRONMENT_COLOR, MATERIAL_ENVIRONMENT_BRIGHTNESS, MATERIAL_ENVIRONMENT_SHADER},
    {MATERIAL_FOG_COLOR, MATERIAL_FOG_BRIGHTNESS, MATERIAL_FOG_SHADER},
    {0, MATERIAL_BUMP_STRENGTH, MATERIAL_BUMP_SHADER},
    {0, 0, MATERIAL_ALPHA_SHADER},
    {0, MATERIAL_SPECULAR_HEIGHT, 0},
    {MATERIAL_SPECULARCOLOR_COLOR, MATERIAL_SPECULARCOLOR_BRIGHTNESS, MATERIAL_SPECULARCOLOR_SHADER},
    {MATERIAL_GLOW_COLOR, MATERIAL_GLOW_BRIGHTNESS, MATERIAL_GLOW_SHADER},
    {0, MATERIAL_DISPLACEMENT_STRENGTH, MATERIAL_DISPLACEMENT_SHADER},
    {0, MATERIAL_DIFFUSION_BRIGHTNESS, MATERIAL_DIFFUSION_SHADER},
    {0, MATERIAL_NORMAL_STRENGTH, MATERIAL_NORMAL_SHADER},
};

bool ValidChannel(LONG channel) { return channel >= 0 && channel < CHANNEL_COUNT; }

// The preview's channel values as 8-bit colour.
LONG ToByte(Real v) { return v <= 0 ? 0 : v >= 1 ? 255 : LONG(v * 255.0f + 0.5f); }

}  // namespace

LONG MaterialColorId(LONG channel) { return ValidChannel(channel) ? kChannels[channel].color : 0; }
LONG MaterialBrightnessId(LONG channel) { return ValidChannel(channel) ? kChannels[channel].brightness : 0; }
LONG MaterialShaderId(LONG channel) { return ValidChannel(channel) ? kChannels[channel].shader : 0; }

BaseShader* BaseShader::Alloc(LONG type) {
  if (const host::PluginRecord* rec = host::PluginRegistry::Get().Find(type))
    return host::AllocPluginNode<BaseShader>(*rec, host::PluginKind::Shader, [type] { return new PlainShader(type); });
  if (type != Xbitmap) return nullptr;
  return new PlainShader(type);
}

// A new standard material has its colour channel (light grey) and its highlight switched on,
// as the host makes them.
Material::Material() : BaseMaterial(Mmaterial) {
  BaseContainer* bc = GetDataInstance();
  bc->SetBool(MATERIAL_USE_COLOR, TRUE);
  bc->SetVector(MATERIAL_COLOR_COLOR, Vector(0.8f, 0.8f, 0.8f));
  bc->SetReal(MATERIAL_COLOR_BRIGHTNESS, 1.0f);
  bc->SetBool(MATERIAL_USE_SPECULAR, TRUE);
  bc->SetReal(MATERIAL_SPECULAR_WIDTH, 0.5f);
  bc->SetReal(MATERIAL_SPECULAR_HEIGHT, 1.0f);
}

BaseMaterial* BaseMaterial::Alloc(LONG type) {
  if (type == Mmaterial) return new Material();
  if (type == Mplugin) return new PlainMaterial(type);
  return nullptr;
}

BaseMaterial::~BaseMaterial() { BaseBitmap::Free(preview_); }

BaseDocument* BaseMaterial::GetDocument() const { return GeListNode::GetDocument(); }

BaseChannel* BaseMaterial::GetChannel(LONG channel) {
  if (GetType() != Mmaterial || !ValidChannel(channel)) return nullptr;
  if (!channels_[channel]) channels_[channel].reset(new BaseChannel(this, channel));
  return channels_[channel].get();
}

Bool BaseMaterial::GetChannelState(LONG channel) const {
  return ValidChannel(channel) && GetDataInstance()->GetBool(MaterialUseId(channel), FALSE);
}

void BaseMaterial::SetChannelState(LONG channel, Bool state) {
  if (ValidChannel(channel)) GetDataInstance()->SetBool(MaterialUseId(channel), state);
}

BaseBitmap* BaseMaterial::GetPreview(LONG) {
  if (preview_) return preview_;
  preview_ = BaseBitmap::Alloc();
  if (!preview_ || preview_->Init(90, 90) != IMAGE_OK) {
    BaseBitmap::Free(preview_);
    return nullptr;
  }
  const BaseContainer* bc = GetDataInstance();
  const Vector c = bc->GetVector(MATERIAL_COLOR_COLOR, Vector(0.8f, 0.8f, 0.8f)) * bc->GetReal(MATERIAL_COLOR_BRIGHTNESS, 1.0f);
  for (LONG y = 0; y < 90; y++)
    for (LONG x = 0; x < 90; x++) preview_->SetPixel(x, y, ToByte(c.x), ToByte(c.y), ToByte(c.z));
  return preview_;
}

LayerObject* BaseMaterial::GetLayerObject(BaseDocument*) const {
  BaseList2D* l = layer_ ? BaseList2D::FindByUniqueId(layer_) : nullptr;
  return l && l->GetType() == Lbase ? static_cast<LayerObject*>(l) : nullptr;
}

void BaseMaterial::SetLayerObject(LayerObject* layer) { layer_ = layer ? layer->GetUniqueId() : 0; }

// ---- channels ----

BaseShader* BaseChannel::GetShader() const {
  const LONG link = MaterialShaderId(channel_);
  if (!link) return nullptr;
  return static_cast<BaseShader*>(material_->GetDataInstance()->GetLink(link, nullptr, Xbase));
}

BaseContainer BaseChannel::GetData() const {
  BaseContainer data;
  const BaseContainer* bc = material_->GetDataInstance();
  if (const LONG color = MaterialColorId(channel_)) data.SetVector(BASECHANNEL_COLOR_EX, bc->GetVector(color, Vector(1, 1, 1)));
  if (const LONG brightness = MaterialBrightnessId(channel_))
    data.SetReal(BASECHANNEL_BRIGHTNESS_EX, bc->GetReal(brightness, 1.0f));
  BaseShader* shader = GetShader();
  const bool bitmap = shader && shader->GetType() == Xbitmap;
  data.SetString(BASECHANNEL_TEXTURE, bitmap ? shader->GetDataInstance()->GetFilename(BITMAPSHADER_FILENAME).GetString() : String());
  return data;
}

void BaseChannel::SetData(const BaseContainer& data) {
  BaseContainer* bc = material_->GetDataInstance();
  const LONG color = MaterialColorId(channel_), brightness = MaterialBrightnessId(channel_);
  if (color && data.GetDataPointer(BASECHANNEL_COLOR_EX)) bc->SetVector(color, data.GetVector(BASECHANNEL_COLOR_EX));
  if (brightness && data.GetDataPointer(BASECHANNEL_BRIGHTNESS_EX))
    bc->SetReal(brightness, data.GetReal(BASECHANNEL_BRIGHTNESS_EX));
  const LONG link = MaterialShaderId(channel_);
  if (!link || !data.GetDataPointer(BASECHANNEL_TEXTURE)) return;
  const String file = data.GetString(BASECHANNEL_TEXTURE);
  BaseShader* shader = GetShader();
  if (shader && (!file.Content() || shader->GetType() != Xbitmap)) {
    bc->SetLink(link, nullptr);
    BaseShader::Free(shader);
  }
  if (!file.Content()) return;
  if (!shader) {
    shader = BaseShader::Alloc(Xbitmap);
    if (!shader) return;
    shader->SetName(Filename(file).GetFileString());
    BaseShader* last = material_->GetFirstShader();
    while (last && last->GetNext()) last = last->GetNext();
    material_->InsertShader(shader, last);
    bc->SetLink(link, shader);
  }
  shader->GetDataInstance()->SetFilename(BITMAPSHADER_FILENAME, Filename(file));
}
