// Fuzz target: any bytes, read as XML the way every reader of the system reads it
// (Kyrano::loadXmlText), then every `material` element in it read with the material reader.
// Refusals are expected; crashes, hangs and sanitizer reports are not.
//
// It also checks the depth guard against TinyXML itself: whenever the guard lets a text
// through, TinyXML must build exactly as deep a tree as the guard said. The first byte's low
// bit chooses whether TinyXML condenses white space (the settings file is read without).
#include "kyrano_utils/KyranoSceneParseUtils.h"
#include "kyrano_utils/KyranoXmlFile.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace
{

void readMaterialsUnder(const TiXmlElement& root)
{
    std::vector<const TiXmlElement*> pending{ &root };
    while(!pending.empty())
    {
        const TiXmlElement* elem = pending.back();
        pending.pop_back();
        if(elem->ValueStr() == "material")
        {
            try
            {
                Kyrano::KyranoSceneParseUtils::parseMaterial(*elem);
            }
            catch(const Kyrano::KyranoSceneParseUtilsExcep&)
            {
            }
        }
        for(const TiXmlElement* child = elem->FirstChildElement(); child; child = child->NextSiblingElement())
            pending.push_back(child);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    TiXmlBase::SetCondenseWhiteSpace(size == 0 || (data[0] & 1) == 0);

    TiXmlDocument doc;
    std::string error;
    if(Kyrano::loadXmlText(text, size, "fuzz input", doc, error))
    {
        for(const TiXmlElement* e = doc.FirstChildElement(); e; e = e->NextSiblingElement())
            readMaterialsUnder(*e);
    }

    const int guarded = Kyrano::xmlNestingDepth(text, size, Kyrano::MAX_XML_NESTING_DEPTH, nullptr);
    if(guarded <= Kyrano::MAX_XML_NESTING_DEPTH)
    {
        const std::string buffer = Kyrano::xmlTextAsParsed(text, size);
        TiXmlDocument raw;
        raw.Parse(buffer.c_str());
        if(Kyrano::xmlTreeDepth(raw) != guarded)
            __builtin_trap();
    }
    return 0;
}
