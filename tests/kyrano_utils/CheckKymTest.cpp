#include "CheckKym.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace
{

struct CheckResult
{
    int code;
    std::string out;
    std::string err;
};

CheckResult check(const std::string& path)
{
    std::ostringstream out, err;
    const int code = checkKymFile(path, out, err);
    return { code, out.str(), err.str() };
}

std::string dataFile(const std::string& name)
{
    return std::string(TAVRELL_TEST_DATA) + "/kym/" + name;
}

// A file in the temporary folder that is removed again at the end of the test.
struct TempFile
{
    TempFile(const std::string& name, const std::string& contents) : path(testing::TempDir() + name)
    {
        std::ofstream(path, std::ios::binary) << contents;
    }
    ~TempFile() { std::remove(path.c_str()); }
    std::string path;
};

} // namespace

TEST(CheckKym, ReportsEveryMaterialWithItsMessage)
{
    const CheckResult r = check(dataFile("good_and_broken.kym"));
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("material 'red': diffuse\n"
              "material 'broken': error: Found unexpected element 'texture,  already parsed mutually exclusive element "
              "'constant'.  (In element 'diffuse_albedo', around line 12, column 13)\n"
              "material 'glass': error: Invalid boolean value (Should be 'true' or 'false').  (In element 'specular', "
              "around line 19, column 9)\n",
              r.out);
    EXPECT_EQ("", r.err);

    const CheckResult all = check(dataFile("all_types.kym"));
    EXPECT_EQ(0, all.code);
    EXPECT_EQ(0u, all.out.find("material 'diffuse_old_maps': diffuse\n"));
    EXPECT_NE(std::string::npos, all.out.find("material 'nothing': null_material\n"));
}

TEST(CheckKym, RefusesFilesThatAreNotMaterialFiles)
{
    const CheckResult missing = check(dataFile("no_such_file.kym"));
    EXPECT_EQ(1, missing.code);
    EXPECT_EQ("check-kym: Cannot read '" + dataFile("no_such_file.kym") + "': no such file.\n", missing.err);
    EXPECT_EQ("", missing.out);

    const CheckResult folder = check(std::string(TAVRELL_TEST_DATA) + "/kym");
    EXPECT_EQ(1, folder.code);
    EXPECT_NE(std::string::npos, folder.err.find("not a regular file"));

    TempFile broken("checkkym_broken.kym", "<scenedata>\n  <material>\n  </scenedata>\n");
    const CheckResult notXml = check(broken.path);
    EXPECT_EQ(1, notXml.code);
    EXPECT_EQ("check-kym: Cannot read '" + broken.path + "' as XML: Error reading end tag. (line 3, column 3)\n", notXml.err);

    TempFile scene("checkkym_scene.kys", "<?xml version=\"1.0\"?>\n<scene><material/></scene>\n");
    const CheckResult wrongRoot = check(scene.path);
    EXPECT_EQ(1, wrongRoot.code);
    EXPECT_EQ("check-kym: '" + scene.path + "' is not a material file: its root element is 'scene' (line 2, column 1), "
              "expected 'scenedata'.\n", wrongRoot.err);

    TempFile empty("checkkym_empty.kym", "<scenedata><medium/></scenedata>");
    const CheckResult none = check(empty.path);
    EXPECT_EQ(0, none.code);
    EXPECT_EQ("no materials in '" + empty.path + "'\n", none.out);
}

TEST(CheckKym, RefusesNestingDeeperThanTheXmlReaderCanTake)
{
    std::string deep;
    for(int i = 0; i < 200000; ++i)
        deep += "<a>";
    TempFile file("checkkym_deep.kym", "<scenedata>\n" + deep);
    const CheckResult r = check(file.path);
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("check-kym: Cannot read '" + file.path + "': elements nest more than 256 levels deep (around line 2).\n", r.err);

    // A quote in a node TinyXML reads as unknown no longer hides the nesting after it.
    TempFile hidden("checkkym_hidden.kym", "<scenedata>< '>\n" + deep);
    const CheckResult bypass = check(hidden.path);
    EXPECT_EQ(1, bypass.code);
    EXPECT_EQ("check-kym: Cannot read '" + hidden.path + "': elements nest more than 256 levels deep (around line 2).\n",
              bypass.err);
}

TEST(CheckKym, FollowsIncludesAsTheRendererFindsThem)
{
    // a.kym includes b.kym beside it (relative), b.kym includes a.kym back by its absolute
    // path: each file is read once, and the materials of b are checked and named with their file.
    const std::string dir = testing::TempDir();
    TempFile a("checkkym_a.kym", "<scenedata>\n"
                                 "  <material><name>red</name><diffuse><albedo><constant><rgb><rgb>1 0 0</rgb><gamma>2.2</gamma></rgb>"
                                 "</constant></albedo></diffuse></material>\n"
                                 "  <include><pathname>checkkym_b.kym</pathname></include>\n"
                                 "</scenedata>\n");
    TempFile b("checkkym_b.kym", "<scenedata>\n"
                                 "  <material><name>off</name><null_material/></material>\n"
                                 "  <include><pathname>" + a.path + "</pathname></include>\n"
                                 "</scenedata>\n");
    const CheckResult good = check(a.path);
    EXPECT_EQ(0, good.code) << good.out;
    EXPECT_EQ("material 'red': diffuse\n"
              "include (line 3 of '" + a.path + "'): '" + b.path + "'\n"
              "material 'off' in '" + b.path + "': null_material\n"
              "include (line 3 of '" + b.path + "'): '" + a.path + "', read already\n",
              good.out);

    // An include naming no file, a missing file, or a file that is no material file fails the
    // check on its own; the material beside it is still checked.
    TempFile scene("checkkym_inc.kys", "<scene/>");
    const std::pair<std::string, std::string> cases[] = {
        {"", "error: it names no file in 'pathname'"},
        {"checkkym_missing.kym", "error: Cannot read '" + dir + "checkkym_missing.kym': no such file."},
        {"checkkym_inc.kys", "error: '" + scene.path + "' is not a material file: its root element is 'scene' (line 1, "
                             "column 1), expected 'scenedata'."},
    };
    for(const auto& [pathname, said] : cases)
    {
        TempFile bad("checkkym_bad.kym", "<scenedata>\n"
                                         "  <include><pathname>" + pathname + "</pathname></include>\n"
                                         "  <material><name>off</name><null_material/></material>\n"
                                         "</scenedata>\n");
        const CheckResult r = check(bad.path);
        EXPECT_EQ(1, r.code) << pathname;
        EXPECT_EQ("material 'off': null_material\ninclude (line 2 of '" + bad.path + "'): " + said + "\n", r.out);
    }
}
