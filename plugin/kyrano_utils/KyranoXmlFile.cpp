#include "KyranoXmlFile.h"

#include "utils/stringutils.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace Kyrano
{

namespace
{

bool startsWith(const char* text, size_t length, size_t pos, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    return n <= length - pos && std::memcmp(text + pos, prefix, n) == 0;
}

// Position just after the first occurrence of terminator at or after pos, or length.
size_t skipPast(const char* text, size_t length, size_t pos, const char* terminator)
{
    const size_t n = std::strlen(terminator);
    for(; pos + n <= length; ++pos)
        if(std::memcmp(text + pos, terminator, n) == 0)
            return pos + n;
    return length;
}

// From just after "<name", the position after the closing '>' of the start tag (quoted values
// may hold '>'); self_closing tells whether it ended with "/>".
size_t skipStartTag(const char* text, size_t length, size_t pos, bool& self_closing)
{
    self_closing = false;
    char quote = 0;
    for(; pos < length; ++pos)
    {
        const char c = text[pos];
        if(quote)
        {
            if(c == quote)
                quote = 0;
        }
        else if(c == '"' || c == '\'')
            quote = c;
        else if(c == '>')
        {
            self_closing = pos > 0 && text[pos - 1] == '/';
            return pos + 1;
        }
    }
    return length;
}

int lineOfOffset(const std::string& text, size_t offset)
{
    int line = 1;
    for(size_t i = 0; i < offset && i < text.size(); ++i)
        if(text[i] == '\n')
            line++;
    return line;
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

int xmlNestingDepth(const char* text, size_t length, int limit, size_t* offending_offset)
{
    int depth = 0;
    int max_depth = 0;
    size_t pos = 0;
    while(pos < length)
    {
        if(text[pos] != '<')
            pos++;
        else if(startsWith(text, length, pos, "<!--"))
            pos = skipPast(text, length, pos + 4, "-->");
        else if(startsWith(text, length, pos, "<![CDATA["))
            pos = skipPast(text, length, pos + 9, "]]>");
        else if(startsWith(text, length, pos, "<!") || startsWith(text, length, pos, "<?"))
            pos = skipPast(text, length, pos + 2, ">");
        else if(startsWith(text, length, pos, "</"))
        {
            depth = depth > 0 ? depth - 1 : 0;
            pos = skipPast(text, length, pos + 2, ">");
        }
        else
        {
            const size_t tag_start = pos;
            bool self_closing;
            pos = skipStartTag(text, length, pos + 1, self_closing);
            if(self_closing)
                continue;
            depth++;
            if(depth > max_depth)
                max_depth = depth;
            if(max_depth > limit)
            {
                if(offending_offset)
                    *offending_offset = tag_start;
                return max_depth;
            }
        }
    }
    return max_depth;
}

bool loadXmlFile(const std::string& path, TiXmlDocument& doc, std::string& error_out)
{
    std::error_code ec;
    if(!std::filesystem::exists(path, ec))
    {
        error_out = "Cannot read '" + path + "': no such file.";
        return false;
    }
    // TinyXML would take a directory's size for a file's and fail to allocate it.
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
    size_t offset = 0;
    if(xmlNestingDepth(contents.data(), contents.size(), MAX_XML_NESTING_DEPTH, &offset) > MAX_XML_NESTING_DEPTH)
    {
        error_out = "Cannot read '" + path + "': elements nest more than " + intToString(MAX_XML_NESTING_DEPTH) +
                    " levels deep (around line " + intToString(lineOfOffset(contents, offset)) + ").";
        return false;
    }
    if(!doc.LoadFile(path))
    {
        error_out = "Cannot read '" + path + "' as XML: " + doc.ErrorDesc();
        if(doc.ErrorRow() > 0)
            error_out += " (line " + intToString(doc.ErrorRow()) + ", column " + intToString(doc.ErrorCol()) + ")";
        return false;
    }
    return true;
}

} // namespace Kyrano
