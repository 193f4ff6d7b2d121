#include "utils/stringutils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace
{

template <class F>
std::string messageOf(F f)
{
    try
    {
        f();
    }
    catch(const StringUtilsExcep& e)
    {
        return e.what();
    }
    return "no exception";
}

} // namespace

TEST(StringUtils, IntToStringAndJoin)
{
    EXPECT_EQ("-5", intToString(-5));
    EXPECT_EQ("-2147483648", intToString(-2147483647 - 1));

    EXPECT_EQ("", StringUtils::join(std::vector<std::string>(), ", "));
    EXPECT_EQ("one", StringUtils::join(std::vector<std::string>{ "one" }, ", "));
    const std::set<std::string> names{ "texture", "constant", "shader" };
    EXPECT_EQ("constant', 'shader', 'texture", StringUtils::join(names, "', '"));
}

TEST(StringUtils, StringToIntConvertsAPrefix)
{
    EXPECT_EQ(12, stringToInt("12abc"));
    EXPECT_EQ(-7, stringToInt("  -7"));
    EXPECT_EQ("Failed to convert 'abc' to an int.", messageOf([] { stringToInt("abc"); }));
    EXPECT_EQ("Failed to convert '' to an int.", messageOf([] { stringToInt(""); }));
    // Numbers that do not fit in 32 bits are refused rather than cut.
    EXPECT_EQ("Failed to convert '2147483648' to an int.", messageOf([] { stringToInt("2147483648"); }));
    EXPECT_EQ("Failed to convert '-99999999999999999999' to an int.", messageOf([] { stringToInt("-99999999999999999999"); }));
}

TEST(StringUtils, StringToDoubleAndFloat)
{
    EXPECT_EQ(1.5, stringToDouble("1.5x"));
    EXPECT_EQ(0.25f, stringToFloat("0.25"));
    EXPECT_TRUE(std::isinf(stringToFloat("1e300")));
    EXPECT_EQ("Failed to convert 'x1' to a double.", messageOf([] { stringToDouble("x1"); }));
    EXPECT_EQ("Failed to convert '.' to a float.", messageOf([] { stringToFloat("."); }));
}
