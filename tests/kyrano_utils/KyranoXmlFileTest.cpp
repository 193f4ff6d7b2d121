#include "kyrano_utils/KyranoXmlFile.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

int depth(const std::string& text)
{
    return Kyrano::xmlNestingDepth(text.data(), text.size(), 100, nullptr);
}

} // namespace

TEST(KyranoXmlFile, NestingDepthSkipsWhatIsNotAnElement)
{
    EXPECT_EQ(0, depth(""));
    EXPECT_EQ(2, depth("<?xml version=\"1.0\"?><a><b/><b>text</b></a>"));
    EXPECT_EQ(1, depth("<a><!-- <b><c> --><![CDATA[<b><c>]]><!DOCTYPE x></a>"));
    EXPECT_EQ(2, depth("<a x=\"/>\" y='>'><b></b></a>"));
    // Unclosed elements count, and counting stops just past the limit.
    std::string deep;
    for(int i = 0; i < 1000; ++i)
        deep += "<a>";
    EXPECT_EQ(101, depth(deep));
    size_t offset = 0;
    EXPECT_EQ(4, Kyrano::xmlNestingDepth("<a><b><c><d>", 12, 3, &offset));
    EXPECT_EQ(9u, offset);
}
