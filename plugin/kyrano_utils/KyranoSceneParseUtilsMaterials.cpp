// Material types of the material reader, including the forms older files use.
#include "KyranoSceneParseUtils.h"

#include "utils/stringutils.h"

#include <cmath>
#include <iterator>
#include <set>

namespace Kyrano
{
namespace KyranoSceneParseUtils
{

namespace
{

typedef KyranoSceneParseUtilsExcep Excep;

const char* const DIFFUSE_CHILDREN[] = { "colour", "albedo_spectrum", "albedo_texture", "bump_map", "displacement_map",
    "random_triangle_colours", "albedo", "texture", "bump", "emission", "base_emission", "displacement", "layer", nullptr };
const char* const SPECULAR_CHILDREN[] = { "internal_medium_name", "transparent", "bump_map", "displacement_map",
    "base_emission", "displacement", "layer", "bump", "texture", "emission", nullptr };
const char* const DIFFUSE_TRANSMITTER_CHILDREN[] = { "colour", "albedo_texture", "albedo_spectrum", "displacement_map",
    "base_emission", "albedo", "bump", "displacement", "emission", "texture", "layer", nullptr };
const char* const OREN_NAYAR_CHILDREN[] = { "sigma", "displacement", "albedo", "emission", "base_emission", "colour",
    "albedo_spectrum", "albedo_texture", "bump_map", "displacement_map", "bump", "layer", "texture", nullptr };
const char* const GLOSSY_TRANSPARENT_CHILDREN[] = { "internal_medium_name", "bump", "exponent", "bump_map", "emission",
    "displacement_map", "displacement", "base_emission", "layer", "texture", nullptr };
const char* const PHONG_CHILDREN[] = { "exponent", "texture", "nk_data", "fresnel_scale", "ior", "diffuse_albedo", "bump",
    "specular_reflectivity", "base_emission", "displacement", "layer", "emission", nullptr };
const char* const PHONG_OLD_CHILDREN[] = { "exponent", "nk_data", "diffuse", "ior", "fresnel_scale", "albedo_texture",
    "bump_map", "exponent_map", "diffuse_albedo_spectrum", "specular_reflectivity_spectrum", "displacement_map", nullptr };
const char* const BLEND_CHILDREN[] = { "a_name", "blend", "step_blend", "texture", "b_name", nullptr };
const char* const BLEND_OLD_CHILDREN[] = { "a_name", "blend_factor", "blend_map", "b_name", "displacement_map", "step_blend", nullptr };
const char* const NO_CHILDREN[] = { nullptr };

const char* const MATERIAL_TYPES[] = { "diffuse", "phong", "specular", "glossy_transparent", "diffuse_transmitter",
    "oren_nayar", "blend", "null_material", nullptr };

// Old colour elements are gamma-encoded with 2.2: a `colour` albedo with 2.2 rounded to single
// precision, the old Phong `diffuse` with the double 2.2. Both are kept exactly, so that old
// files read back unchanged.
const double OLD_COLOUR_GAMMA_SINGLE = (double)2.2f;
const double OLD_COLOUR_GAMMA_DOUBLE = 2.2;

Reference<KyranoWavelengthDependentParam> colourConstant(const Vec3& colour, double gamma)
{
    const Vec3 linear(std::pow(colour.x, gamma), std::pow(colour.y, gamma), std::pow(colour.z, gamma));
    return makeReference<KyranoConstantWavelengthDependentParam>(Reference<KyranoSpectrum>(new KyranoRGBSpectrum(linear)));
}

Reference<KyranoWavelengthDependentParam> spectrumConstant(const TiXmlElement& spectrum_elem)
{
    return makeReference<KyranoConstantWavelengthDependentParam>(parseSpectrum(spectrum_elem));
}

bool hasParameterForm(const TiXmlElement& elem)
{
    return elem.FirstChildElement("constant") || elem.FirstChildElement("texture") || elem.FirstChildElement("shader");
}

// A scalar that older files wrote as plain text: required, read in the current form when it
// holds constant, texture or shader, and as a plain number otherwise.
Reference<KyranoWavelengthIndependentParam> parseScalarWithPlainForm(const TiXmlElement& parent, const std::string& name,
                                                                     const TextureList& textures)
{
    const TiXmlElement& elem = getChildElement(parent, name);
    if(hasParameterForm(elem))
        return parseScalarMatParameterDirectly(elem, textures);
    return makeReference<KyranoConstantWavelengthIndependentParam>(parseDouble(parent, name));
}

// Bump, displacement, the old inline maps, emission and layer, shared by every type but blend
// and null. albedo is null for types without one.
template <class Material>
void parseCommonFields(const TiXmlElement& elem, Material& material, Reference<KyranoWavelengthDependentParam>* albedo)
{
    material.bump = parseOptionalDisplaceMatParameter(elem, "bump", material.textures);
    material.displacement = parseOptionalDisplaceMatParameter(elem, "displacement", material.textures);
    backwardsCompatibleTextureParse(elem, material.textures, albedo, material.bump, material.displacement);
    material.base_emission = parseOptionalSpectrumMatParameter(elem, "base_emission", material.textures);
    material.emission = parseOptionalSpectrumMatParameter(elem, "emission", material.textures);
    material.layer = parseIntWithDefault(elem, "layer", 0);
}

// Checks the allowed children, then makes the material and reads its texture list, which
// every parameter read afterwards may refer to.
template <class Material>
Reference<Material> startMaterial(const TiXmlElement& elem, const char* const* allowed_children)
{
    checkOnlyElements(elem, allowed_children);
    Reference<Material> material = makeReference<Material>();
    parseMaterialTextures(elem, material->textures);
    return material;
}

// Reads the diffuse albedo of the old Phong form: measured n,k data replaces it with black.
Reference<KyranoWavelengthDependentParam> parsePhongOldDiffuse(const TiXmlElement& elem, const std::string& nk_data)
{
    if(!nk_data.empty())
        return makeReference<KyranoConstantWavelengthDependentParam>(Reference<KyranoSpectrum>(new KyranoUniformSpectrum(0.0)));
    if(elem.FirstChildElement("diffuse"))
        return colourConstant(parseVec3(elem, "diffuse"), OLD_COLOUR_GAMMA_DOUBLE);
    return spectrumConstant(getChildElement(elem, "diffuse_albedo_spectrum"));
}

std::string sortedMaterialTypes()
{
    std::set<std::string> sorted(std::begin(MATERIAL_TYPES), std::end(MATERIAL_TYPES) - 1);
    return StringUtils::join(sorted, "', '");
}

} // namespace

void backwardsCompatibleTextureParse(const TiXmlElement& elem, TextureList& textures,
                                     Reference<KyranoWavelengthDependentParam>* albedo,
                                     Reference<KyranoDisplacementParam>& bump,
                                     Reference<KyranoDisplacementParam>& displacement)
{
    if(albedo)
    {
        const int index = addPossibleTextureToList(elem, "albedo_texture", textures);
        if(index >= 0)
            *albedo = makeReference<KyranoTextureWavelengthDependentParam>(index);
    }
    const int bump_index = addPossibleTextureToList(elem, "bump_map", textures);
    if(bump_index >= 0)
        bump = makeReference<KyranoTextureDisplacementParam>(bump_index);
    const int displacement_index = addPossibleTextureToList(elem, "displacement_map", textures);
    if(displacement_index >= 0)
        displacement = makeReference<KyranoTextureDisplacementParam>(displacement_index);
}

Reference<KyranoWavelengthDependentParam> backwardsCompatibleAlbedoParse(const TiXmlElement& elem, const TextureList& textures)
{
    if(elem.FirstChildElement("colour"))
        return colourConstant(parseVec3(elem, "colour"), OLD_COLOUR_GAMMA_SINGLE);
    if(const TiXmlElement* spectrum = elem.FirstChildElement("albedo_spectrum"))
        return spectrumConstant(*spectrum);
    return parseOptionalSpectrumMatParameter(elem, "albedo", textures);
}

Reference<KyranoDiffuse> parseDiffuse(const TiXmlElement& elem)
{
    Reference<KyranoDiffuse> material = startMaterial<KyranoDiffuse>(elem, DIFFUSE_CHILDREN);
    material->albedo = backwardsCompatibleAlbedoParse(elem, material->textures);
    material->random_triangle_colours = parseBoolWithDefault(elem, "random_triangle_colours", false);
    parseCommonFields(elem, *material, &material->albedo);
    return material;
}

Reference<KyranoSpecularMaterial> parseSpecular(const TiXmlElement& elem)
{
    Reference<KyranoSpecularMaterial> material = startMaterial<KyranoSpecularMaterial>(elem, SPECULAR_CHILDREN);
    material->internal_medium_name = parseString(elem, "internal_medium_name");
    material->transparent = parseBool(elem, "transparent");
    parseCommonFields(elem, *material, nullptr);
    return material;
}

Reference<KyranoDiffuseTransmitter> parseDiffuseTransmitter(const TiXmlElement& elem)
{
    Reference<KyranoDiffuseTransmitter> material = startMaterial<KyranoDiffuseTransmitter>(elem, DIFFUSE_TRANSMITTER_CHILDREN);
    material->albedo = backwardsCompatibleAlbedoParse(elem, material->textures);
    parseCommonFields(elem, *material, &material->albedo);
    return material;
}

Reference<KyranoOrenNayarMaterial> parseOrenNayar(const TiXmlElement& elem)
{
    Reference<KyranoOrenNayarMaterial> material = startMaterial<KyranoOrenNayarMaterial>(elem, OREN_NAYAR_CHILDREN);
    material->albedo = backwardsCompatibleAlbedoParse(elem, material->textures);
    material->sigma = parseScalarWithPlainForm(elem, "sigma", material->textures);
    parseCommonFields(elem, *material, &material->albedo);
    return material;
}

Reference<KyranoGlossyTransparent> parseGlossyTransparent(const TiXmlElement& elem)
{
    Reference<KyranoGlossyTransparent> material = startMaterial<KyranoGlossyTransparent>(elem, GLOSSY_TRANSPARENT_CHILDREN);
    material->exponent = parseScalarWithPlainForm(elem, "exponent", material->textures);
    material->internal_medium_name = parseString(elem, "internal_medium_name");
    parseCommonFields(elem, *material, nullptr);
    return material;
}

Reference<KyranoPhongMaterial> parsePhong(const TiXmlElement& elem)
{
    const TiXmlElement* exponent = elem.FirstChildElement("exponent");
    if(!exponent || !hasParameterForm(*exponent))
        return parsePhongOld(elem);

    Reference<KyranoPhongMaterial> material = startMaterial<KyranoPhongMaterial>(elem, PHONG_CHILDREN);
    material->diffuse_albedo = parseOptionalSpectrumMatParameter(elem, "diffuse_albedo", material->textures);
    material->specular_reflectivity = parseOptionalSpectrumMatParameter(elem, "specular_reflectivity", material->textures);
    material->exponent = parseScalarMatParameter(elem, "exponent", material->textures);
    parseCommonFields(elem, *material, &material->diffuse_albedo);
    material->fresnel_scale = parseDoubleWithDefault(elem, "fresnel_scale", 1.0);
    material->ior = parseDoubleWithDefault(elem, "ior", 1.5);
    material->nk_data = parseStringWithDefault(elem, "nk_data", "");
    return material;
}

// The old form allows none of the common elements, so it has no texture list of its own, no
// bump, displacement or emission, and layer 0. Its albedo_texture, bump_map and
// displacement_map are accepted but not read, so that old files keep reading as they always have.
Reference<KyranoPhongMaterial> parsePhongOld(const TiXmlElement& elem)
{
    Reference<KyranoPhongMaterial> material = startMaterial<KyranoPhongMaterial>(elem, PHONG_OLD_CHILDREN);
    material->nk_data = parseStringWithDefault(elem, "nk_data", "");
    if(material->nk_data.empty())
        if(const TiXmlElement* specular = elem.FirstChildElement("specular_reflectivity_spectrum"))
            material->specular_reflectivity = spectrumConstant(*specular);
    material->diffuse_albedo = parsePhongOldDiffuse(elem, material->nk_data);

    material->exponent = makeReference<KyranoConstantWavelengthIndependentParam>(parseDouble(elem, "exponent"));
    const int exponent_index = addPossibleTextureToList(elem, "exponent_map", material->textures);
    if(exponent_index >= 0)
        material->exponent = makeReference<KyranoTextureWavelengthIndependentParam>(exponent_index);

    material->fresnel_scale = parseDoubleWithDefault(elem, "fresnel_scale", 1.0);
    material->ior = parseDoubleWithDefault(elem, "ior", 1.5);
    return material;
}

Reference<KyranoBlendMaterial> parseBlendMaterial(const TiXmlElement& elem)
{
    if(elem.FirstChildElement("blend_factor"))
        return parseBlendMaterialOld(elem);

    Reference<KyranoBlendMaterial> material = startMaterial<KyranoBlendMaterial>(elem, BLEND_CHILDREN);
    material->a_name = parseString(elem, "a_name");
    material->b_name = parseString(elem, "b_name");
    material->blend = parseDisplaceMatParameter(elem, "blend", material->textures);
    material->step_blend = parseBoolWithDefault(elem, "step_blend", false);
    return material;
}

Reference<KyranoBlendMaterial> parseBlendMaterialOld(const TiXmlElement& elem)
{
    Reference<KyranoBlendMaterial> material = startMaterial<KyranoBlendMaterial>(elem, BLEND_OLD_CHILDREN);
    const int blend_index = addPossibleTextureToList(elem, "blend_map", material->textures);
    if(blend_index >= 0)
        material->blend = makeReference<KyranoTextureDisplacementParam>(blend_index);
    else
        material->blend = makeReference<KyranoConstantDisplacementParam>(parseDouble(elem, "blend_factor"));
    material->a_name = parseString(elem, "a_name");
    material->b_name = parseString(elem, "b_name");
    material->step_blend = parseBoolWithDefault(elem, "step_blend", false);
    return material;
}

Reference<KyranoNullMaterial> parseNullMaterial(const TiXmlElement& elem)
{
    return startMaterial<KyranoNullMaterial>(elem, NO_CHILDREN);
}

const TiXmlElement& getMaterialTypeElement(const TiXmlElement& material)
{
    const TiXmlElement* type = nullptr;
    for(const TiXmlElement* child = material.FirstChildElement(); child; child = child->NextSiblingElement())
    {
        if(child->ValueStr() == "name")
            continue;
        if(type)
            throw Excep("Found unexpected element '" + child->ValueStr() + "'." + elementContext(material));
        bool known = false;
        for(const char* const* t = MATERIAL_TYPES; *t && !known; ++t)
            known = child->ValueStr() == *t;
        if(!known)
            throw Excep("Unknown material type '" + child->ValueStr() + "' - Type should be one of '" + sortedMaterialTypes() +
                        "'." + elementContext(material));
        type = child;
    }
    if(!type)
        throw Excep("Failed to find child for element '" + material.ValueStr() + "' - Child should be one of '" +
                    sortedMaterialTypes() + "'." + elementContext(material));
    return *type;
}

Reference<KyranoMaterial> parseMaterial(const TiXmlElement& material)
{
    const TiXmlElement& type_elem = getMaterialTypeElement(material);
    const std::string& type = type_elem.ValueStr();
    Reference<KyranoMaterial> result;
    if(type == "diffuse")
        result = parseDiffuse(type_elem);
    else if(type == "phong")
        result = parsePhong(type_elem);
    else if(type == "specular")
        result = parseSpecular(type_elem);
    else if(type == "glossy_transparent")
        result = parseGlossyTransparent(type_elem);
    else if(type == "diffuse_transmitter")
        result = parseDiffuseTransmitter(type_elem);
    else if(type == "oren_nayar")
        result = parseOrenNayar(type_elem);
    else if(type == "blend")
        result = parseBlendMaterial(type_elem);
    else
        result = parseNullMaterial(type_elem);
    result->name = parseStringWithDefault(material, "name", "");
    return result;
}

} // namespace KyranoSceneParseUtils
} // namespace Kyrano
