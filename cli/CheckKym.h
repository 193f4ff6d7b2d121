#pragma once

#include <ostream>
#include <string>

// `tavrell check-kym FILE.kym`: reads every material of a material file as the importer
// would and prints one line per material on out: its name and type, or its name and why it
// was refused. File-level problems (unreadable, not XML, no `scenedata` root) go to err.
// Returns 0 when every material reads, 1 when any is refused, 2 when the file itself is.
int checkKymFile(const std::string& path, std::ostream& out, std::ostream& err);
