// Writing a file so that a failure never destroys the file that was there, and the file's name
// never stands empty: the one way every file of the system is written (scenes, mesh files,
// documents, settings, material files, reports, batch files).
#pragma once
#include <cstdio>
#include <functional>
#include <string>

// Writes through a temporary file in the folder of `path` (`write` fills it; false means it
// failed), then puts it in place only when everything was written and closed. With `sync`
// the data is flushed to disk first. Returns an empty string, or one line saying what went
// wrong and on which file; on failure the temporary is removed and `path` is left as it was.
//
// The temporary's name is unique to the process and the call, and it is created exclusively
// without following symbolic links, so two writers never share one and a link planted in the
// folder is never written through. An existing regular file at `path` is exchanged with the
// finished temporary in one step and then removed under the temporary's name: a replacing
// rename would make the file system flush the new data first, and removing the old file before
// renaming would leave the name empty in between. Where the exchange is not supported, the
// temporary is renamed over `path`. Whatever stands at `path` itself (a link, say) is replaced,
// never followed.
std::string replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write, bool sync = false);

// The same with the bytes given.
std::string replaceFileWithBytes(const std::string& path, const std::string& bytes, bool sync = false);

// Puts the file `source` at `path` as a hard link to it, so the two names share one file,
// made under a temporary name and put in place as above. Where the file system refuses the
// link (another device, no links), `source` is copied as replaceFile writes; `copied` then
// says so. Returns an empty string, or one line saying what went wrong.
std::string replaceFileWithLink(const std::string& path, const std::string& source, bool* copied = nullptr);
