#include "KyranoXmlFileNesting.h"

#include <cctype>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

// Each function below follows the TinyXML 2.6.2 function of the same role step for step
// (SkipWhiteSpace, StringEqual, GetChar, GetEntity, ReadText, ReadName and the Parse of each
// node kind), including its pointer steps past a terminator and its character classes taken
// from <cctype> with the same arguments, so that the walk stops, skips and nests exactly where
// the library does. Only the recursion of elements is replaced by a stack of end tags.

namespace Kyrano
{

namespace
{

enum class Encoding
{
    Unknown,
    Utf8,
    Legacy
};

enum class NodeKind
{
    None,
    Declaration,
    Comment,
    CData,
    Unknown,
    Element
};

// Bytes in the UTF-8 character a lead byte starts, as TinyXML's table gives it: invalid lead
// bytes count as one.
int utf8Length(unsigned char lead)
{
    if(lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if(lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if(lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 1;
}

bool isWhiteSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) || c == '\n' || c == '\r';
}

bool isAlpha(unsigned char byte)
{
    return byte < 127 ? std::isalpha(byte) != 0 : true;
}

bool isAlphaNum(unsigned char byte)
{
    return byte < 127 ? std::isalnum(byte) != 0 : true;
}

int toLower(int v, Encoding encoding)
{
    if(encoding == Encoding::Utf8)
        return v < 128 ? std::tolower(v) : v;
    return std::tolower(v);
}

bool isUtf8ZeroWidth(const unsigned char* p)
{
    return p[0] == 0xEF && ((p[1] == 0xBB && p[2] == 0xBF) || (p[1] == 0xBF && (p[2] == 0xBE || p[2] == 0xBF)));
}

class TinyXmlWalk
{
public:
    TinyXmlWalk(int limit, bool condense) : limit_(limit), condense_(condense) {}

    XmlWalkResult run(const char* p)
    {
        document(p);
        return result_;
    }

private:
    const char* skipWhiteSpace(const char* p) const
    {
        if(!p || !*p)
            return nullptr;
        if(encoding_ == Encoding::Utf8)
        {
            while(*p)
            {
                if(isUtf8ZeroWidth(reinterpret_cast<const unsigned char*>(p)))
                {
                    p += 3;
                    continue;
                }
                if(isWhiteSpace(*p))
                    ++p;
                else
                    break;
            }
        }
        else
        {
            while((*p && isWhiteSpace(*p)) || *p == '\n' || *p == '\r')
                ++p;
        }
        return p;
    }

    bool stringEqual(const char* p, const char* tag, bool ignoreCase) const
    {
        if(!p || !*p)
            return false;
        const char* q = p;
        if(ignoreCase)
        {
            while(*q && *tag && toLower(*q, encoding_) == toLower(*tag, encoding_))
            {
                ++q;
                ++tag;
            }
        }
        else
        {
            while(*q && *tag && *q == *tag)
            {
                ++q;
                ++tag;
            }
        }
        return *tag == 0;
    }

    // An entity at p ('&'); appends what it stands for to `text` when given.
    const char* entity(const char* p, std::string* text) const
    {
        static const struct
        {
            const char* name;
            size_t length;
            char character;
        } named[] = { { "&amp;", 5, '&' }, { "&lt;", 4, '<' }, { "&gt;", 4, '>' }, { "&quot;", 6, '"' }, { "&apos;", 6, '\'' } };

        if(p[1] && p[1] == '#' && p[2])
        {
            unsigned long ucs = 0;
            unsigned mult = 1;
            const bool hex = p[2] == 'x';
            if(hex && !p[3])
                return nullptr;
            const char* q = std::strchr(p + (hex ? 3 : 2), ';');
            if(!q || !*q)
                return nullptr;
            const ptrdiff_t delta = q - p;
            for(--q; *q != (hex ? 'x' : '#'); --q, mult *= hex ? 16 : 10)
            {
                if(*q >= '0' && *q <= '9')
                    ucs += mult * static_cast<unsigned>(*q - '0');
                else if(hex && *q >= 'a' && *q <= 'f')
                    ucs += mult * static_cast<unsigned>(*q - 'a' + 10);
                else if(hex && *q >= 'A' && *q <= 'F')
                    ucs += mult * static_cast<unsigned>(*q - 'A' + 10);
                else
                    return nullptr;
            }
            // Only the text of a declaration read before any encoding is known is kept, so
            // the character is the single byte TinyXML makes of it then.
            if(text)
                text->push_back(static_cast<char>(ucs));
            return p + delta + 1;
        }
        for(const auto& e : named)
        {
            if(std::strncmp(e.name, p, e.length) == 0)
            {
                if(text)
                    text->push_back(e.character);
                return p + e.length;
            }
        }
        // An unknown entity: TinyXML keeps nothing of the '&' and goes on after it.
        return p + 1;
    }

    const char* character(const char* p, std::string* text) const
    {
        const int length = encoding_ == Encoding::Utf8 ? utf8Length(static_cast<unsigned char>(*p)) : 1;
        if(length == 1)
        {
            if(*p == '&')
                return entity(p, text);
            if(text)
                text->push_back(*p);
            return p + 1;
        }
        // TinyXML steps over the whole character whether or not its bytes are there.
        return p + length;
    }

    const char* readText(const char* p, bool trimWhiteSpace, const char* endTag, std::string* text) const
    {
        if(!trimWhiteSpace || !condense_)
        {
            while(p && *p && !stringEqual(p, endTag, false))
                p = character(p, text);
        }
        else
        {
            p = skipWhiteSpace(p);
            while(p && *p && !stringEqual(p, endTag, false))
            {
                if(isWhiteSpace(*p))
                    ++p;
                else
                    p = character(p, nullptr);
            }
        }
        if(p && *p)
            p += std::strlen(endTag);
        return p;
    }

    const char* readName(const char* p, std::string& name) const
    {
        name.clear();
        if(!p || !*p || !(isAlpha(static_cast<unsigned char>(*p)) || *p == '_'))
            return nullptr;
        const char* start = p;
        while(*p && (isAlphaNum(static_cast<unsigned char>(*p)) || *p == '_' || *p == '-' || *p == '.' || *p == ':'))
            ++p;
        name.assign(start, static_cast<size_t>(p - start));
        return p;
    }

    const char* attribute(const char* p, std::string& name, std::string* value) const
    {
        if(value)
            value->clear();
        p = skipWhiteSpace(p);
        if(!p || !*p)
            return nullptr;
        p = readName(p, name);
        if(!p || !*p)
            return nullptr;
        p = skipWhiteSpace(p);
        if(!p || !*p || *p != '=')
            return nullptr;
        p = skipWhiteSpace(p + 1);
        if(!p || !*p)
            return nullptr;
        if(*p == '\'' || *p == '"')
        {
            const char quote[2] = { *p, 0 };
            return readText(p + 1, false, quote, value);
        }
        while(*p && !isWhiteSpace(*p) && *p != '/' && *p != '>')
        {
            // A quote inside a value that did not start with one is an error.
            if(*p == '\'' || *p == '"')
                return nullptr;
            if(value)
                value->push_back(*p);
            ++p;
        }
        return p;
    }

    // The declaration; `declaredEncoding` gets the value of its encoding attribute.
    const char* declaration(const char* p, std::string& declaredEncoding) const
    {
        declaredEncoding.clear();
        p = skipWhiteSpace(p);
        if(!p || !*p || !stringEqual(p, "<?xml", true))
            return nullptr;
        p += 5;
        std::string name;
        std::string value;
        while(p && *p)
        {
            if(*p == '>')
                return p + 1;
            p = skipWhiteSpace(p);
            if(!p || !*p)
                break;
            const bool isEncoding = stringEqual(p, "encoding", true);
            if(stringEqual(p, "version", true) || isEncoding || stringEqual(p, "standalone", true))
            {
                p = attribute(p, name, &value);
                if(isEncoding)
                    declaredEncoding = value;
            }
            else
            {
                while(*p && *p != '>' && !isWhiteSpace(*p))
                    ++p;
            }
        }
        return nullptr;
    }

    const char* comment(const char* p) const
    {
        p = skipWhiteSpace(p);
        if(!stringEqual(p, "<!--", false))
            return nullptr;
        p += 4;
        while(*p && !stringEqual(p, "-->", false))
            ++p;
        return *p ? p + 3 : p;
    }

    const char* unknown(const char* p) const
    {
        p = skipWhiteSpace(p);
        if(!p || !*p || *p != '<')
            return nullptr;
        ++p;
        while(*p && *p != '>')
            ++p;
        return *p == '>' ? p + 1 : p;
    }

    const char* text(const char* p, bool cdata) const
    {
        if(cdata || stringEqual(p, "<![CDATA[", false))
        {
            if(!stringEqual(p, "<![CDATA[", false))
                return nullptr;
            p += 9;
            while(*p && !stringEqual(p, "]]>", false))
                ++p;
            return readText(p, false, "]]>", nullptr);
        }
        p = readText(p, true, "<", nullptr);
        return p && *p ? p - 1 : nullptr;
    }

    NodeKind identify(const char* p) const
    {
        p = skipWhiteSpace(p);
        if(!p || !*p || *p != '<')
            return NodeKind::None;
        if(stringEqual(p, "<?xml", true))
            return NodeKind::Declaration;
        if(stringEqual(p, "<!--", false))
            return NodeKind::Comment;
        if(stringEqual(p, "<![CDATA[", false))
            return NodeKind::CData;
        if(stringEqual(p, "<!", false))
            return NodeKind::Unknown;
        if(isAlpha(static_cast<unsigned char>(p[1])) || p[1] == '_')
            return NodeKind::Element;
        return NodeKind::Unknown;
    }

    const char* leaf(NodeKind kind, const char* p) const
    {
        std::string ignored;
        switch(kind)
        {
        case NodeKind::Declaration:
            return declaration(p, ignored);
        case NodeKind::Comment:
            return comment(p);
        case NodeKind::CData:
            return text(p, true);
        case NodeKind::Unknown:
            return unknown(p);
        default:
            return nullptr;
        }
    }

    // An element's start tag. On "/>" the element is complete; on ">" its end tag is pushed
    // and `open` set. Null on an error, or when the element goes past the depth limit.
    const char* startTag(const char* p, bool& open)
    {
        open = false;
        p = skipWhiteSpace(p);
        if(!p || !*p)
            return nullptr;
        const int depth = static_cast<int>(endTags_.size()) + 1;
        if(depth > result_.maxDepth)
            result_.maxDepth = depth;
        if(depth > limit_)
        {
            result_.offendingOffset = static_cast<size_t>(p - start_);
            tooDeep_ = true;
            return nullptr;
        }
        if(*p != '<')
            return nullptr;
        std::string name;
        p = readName(skipWhiteSpace(p + 1), name);
        if(!p || !*p)
            return nullptr;
        std::unordered_set<std::string> attributes;
        std::string attributeName;
        while(p && *p)
        {
            p = skipWhiteSpace(p);
            if(!p || !*p)
                return nullptr;
            if(*p == '/')
                return p[1] == '>' ? p + 2 : nullptr;
            if(*p == '>')
            {
                endTags_.push_back("</" + name);
                open = true;
                return p + 1;
            }
            p = attribute(p, attributeName, nullptr);
            // TinyXML stops at a repeated attribute as at an error.
            if(!p || !*p || !attributes.insert(attributeName).second)
                return nullptr;
        }
        return p;
    }

    // An element with everything inside it: the content of the innermost open element is
    // read until its end tag, children opening and closing on the stack of end tags.
    const char* element(const char* p)
    {
        bool open = false;
        p = startTag(p, open);
        if(!p || !open)
            return p;
        const char* withWhiteSpace = p;
        p = skipWhiteSpace(p);
        for(;;)
        {
            while(p && *p)
            {
                if(*p != '<')
                {
                    p = text(condense_ ? p : withWhiteSpace, false);
                }
                else if(stringEqual(p, "</", false))
                {
                    break;
                }
                else
                {
                    const NodeKind kind = identify(p);
                    if(kind == NodeKind::Element)
                    {
                        p = startTag(p, open);
                        if(p && open)
                        {
                            withWhiteSpace = p;
                            p = skipWhiteSpace(p);
                            continue;
                        }
                    }
                    else
                    {
                        p = leaf(kind, p);
                    }
                }
                withWhiteSpace = p;
                p = skipWhiteSpace(p);
            }
            if(!p || !*p)
                return nullptr;
            // "</name" and then, after any white space, '>'.
            const std::string& endTag = endTags_.back();
            if(!stringEqual(p, endTag.c_str(), false))
                return nullptr;
            p = skipWhiteSpace(p + endTag.size());
            if(!p || *p != '>')
                return nullptr;
            ++p;
            endTags_.pop_back();
            if(endTags_.empty())
                return p;
            withWhiteSpace = p;
            p = skipWhiteSpace(p);
        }
    }

    void document(const char* p)
    {
        start_ = p;
        if(!p || !*p)
            return;
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(p);
        if(bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
            readAsUtf8();
        p = skipWhiteSpace(p);
        while(p && *p)
        {
            const NodeKind kind = identify(p);
            if(kind == NodeKind::None)
                break;
            std::string declaredEncoding;
            if(kind == NodeKind::Element)
                p = element(p);
            else if(kind == NodeKind::Declaration)
                p = declaration(p, declaredEncoding);
            else
                p = leaf(kind, p);
            if(tooDeep_)
                return;
            // The first declaration at the top decides how the rest is read.
            if(encoding_ == Encoding::Unknown && kind == NodeKind::Declaration)
            {
                if(declaredEncoding.empty() || stringEqual(declaredEncoding.c_str(), "UTF-8", true) ||
                   stringEqual(declaredEncoding.c_str(), "UTF8", true))
                    readAsUtf8();
                else
                    encoding_ = Encoding::Legacy;
            }
            p = skipWhiteSpace(p);
        }
    }

    void readAsUtf8()
    {
        encoding_ = Encoding::Utf8;
        result_.readsUtf8 = true;
    }

    const int limit_;
    const bool condense_;
    const char* start_ = nullptr;
    Encoding encoding_ = Encoding::Unknown;
    std::vector<std::string> endTags_;
    bool tooDeep_ = false;
    XmlWalkResult result_;
};

} // namespace

XmlWalkResult walkLikeTinyXml(const char* text, int limit, bool condenseWhiteSpace)
{
    return TinyXmlWalk(limit, condenseWhiteSpace).run(text);
}

} // namespace Kyrano
