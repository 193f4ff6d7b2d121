// The files a document names (textures, IES profiles, any file parameter) when the document is
// saved in another folder.
#pragma once
#include <string>

#include "c4d.h"

namespace cli {

// Renames the document to newPath and rewrites every relative file name of its nodes that it
// found beside its old place, so that it still finds the file from its new one: relative to
// the new folder when the file lies inside it, absolute otherwise. Names it did not find are
// left as they are. Returns how many names were rewritten.
int RebaseFileNames(BaseDocument* doc, const std::string& newPath);

}  // namespace cli
