// Path and scene helpers shared across the plug-in.
#pragma once
#include <vector>
#include "c4d.h"

namespace Helpers {

// The string in the host's 8-bit encoding with a terminating NUL; the caller deletes[] it.
char* StringToChar(const String& str);
// The file name relative to the folder, or null when the paths are too short (< 4) or too
// long (> 2048). The result lives in a buffer of the function's own until the next call.
char* GetRelativeFilename(const char* currentDirectory, const char* absoluteFilename);
// The absolute file name of a relative one; separators of rel are turned into '/' in place.
char* GetAbsoluteFilename(const char* currentDirectory, char* relativeFilename);
// The texture as the host finds it for a document, or an empty Filename.
Filename GetTexturePath(const Filename& texture, const Filename& documentPath);
// Maps a material helper's channel choice to the host's channel and shader link id.
void GetChannelAndShader(LONG choice, LONG& channel, LONG& shaderLink);
// The texture tag restricted to the selection tag's name, else the first unrestricted one.
TextureTag* GetTexTagWithSelection(const std::vector<TextureTag*>& tags, BaseTag* selectionTag);
// The texture tags of the object, then of its parents (or generator), in tag order.
std::vector<TextureTag*> GetAllTextureTags(BaseObject* op);

}  // namespace Helpers
