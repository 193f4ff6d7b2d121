#include "kyrano_utils/KyranoXmlFile.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

int depth(const std::string& text)
{
    return Kyrano::xmlNestingDepth(text.data(), text.size(), 100, nullptr);
}

// The deepest element nesting of a parsed document, walked without recursion.
std::string loadError(const std::string& text)
{
    TiXmlDocument doc;
    std::string error;
    EXPECT_FALSE(Kyrano::loadXmlText(text.data(), text.size(), "t.kym", doc, error)) << text;
    return error;
}

std::string repeated(const std::string& piece, int times)
{
    std::string text;
    for(int i = 0; i < times; ++i)
        text += piece;
    return text;
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

// The depth found before parsing is the depth TinyXML then builds, on inputs made to mislead
// a scan that does not read the text as TinyXML does.
TEST(KyranoXmlFile, NestingDepthIsTheDepthTinyXmlBuilds)
{
    const std::string texts[] = {
        "<scenedata>< '>" + repeated("<a>", 40),
        "<?xml version='> <x a=\"'?>" + repeated("<a>", 40),
        "<r><b x=1 y = \"</b>\"></b ><c/></r>" + repeated("<a>", 30),
        "<r><!-- </r> -->" + repeated("<a>", 30),
        "<r><![CDATA[</r>]]>" + repeated("<a>", 30),
        "<r a='1' a='2'>" + repeated("<a>", 30),
        "<?xml version='1.0'?><r>x\xF0</r>" + repeated("<a>", 30),
        "<?xml encoding='latin1'?><r>x\xF0</r>" + repeated("<a>", 30),
        "\xEF\xBB\xBF<r>\xE0</r><s>" + repeated("<a>", 30),
        "<r>&#x3c;a&#60;b&bogus;" + repeated("<a>", 20) + "</r>",
        "<r></r\t><s>" + repeated("<a>", 25),
        "<r><!x>" + repeated("<a>", 20),
    };
    for(const std::string& text : texts)
    {
        TiXmlDocument doc;
        std::string padded = text;
        padded.append(32, '\0');
        doc.Parse(padded.c_str());
        EXPECT_EQ(Kyrano::xmlTreeDepth(doc), Kyrano::xmlNestingDepth(text.data(), text.size(), 1000, nullptr)) << text;
    }
}

// The same over the material reader's fuzz corpus and the material files of the tests.
TEST(KyranoXmlFile, NestingDepthIsTheDepthTinyXmlBuildsOnTheCorpus)
{
    int files = 0;
    for(const std::string& folder : { std::string(TAVRELL_SOURCE_DIR) + "/fuzz/corpus/fuzz_material_parser",
                                     std::string(TAVRELL_TEST_DATA) + "/kym",
                                     std::string(TAVRELL_TEST_DATA) + "/xml-overread" })
    {
        for(const auto& entry : std::filesystem::directory_iterator(folder))
        {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            TiXmlDocument doc;
            doc.Parse(Kyrano::xmlTextAsParsed(text.data(), text.size()).c_str());
            EXPECT_EQ(Kyrano::xmlTreeDepth(doc), Kyrano::xmlNestingDepth(text.data(), text.size(), 1000, nullptr))
                << entry.path();
            files++;
        }
    }
    EXPECT_GE(files, 20);
}

TEST(KyranoXmlFile, RefusesNestingDeeperThanTheLimitWhateverHidesIt)
{
    // A quote in an unknown node once made the depth check skip the rest of the file.
    EXPECT_EQ("Cannot read 't.kym': elements nest more than 256 levels deep (around line 2).",
              loadError("<scenedata>< '>\n" + repeated("<a>", 100000)));
    EXPECT_EQ("Cannot read 't.kym': elements nest more than 256 levels deep (around line 1).",
              loadError("<?xml version='> <x a=\"'?>" + repeated("<a>", 100000)));
    TiXmlDocument doc;
    std::string error;
    const std::string deepest = repeated("<a>", 256) + repeated("</a>", 256);
    EXPECT_TRUE(Kyrano::loadXmlText(deepest.data(), deepest.size(), "t.kym", doc, error)) << error;
    EXPECT_EQ(256, Kyrano::xmlTreeDepth(doc));
}

// TinyXML steps over a character by its UTF-8 lead byte without looking for the terminating
// zero, so a lead byte just before the end makes it read the bytes after the text: here they
// close the element, and the document is accepted from bytes that are not in it.
TEST(KyranoXmlFile, TinyXmlReadsPastTheEndAfterAUtf8LeadByte)
{
    const std::string text = "<?xml version=\"1.0\"?><a>x\xF0";
    const std::string memory = text + '\0' + "yz</a>";
    TiXmlDocument raw;
    raw.Parse(memory.c_str());
    EXPECT_FALSE(raw.Error());

    EXPECT_EQ("Cannot read 't.kym' as XML: byte 0xF0 is not valid UTF-8, which the text must be unless its "
              "declaration names another encoding (line 1, column 26)",
              loadError(memory.substr(0, text.size())));
    // Columns count characters, and a tab reaches the next multiple of four.
    EXPECT_EQ("Cannot read 't.kym' as XML: byte 0xFF is not valid UTF-8, which the text must be unless its "
              "declaration names another encoding (line 2, column 7)",
              loadError("<?xml version='1.0'?>\n\t\xC3\xA9x\xFF"));
    // Read byte by byte, the same text is plain bad XML, and the parser stops at its end.
    EXPECT_EQ("Cannot read 't.kym' as XML: Error reading Element value.",
              loadError("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>x\xF0"));
}

// The text sits right before a page that may not be read: nothing past `length` is touched,
// whether the text is accepted, refused, or ends without a terminator in the middle of a tag.
TEST(KyranoXmlFile, ReadsNothingPastTheTextItIsGiven)
{
    const long page = sysconf(_SC_PAGESIZE);
    void* mapped = mmap(nullptr, size_t(page) * 2, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(MAP_FAILED, mapped);
    char* const end = static_cast<char*>(mapped) + page;
    ASSERT_EQ(0, mprotect(end, size_t(page), PROT_NONE));
    const std::string texts[] = { "<a>x</a>", "<?xml version='1.0'?><a>x\xF0", "<a b='1", "<a><!-- x" };
    for(const std::string& text : texts)
    {
        char* start = end - text.size();
        std::memcpy(start, text.data(), text.size());
        TiXmlDocument doc;
        std::string error;
        Kyrano::loadXmlText(start, text.size(), "t.kym", doc, error);
    }
    munmap(mapped, size_t(page) * 2);
}

// The inputs that made TinyXML read past the end of its text under the material reader's fuzz
// target: each is refused at its first byte that is not UTF-8.
TEST(KyranoXmlFile, RefusesTheOverReadInputsAtTheirFirstBadByte)
{
    const std::pair<const char*, const char*> expected[] = {
        { "crash-15f3c1299c99a0c814995ead4508a86a375880dd", "byte 0xAB is not valid UTF-8" },
        { "crash-17d1228966ffd9e00759c693d08b574fe2f53406", "byte 0x84 is not valid UTF-8" },
        { "crash-22550612c08566fc426f95eb9d8880725a14b792", "byte 0xE7 is not valid UTF-8" },
        { "crash-2516275688b7b270a7a089c8a42f163d8aae0221", "byte 0xFF is not valid UTF-8" },
        { "crash-285a511279a79510ceb7b947a00f44fe6229fbbe", "byte 0xAB is not valid UTF-8" },
        { "crash-45558d5a16ef08f6e37a8784269285fbef510c1f", "byte 0xAB is not valid UTF-8" },
        { "crash-6165bd95399fd29dc57b9bfd59c62aa2165ef413", "byte 0xE0 is not valid UTF-8" },
        { "crash-83f0222b90b0e2a1647380a890892d51aecec413", "byte 0xAB is not valid UTF-8" },
        { "crash-a035459cdb05ec2d8b98f3a5e7bed4163426bd7d", "byte 0xA9 is not valid UTF-8" },
        { "crash-b321eab06728afb2b96f06758c77f67630f54f7a", "byte 0xE7 is not valid UTF-8" },
        { "crash-eb381c33e2d392e767b02377e681dfc2a003ee3b", "byte 0xE7 is not valid UTF-8" },
        { "crash-first", "byte 0xFF is not valid UTF-8" },
    };
    for(const auto& [file, what] : expected)
    {
        const std::string path = std::string(TAVRELL_TEST_DATA) + "/xml-overread/" + file;
        TiXmlDocument doc;
        std::string error;
        EXPECT_FALSE(Kyrano::loadXmlFile(path, doc, error)) << file;
        EXPECT_EQ(0u, error.find("Cannot read '" + path + "' as XML: " + what)) << error;
    }
    TiXmlDocument doc;
    std::string error;
    Kyrano::loadXmlFile(std::string(TAVRELL_TEST_DATA) + "/xml-overread/crash-22550612c08566fc426f95eb9d8880725a14b792",
                        doc, error);
    EXPECT_NE(std::string::npos, error.find("(line 4, column 14)")) << error;
}

TEST(KyranoXmlFile, Utf8ChecksFollowTheStandard)
{
    const std::pair<std::string, size_t> cases[] = {
        { "plain", 5 },
        { "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 9 },  // é € and an emoji
        { "a\xC0\xAF", 1 },                              // overlong '/'
        { "ab\xED\xA0\x80", 2 },                         // a surrogate
        { "\xF4\x90\x80\x80", 0 },                       // past U+10FFFF
        { "x\xE2\x82", 1 },                              // cut short
        { "\x80", 0 },                                   // a lone continuation byte
        { "\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF", 9 },          // U+0080, U+FFFF, U+10FFFF
        { "\xE0\x9F\xBF", 0 },                           // overlong three bytes
        { "\xF0\x8F\xBF\xBF", 0 },                       // overlong four bytes
        { "\xF5\x80\x80\x80", 0 },                       // no such lead byte
    };
    for(const auto& [text, offset] : cases)
        EXPECT_EQ(offset, Kyrano::firstInvalidUtf8(text.data(), text.size())) << text;
}

TEST(KyranoXmlFile, ReadsFilesAsTinyXmlReadsThem)
{
    const std::string path = testing::TempDir() + "kyrano_xml_file_test.xml";
    {
        std::ofstream out(path, std::ios::binary);
        out << "<a>\r\n<b>one\rtwo</b>\r\n</a>";
        out.put('\0');
        out << "<trailing/>";
    }
    TiXmlDocument doc;
    std::string error;
    ASSERT_TRUE(Kyrano::loadXmlFile(path, doc, error)) << error;
    EXPECT_STREQ("one two", doc.RootElement()->FirstChildElement("b")->GetText());
    EXPECT_EQ(nullptr, doc.RootElement()->NextSiblingElement());
    EXPECT_EQ(path, doc.ValueStr());
    std::filesystem::remove(path);

    EXPECT_FALSE(Kyrano::loadXmlFile(path, doc, error));
    EXPECT_EQ("Cannot read '" + path + "': no such file.", error);
    EXPECT_EQ("Cannot read 't.kym' as XML: Error document empty.", loadError(""));
}
