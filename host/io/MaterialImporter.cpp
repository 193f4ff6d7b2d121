#include "MaterialImporter.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

namespace host {
namespace import {

namespace {

namespace fs = std::filesystem;

struct MaterialFree {
  void operator()(BaseMaterial* m) const { BaseMaterial::Free(m); }
};

bool Finite(const aiColor4D& c) { return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b); }

// A colour of the file as the host holds it: a colour whose largest component is at most 1,
// and a brightness that carries the rest.
void SetColour(BaseContainer* bc, LONG colourId, LONG brightnessId, const aiColor4D& c, Real factor = 1.0f) {
  const Real r = std::max(0.0f, Real(c.r)), g = std::max(0.0f, Real(c.g)), b = std::max(0.0f, Real(c.b));
  const Real m = std::max(r, std::max(g, b));
  if (m > 1.0f) {
    bc->SetVector(colourId, Vector(r / m, g / m, b / m));
    bc->SetReal(brightnessId, m * factor);
  } else {
    bc->SetVector(colourId, Vector(r, g, b));
    bc->SetReal(brightnessId, factor);
  }
}

bool GetColour(const aiMaterial& m, const char* key, unsigned type, unsigned idx, aiColor4D* c) {
  return m.Get(key, type, idx, *c) == aiReturn_SUCCESS && Finite(*c);
}

bool GetReal(const aiMaterial& m, const char* key, unsigned type, unsigned idx, Real* v) {
  ai_real x = 0;
  if (m.Get(key, type, idx, x) != aiReturn_SUCCESS || !std::isfinite(x)) return false;
  *v = Real(x);
  return true;
}

Real MaxComponent(const aiColor4D& c) { return std::max(Real(c.r), std::max(Real(c.g), Real(c.b))); }

// A Phong exponent as the host's highlight width: 1 for an exponent of 1, 0.1 for 100.
Real HighlightWidth(Real shininess) { return std::min(1.0f, std::max(0.01f, 1.0f / std::sqrt(std::max(shininess, 1.0f)))); }

}  // namespace

MaterialImporter::MaterialImporter(const ImportContext& ctx) : ctx_(ctx), made_(ctx.scene->mNumMaterials, nullptr) {}

BaseMaterial* MaterialImporter::Get(unsigned index) {
  if (index >= made_.size() || !ctx_.scene->mMaterials || !ctx_.scene->mMaterials[index]) return nullptr;
  if (!made_[index]) {
    made_[index] = Build(*ctx_.scene->mMaterials[index], index);
    ctx_.doc->InsertMaterial(made_[index], last_);
    last_ = made_[index];
    madeCount_++;
  }
  return made_[index];
}

std::string MaterialImporter::UniqueName(std::string name) {
  // Documents refer to materials by name, so every material gets its own.
  const std::string base = name;
  for (int n = 2; names_.count(name); n++) name = base + " " + std::to_string(n);
  names_.insert(name);
  return name;
}

BaseMaterial* MaterialImporter::Build(const aiMaterial& m, unsigned index) {
  aiString aiName;
  std::string name = m.Get(AI_MATKEY_NAME, aiName) == aiReturn_SUCCESS ? Utf8Name(aiName.C_Str()) : "";
  if (name.empty()) name = "Material " + std::to_string(index + 1);
  name = UniqueName(name);
  const std::string where = MaterialWhere(name);

  // Owned here until it is handed to the document, so that a failure frees it.
  std::unique_ptr<BaseMaterial, MaterialFree> owned(Material::Alloc());
  Material* mat = static_cast<Material*>(owned.get());
  if (!mat) ctx_.Fail(where, "the host could not make a material");
  mat->SetName(String(name));
  BaseContainer* bc = mat->GetDataInstance();

  // Colour: the base colour of physically based materials, else the diffuse colour.
  aiColor4D colour(0.8f, 0.8f, 0.8f, 1.0f);
  if (!GetColour(m, AI_MATKEY_BASE_COLOR, &colour)) GetColour(m, AI_MATKEY_COLOR_DIFFUSE, &colour);
  SetColour(bc, MATERIAL_COLOR_COLOR, MATERIAL_COLOR_BRIGHTNESS, colour);
  mat->SetChannelState(CHANNEL_COLOR, TRUE);
  if (!AddTexture(mat, m, aiTextureType_BASE_COLOR, MATERIAL_COLOR_SHADER, where))
    AddTexture(mat, m, aiTextureType_DIFFUSE, MATERIAL_COLOR_SHADER, where);

  // Luminance: what the material emits.
  aiColor4D emissive(0, 0, 0, 1);
  Real emissiveIntensity = 1.0f;
  GetReal(m, AI_MATKEY_EMISSIVE_INTENSITY, &emissiveIntensity);
  const bool glows = GetColour(m, AI_MATKEY_COLOR_EMISSIVE, &emissive) && MaxComponent(emissive) > 0 && emissiveIntensity > 0;
  bool glowMap = AddTexture(mat, m, aiTextureType_EMISSION_COLOR, MATERIAL_LUMINANCE_SHADER, where);
  if (!glowMap) glowMap = AddTexture(mat, m, aiTextureType_EMISSIVE, MATERIAL_LUMINANCE_SHADER, where);
  if (glows || glowMap) {
    SetColour(bc, MATERIAL_LUMINANCE_COLOR, MATERIAL_LUMINANCE_BRIGHTNESS, glows ? emissive : aiColor4D(1, 1, 1, 1),
              emissiveIntensity);
    mat->SetChannelState(CHANNEL_LUMINANCE, TRUE);
  }

  // Transparency: what the opacity or the transmission lets through, with the refraction
  // index.
  Real opacity = 1.0f, transmission = 0.0f, ior = 1.0f;
  GetReal(m, AI_MATKEY_OPACITY, &opacity);
  GetReal(m, AI_MATKEY_TRANSMISSION_FACTOR, &transmission);
  const bool hasIor = GetReal(m, AI_MATKEY_REFRACTI, &ior) && ior > 0;
  const Real transparency = std::min(1.0f, std::max(1.0f - opacity, transmission));
  const bool transmissionMap = AddTexture(mat, m, aiTextureType_TRANSMISSION, MATERIAL_TRANSPARENCY_SHADER, where);
  // A rough surface blurs what it lets through and what it reflects (physically based files
  // only; the others are sharp).
  Real roughness = 0.0f;
  GetReal(m, AI_MATKEY_ROUGHNESS_FACTOR, &roughness);
  roughness = std::min(1.0f, std::max(0.0f, roughness));
  if (transparency > 0.001f || transmissionMap) {
    aiColor4D filter(1, 1, 1, 1);
    GetColour(m, AI_MATKEY_COLOR_TRANSPARENT, &filter);
    if (MaxComponent(filter) <= 0) filter = aiColor4D(1, 1, 1, 1);
    SetColour(bc, MATERIAL_TRANSPARENCY_COLOR, MATERIAL_TRANSPARENCY_BRIGHTNESS, filter,
              transparency > 0.001f ? transparency : 1.0f);
    bc->SetReal(MATERIAL_TRANSPARENCY_REFRACTION, hasIor ? ior : 1.0f);
    bc->SetReal(MATERIAL_TRANSPARENCY_DISPERSION, roughness);
    mat->SetChannelState(CHANNEL_TRANSPARENCY, TRUE);
  }

  // Alpha: an opacity map cuts the surface out.
  if (AddTexture(mat, m, aiTextureType_OPACITY, MATERIAL_ALPHA_SHADER, where)) mat->SetChannelState(CHANNEL_ALPHA, TRUE);

  // Reflection: the file's reflectivity, or the metalness of a physically based material
  // (a metal reflects in its own colour).
  Real reflectivity = 0.0f, metallic = 0.0f;
  GetReal(m, AI_MATKEY_REFLECTIVITY, &reflectivity);
  GetReal(m, AI_MATKEY_METALLIC_FACTOR, &metallic);
  const bool reflectionMap = AddTexture(mat, m, aiTextureType_REFLECTION, MATERIAL_REFLECTION_SHADER, where);
  // A reflective colour the file gives scales its reflectivity: black reflects nothing.
  aiColor4D reflective(1, 1, 1, 1);
  const bool hasReflective = GetColour(m, AI_MATKEY_COLOR_REFLECTIVE, &reflective);
  if (hasReflective) reflectivity *= std::max(0.0f, MaxComponent(reflective));
  if (reflectivity > 0.001f || metallic > 0.001f || reflectionMap) {
    aiColor4D tint(1, 1, 1, 1);
    if (metallic > reflectivity) tint = colour;
    else if (hasReflective && MaxComponent(reflective) > 0) tint = reflective;
    const Real amount = std::max(reflectivity, metallic);
    SetColour(bc, MATERIAL_REFLECTION_COLOR, MATERIAL_REFLECTION_BRIGHTNESS, tint, amount > 0.001f ? std::min(amount, 1.0f) : 1.0f);
    bc->SetReal(MATERIAL_REFLECTION_DISPERSION, roughness);
    mat->SetChannelState(CHANNEL_REFLECTION, TRUE);
  }

  // Specular: a highlight where the file gives a shininess; its colour and strength.
  Real shininess = 0.0f, strength = 1.0f;
  GetReal(m, AI_MATKEY_SHININESS, &shininess);
  GetReal(m, AI_MATKEY_SHININESS_STRENGTH, &strength);
  aiColor4D specular(1, 1, 1, 1);
  const bool hasSpecularColour = GetColour(m, AI_MATKEY_COLOR_SPECULAR, &specular);
  const bool specularMap = AddTexture(mat, m, aiTextureType_SPECULAR, MATERIAL_SPECULARCOLOR_SHADER, where);
  const Real height = std::min(1.0f, std::max(0.0f, strength * (hasSpecularColour ? MaxComponent(specular) : 1.0f)));
  // A new material has a highlight; one the file does not give is switched off.
  const bool highlight = (shininess > 0 && height > 0) || specularMap;
  mat->SetChannelState(CHANNEL_SPECULAR, highlight);
  if (highlight) {
    bc->SetReal(MATERIAL_SPECULAR_WIDTH, HighlightWidth(shininess));
    bc->SetReal(MATERIAL_SPECULAR_HEIGHT, specularMap && height <= 0 ? 1.0f : height);
    if (hasSpecularColour || specularMap) {
      SetColour(bc, MATERIAL_SPECULARCOLOR_COLOR, MATERIAL_SPECULARCOLOR_BRIGHTNESS,
                hasSpecularColour && MaxComponent(specular) > 0 ? specular : aiColor4D(1, 1, 1, 1));
      mat->SetChannelState(CHANNEL_SPECULARCOLOR, TRUE);
    }
  }

  // Bump and normal maps.
  Real bumpScale = 1.0f;
  GetReal(m, AI_MATKEY_BUMPSCALING, &bumpScale);
  if (AddTexture(mat, m, aiTextureType_HEIGHT, MATERIAL_BUMP_SHADER, where)) {
    bc->SetReal(MATERIAL_BUMP_STRENGTH, bumpScale);
    mat->SetChannelState(CHANNEL_BUMP, TRUE);
  }
  if (AddTexture(mat, m, aiTextureType_NORMALS, MATERIAL_NORMAL_SHADER, where) ||
      AddTexture(mat, m, aiTextureType_NORMAL_CAMERA, MATERIAL_NORMAL_SHADER, where)) {
    bc->SetReal(MATERIAL_NORMAL_STRENGTH, 1.0f);
    mat->SetChannelState(CHANNEL_NORMAL, TRUE);
  }
  return owned.release();
}

bool MaterialImporter::AddTexture(Material* mat, const aiMaterial& m, int type, LONG shaderLink, const std::string& where) {
  const aiTextureType t = aiTextureType(type);
  if (m.GetTextureCount(t) == 0) return false;
  aiString given;
  if (m.GetTexture(t, 0, &given) != aiReturn_SUCCESS) return false;
  const std::string path = TexturePath(given, where);
  if (path.empty()) return false;
  BaseShader* shader = BaseShader::Alloc(Xbitmap);
  if (!shader) ctx_.Fail(where, "the host could not make a bitmap shader");
  shader->SetName(String(fs::path(path).filename().string()));
  shader->GetDataInstance()->SetFilename(BITMAPSHADER_FILENAME, Filename(path.c_str()));
  BaseShader* last = mat->GetFirstShader();
  while (last && last->GetNext()) last = last->GetNext();
  mat->InsertShader(shader, last);
  mat->GetDataInstance()->SetLink(shaderLink, shader);
  return true;
}

std::string MaterialImporter::TexturePath(const aiString& given, const std::string& where) const {
  std::string path = given.C_Str();
  if (path.empty()) return path;
  const std::string quoted = "texture \"" + Utf8Name(path) + "\"";
  // Textures held inside the model file ("*0", or a name the file embeds) have no file of
  // their own, unless one of that name lies beside the model.
  const bool embedded = path[0] == '*' || ctx_.scene->GetEmbeddedTexture(path.c_str()) != nullptr;
  if (!IsUtf8(path)) {
    // The host holds text, file names included, as UTF-8; this path would not name the file.
    ctx_.Warn(where, quoted + " has a name that is not UTF-8; left out");
    return std::string();
  }
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.compare(0, 7, "file://") == 0) path = path.substr(7);
  if (path.empty()) return path;
  const fs::path folder(ctx_.folder);
  auto exists = [&](const std::string& rel) {
    std::error_code ec;
    const fs::path p = fs::path(rel).is_absolute() ? fs::path(rel) : folder / rel;
    return fs::is_regular_file(p, ec);
  };
  if (path[0] != '*' && exists(path)) return path;
  // Where the host looks for a texture the document names: beside it, and in its "tex"
  // folder.
  const std::string file = fs::path(path).filename().string();
  if (!file.empty() && path[0] != '*') {
    if (exists(file)) return file;
    if (exists("tex/" + file)) return "tex/" + file;
  }
  if (embedded) ctx_.Warn(where, quoted + " is embedded in the model file; embedded textures are not imported");
  else ctx_.Warn(where, quoted + " not found beside the model file; left out");
  return std::string();
}

}  // namespace import
}  // namespace host
