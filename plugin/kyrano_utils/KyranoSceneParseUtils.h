#pragma once

#include "KyranoMatParameter.h"
#include "KyranoMaterial.h"
#include "KyranoSpectrum.h"
#include "KyranoTexture.h"
#include "KyranoVec3.h"
#include "utils/refcounted.h"

#include <tinyxml.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace Kyrano
{

// The one exception of the material reader: a message that names the element and its
// position in the file.
class KyranoSceneParseUtilsExcep : public std::runtime_error
{
public:
    explicit KyranoSceneParseUtilsExcep(const std::string& message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

// Strict reader of material XML into the material model. Every function takes a TinyXML
// element and reads its child elements by name (the first of that name when it occurs more
// than once). Unknown children, missing required children, malformed numbers and
// out-of-range values throw KyranoSceneParseUtilsExcep; nothing is partially returned.
// Lists of element names are null-terminated arrays.
namespace KyranoSceneParseUtils
{

typedef std::vector<KyranoTexture> TextureList;

// "  (In element 'NAME', around line L, column C)", ending every message.
std::string elementContext(const TiXmlElement& elem);

// Basic readers: each takes the parent element and a child name.
const TiXmlElement& getChildElement(const TiXmlElement& elem, const std::string& name);
std::string parseString(const TiXmlElement& parent, const std::string& name);
double parseDouble(const TiXmlElement& parent, const std::string& name);
int parseInt(const TiXmlElement& parent, const std::string& name);
Vec3 parseVec3(const TiXmlElement& parent, const std::string& name);
bool parseBool(const TiXmlElement& parent, const std::string& name);

double parseDoubleWithDefault(const TiXmlElement& parent, const std::string& name, double default_value);
int parseIntWithDefault(const TiXmlElement& parent, const std::string& name, int default_value);
bool parseBoolWithDefault(const TiXmlElement& parent, const std::string& name, bool default_value);
std::string parseStringWithDefault(const TiXmlElement& parent, const std::string& name, const std::string& default_value);

// Structure checks.
void checkOnlyElements(const TiXmlElement& elem, const char* const* allowed_names);
const TiXmlElement& checkExactlyOneChild(const TiXmlElement& elem, const char* const* names);

// Spectra: the element holds exactly one of peak, blackbody, rgb, uniform, regular_tabulated.
Reference<KyranoSpectrum> parseSpectrum(const TiXmlElement& elem);

// Material parameters: the element holds exactly one of constant, texture, shader. A texture
// index must lie inside the textures read so far.
Reference<KyranoWavelengthDependentParam> parseSpectrumMatParameterDirectly(const TiXmlElement& elem, const TextureList& textures);
Reference<KyranoWavelengthIndependentParam> parseScalarMatParameterDirectly(const TiXmlElement& elem, const TextureList& textures);
Reference<KyranoDisplacementParam> parseDisplaceMatParameterDirectly(const TiXmlElement& elem, const TextureList& textures);

Reference<KyranoWavelengthDependentParam> parseSpectrumMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures);
Reference<KyranoWavelengthIndependentParam> parseScalarMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures);
Reference<KyranoDisplacementParam> parseDisplaceMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures);

// Null Reference when the child is absent.
Reference<KyranoWavelengthDependentParam> parseOptionalSpectrumMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures);
Reference<KyranoWavelengthIndependentParam> parseOptionalScalarMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures);
Reference<KyranoDisplacementParam> parseOptionalDisplaceMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures);

// Textures, coordinate generators and rotations.
KyranoTexture parseTexture(const TiXmlElement& elem);
void parseMaterialTextures(const TiXmlElement& elem, TextureList& textures);
// Appends the texture child of that name and returns its index, or -1 when it is absent.
int addPossibleTextureToList(const TiXmlElement& elem, const std::string& name, TextureList& textures);
Reference<KyranoTexCoordGenerator> parseTexCoordGenerator(const TiXmlElement& elem);
Reference<KyranoRotation> parseRotationWithDefault(const TiXmlElement& elem, const std::string& name);
Reference<KyranoRotation> parseRotation(const TiXmlElement& elem);

// Older files: albedo_texture, bump_map and displacement_map are inline textures that replace
// the albedo (when albedo is not null), bump and displacement.
void backwardsCompatibleTextureParse(const TiXmlElement& elem, TextureList& textures,
                                     Reference<KyranoWavelengthDependentParam>* albedo,
                                     Reference<KyranoDisplacementParam>& bump,
                                     Reference<KyranoDisplacementParam>& displacement);
// The first present of colour, albedo_spectrum and albedo; null when none is.
Reference<KyranoWavelengthDependentParam> backwardsCompatibleAlbedoParse(const TiXmlElement& elem, const TextureList& textures);

// Materials: each takes the type element (diffuse, phong, ...) of a material.
Reference<KyranoDiffuse> parseDiffuse(const TiXmlElement& elem);
Reference<KyranoSpecularMaterial> parseSpecular(const TiXmlElement& elem);
Reference<KyranoDiffuseTransmitter> parseDiffuseTransmitter(const TiXmlElement& elem);
Reference<KyranoOrenNayarMaterial> parseOrenNayar(const TiXmlElement& elem);
Reference<KyranoGlossyTransparent> parseGlossyTransparent(const TiXmlElement& elem);
Reference<KyranoPhongMaterial> parsePhong(const TiXmlElement& elem);
Reference<KyranoPhongMaterial> parsePhongOld(const TiXmlElement& elem);
Reference<KyranoBlendMaterial> parseBlendMaterial(const TiXmlElement& elem);
Reference<KyranoBlendMaterial> parseBlendMaterialOld(const TiXmlElement& elem);
Reference<KyranoNullMaterial> parseNullMaterial(const TiXmlElement& elem);

// A `material` element of a material or scene file: an optional `name` and exactly one type
// element. getMaterialTypeElement finds and checks the type element; parseMaterial parses it
// with the reader of its type and names the result.
const TiXmlElement& getMaterialTypeElement(const TiXmlElement& material);
Reference<KyranoMaterial> parseMaterial(const TiXmlElement& material);

} // namespace KyranoSceneParseUtils
} // namespace Kyrano
