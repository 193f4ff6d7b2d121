// The file writer lives in fileio/, a library of its own that the host, the plug-in, the
// renderer and the command all link; this name stays for the sources that still include it
// under utils/.
#pragma once
#include "../../fileio/ReplaceFile.h"
