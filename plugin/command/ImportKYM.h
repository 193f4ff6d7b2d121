// "Import .kym": every material of a renderer material file as a standard host material with
// a material helper that carries the renderer's settings, gathered under the material group
// "Imported Materials". Textures go into the host material's channels, shader programs into
// ISL shader nodes; what the host cannot hold is listed in one message at the end.
#pragma once
#include <tinyxml.h>

#include <set>
#include <string>
#include <vector>

#include "c4d.h"
#include "kyrano_utils/KyranoMaterial.h"

class ImportKYM : public CommandData {
 public:
  // Where a texture or shader parameter goes: the host channel, its shader link, and the
  // helper's curve numbers (exponent, a, b, c).
  struct Map {
    LONG channel;
    LONG shaderLink;
    LONG curve[4];
  };
  // The helper's ids for one spectrum of a medium.
  struct SpectrumIds;

  Bool Execute(BaseDocument* doc) override;
  // Imports one `material` element of `scenedata`; called again for the inputs of a blend.
  void ImportMaterial(const TiXmlElement* material, const TiXmlElement* scenedata);

 private:
  // One material being imported: its helper's parameters, its model, its host material and
  // the type element it was read from. Texture indices that a parameter used are marked, so
  // that the textures only a shader uses can be reported.
  struct Target {
    BaseContainer* data;
    const Kyrano::KyranoMaterial* model;
    Material* material;
    const TiXmlElement* typeElement;
    std::vector<bool> texturesUsed;
  };

  bool LoadFile(TiXmlDocument& xml);
  void ImportAll(const TiXmlElement* scenedata);
  // The type element the import knows, or null (with a warning unless it is a null material).
  const TiXmlElement* TypeElement(const TiXmlElement* material, const String& name);
  bool NameIsFree(const String& name, bool unnamed);
  Reference<Kyrano::KyranoMaterial> Parse(const TiXmlElement* typeElement);
  void ImportType(Target& t, const TiXmlElement* scenedata);

  // One operation per material type.
  void ImportDiffuse(Target& t);
  void ImportDiffuseTrans(Target& t);
  void ImportOrenNayar(Target& t);
  void ImportSpecular(Target& t, const TiXmlElement* scenedata);
  void ImportGlossyTrans(Target& t, const TiXmlElement* scenedata);
  void ImportPhong(Target& t);
  void ImportBlendMat(Target& t, const TiXmlElement* scenedata);
  // The parts every type but blend shares: bump, displacement, layer and emission.
  void ImportSurface(Target& t, const Reference<Kyrano::KyranoDisplacementParam>& bump,
                     const Reference<Kyrano::KyranoDisplacementParam>& displacement, int layer,
                     const Reference<Kyrano::KyranoWavelengthDependentParam>& baseEmission,
                     const Reference<Kyrano::KyranoWavelengthDependentParam>& emission);
  BaseMaterial* BlendInput(Target& t, const std::string& name, const TiXmlElement* scenedata);

  // One operation per parameter kind.
  void ImportAlbedo(Target& t, const Kyrano::KyranoWavelengthDependentParam* p);
  void ImportExponent(Target& t, const Kyrano::KyranoWavelengthIndependentParam* p);
  void ImportSigma(Target& t, const Kyrano::KyranoWavelengthIndependentParam* p);
  void ImportBump(Target& t, const Kyrano::KyranoDisplacementParam* p);
  void ImportDisplacement(Target& t, const Kyrano::KyranoDisplacementParam* p);
  void ImportBlend(Target& t, const Kyrano::KyranoDisplacementParam* p);
  void ImportBaseEmission(Target& t, const Kyrano::KyranoWavelengthDependentParam* p);
  void ImportEmission(Target& t, const Kyrano::KyranoWavelengthDependentParam* p);
  // The medium of that name (from its basic part; dermis and epidermis are warned about).
  void ImportMedium(Target& t, const TiXmlElement* scenedata, const std::string& mediumName);
  // A spectrum element of the medium into the helper's parameters of that spectrum.
  void ImportMediumSpectrum(Target& t, const TiXmlElement* spectrum, const SpectrumIds& ids);
  // A texture parameter: the texture into the channel and its curve numbers to the helper.
  void ImportTextureParam(Target& t, int index, const Map& map);
  // Bump and displacement: no constant (a warning), a texture or a shader.
  void ImportMap(Target& t, const Kyrano::KyranoDisplacementParam* p, const Map& map, const char* constantKind);

  // The texture file into the material's channel; false (with a warning) when it cannot be.
  bool LoadTexture(Material* material, LONG channel, const std::string& path);
  void ImportShader(LONG linkId, LONG channel, const std::string& text, Material* material);
  BaseMaterial* FindImportedMat(const String& name) const;
  // The `rgb` text of an rgb spectrum element, read as the material reader reads vectors and
  // normalised by ColorVectorConversion; false (with a warning) when it is not three numbers.
  bool StringToVector(Target& t, const TiXmlElement* rgb, Vector& colour, Real& gain);
  void Warn(const String& kind, const Material* material);
  void WarnUnusedTextures(const Target& t);

  BaseDocument* doc_ = nullptr;
  BaseObject* group_ = nullptr;
  AtomArray* imported_ = nullptr;
  Filename file_;
  std::vector<String> warnings_;
  // Names whose import has begun and not ended: a blend input that leads back to one of them
  // would recurse for ever.
  std::set<std::string> inProgress_;
  // The material elements already taken up in this run.
  std::set<const TiXmlElement*> done_;
};

// The colour with its largest component made 1 when any exceeds 1, that component's value
// becoming the gain (ties resolved towards red, then green); otherwise unchanged, gain 1.
Vector ColorVectorConversion(const Vector& colour, Real& gain);
