// The parameter operations of the material import: constants to helper parameters, textures
// into the host material's channels with their curve numbers on the helper, shader programs
// into ISL shader nodes.
#include <vector>

#include "command/ImportKYM.h"
#include "description/oMyMaterialHelper.h"
#include "description/xtavrellislshader.h"
#include "helpers/HelpersPaths.h"
#include "PluginIds.h"

using namespace Kyrano;

namespace {

using Map = ImportKYM::Map;

const Map kAlbedoMap = {CHANNEL_COLOR, MATERIAL_COLOR_SHADER,
                              {MATHELPER_DIFFUSEMAP_EXPONENT, MATHELPER_DIFFUSEMAP_A, MATHELPER_DIFFUSEMAP_B, MATHELPER_DIFFUSEMAP_C}};
const Map kExponentMap = {CHANNEL_SPECULARCOLOR, MATERIAL_SPECULARCOLOR_SHADER,
                                {MATHELPER_EXPMAP_EXPONENT, MATHELPER_EXPMAP_A, MATHELPER_EXPMAP_B, MATHELPER_EXPMAP_C}};
const Map kBumpMap = {CHANNEL_BUMP, MATERIAL_BUMP_SHADER,
                            {MATHELPER_BUMP_EXPONENT, MATHELPER_BUMP_A, MATHELPER_BUMP_B, MATHELPER_BUMP_C}};
const Map kDisplacementMap = {CHANNEL_DISPLACEMENT, MATERIAL_DISPLACEMENT_SHADER,
                                    {MATHELPER_DISPLACEMENT_EXPONENT, MATHELPER_DISPLACEMENT_A, MATHELPER_DISPLACEMENT_B,
                                     MATHELPER_DISPLACEMENT_C}};
const Map kBlendMap = {CHANNEL_ALPHA, MATERIAL_ALPHA_SHADER,
                             {MATHELPER_BLENDMAP_EXPONENT, MATHELPER_BLENDMAP_A, MATHELPER_BLENDMAP_B, MATHELPER_BLENDMAP_C}};
const Map kEmissionMap = {CHANNEL_LUMINANCE, MATERIAL_LUMINANCE_SHADER,
                                {MATHELPER_EMISSIONMAP_EXPONENT, MATHELPER_EMISSIONMAP_A, MATHELPER_EMISSIONMAP_B,
                                 MATHELPER_EMISSIONMAP_C}};

Vector ToVector(const Vec3& v) { return Vector(Real(v.x), Real(v.y), Real(v.z)); }

// The kind of a spectrum as the warnings name it.
String SpectrumKind(const KyranoSpectrum* s) {
  if (dynamic_cast<const KyranoRGBSpectrum*>(s)) return "RGB";
  if (dynamic_cast<const KyranoBlackBodySpectrum*>(s)) return "blackbody";
  if (dynamic_cast<const KyranoUniformSpectrum*>(s)) return "uniform";
  if (dynamic_cast<const KyranoRegularSpectrum*>(s)) return "tabulated";
  return "peak";
}

String Text(const TiXmlElement* parent, const char* name) {
  const TiXmlElement* e = parent ? parent->FirstChildElement(name) : nullptr;
  return e && e->GetText() ? String(e->GetText()) : String();
}

}  // namespace

Vector ColorVectorConversion(const Vector& colour, Real& gain) {
  gain = 1.0f;
  if (colour.x <= 1.0f && colour.y <= 1.0f && colour.z <= 1.0f) return colour;
  gain = colour.x;
  if (colour.y > gain) gain = colour.y;
  if (colour.z > gain) gain = colour.z;
  return Vector(colour.x / gain, colour.y / gain, colour.z / gain);
}

// Colours of the model are linear (the file's gamma already applied), so the helper keeps
// them with gamma 1: a second export must not apply the gamma again.
void ImportKYM::ImportAlbedo(Target& t, const KyranoWavelengthDependentParam* p) {
  if (const auto* c = dynamic_cast<const KyranoConstantWavelengthDependentParam*>(p)) {
    const KyranoSpectrum* s = c->spectrum.getPointer();
    if (const auto* rgb = dynamic_cast<const KyranoRGBSpectrum*>(s)) {
      t.data->SetVector(MATHELPER_COLOR, ToVector(rgb->rgb));
      t.data->SetReal(MATHELPER_GAMMA, 1.0f);
    } else if (const auto* u = dynamic_cast<const KyranoUniformSpectrum*>(s)) {
      t.data->SetVector(MATHELPER_COLOR, Vector(Real(u->value), Real(u->value), Real(u->value)));
      t.data->SetReal(MATHELPER_GAMMA, 1.0f);
    } else if (s) {
      Warn(String("Albedo ") + SpectrumKind(s) + String(" spectrum"), t.material);
    }
  } else if (const auto* tex = dynamic_cast<const KyranoTextureWavelengthDependentParam*>(p)) {
    ImportTextureParam(t, tex->texture_index, kAlbedoMap);
  } else if (const auto* sh = dynamic_cast<const KyranoShaderWavelengthDependentParam*>(p)) {
    ImportShader(kAlbedoMap.shaderLink, kAlbedoMap.channel, sh->shader, t.material);
  }
}

