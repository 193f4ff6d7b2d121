#include "stringutils.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <limits>

std::string intToString(int i)
{
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%i", i);
    return buf;
}

int stringToInt(const std::string& s)
{
    const char* const start = s.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(start, &end, 10);
    // Out of the int range counts as a failed conversion rather than a silently cut value.
    if(end == start || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        throw StringUtilsExcep("Failed to convert '" + s + "' to an int.");
    return (int)value;
}

double stringToDouble(const std::string& s)
{
    const char* const start = s.c_str();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if(end == start)
        throw StringUtilsExcep("Failed to convert '" + s + "' to a double.");
    return value;
}

float stringToFloat(const std::string& s)
{
    const char* const start = s.c_str();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if(end == start)
        throw StringUtilsExcep("Failed to convert '" + s + "' to a float.");
    // A double beyond the float range becomes an infinity of its sign.
    if(value > std::numeric_limits<float>::max())
        return std::numeric_limits<float>::infinity();
    if(value < -std::numeric_limits<float>::max())
        return -std::numeric_limits<float>::infinity();
    return (float)value;
}
