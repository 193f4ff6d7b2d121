// Path and scene helpers shared across the plug-in.
#pragma once
#include <vector>
#include "c4d.h"

namespace Helpers {

// Longest path, in characters, that the two path functions accept and return.
const int MAX_PATH_CHARS = 2048;

// The string in the host's 8-bit encoding with a terminating NUL; the caller deletes[] it.
char* StringToChar(const String& str);
// The file name relative to the folder, or null when the paths are too short (< 4) or too
// long (> 2048), or the relative name would be longer than 2048 characters. The result lives
// in a buffer of the function's own until the next call.
char* GetRelativeFilename(const char* currentDirectory, const char* absoluteFilename);
// The absolute file name of a relative one; separators of rel are turned into '/' in place.
// Each "../" climbs one folder: a leading one climbs out of the folder (never above its
// start), one after a name cancels that name. Null when the result would be longer than 2048
// characters. The result lives in a buffer of the function's own until the next call.
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
