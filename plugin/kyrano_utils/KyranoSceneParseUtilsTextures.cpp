// Textures, texture coordinate generators and rotations of the material reader.
#include "KyranoSceneParseUtils.h"

#include "utils/Parser.h"

namespace Kyrano
{
namespace KyranoSceneParseUtils
{

namespace
{

typedef KyranoSceneParseUtilsExcep Excep;

const char* const GENERATOR_KINDS[] = { "spherical", "uv", "spherical_environment", nullptr };
const char* const NO_CHILDREN[] = { nullptr };
const char* const SPHERICAL_CHILDREN[] = { "rotation", nullptr };
const char* const ROTATION_KINDS[] = { "matrix", "axis_rotation", nullptr };
const char* const AXIS_ROTATION_CHILDREN[] = { "axis", "angle", nullptr };

Reference<KyranoRotation> parseMatrixRotation(const TiXmlElement& rotation_elem)
{
    const std::string text = parseString(rotation_elem, "matrix");
    Parser parser(text.data(), text.size());
    Reference<KyranoMatrixRotation> rotation = makeReference<KyranoMatrixRotation>();
    for(int i = 0; i < 9; ++i)
    {
        parser.parseWhiteSpace();
        if(!parser.parseDouble(rotation->matrix[i / 3][i % 3]))
            throw Excep("syntax error while parsing Matrix." + elementContext(rotation_elem));
    }
    return rotation;
}

Reference<KyranoRotation> parseAxisRotation(const TiXmlElement& axis_elem)
{
    checkOnlyElements(axis_elem, AXIS_ROTATION_CHILDREN);
    Reference<KyranoAxisRotation> rotation = makeReference<KyranoAxisRotation>();
    rotation->axis = parseVec3(axis_elem, "axis");
    rotation->angle = parseDouble(axis_elem, "angle");
    return rotation;
}

template <class Generator>
Reference<KyranoTexCoordGenerator> parseSphericalGenerator(const TiXmlElement& elem)
{
    checkOnlyElements(elem, SPHERICAL_CHILDREN);
    Reference<Generator> generator = makeReference<Generator>();
    generator->rotation = parseRotationWithDefault(elem, "rotation");
    return generator;
}

} // namespace

KyranoTexture parseTexture(const TiXmlElement& elem)
{
    KyranoTexture texture;
    texture.path = parseString(elem, "path");
    texture.a = parseDoubleWithDefault(elem, "a", 0.0);
    texture.b = parseDoubleWithDefault(elem, "b", 1.0);
    texture.c = parseDoubleWithDefault(elem, "c", 0.0);
    texture.uv_set = parseString(elem, "uv_set");
    texture.exponent = parseDoubleWithDefault(elem, "exponent", 1.0);
    const TiXmlElement* generator = elem.FirstChildElement("tex_coord_generation");
    if(generator)
        texture.tex_coord_generation = parseTexCoordGenerator(*generator);
    else
        texture.tex_coord_generation = makeReference<KyranoUVTexCoordGenerator>();
    return texture;
}

void parseMaterialTextures(const TiXmlElement& elem, TextureList& textures)
{
    for(const TiXmlElement* child = elem.FirstChildElement("texture"); child; child = child->NextSiblingElement("texture"))
        textures.push_back(parseTexture(*child));
}

int addPossibleTextureToList(const TiXmlElement& elem, const std::string& name, TextureList& textures)
{
    const TiXmlElement* child = elem.FirstChildElement(name);
    if(!child)
        return -1;
    textures.push_back(parseTexture(*child));
    return (int)textures.size() - 1;
}

Reference<KyranoTexCoordGenerator> parseTexCoordGenerator(const TiXmlElement& elem)
{
    const TiXmlElement& kind = checkExactlyOneChild(elem, GENERATOR_KINDS);
    const std::string& name = kind.ValueStr();
    if(name == "uv")
    {
        checkOnlyElements(kind, NO_CHILDREN);
        return makeReference<KyranoUVTexCoordGenerator>();
    }
    if(name == "spherical")
        return parseSphericalGenerator<KyranoSphericalTexCoordGenerator>(kind);
    return parseSphericalGenerator<KyranoSphericalEnvTexCoordGenerator>(kind);
}

Reference<KyranoRotation> parseRotationWithDefault(const TiXmlElement& elem, const std::string& name)
{
    const TiXmlElement* child = elem.FirstChildElement(name);
    if(child)
        return parseRotation(*child);
    return makeReference<KyranoMatrixRotation>(); // the identity
}

Reference<KyranoRotation> parseRotation(const TiXmlElement& elem)
{
    const TiXmlElement& kind = checkExactlyOneChild(elem, ROTATION_KINDS);
    if(kind.ValueStr() == "matrix")
        return parseMatrixRotation(elem);
    return parseAxisRotation(kind);
}

} // namespace KyranoSceneParseUtils
} // namespace Kyrano
