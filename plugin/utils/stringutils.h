#pragma once

#include <stdexcept>
#include <string>

// Thrown by the strict string-to-number conversions; carries one message.
class StringUtilsExcep : public std::runtime_error
{
public:
    explicit StringUtilsExcep(const std::string& message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

// Decimal text as printf's "%i" writes it.
std::string intToString(int i);

// Base-10 conversions that ignore characters after a valid prefix and throw StringUtilsExcep
// when not a single character converts. stringToInt also throws when the number does not
// fit in 32 bits.
int stringToInt(const std::string& s);
double stringToDouble(const std::string& s);
float stringToFloat(const std::string& s);

namespace StringUtils
{

// The elements in iteration order with the separator between neighbours.
template <class Collection>
std::string join(const Collection& collection, const std::string& separator)
{
    std::string result;
    bool first = true;
    for(const auto& item : collection)
    {
        if(!first)
            result += separator;
        result += item;
        first = false;
    }
    return result;
}

} // namespace StringUtils