void ImportKYM::ImportExponent(Target& t, const KyranoWavelengthIndependentParam* p) {
  if (const auto* c = dynamic_cast<const KyranoConstantWavelengthIndependentParam*>(p))
    t.data->SetReal(MATHELPER_EXPONENT, Real(c->value));
  else if (const auto* tex = dynamic_cast<const KyranoTextureWavelengthIndependentParam*>(p))
    ImportTextureParam(t, tex->texture_index, kExponentMap);
  else if (const auto* sh = dynamic_cast<const KyranoShaderWavelengthIndependentParam*>(p))
    ImportShader(kExponentMap.shaderLink, kExponentMap.channel, sh->shader, t.material);
}

void ImportKYM::ImportSigma(Target& t, const KyranoWavelengthIndependentParam* p) {
  if (const auto* c = dynamic_cast<const KyranoConstantWavelengthIndependentParam*>(p)) {
    t.data->SetReal(MATHELPER_ROUGHNESS, Real(c->value));
  } else if (const auto* tex = dynamic_cast<const KyranoTextureWavelengthIndependentParam*>(p)) {
    t.texturesUsed[tex->texture_index] = true;
    Warn("Sigma texture", t.material);
  } else if (p) {
    Warn("Sigma shader", t.material);
  }
}

void ImportKYM::ImportMap(Target& t, const KyranoDisplacementParam* p, const Map& map, const char* constantKind) {
  if (dynamic_cast<const KyranoConstantDisplacementParam*>(p)) Warn(constantKind, t.material);
  else if (const auto* tex = dynamic_cast<const KyranoTextureDisplacementParam*>(p)) ImportTextureParam(t, tex->texture_index, map);
  else if (const auto* sh = dynamic_cast<const KyranoShaderDisplacementParam*>(p)) ImportShader(map.shaderLink, map.channel, sh->shader, t.material);
}

void ImportKYM::ImportBump(Target& t, const KyranoDisplacementParam* p) { ImportMap(t, p, kBumpMap, "Bump constant"); }

void ImportKYM::ImportDisplacement(Target& t, const KyranoDisplacementParam* p) {
  ImportMap(t, p, kDisplacementMap, "Displacement constant");
}

void ImportKYM::ImportBlend(Target& t, const KyranoDisplacementParam* p) {
  if (const auto* c = dynamic_cast<const KyranoConstantDisplacementParam*>(p)) t.data->SetReal(MATHELPER_BLEND_AMOUNT, Real(c->value));
  else ImportMap(t, p, kBlendMap, "");
}

// Only a constant spectrum is the helper's emission; the spectrum's kind picks its type.
void ImportKYM::ImportBaseEmission(Target& t, const KyranoWavelengthDependentParam* p) {
  const auto* c = dynamic_cast<const KyranoConstantWavelengthDependentParam*>(p);
  if (!c) {
    if (p) Warn(dynamic_cast<const KyranoTextureWavelengthDependentParam*>(p) ? "Base emission texture" : "Base emission shader", t.material);
    return;
  }
  t.data->SetBool(MATHELPER_EMISSION, TRUE);
  const KyranoSpectrum* s = c->spectrum.getPointer();
  if (const auto* rgb = dynamic_cast<const KyranoRGBSpectrum*>(s)) {
    Real gain = 1.0f;
    t.data->SetVector(MATHELPER_EMISSION_COLOR, ColorVectorConversion(ToVector(rgb->rgb), gain));
    t.data->SetReal(MATHELPER_EMISSION_GAIN, gain);
    t.data->SetReal(MATHELPER_EMISSION_GAMMA, 1.0f);  // linear, as for the albedo
    t.data->SetLong(MATHELPER_EMISSION_TYPE, MATHELPER_EMISSION_RGB);
  } else if (const auto* bb = dynamic_cast<const KyranoBlackBodySpectrum*>(s)) {
    t.data->SetReal(MATHELPER_EMISSION_BB_GAIN, Real(bb->gain));
    t.data->SetReal(MATHELPER_EMISSION_TEMPERATURE, Real(bb->temperature));
    t.data->SetLong(MATHELPER_EMISSION_TYPE, MATHELPER_EMISSION_BLACKBODY);
  } else if (const auto* u = dynamic_cast<const KyranoUniformSpectrum*>(s)) {
    t.data->SetReal(MATHELPER_EMISSION_VALUE, Real(u->value));
    t.data->SetLong(MATHELPER_EMISSION_TYPE, MATHELPER_EMISSION_UNIFORM);
  } else if (const auto* tab = dynamic_cast<const KyranoRegularSpectrum*>(s)) {
    // The texts are copied as the file has them: the helper keeps wavelengths in metres, as
    // the writers write them and the reader reads them (the model holds nanometres).
    const TiXmlElement* base = t.typeElement->FirstChildElement("base_emission");
    const TiXmlElement* e = base && base->FirstChildElement("constant") ? base->FirstChildElement("constant")->FirstChildElement("regular_tabulated") : nullptr;
    t.data->SetString(MATHELPER_EMISSION_TAB_START, Text(e, "start_wavelength"));
    t.data->SetString(MATHELPER_EMISSION_TAB_END, Text(e, "end_wavelength"));
    t.data->SetLong(MATHELPER_EMISSION_TAB_COUNT, tab->num_values);
    t.data->SetString(MATHELPER_EMISSION_TAB_VALUES, Text(e, "values"));
    t.data->SetLong(MATHELPER_EMISSION_TYPE, MATHELPER_EMISSION_TABULATED);
  } else {
    Warn("Base emission peak spectrum", t.material);
    t.data->SetLong(MATHELPER_EMISSION_TYPE, MATHELPER_EMISSION_OTHER);
  }
}

