// Fuzz target: any bytes, read as XML by TinyXML, then every `material` element in it read
// with the material reader. Refusals are expected; crashes, hangs and sanitizer reports are not.
#include "kyrano_utils/KyranoSceneParseUtils.h"
#include "kyrano_utils/KyranoXmlFile.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{

void readMaterialsUnder(const TiXmlElement& elem)
{
    if(elem.ValueStr() == "material")
    {
        try
        {
            Kyrano::KyranoSceneParseUtils::parseMaterial(elem);
        }
        catch(const Kyrano::KyranoSceneParseUtilsExcep&)
        {
        }
    }
    for(const TiXmlElement* child = elem.FirstChildElement(); child; child = child->NextSiblingElement())
        readMaterialsUnder(*child);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The same guard the file loader applies before TinyXML, whose parsing recurses per level.
    if(Kyrano::xmlNestingDepth(text.data(), text.size(), Kyrano::MAX_XML_NESTING_DEPTH, nullptr) > Kyrano::MAX_XML_NESTING_DEPTH)
        return 0;

    TiXmlDocument doc;
    doc.Parse(text.c_str());
    for(const TiXmlElement* e = doc.FirstChildElement(); e; e = e->NextSiblingElement())
        readMaterialsUnder(*e);
    return 0;
}
