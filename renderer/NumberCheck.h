// Finds numbers that are not finite (nan, inf, infinity in any spelling the C library reads,
// or a value too large for a double) in the numeric elements below an element.
#pragma once
#include <tinyxml.h>

#include <string>
#include <vector>

namespace renderer {

struct NonFiniteNumber {
  const TiXmlElement* element;  // the element whose text holds it
  std::string path;             // its path from below the root, e.g. "camera/pos"
  std::string token;            // the number as written
};

// Every element holding text is numeric, except those whose text is a name or a path
// ("name", "path", "material_name", ...) and shader programs.
std::vector<NonFiniteNumber> FindNonFiniteNumbers(const TiXmlElement& root);

// True when strtod reads the whole token and the value is nan or infinite (or overflows).
bool IsNonFiniteNumber(const std::string& token);

}  // namespace renderer
