#include "command/HelpersPaths.h"

#include <cstring>

namespace Helpers {

char* StringToChar(const String& str) {
  const LONG len = str.GetCStringLen(St8bit);
  char* out = new char[size_t(len) + 1];
  str.GetCString(out, len + 1, St8bit);
  return out;
}

}  // namespace Helpers
