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

// An upper estimate of how deep the elements of the text nest (comments, CDATA, declarations
// and quoted attribute values are skipped). Stops counting at limit + 1, setting
// offending_offset to where that depth was reached; offending_offset may be null.
int xmlNestingDepth(const char* text, size_t length, int limit, size_t* offending_offset);

// Loads an XML file into doc. On failure returns false and sets error_out to one line that
// names the file and what is wrong with it (TinyXML's error with line and column).
bool loadXmlFile(const std::string& path, TiXmlDocument& doc, std::string& error_out);

} // namespace Kyrano
