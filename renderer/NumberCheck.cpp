#include "NumberCheck.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>

namespace renderer {

namespace {

bool IsTextElement(const std::string& name) {
  static const std::set<std::string> text = {
      "name",          "mesh_name",   "material_name", "path",    "pathname",   "a_name",
      "b_name",        "internal_medium_name",         "nk_data", "uv_set",     "measure",
      "shader",        "white_balance", "response_function_path"};
  return text.count(name) > 0;
}

void Walk(const TiXmlElement& element, const std::string& path, std::vector<NonFiniteNumber>& found) {
  for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement()) {
    const std::string childPath = path.empty() ? child->ValueStr() : path + "/" + child->ValueStr();
    if (IsTextElement(child->ValueStr())) continue;
    if (const char* text = child->GetText()) {
      std::istringstream tokens(text);
      std::string token;
      while (tokens >> token)
        if (IsNonFiniteNumber(token)) found.push_back(NonFiniteNumber{child, childPath, token});
    }
    Walk(*child, childPath, found);
  }
}

}  // namespace

bool IsNonFiniteNumber(const std::string& token) {
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(token.c_str(), &end);
  if (end == token.c_str() || *end != '\0') return false;
  return !std::isfinite(value) || (errno == ERANGE && std::fabs(value) > 1.0);
}

std::vector<NonFiniteNumber> FindNonFiniteNumbers(const TiXmlElement& root) {
  std::vector<NonFiniteNumber> found;
  Walk(root, "", found);
  return found;
}

}  // namespace renderer
