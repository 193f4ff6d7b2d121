#include "MaterialLibrary.h"

#include <algorithm>
#include <filesystem>

#include "Spectra.h"
#include "kyrano_utils/KyranoSceneParseUtils.h"
#include "kyrano_utils/KyranoXmlFile.h"

namespace renderer::render {

namespace fs = std::filesystem;
using namespace Kyrano;

namespace {

std::string ChildText(const TiXmlElement& parent, const char* name) {
  const TiXmlElement* child = parent.FirstChildElement(name);
  const char* text = child ? child->GetText() : nullptr;
  return text ? text : "";
}

std::string ResolvePath(const std::string& path, const std::string& folder) {
  return fs::path(path).is_absolute() ? path : (fs::path(folder) / path).string();
}

// The colour of a measured metal by the name of its n, k file: what the drawing shows in
// place of the measured data.
Rgb MetalColour(const std::string& nkFile) {
  const std::string stem = fs::path(nkFile).stem().string();
  static const std::map<std::string, Rgb> metals = {
      {"Al", Rgb(0.91f, 0.92f, 0.92f)}, {"Ag", Rgb(0.97f, 0.96f, 0.91f)}, {"Au", Rgb(1.0f, 0.78f, 0.34f)},
      {"Cu", Rgb(0.95f, 0.64f, 0.54f)}, {"Cr", Rgb(0.55f, 0.56f, 0.55f)}, {"Fe", Rgb(0.56f, 0.57f, 0.58f)},
      {"Ni", Rgb(0.66f, 0.61f, 0.53f)}, {"Ti", Rgb(0.54f, 0.50f, 0.45f)}, {"Pt", Rgb(0.67f, 0.64f, 0.59f)}};
  const auto found = metals.find(stem);
  return found == metals.end() ? Rgb(0.8f) : found->second;
}

}  // namespace

void MaterialLibrary::Collect(const TiXmlElement& root, const std::string& folder) {
  for (const TiXmlElement* child = root.FirstChildElement(); child; child = child->NextSiblingElement()) {
    before_[child] = definitions_.size();
    const std::string& kind = child->ValueStr();
    if (kind == "material") {
      definitions_.push_back(Definition{ChildText(*child, "name"), child, folder});
    } else if (kind == "medium") {
      ReadMedium(*child);
    } else if (kind == "include") {
      const std::string path = ResolvePath(ChildText(*child, "pathname"), folder);
      std::error_code ec;
      const std::string key = fs::weakly_canonical(path, ec).string();
      if (std::find(includedPaths_.begin(), includedPaths_.end(), key) != includedPaths_.end()) continue;
      includedPaths_.push_back(key);
      auto doc = std::make_unique<TiXmlDocument>();
      std::string failure;
      if (!loadXmlFile(path, *doc, failure)) continue;  // the checks have reported it
      if (const TiXmlElement* included = doc->RootElement()) Collect(*included, fs::path(path).parent_path().string());
      includedFiles_.push_back(std::move(doc));
    }
  }
}

std::size_t MaterialLibrary::DefinitionsBefore(const TiXmlElement& element) const {
  const auto found = before_.find(&element);
  return found == before_.end() ? definitions_.size() : found->second;
}

void MaterialLibrary::ReadMedium(const TiXmlElement& element) {
  Medium medium;
  if (const TiXmlElement* basic = element.FirstChildElement("basic")) {
    try {
      medium.ior = float(KyranoSceneParseUtils::parseDoubleWithDefault(*basic, "ior", 1.5));
      if (const TiXmlElement* absorption = basic->FirstChildElement("absorption_coefficient_spectrum"))
        medium.absorption = SpectrumToRgb(*KyranoSceneParseUtils::parseSpectrum(*absorption));
    } catch (const std::exception&) {
      // A medium the checks let through but that does not read: clear glass.
    }
    if (basic->FirstChildElement("subsurface_scattering")) scene_.notDrawn.insert("subsurface scattering in media");
  } else {
    scene_.notDrawn.insert("dermis and epidermis media (drawn as clear media of index 1.4)");
    medium.ior = 1.4f;
  }
  media_[ChildText(element, "name")] = medium;
}

// The glass kinds take their index and absorption from the medium inside them; without one
// they are clear glass of index 1.5.
void MaterialLibrary::ApplyMedium(Material& m, const std::string& name) const {
  const auto medium = media_.find(name);
  if (medium == media_.end()) return;
  m.ior = medium->second.ior;
  m.absorption = medium->second.absorption;
}

Reference<KyranoMaterial> MaterialLibrary::Parse(const TiXmlElement& material) {
  try {
    return KyranoSceneParseUtils::parseMaterial(material);
  } catch (const std::exception& e) {
    error = e.what();
    return Reference<KyranoMaterial>();
  }
}

int MaterialLibrary::Resolve(const std::string& name, std::size_t limit) {
  limit = std::min(limit, definitions_.size());
  for (std::size_t i = limit; i-- > 0;)
    if (definitions_[i].name == name) return Convert(i);
  for (std::size_t i = definitions_.size(); i-- > limit;)
    if (definitions_[i].name == name) return Convert(i);
  return -1;
}

int MaterialLibrary::Convert(std::size_t index) {
  Definition& def = definitions_[index];
  if (def.converted == -3) return -1;  // a blend that reaches itself
  if (def.converted >= -1) return def.converted;
  def.converted = -3;
  const Reference<KyranoMaterial> model = Parse(*def.element);
  if (!model.getPointer()) return def.converted = -1;
  Material m;
  m.name = def.name;
  Fill(m, *model, def.folder, index);
  scene_.materials.push_back(m);
  return def.converted = int(scene_.materials.size() - 1);
}

int MaterialLibrary::TextureIndex(const KyranoTexture& texture, const std::string& folder) {
  if (texture.uv_set != "default") scene_.notDrawn.insert("UV sets other than 'default' (drawn with 'default')");
  if (texture.tex_coord_generation.getPointer() &&
      !dynamic_cast<const KyranoUVTexCoordGenerator*>(texture.tex_coord_generation.getPointer()))
    scene_.notDrawn.insert("spherical texture coordinates on surfaces (drawn with the mesh's UVs)");
  std::string failure;
  const auto image = images_.Load(ResolvePath(texture.path, folder), failure);
  if (!image) {
    error = failure;
    return -1;
  }
  TextureCurve curve;
  curve.exponent = float(texture.exponent);
  curve.a = float(texture.a);
  curve.b = float(texture.b);
  curve.c = float(texture.c);
  scene_.textures.emplace_back(image, curve);
  return int(scene_.textures.size() - 1);
}

ColourInput MaterialLibrary::Colour(const Reference<KyranoWavelengthDependentParam>& param, const KyranoMaterial& model,
                                    const std::string& folder, const Rgb& fallback) {
  ColourInput input;
  input.constant = fallback;
  const KyranoWavelengthDependentParam* p = param.getPointer();
  if (const auto* constant = dynamic_cast<const KyranoConstantWavelengthDependentParam*>(p)) {
    if (constant->spectrum.getPointer()) input.constant = SpectrumToRgb(*constant->spectrum);
  } else if (const auto* texture = dynamic_cast<const KyranoTextureWavelengthDependentParam*>(p)) {
    input.constant = Rgb(1.0f);
    input.texture = TextureIndex(model.textures[std::size_t(texture->texture_index)], folder);
  } else if (dynamic_cast<const KyranoShaderWavelengthDependentParam*>(p)) {
    scene_.notDrawn.insert("ISL shaders (drawn as their material's fallback colour)");
  }
  return input;
}

ScalarInput MaterialLibrary::Scalar(const Reference<KyranoWavelengthIndependentParam>& param,
                                    const KyranoMaterial& model, const std::string& folder, float fallback) {
  ScalarInput input;
  input.constant = fallback;
  const KyranoWavelengthIndependentParam* p = param.getPointer();
  if (const auto* constant = dynamic_cast<const KyranoConstantWavelengthIndependentParam*>(p)) {
    input.constant = float(constant->value);
  } else if (const auto* texture = dynamic_cast<const KyranoTextureWavelengthIndependentParam*>(p)) {
    input.texture = TextureIndex(model.textures[std::size_t(texture->texture_index)], folder);
  } else if (dynamic_cast<const KyranoShaderWavelengthIndependentParam*>(p)) {
    scene_.notDrawn.insert("ISL shaders (drawn as their material's fallback colour)");
  }
  return input;
}

void MaterialLibrary::Fill(Material& m, const KyranoMaterial& model, const std::string& folder, std::size_t index) {
  // The parts every emitting kind shares.
  auto common = [&](const auto& k) {
    if (k.base_emission.getPointer() || k.emission.getPointer()) {
      m.emission = Colour(k.base_emission, model, folder, Rgb(0.0f));
      if (k.emission.getPointer()) {
        const ColourInput map = Colour(k.emission, model, folder, Rgb(1.0f));
        if (map.texture >= 0) m.emission.texture = map.texture;
        else if (!k.base_emission.getPointer()) m.emission.constant = map.constant;
        else m.emission.constant *= map.constant;
      }
      m.emits = !IsBlack(m.emission.constant);
    }
    m.layer = k.layer;
    if (k.bump.getPointer()) scene_.notDrawn.insert("bump maps");
    if (k.displacement.getPointer()) scene_.notDrawn.insert("displacement");
  };
  if (const auto* k = dynamic_cast<const KyranoDiffuse*>(&model)) {
    m.kind = MaterialKind::Diffuse;
    m.albedo = Colour(k->albedo, model, folder, Rgb(0.8f));
    if (k->random_triangle_colours) scene_.notDrawn.insert("random triangle colours (drawn with the albedo)");
    common(*k);
  } else if (const auto* k = dynamic_cast<const KyranoOrenNayarMaterial*>(&model)) {
    m.kind = MaterialKind::OrenNayar;
    m.albedo = Colour(k->albedo, model, folder, Rgb(0.8f));
    m.sigma = Scalar(k->sigma, model, folder, 0.3f).constant;
    common(*k);
  } else if (const auto* k = dynamic_cast<const KyranoDiffuseTransmitter*>(&model)) {
    m.kind = MaterialKind::DiffuseTransmitter;
    m.albedo = Colour(k->albedo, model, folder, Rgb(0.8f));
    common(*k);
  } else if (const auto* k = dynamic_cast<const KyranoPhongMaterial*>(&model)) {
    m.kind = MaterialKind::Phong;
    m.albedo = Colour(k->diffuse_albedo, model, folder, Rgb(0.0f));
    m.specular = Colour(k->specular_reflectivity, model, folder, Rgb(1.0f));
    m.exponent = Scalar(k->exponent, model, folder, 100.0f);
    m.ior = float(k->ior);
    if (!k->nk_data.empty()) {
      m.metal = true;
      m.specular.constant = MetalColour(k->nk_data);
      m.specular.texture = -1;
      scene_.notDrawn.insert("measured n, k data (drawn as a metal of the named element's colour)");
    }
    common(*k);
  } else if (const auto* k = dynamic_cast<const KyranoSpecularMaterial*>(&model)) {
    m.kind = MaterialKind::Specular;
    m.transparent = k->transparent;
    ApplyMedium(m, k->internal_medium_name);
    common(*k);
  } else if (const auto* k = dynamic_cast<const KyranoGlossyTransparent*>(&model)) {
    m.kind = MaterialKind::GlossyTransparent;
    m.exponent = Scalar(k->exponent, model, folder, 1000.0f);
    ApplyMedium(m, k->internal_medium_name);
    common(*k);
  } else if (const auto* k = dynamic_cast<const KyranoBlendMaterial*>(&model)) {
    m.kind = MaterialKind::Blend;
    m.stepBlend = k->step_blend;
    const KyranoDisplacementParam* amount = k->blend.getPointer();
    if (const auto* constant = dynamic_cast<const KyranoConstantDisplacementParam*>(amount)) {
      m.blend.constant = float(constant->value);
    } else if (const auto* texture = dynamic_cast<const KyranoTextureDisplacementParam*>(amount)) {
      m.blend.texture = TextureIndex(model.textures[std::size_t(texture->texture_index)], folder);
    } else if (amount) {
      scene_.notDrawn.insert("ISL shaders (drawn as their material's fallback colour)");
    }
    m.blendA = Resolve(k->a_name, index);
    m.blendB = Resolve(k->b_name, index);
  } else {
    m.kind = MaterialKind::Null;
  }
}

}  // namespace renderer::render
