#include "utils/Parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

// Parses from an unterminated heap copy of the text, so that reading past its end is caught
// by the address sanitizer.
struct Buffer
{
    explicit Buffer(const std::string& text) : bytes(text.begin(), text.end()), parser(bytes.data(), bytes.size()) {}
    std::vector<char> bytes;
    Parser parser;
};

struct DoubleResult
{
    bool ok;
    double value;
    size_t pos;
};

DoubleResult parseDouble(const std::string& text)
{
    Buffer b(text);
    double v = -999;
    const bool ok = b.parser.parseDouble(v);
    return { ok, v, b.parser.getCurrentPos() };
}

struct IntResult
{
    bool ok;
    int value;
    size_t pos;
};

IntResult parseInt(const std::string& text)
{
    Buffer b(text);
    int v = -999;
    const bool ok = b.parser.parseInt(v);
    return { ok, v, b.parser.getCurrentPos() };
}

} // namespace

TEST(Parser, ParseDoubleGrammar)
{
    {
        const DoubleResult r = parseDouble("12.5e-1");
        EXPECT_TRUE(r.ok);
        EXPECT_DOUBLE_EQ(1.25, r.value);
        EXPECT_EQ(7u, r.pos);
    }
    {
        const DoubleResult r = parseDouble("-.5");
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(-0.5, r.value);
    }
    {
        // The point is consumed even without fraction digits.
        const DoubleResult r = parseDouble("5.");
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(5.0, r.value);
        EXPECT_EQ(2u, r.pos);
    }
    {
        // D is an exponent marker too.
        const DoubleResult r = parseDouble("2D3");
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(2000.0, r.value);
    }
    {
        // A marker followed by something else multiplies by 1 and stops before it.
        const DoubleResult r = parseDouble("1ex");
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(1.0, r.value);
        EXPECT_EQ(2u, r.pos);
    }
    {
        const DoubleResult r = parseDouble("+7E+2 rest");
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(700.0, r.value);
        EXPECT_EQ(5u, r.pos);
    }
    // The fraction is built by repeated multiplication by 0.1, not by a division.
    EXPECT_EQ(3 * 0.1, parseDouble("0.3").value);
}

TEST(Parser, ParseDoubleFailures)
{
    EXPECT_FALSE(parseDouble("").ok);
    EXPECT_FALSE(parseDouble(".").ok);
    EXPECT_FALSE(parseDouble("-").ok);
    EXPECT_FALSE(parseDouble("+").ok);
    EXPECT_FALSE(parseDouble("1e").ok);
    EXPECT_FALSE(parseDouble("1e+").ok);
    EXPECT_FALSE(parseDouble("x").ok);
    EXPECT_FALSE(parseDouble("-e5").ok);
}

TEST(Parser, ParseDoubleExtremesStayDefined)
{
    EXPECT_TRUE(std::isinf(parseDouble("1e99999999999999999999").value));
    EXPECT_EQ(0.0, parseDouble("1e-99999999999999999999").value);
    EXPECT_TRUE(std::isinf(parseDouble(std::string(400, '9')).value));
    EXPECT_EQ(0.5, parseDouble("0.5" + std::string(400, '0')).value);

    Buffer b("1e300");
    float f = 0;
    EXPECT_TRUE(b.parser.parseFloat(f));
    EXPECT_TRUE(std::isinf(f));
}

TEST(Parser, ParseInt)
{
    {
        const IntResult r = parseInt("-42abc");
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(-42, r.value);
        EXPECT_EQ(3u, r.pos);
    }
    EXPECT_EQ(17, parseInt("+17").value);
    {
        // A sign without digits fails and stays consumed.
        const IntResult r = parseInt("-a");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(0, r.value);
        EXPECT_EQ(1u, r.pos);
    }
    EXPECT_FALSE(parseInt("").ok);
    EXPECT_FALSE(parseInt("+").ok);
}

TEST(Parser, ParseIntOutside32BitsFails)
{
    EXPECT_EQ(2147483647, parseInt("2147483647").value);
    EXPECT_EQ(-2147483647 - 1, parseInt("-2147483648").value);
    EXPECT_FALSE(parseInt("2147483648").ok);
    EXPECT_FALSE(parseInt("-2147483649").ok);
    const IntResult r = parseInt(std::string(50, '9') + "x");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(50u, r.pos);
}

TEST(Parser, StopsAtTheGivenLength)
{
    const char text[] = "123456";
    Parser p(text, 3);
    int v = 0;
    EXPECT_TRUE(p.parseInt(v));
    EXPECT_EQ(123, v);
    EXPECT_TRUE(p.eof());
    EXPECT_FALSE(p.parseString("4"));
}

TEST(Parser, Tokens)
{
    Buffer b("abc12 \t\nx+y");
    std::string token = "old";
    EXPECT_FALSE(b.parser.parseString("abd"));
    EXPECT_TRUE(b.parser.parseString(""));
    EXPECT_TRUE(b.parser.parseAlphaToken(token));
    EXPECT_EQ("abc", token);
    EXPECT_FALSE(b.parser.parseAlphaToken(token));
    EXPECT_EQ("", token);
    EXPECT_TRUE(b.parser.parseString("12"));
    b.parser.parseWhiteSpace();
    EXPECT_TRUE(b.parser.parseNonWSToken(token));
    EXPECT_EQ("x+y", token);
    EXPECT_TRUE(b.parser.eof());
    EXPECT_FALSE(b.parser.parseNonWSToken(token));
    EXPECT_FALSE(b.parser.parseString("longer than the rest"));
}

TEST(Parser, FractionalNumberNextLooksAheadOnly)
{
    Buffer a("-12.5");
    EXPECT_TRUE(a.parser.fractionalNumberNext());
    EXPECT_EQ(0u, a.parser.getCurrentPos());
    EXPECT_FALSE(Buffer("125").parser.fractionalNumberNext());
    EXPECT_FALSE(Buffer("12 .5").parser.fractionalNumberNext());
}
