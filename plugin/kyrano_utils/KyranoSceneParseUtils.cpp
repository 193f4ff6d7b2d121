// Basic readers and structure checks of the material reader.
#include "KyranoSceneParseUtils.h"

#include "utils/Parser.h"
#include "utils/stringutils.h"

#include <cstring>
#include <set>

namespace Kyrano
{
namespace KyranoSceneParseUtils
{

namespace
{

typedef KyranoSceneParseUtilsExcep Excep;

bool nameInList(const char* name, const char* const* names)
{
    for(; *names; ++names)
        if(std::strcmp(name, *names) == 0)
            return true;
    return false;
}

// Reads one number from the whole text, allowing whitespace around it. The messages differ
// between "no number at all" and "something after the number", as callers report them.
enum NumberResult { NUMBER_OK, NUMBER_MISSING, NUMBER_TRAILING };

template <class T, class ReadFunc>
NumberResult readWholeNumber(const std::string& text, T& value_out, ReadFunc read)
{
    Parser parser(text.data(), text.size());
    parser.parseWhiteSpace();
    if(!read(parser, value_out))
        return NUMBER_MISSING;
    parser.parseWhiteSpace();
    return parser.eof() ? NUMBER_OK : NUMBER_TRAILING;
}

} // namespace

std::string elementContext(const TiXmlElement& elem)
{
    // TinyXML's Row() and Column() are already one-based.
    return "  (In element '" + elem.ValueStr() + "', around line " + intToString(elem.Row()) +
           ", column " + intToString(elem.Column()) + ")";
}

const TiXmlElement& getChildElement(const TiXmlElement& elem, const std::string& name)
{
    const TiXmlElement* child = elem.FirstChildElement(name);
    if(!child)
        throw Excep("Failed to find expected element '" + name + "'." + elementContext(elem));
    return *child;
}

std::string parseString(const TiXmlElement& parent, const std::string& name)
{
    const TiXmlElement* child = parent.FirstChildElement(name);
    if(!child)
        throw Excep("could not find element '" + name + "'." + elementContext(parent));

    // A comment splits the text into several text nodes; they read as one string.
    std::string result;
    for(const TiXmlNode* node = child->FirstChild(); node; node = node->NextSibling())
        if(node->ToText())
            result += node->ValueStr();
    return result;
}

double parseDouble(const TiXmlElement& parent, const std::string& name)
{
    const std::string text = parseString(parent, name);
    double value = 0;
    const NumberResult result = readWholeNumber(text, value, [](Parser& p, double& v) { return p.parseDouble(v); });
    if(result == NUMBER_MISSING)
        throw Excep("Failed to parse double from '" + text + "'." + elementContext(parent));
    if(result == NUMBER_TRAILING)
        throw Excep("Parse error while parsing double from '" + text + "'." + elementContext(parent));
    return value;
}

int parseInt(const TiXmlElement& parent, const std::string& name)
{
    const std::string text = parseString(parent, name);
    int value = 0;
    const NumberResult result = readWholeNumber(text, value, [](Parser& p, int& v) { return p.parseInt(v); });
    if(result == NUMBER_MISSING)
        throw Excep("Failed to parse integer from '" + text + "'." + elementContext(parent));
    if(result == NUMBER_TRAILING)
        throw Excep("Parse error while parsing integer from '" + text + "'." + elementContext(parent));
    return value;
}

Vec3 parseVec3(const TiXmlElement& parent, const std::string& name)
{
    const std::string text = parseString(parent, name);
    Parser parser(text.data(), text.size());
    double v[3];
    for(int i = 0; i < 3; ++i)
    {
        parser.parseWhiteSpace();
        if(!parser.parseDouble(v[i]))
            throw Excep("Failed to parse Vec3 from '" + text + "'." + elementContext(parent));
    }
    parser.parseWhiteSpace();
    if(parser.notEOF())
        throw Excep("Parse error while parsing Vec3 from '" + text + "'." + elementContext(parent));
    return Vec3(v[0], v[1], v[2]);
}

bool parseBool(const TiXmlElement& parent, const std::string& name)
{
    const std::string text = parseString(parent, name);
    if(text == "true")
        return true;
    if(text == "false")
        return false;
    throw Excep("Invalid boolean value (Should be 'true' or 'false')." + elementContext(parent));
}

double parseDoubleWithDefault(const TiXmlElement& parent, const std::string& name, double default_value)
{
    return parent.FirstChildElement(name) ? parseDouble(parent, name) : default_value;
}

int parseIntWithDefault(const TiXmlElement& parent, const std::string& name, int default_value)
{
    return parent.FirstChildElement(name) ? parseInt(parent, name) : default_value;
}

bool parseBoolWithDefault(const TiXmlElement& parent, const std::string& name, bool default_value)
{
    return parent.FirstChildElement(name) ? parseBool(parent, name) : default_value;
}

std::string parseStringWithDefault(const TiXmlElement& parent, const std::string& name, const std::string& default_value)
{
    return parent.FirstChildElement(name) ? parseString(parent, name) : default_value;
}

void checkOnlyElements(const TiXmlElement& elem, const char* const* allowed_names)
{
    for(const TiXmlElement* child = elem.FirstChildElement(); child; child = child->NextSiblingElement())
        if(!nameInList(child->Value(), allowed_names))
            throw Excep("Found unexpected element '" + child->ValueStr() + "'." + elementContext(elem));
}

const TiXmlElement& checkExactlyOneChild(const TiXmlElement& elem, const char* const* names)
{
    const TiXmlElement* found = nullptr;
    for(const TiXmlElement* child = elem.FirstChildElement(); child; child = child->NextSiblingElement())
    {
        if(!nameInList(child->Value(), names))
            throw Excep("Found unexpected element '" + child->ValueStr() + "'." + elementContext(elem));
        // The wording is fixed, including the missing quote after the second name and the two spaces.
        if(found)
            throw Excep("Found unexpected element '" + child->ValueStr() + ",  already parsed mutually exclusive element '" +
                        found->ValueStr() + "'." + elementContext(elem));
        found = child;
    }
    if(!found)
    {
        std::set<std::string> sorted; // std::string compares bytewise, as unsigned chars.
        for(const char* const* n = names; *n; ++n)
            sorted.insert(*n);
        throw Excep("Failed to find child for element '" + elem.ValueStr() + "' - Child should be one of '" +
                    StringUtils::join(sorted, "', '") + "'." + elementContext(elem));
    }
    return *found;
}

} // namespace KyranoSceneParseUtils
} // namespace Kyrano
