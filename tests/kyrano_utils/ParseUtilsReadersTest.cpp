#include "XmlFixture.h"

using namespace Kyrano;
using namespace Kyrano::KyranoSceneParseUtils;

namespace
{

const char* const READERS_XML =
    "<root>\n"
    "  <m>\n"
    "    <split>Hel<!--comment-->lo</split>\n"
    "    <int> 5 <!-- five --> </int>\n"
    "    <intx>5x</intx>\n"
    "    <big>2147483648</big>\n"
    "    <dbl>\t12.5e-1\n</dbl>\n"
    "    <dblx>1.5 2</dblx>\n"
    "    <nodbl>e5</nodbl>\n"
    "    <v>1 -.5 2D3</v>\n"
    "    <vshort>1 2</vshort>\n"
    "    <vlong>1 2 3 4</vlong>\n"
    "    <yes>true</yes>\n"
    "    <cap>True</cap>\n"
    "    <empty></empty>\n"
    "  </m>\n"
    "</root>\n";

const std::string M_CONTEXT = "  (In element 'm', around line 2, column 3)";

} // namespace

TEST(KyranoSceneParseUtils, TextReaders)
{
    XmlFixture xml(READERS_XML);
    const TiXmlElement& m = xml.find("m");

    EXPECT_EQ("Hello", parseString(m, "split"));
    EXPECT_EQ("", parseString(m, "empty"));
    EXPECT_EQ("could not find element 'nothing'." + M_CONTEXT, parseMessage([&] { parseString(m, "nothing"); }));
    EXPECT_EQ("Failed to find expected element 'nothing'." + M_CONTEXT, parseMessage([&] { getChildElement(m, "nothing"); }));
    EXPECT_EQ("x", parseStringWithDefault(m, "nothing", "x"));
    EXPECT_EQ("Hello", parseStringWithDefault(m, "split", "x"));
}

TEST(KyranoSceneParseUtils, NumberReaders)
{
    XmlFixture xml(READERS_XML);
    const TiXmlElement& m = xml.find("m");

    EXPECT_EQ(5, parseInt(m, "int"));
    EXPECT_EQ("Parse error while parsing integer from '5x'." + M_CONTEXT, parseMessage([&] { parseInt(m, "intx"); }));
    EXPECT_EQ("Failed to parse integer from '2147483648'." + M_CONTEXT, parseMessage([&] { parseInt(m, "big"); }));
    EXPECT_EQ("Failed to parse integer from ''." + M_CONTEXT, parseMessage([&] { parseInt(m, "empty"); }));

    EXPECT_DOUBLE_EQ(1.25, parseDouble(m, "dbl"));
    EXPECT_EQ("Parse error while parsing double from '1.5 2'." + M_CONTEXT, parseMessage([&] { parseDouble(m, "dblx"); }));
    EXPECT_EQ("Failed to parse double from 'e5'." + M_CONTEXT, parseMessage([&] { parseDouble(m, "nodbl"); }));

    const Vec3 v = parseVec3(m, "v");
    EXPECT_EQ(1.0, v.x);
    EXPECT_EQ(-0.5, v.y);
    EXPECT_EQ(2000.0, v.z);
    EXPECT_EQ("Failed to parse Vec3 from '1 2'." + M_CONTEXT, parseMessage([&] { parseVec3(m, "vshort"); }));
    EXPECT_EQ("Parse error while parsing Vec3 from '1 2 3 4'." + M_CONTEXT, parseMessage([&] { parseVec3(m, "vlong"); }));

    EXPECT_EQ(7, parseIntWithDefault(m, "nothing", 7));
    EXPECT_EQ(0.5, parseDoubleWithDefault(m, "nothing", 0.5));
    EXPECT_EQ("Parse error while parsing integer from '5x'." + M_CONTEXT, parseMessage([&] { parseIntWithDefault(m, "intx", 7); }));
}

TEST(KyranoSceneParseUtils, BoolReaderWantsExactLowerCaseWords)
{
    XmlFixture xml(READERS_XML);
    const TiXmlElement& m = xml.find("m");

    EXPECT_TRUE(parseBool(m, "yes"));
    EXPECT_TRUE(parseBoolWithDefault(m, "nothing", true));
    const std::string invalid = "Invalid boolean value (Should be 'true' or 'false')." + M_CONTEXT;
    EXPECT_EQ(invalid, parseMessage([&] { parseBool(m, "cap"); }));
    EXPECT_EQ(invalid, parseMessage([&] { parseBoolWithDefault(m, "cap", false); }));
}

TEST(KyranoSceneParseUtils, StructureChecks)
{
    XmlFixture xml("<root>\n"
                   "<albedo><constant/><texture/></albedo>\n"
                   "<empty_albedo> text <!-- c --></empty_albedo>\n"
                   "<other><shader/><bogus/></other>\n"
                   "</root>");
    const char* const forms[] = { "texture", "shader", "constant", nullptr };
    const char* const none[] = { nullptr };

    EXPECT_EQ("Found unexpected element 'texture,  already parsed mutually exclusive element 'constant'."
              "  (In element 'albedo', around line 2, column 1)",
              parseMessage([&] { checkExactlyOneChild(xml.find("albedo"), forms); }));
    EXPECT_EQ("Failed to find child for element 'empty_albedo' - Child should be one of 'constant', 'shader', 'texture'."
              "  (In element 'empty_albedo', around line 3, column 1)",
              parseMessage([&] { checkExactlyOneChild(xml.find("empty_albedo"), forms); }));
    EXPECT_EQ("Found unexpected element 'bogus'.  (In element 'other', around line 4, column 1)",
              parseMessage([&] { checkExactlyOneChild(xml.find("other"), forms); }));

    EXPECT_NO_THROW(checkOnlyElements(xml.find("albedo"), forms));
    EXPECT_NO_THROW(checkOnlyElements(xml.find("empty_albedo"), none)); // text and comments are not checked
    EXPECT_EQ("Found unexpected element 'bogus'.  (In element 'other', around line 4, column 1)",
              parseMessage([&] { checkOnlyElements(xml.find("other"), forms); }));
    EXPECT_EQ("Found unexpected element 'constant'.  (In element 'albedo', around line 2, column 1)",
              parseMessage([&] { checkOnlyElements(xml.find("albedo"), none); }));
}
