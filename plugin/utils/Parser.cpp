#include "Parser.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
// Exponents beyond this already give 0 or infinity; clamping keeps the digit loop from overflowing.
const int MAX_EXPONENT = 100000;
}

Parser::Parser(const char* text_, size_t textsize_) : text(text_), currentpos(0), textsize(textsize_)
{
}

bool Parser::parseSign()
{
    if(eof())
        return false;
    if(current() == '-')
    {
        currentpos++;
        return true;
    }
    if(current() == '+')
        currentpos++;
    return false;
}

bool Parser::parseInt(int& result_out)
{
    result_out = 0;
    const bool negative = parseSign();

    // Accumulate the magnitude in 64 bits and stop growing it once it is out of range, so
    // that any number of digits is consumed without overflow.
    const long long limit = negative ? -(long long)std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    long long magnitude = 0;
    bool overflow = false;
    size_t numdigits = 0;
    for(; notEOF() && isDigit(current()); currentpos++, numdigits++)
    {
        if(!overflow)
        {
            magnitude = magnitude * 10 + (current() - '0');
            overflow = magnitude > limit;
        }
    }

    if(numdigits == 0 || overflow)
        return false;
    result_out = (int)(negative ? -magnitude : magnitude);
    return true;
}

bool Parser::parseDouble(double& result_out)
{
    if(eof())
        return false;
    const bool negative = parseSign();
    if(eof())
        return false;

    bool digitread = false;
    double value = 0.0;
    for(; notEOF() && isDigit(current()); currentpos++)
    {
        value = value * 10.0 + (double)(current() - '0');
        digitread = true;
    }

    // The point is consumed even when no digit follows it ("5." reads as 5).
    if(notEOF() && current() == '.')
    {
        currentpos++;
        // Repeated multiplication by 0.1, not a division by a power of ten.
        double factor = 0.1;
        for(; notEOF() && isDigit(current()); currentpos++)
        {
            value += (double)(current() - '0') * factor;
            factor *= 0.1;
            digitread = true;
        }
    }

    if(negative)
        value = -value;

    if(notEOF() && isExponentMarker(current()))
    {
        currentpos++;
        if(eof())
            return false;
        const bool negexponent = parseSign();
        if(eof())
            return false;
        int exponent = 0;
        for(; notEOF() && isDigit(current()); currentpos++)
            exponent = std::min(MAX_EXPONENT, exponent * 10 + (current() - '0'));
        value *= std::pow(10.0, negexponent ? -exponent : exponent);
    }

    result_out = value;
    return digitread;
}

bool Parser::parseFloat(float& result_out)
{
    double d;
    if(!parseDouble(d))
        return false;
    // Narrow by hand: a double beyond the float range becomes an infinity of its sign.
    if(d > std::numeric_limits<float>::max())
        result_out = std::numeric_limits<float>::infinity();
    else if(d < -std::numeric_limits<float>::max())
        result_out = -std::numeric_limits<float>::infinity();
    else
        result_out = (float)d;
    return true;
}

bool Parser::parseString(const std::string& s)
{
    if(s.empty())
        return true;
    if(s.size() > textsize - currentpos)
        return false;
    if(s.compare(0, s.size(), text + currentpos, s.size()) != 0)
        return false;
    currentpos += s.size();
    return true;
}

bool Parser::parseAlphaToken(std::string& token_out)
{
    token_out.clear();
    const size_t start = currentpos;
    while(notEOF() && isAlpha(current()))
        currentpos++;
    if(currentpos == start)
        return false;
    token_out.assign(text + start, currentpos - start);
    return true;
}

bool Parser::parseNonWSToken(std::string& token_out)
{
    token_out.clear();
    const size_t start = currentpos;
    while(notEOF() && !isWhitespace(current()))
        currentpos++;
    if(currentpos == start)
        return false;
    token_out.assign(text + start, currentpos - start);
    return true;
}

bool Parser::fractionalNumberNext() const
{
    size_t i = currentpos;
    if(i < textsize && (text[i] == '+' || text[i] == '-'))
        i++;
    while(i < textsize && isDigit(text[i]))
        i++;
    return i < textsize && text[i] == '.';
}

void Parser::parseWhiteSpace()
{
    while(notEOF() && isWhitespace(current()))
        currentpos++;
}
