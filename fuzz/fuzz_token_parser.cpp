// Fuzz target: the token parser and the string helpers over any bytes. The parser reads an
// exactly sized buffer, so any read past its end is reported by the address sanitizer.
#include "utils/Parser.h"
#include "utils/stringutils.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

// Runs every parse operation in turn until the buffer is used up; each round moves at least
// one character, so the loop ends.
void walkWithParser(const char* text, size_t size)
{
    Parser parser(text, size);
    std::string token;
    while(parser.notEOF())
    {
        const size_t before = parser.getCurrentPos();
        double d;
        float f;
        int i;
        parser.fractionalNumberNext();
        parser.parseDouble(d);
        parser.parseWhiteSpace();
        parser.parseFloat(f);
        parser.parseInt(i);
        parser.parseAlphaToken(token);
        parser.parseString("e-");
        parser.parseNonWSToken(token);
        if(parser.getCurrentPos() > size)
            std::abort();
        if(parser.getCurrentPos() == before)
            parser.parseString(std::string(1, parser.current()));
    }
}

// Whatever parseInt accepts must be exactly what strtol reads from the same characters.
void checkIntAgainstStrtol(const char* text, size_t size)
{
    Parser parser(text, size);
    int value = 0;
    if(!parser.parseInt(value))
        return;
    const std::string consumed(text, parser.getCurrentPos());
    errno = 0;
    const long expected = std::strtol(consumed.c_str(), nullptr, 10);
    if(errno != 0 || expected != value)
        std::abort();
}

void convertWithHelpers(const std::string& text)
{
    try
    {
        intToString(stringToInt(text));
    }
    catch(const StringUtilsExcep&)
    {
    }
    try
    {
        stringToDouble(text);
        stringToFloat(text);
    }
    catch(const StringUtilsExcep&)
    {
    }
    StringUtils::join(std::vector<std::string>{ text, text }, "', '");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    walkWithParser(text, size);
    checkIntAgainstStrtol(text, size);
    convertWithHelpers(std::string(text, size));
    return 0;
}
