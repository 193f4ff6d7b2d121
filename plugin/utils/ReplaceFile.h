// Writing a file so that a failure never destroys the file that was there.
#pragma once
#include <cstdio>
#include <functional>
#include <string>

// Writes through a temporary file beside `path` (`write` fills it; false means it failed) and
// renames it over `path` only when everything was written and closed. With `sync` the data is
// flushed to disk before the rename. Returns an empty string, or what went wrong; on failure
// the temporary is removed and `path` is left as it was.
std::string replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write, bool sync = false);
