#pragma once

#include <cstddef>

namespace Kyrano
{

// What walking a text the way TinyXML 2.6.2 parses it found out, without building anything.
struct XmlWalkResult
{
    // The deepest element nesting TinyXML reaches on this text (counting stops at limit + 1).
    int maxDepth = 0;
    // Where the element that first went past the limit starts (its '<').
    size_t offendingOffset = 0;
    // Whether TinyXML reads (part of) the text as UTF-8, stepping over a character by its
    // lead byte: a byte order mark, or a top-level declaration naming UTF-8 or no encoding.
    bool readsUtf8 = false;
};

// Walks `text` as TinyXML's parser does: the same tokens, the same UTF-8 stepping and entity
// handling, the same places where it stops on an error, and the same switch of encoding at the
// first top-level declaration. TinyXML recurses once per open element, so the depth found here
// is exactly the depth its parse (and its later destruction) recurses to, for every input.
// The walk is iterative. `text` must be the buffer TinyXML will be given: terminated by a zero
// byte and followed by at least XML_TEXT_PADDING more zero bytes, because TinyXML steps a few
// bytes past the terminator on some inputs, and so does this walk.
XmlWalkResult walkLikeTinyXml(const char* text, int limit, bool condenseWhiteSpace);

// Zero bytes after the terminator: more than any step of TinyXML's parser goes past it.
const size_t XML_TEXT_PADDING = 16;

} // namespace Kyrano
