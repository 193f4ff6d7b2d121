#include "XmlFixture.h"

#include "kyrano_utils/KyranoSpectrum.h"

using namespace Kyrano;
using namespace Kyrano::KyranoSceneParseUtils;

// The exporter writes a peak as its start and width; the reader takes that form as well as
// start and end, but not both at once.
TEST(KyranoSceneParseUtils, PeakGivenByItsWidth)
{
    XmlFixture xml("<m>\n"
                   "<a><peak><peak_min>400e-9</peak_min><peak_width>50e-9</peak_width>"
                   "<base_value>0.1</base_value><peak_value>2</peak_value></peak></a>\n"
                   "<b><peak><peak_min>4e-7</peak_min><peak_max>5e-7</peak_max><peak_width>1e-7</peak_width>"
                   "<peak_value>2</peak_value><base_value>0</base_value></peak></b>\n"
                   "<c><peak><peak_min>4e-7</peak_min><peak_value>2</peak_value><base_value>0</base_value></peak></c>\n"
                   "</m>");
    const Reference<KyranoSpectrum> peak = parseSpectrum(xml.find("a"));
    ASSERT_TRUE(peak.downcast<KyranoPeakSpectrum>());
    EXPECT_DOUBLE_EQ(400e-9, peak.downcast<KyranoPeakSpectrum>()->peak_min);
    EXPECT_DOUBLE_EQ(450e-9, peak.downcast<KyranoPeakSpectrum>()->peak_max);
    EXPECT_EQ(2.0, peak.downcast<KyranoPeakSpectrum>()->peak_value);
    EXPECT_DOUBLE_EQ(0.1, peak.downcast<KyranoPeakSpectrum>()->base_value);

    EXPECT_EQ("Found both 'peak_max' and 'peak_width'; give one of them.  (In element 'peak', around line 3, column 4)",
              parseMessage([&] { parseSpectrum(xml.find("b")); }));
    EXPECT_EQ("could not find element 'peak_max'.  (In element 'peak', around line 4, column 4)",
              parseMessage([&] { parseSpectrum(xml.find("c")); }));
}
