// Spectra and material parameters of the material reader.
#include "KyranoSceneParseUtils.h"

#include "utils/Parser.h"
#include "utils/stringutils.h"

#include <cmath>

namespace Kyrano
{
namespace KyranoSceneParseUtils
{

namespace
{

typedef KyranoSceneParseUtilsExcep Excep;

const char* const SPECTRUM_KINDS[] = { "peak", "blackbody", "rgb", "uniform", "regular_tabulated", nullptr };
const char* const PARAMETER_FORMS[] = { "constant", "texture", "shader", nullptr };

const char* const UNIFORM_CHILDREN[] = { "value", nullptr };
const char* const RGB_CHILDREN[] = { "rgb", "gamma", nullptr };
const char* const PEAK_CHILDREN[] = { "peak_min", "peak_max", "peak_width", "peak_value", "base_value", nullptr };
const char* const BLACKBODY_CHILDREN[] = { "temperature", "gain", nullptr };
const char* const REGULAR_CHILDREN[] = { "start_wavelength", "end_wavelength", "num_values", "values", nullptr };

Reference<KyranoSpectrum> parseUniform(const TiXmlElement& elem)
{
    checkOnlyElements(elem, UNIFORM_CHILDREN);
    return makeReference<KyranoUniformSpectrum>(parseDouble(elem, "value"));
}

Reference<KyranoSpectrum> parseRGB(const TiXmlElement& elem)
{
    checkOnlyElements(elem, RGB_CHILDREN);
    const Vec3 rgb = parseVec3(elem, "rgb");
    const double gamma = parseDouble(elem, "gamma");
    // The file holds gamma-encoded components; the model holds linear ones.
    return makeReference<KyranoRGBSpectrum>(Vec3(std::pow(rgb.x, gamma), std::pow(rgb.y, gamma), std::pow(rgb.z, gamma)));
}

Reference<KyranoSpectrum> parsePeak(const TiXmlElement& elem)
{
    checkOnlyElements(elem, PEAK_CHILDREN);
    Reference<KyranoPeakSpectrum> peak = makeReference<KyranoPeakSpectrum>();
    peak->peak_min = parseDouble(elem, "peak_min");
    // The peak's end is given either as a wavelength or as the width from its start.
    const bool hasMax = elem.FirstChildElement("peak_max") != nullptr;
    const bool hasWidth = elem.FirstChildElement("peak_width") != nullptr;
    if(hasMax && hasWidth)
        throw Excep("Found both 'peak_max' and 'peak_width'; give one of them." + elementContext(elem));
    peak->peak_max = hasWidth ? peak->peak_min + parseDouble(elem, "peak_width") : parseDouble(elem, "peak_max");
    peak->peak_value = parseDouble(elem, "peak_value");
    peak->base_value = parseDouble(elem, "base_value");
    return peak;
}

Reference<KyranoSpectrum> parseBlackBody(const TiXmlElement& elem)
{
    checkOnlyElements(elem, BLACKBODY_CHILDREN);
    Reference<KyranoBlackBodySpectrum> blackbody = makeReference<KyranoBlackBodySpectrum>();
    blackbody->temperature = parseDouble(elem, "temperature");
    blackbody->gain = parseDouble(elem, "gain");
    return blackbody;
}

// The count is checked before the wavelengths, so a bad count is what gets reported.
void checkRegularTabulatedRange(const TiXmlElement& elem, int num_values, double start, double end)
{
    if(num_values < 2)
        throw Excep("num_values must be >= 2." + elementContext(elem));
    if(num_values > 1000000)
        throw Excep("num_values must be <= 1e6." + elementContext(elem));
    if(start > 0.4e-6)
        throw Excep("start_wavelength must be <= 0.4e-6 m (400 nm)." + elementContext(elem));
    if(end < 0.7e-6)
        throw Excep("end_wavelength must be >= 0.7e-6 m (700 nm)." + elementContext(elem));
}

Reference<KyranoSpectrum> parseRegularTabulated(const TiXmlElement& elem)
{
    checkOnlyElements(elem, REGULAR_CHILDREN);
    const double start = parseDouble(elem, "start_wavelength"); // metres
    const double end = parseDouble(elem, "end_wavelength");
    const int num_values = parseInt(elem, "num_values");
    checkRegularTabulatedRange(elem, num_values, start, end);

    Reference<KyranoRegularSpectrum> spectrum = makeReference<KyranoRegularSpectrum>();
    spectrum->start_wavelength = start * 1e9; // nanometres
    spectrum->end_wavelength = end * 1e9;
    spectrum->num_values = num_values;

    // Anything after the last needed number is ignored. The list grows as numbers are read,
    // so a large count with a short text fails before allocating for the count.
    const std::string text = parseString(elem, "values");
    Parser parser(text.data(), text.size());
    for(int i = 0; i < num_values; ++i)
    {
        parser.parseWhiteSpace();
        double value;
        if(!parser.parseDouble(value))
            throw Excep("Syntax error while parsing data." + elementContext(elem));
        spectrum->values.push_back(value);
    }
    return spectrum;
}

int parseTextureIndex(const TiXmlElement& texture_elem, const TextureList& textures)
{
    const int index = parseInt(texture_elem, "texture_index");
    if(index < 0 || (size_t)index >= textures.size())
        throw Excep("Texture index '" + intToString(index) + "' is out of bounds." + elementContext(texture_elem));
    return index;
}

std::string parseShaderText(const TiXmlElement& shader_elem)
{
    return parseString(shader_elem, "shader");
}

// The three families share their shape: Constant, Texture and Shader are the family's
// classes, readConstant reads the constant element's value.
template <class Base, class Constant, class Texture, class Shader, class ReadConstant>
Reference<Base> parseParameterDirectly(const TiXmlElement& elem, const TextureList& textures, ReadConstant readConstant)
{
    const TiXmlElement& form = checkExactlyOneChild(elem, PARAMETER_FORMS);
    const std::string& name = form.ValueStr();
    if(name == "constant")
        return makeReference<Constant>(readConstant(elem, form));
    if(name == "texture")
        return makeReference<Texture>(parseTextureIndex(form, textures));
    return makeReference<Shader>(parseShaderText(form));
}

double readScalarConstant(const TiXmlElement& param_elem, const TiXmlElement&)
{
    return parseDouble(param_elem, "constant");
}

Reference<KyranoSpectrum> readSpectrumConstant(const TiXmlElement&, const TiXmlElement& constant_elem)
{
    return parseSpectrum(constant_elem);
}

} // namespace

Reference<KyranoSpectrum> parseSpectrum(const TiXmlElement& elem)
{
    const TiXmlElement& kind = checkExactlyOneChild(elem, SPECTRUM_KINDS);
    const std::string& name = kind.ValueStr();
    if(name == "uniform")
        return parseUniform(kind);
    if(name == "rgb")
        return parseRGB(kind);
    if(name == "peak")
        return parsePeak(kind);
    if(name == "blackbody")
        return parseBlackBody(kind);
    return parseRegularTabulated(kind);
}

Reference<KyranoWavelengthDependentParam> parseSpectrumMatParameterDirectly(const TiXmlElement& elem, const TextureList& textures)
{
    return parseParameterDirectly<KyranoWavelengthDependentParam, KyranoConstantWavelengthDependentParam,
                                  KyranoTextureWavelengthDependentParam, KyranoShaderWavelengthDependentParam>(
        elem, textures, readSpectrumConstant);
}

Reference<KyranoWavelengthIndependentParam> parseScalarMatParameterDirectly(const TiXmlElement& elem, const TextureList& textures)
{
    return parseParameterDirectly<KyranoWavelengthIndependentParam, KyranoConstantWavelengthIndependentParam,
                                  KyranoTextureWavelengthIndependentParam, KyranoShaderWavelengthIndependentParam>(
        elem, textures, readScalarConstant);
}

Reference<KyranoDisplacementParam> parseDisplaceMatParameterDirectly(const TiXmlElement& elem, const TextureList& textures)
{
    return parseParameterDirectly<KyranoDisplacementParam, KyranoConstantDisplacementParam,
                                  KyranoTextureDisplacementParam, KyranoShaderDisplacementParam>(
        elem, textures, readScalarConstant);
}

Reference<KyranoWavelengthDependentParam> parseSpectrumMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures)
{
    return parseSpectrumMatParameterDirectly(getChildElement(parent, name), textures);
}

Reference<KyranoWavelengthIndependentParam> parseScalarMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures)
{
    return parseScalarMatParameterDirectly(getChildElement(parent, name), textures);
}

Reference<KyranoDisplacementParam> parseDisplaceMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures)
{
    return parseDisplaceMatParameterDirectly(getChildElement(parent, name), textures);
}

Reference<KyranoWavelengthDependentParam> parseOptionalSpectrumMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures)
{
    const TiXmlElement* elem = parent.FirstChildElement(name);
    return elem ? parseSpectrumMatParameterDirectly(*elem, textures) : Reference<KyranoWavelengthDependentParam>();
}

Reference<KyranoWavelengthIndependentParam> parseOptionalScalarMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures)
{
    const TiXmlElement* elem = parent.FirstChildElement(name);
    return elem ? parseScalarMatParameterDirectly(*elem, textures) : Reference<KyranoWavelengthIndependentParam>();
}

Reference<KyranoDisplacementParam> parseOptionalDisplaceMatParameter(const TiXmlElement& parent, const std::string& name, const TextureList& textures)
{
    const TiXmlElement* elem = parent.FirstChildElement(name);
    return elem ? parseDisplaceMatParameterDirectly(*elem, textures) : Reference<KyranoDisplacementParam>();
}

} // namespace KyranoSceneParseUtils
} // namespace Kyrano
