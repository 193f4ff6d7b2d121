#pragma once

#include <ostream>
#include <string>

// `tavrell check-kym FILE.kym`: reads every material of a material file as the importer
// would, and of the files it includes as the renderer finds them, and prints one line per
// material on out: its name and type, or its name and why it was refused; and one line per
// include: the file it reads, or why it cannot. File-level problems (unreadable, not XML, no `scenedata` root) go to err.
// Returns 0 when every material and every include reads, 1 when any is refused or the file
// itself is (2 stays for a wrong command line).
int checkKymFile(const std::string& path, std::ostream& out, std::ostream& err);