void ImportKYM::ImportEmission(Target& t, const KyranoWavelengthDependentParam* p) {
  if (const auto* c = dynamic_cast<const KyranoConstantWavelengthDependentParam*>(p))
    Warn(String("Emission ") + SpectrumKind(c->spectrum.getPointer()) + String(" spectrum"), t.material);
  else if (const auto* tex = dynamic_cast<const KyranoTextureWavelengthDependentParam*>(p))
    ImportTextureParam(t, tex->texture_index, kEmissionMap);
  else if (const auto* sh = dynamic_cast<const KyranoShaderWavelengthDependentParam*>(p))
    ImportShader(kEmissionMap.shaderLink, kEmissionMap.channel, sh->shader, t.material);
}

void ImportKYM::ImportTextureParam(Target& t, int index, const Map& map) {
  t.texturesUsed[index] = true;
  const KyranoTexture& texture = t.model->textures[index];
  LoadTexture(t.material, map.channel, texture.path);
  const double numbers[4] = {texture.exponent, texture.a, texture.b, texture.c};
  for (int i = 0; i < 4; i++) t.data->SetReal(map.curve[i], Real(numbers[i]));
}

// A path with a drive letter, or from the root, is taken as it is; any other is relative to
// the material file's folder.
bool ImportKYM::LoadTexture(Material* material, LONG channel, const std::string& path) {
  if (path.empty() || path.size() > size_t(Helpers::MAX_PATH_CHARS)) {
    Warn(path.empty() ? String("Texture without a path") : String("Texture path longer than 2048 characters"), material);
    return false;
  }
  const bool driveLetter = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
  std::string resolved = path;
  if (!driveLetter && path[0] != '/') {
    char* folder = Helpers::StringToChar(file_.GetDirectory().GetString());
    std::vector<char> relative(path.begin(), path.end());
    relative.push_back('\0');
    const char* absolute = Helpers::GetAbsoluteFilename(folder, relative.data());
    delete[] folder;
    if (!absolute) {
      Warn(String("Texture path ") + String("\"") + String(path) + String("\" longer than 2048 characters"), material);
      return false;
    }
    resolved = absolute;
  }
  // A folder is not a picture.
  if (!GeFExist(Filename(resolved.c_str())) || GeFExist(Filename(resolved.c_str()), TRUE)) {
    GePrint(String("Failed to load texture from: ") + String(resolved));
    warnings_.push_back(String("Texture \"") + String(resolved) + String("\" of Material \"") + material->GetName() +
                        String("\" not found; imported without it."));
    return false;
  }
  GePrint(String("Loaded texture: ") + String(resolved));
  material->SetChannelState(channel, TRUE);
  if (BaseChannel* ch = material->GetChannel(channel)) {
    BaseContainer data;
    data.SetString(BASECHANNEL_TEXTURE, String(resolved));
    ch->SetData(data);
  }
  return true;
}

void ImportKYM::ImportShader(LONG linkId, LONG channel, const std::string& text, Material* material) {
  BaseShader* shader = BaseShader::Alloc(ID_ISLSHADER);
  if (!shader) return;
  BaseShader* last = material->GetFirstShader();
  while (last && last->GetNext()) last = last->GetNext();
  material->InsertShader(shader, last);
  shader->GetDataInstance()->SetString(ISLSHADER_PROGRAM, String(text));
  material->GetDataInstance()->SetLink(linkId, shader);
  material->SetChannelState(channel, TRUE);
}
