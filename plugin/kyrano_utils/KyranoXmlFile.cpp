#include "KyranoXmlFile.h"

#include "KyranoXmlFileNesting.h"
#include "utils/stringutils.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

namespace Kyrano
{

// The text as TinyXML's own file loader would hand it to its parser: up to the first zero
// byte, with "\r\n" and lone "\r" made "\n". Then the terminator and XML_TEXT_PADDING more
// zero bytes: TinyXML steps over a character by its UTF-8 lead byte without checking for the
// terminator, so on text that is not UTF-8 it reads a few bytes beyond it. Whatever lay there
// in memory would otherwise be parsed as more document.
std::string xmlTextAsParsed(const char* text, size_t length)
{
    std::string buffer;
    buffer.reserve(length + XML_TEXT_PADDING + 1);
    for(size_t i = 0; i < length && text[i]; ++i)
    {
        if(text[i] != '\r')
        {
            buffer.push_back(text[i]);
            continue;
        }
        buffer.push_back('\n');
        if(i + 1 < length && text[i + 1] == '\n')
            ++i;
    }
    buffer.append(XML_TEXT_PADDING + 1, '\0');
    return buffer;
}

namespace
{

// Size of the well-formed UTF-8 sequence at text[i], or 0 when there is none.
size_t utf8SequenceAt(const unsigned char* text, size_t i, size_t length)
{
    const unsigned char lead = text[i];
    if(lead < 0x80)
        return 1;
    size_t size = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if(lead >= 0xC2 && lead <= 0xDF)
        size = 2;
    else if(lead >= 0xE0 && lead <= 0xEF)
    {
        size = 3;
        if(lead == 0xE0)
            low = 0xA0;  // no overlong forms
        else if(lead == 0xED)
            high = 0x9F;  // no surrogates
    }
    else if(lead >= 0xF0 && lead <= 0xF4)
    {
        size = 4;
        if(lead == 0xF0)
            low = 0x90;
        else if(lead == 0xF4)
            high = 0x8F;  // nothing past U+10FFFF
    }
    else
        return 0;
    if(length - i < size || text[i + 1] < low || text[i + 1] > high)
        return 0;
    for(size_t k = 2; k < size; ++k)
        if(text[i + k] < 0x80 || text[i + k] > 0xBF)
            return 0;
    return size;
}

// Line and column of a byte as TinyXML counts them: one column per character, tabs to the
// next multiple of four.
std::string lineAndColumn(const std::string& text, size_t offset)
{
    int line = 1;
    int column = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for(size_t i = 0; i < offset;)
    {
        if(bytes[i] == '\n')
        {
            line++;
            column = 0;
            i++;
            continue;
        }
        column = bytes[i] == '\t' ? (column / 4 + 1) * 4 : column + 1;
        const size_t step = utf8SequenceAt(bytes, i, offset);
        i += step ? step : 1;
    }
    return "line " + intToString(line) + ", column " + intToString(column + 1);
}

int lineOfOffset(const std::string& text, size_t offset)
{
    int line = 1;
    for(size_t i = 0; i < offset && i < text.size(); ++i)
        if(text[i] == '\n')
            line++;
    return line;
}

std::string hexByte(unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

bool readWholeFile(const std::string& path, std::string& contents)
{
    std::ifstream file(path, std::ios::binary);
    if(!file)
        return false;
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

} // namespace

int xmlTreeDepth(const TiXmlNode& root)
{
    int deepest = 0;
    std::vector<std::pair<const TiXmlNode*, int>> pending{ { &root, 0 } };
    while(!pending.empty())
    {
        const auto [node, level] = pending.back();
        pending.pop_back();
        for(const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling())
        {
            const int childLevel = level + (child->ToElement() ? 1 : 0);
            deepest = std::max(deepest, childLevel);
            pending.push_back({ child, childLevel });
        }
    }
    return deepest;
}

size_t firstInvalidUtf8(const char* text, size_t length)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for(size_t i = 0; i < length;)
    {
        const size_t size = utf8SequenceAt(bytes, i, length);
        if(size == 0)
            return i;
        i += size;
    }
    return length;
}

int xmlNestingDepth(const char* text, size_t length, int limit, size_t* offending_offset)
{
    const std::string buffer = xmlTextAsParsed(text, length);
    const XmlWalkResult walk = walkLikeTinyXml(buffer.c_str(), limit, TiXmlBase::IsWhiteSpaceCondensed());
    if(offending_offset && walk.maxDepth > limit)
        *offending_offset = walk.offendingOffset;
    return walk.maxDepth;
}

bool loadXmlText(const char* text, size_t length, const std::string& name, TiXmlDocument& doc,
                 std::string& error_out)
{
    const std::string buffer = xmlTextAsParsed(text, length);
    const size_t textLength = buffer.size() - XML_TEXT_PADDING - 1;
    const XmlWalkResult walk =
        walkLikeTinyXml(buffer.c_str(), MAX_XML_NESTING_DEPTH, TiXmlBase::IsWhiteSpaceCondensed());
    if(walk.maxDepth > MAX_XML_NESTING_DEPTH)
    {
        error_out = "Cannot read '" + name + "': elements nest more than " + intToString(MAX_XML_NESTING_DEPTH) +
                    " levels deep (around line " + intToString(lineOfOffset(buffer, walk.offendingOffset)) + ").";
        return false;
    }
    if(walk.readsUtf8)
    {
        const size_t bad = firstInvalidUtf8(buffer.data(), textLength);
        if(bad < textLength)
        {
            error_out = "Cannot read '" + name + "' as XML: byte " +
                        hexByte(static_cast<unsigned char>(buffer[bad])) +
                        " is not valid UTF-8, which the text must be unless its declaration names another "
                        "encoding (" + lineAndColumn(buffer, bad) + ")";
            return false;
        }
    }
    doc.Clear();
    doc.SetValue(name);
    doc.Parse(buffer.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    if(doc.Error())
    {
        error_out = "Cannot read '" + name + "' as XML: " + doc.ErrorDesc();
        if(doc.ErrorRow() > 0)
            error_out += " (line " + intToString(doc.ErrorRow()) + ", column " + intToString(doc.ErrorCol()) + ")";
        return false;
    }
    return true;
}

bool loadXmlFile(const std::string& path, TiXmlDocument& doc, std::string& error_out)
{
    std::error_code ec;
    if(!std::filesystem::exists(path, ec))
    {
        error_out = "Cannot read '" + path + "': no such file.";
        return false;
    }
    // A directory has no text to read.
    if(!std::filesystem::is_regular_file(path, ec))
    {
        error_out = "Cannot read '" + path + "': not a regular file.";
        return false;
    }
    std::string contents;
    if(!readWholeFile(path, contents))
    {
        error_out = "Cannot read '" + path + "': failed to open file.";
        return false;
    }
    return loadXmlText(contents.data(), contents.size(), path, doc, error_out);
}

} // namespace Kyrano
