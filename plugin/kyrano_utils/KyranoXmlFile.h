#pragma once

#include <tinyxml.h>

#include <cstddef>
#include <string>

namespace Kyrano
{

// TinyXML parses and frees nested elements recursively, so a file nested deep enough runs
// it out of stack. Material and scene files nest a dozen levels; anything beyond this limit
// is refused before TinyXML sees it.
const int MAX_XML_NESTING_DEPTH = 256;

// How deep the elements of the text nest when TinyXML parses it (comments, CDATA, declarations,
// attribute values and everything TinyXML skips or stops at are taken as TinyXML takes them).
// Stops counting at limit + 1, setting offending_offset to where that element starts in the
// text as TinyXML reads it (line ends as '\n'); offending_offset may be null.
int xmlNestingDepth(const char* text, size_t length, int limit, size_t* offending_offset);

// Reads XML text into doc, the way every reader of this system hands bytes to TinyXML: the
// text up to its first zero byte, line ends made '\n', parsed from a buffer padded with zero
// bytes so that no step of the parser can leave it. Refused before parsing: elements nested
// more than MAX_XML_NESTING_DEPTH levels, and text that TinyXML would read as UTF-8 (it has a
// byte order mark, or its declaration names UTF-8 or no encoding) but that is not well-formed
// UTF-8. On failure returns false and sets error_out to one line that names `name` and what
// is wrong, with the line and column.
bool loadXmlText(const char* text, size_t length, const std::string& name, TiXmlDocument& doc,
                 std::string& error_out);

// The buffer loadXmlText hands to TinyXML for this text: up to its first zero byte, "\r\n" and
// lone "\r" made "\n", then zero bytes past the terminator.
std::string xmlTextAsParsed(const char* text, size_t length);

// Loads an XML file into doc through loadXmlText. On failure returns false and sets error_out
// to one line that names the file and what is wrong with it.
bool loadXmlFile(const std::string& path, TiXmlDocument& doc, std::string& error_out);

// How deep the elements of a parsed document nest, counted without recursion.
int xmlTreeDepth(const TiXmlNode& root);

// The offset of the first byte of text[0, length) that does not belong to a well-formed UTF-8
// sequence (no overlong forms, surrogates or values past U+10FFFF), or length when all do.
size_t firstInvalidUtf8(const char* text, size_t length);

} // namespace Kyrano
