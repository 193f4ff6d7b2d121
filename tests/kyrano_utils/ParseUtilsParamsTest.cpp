#include "XmlFixture.h"

#include <cmath>

using namespace Kyrano;
using namespace Kyrano::KyranoSceneParseUtils;

namespace
{

TextureList oneTexture()
{
    return TextureList(1);
}

// The spectrum of a constant wavelength-dependent parameter, or null.
template <class Spectrum>
const Spectrum* constantSpectrum(const Reference<KyranoWavelengthDependentParam>& p)
{
    const KyranoConstantWavelengthDependentParam* c = p.downcast<KyranoConstantWavelengthDependentParam>();
    return c ? c->spectrum.downcast<Spectrum>() : nullptr;
}

std::string regularTabulated(const std::string& start, const std::string& end, const std::string& num, const std::string& values)
{
    return "<s>\n<regular_tabulated><start_wavelength>" + start + "</start_wavelength><end_wavelength>" + end +
           "</end_wavelength><num_values>" + num + "</num_values><values>" + values + "</values></regular_tabulated>\n</s>";
}

const std::string REGULAR_CONTEXT = "  (In element 'regular_tabulated', around line 2, column 1)";

} // namespace

TEST(KyranoSceneParseUtils, ParameterForms)
{
    XmlFixture xml("<m>\n"
                   "<albedo><constant><rgb><rgb>0.5 1 0.25</rgb><gamma>2</gamma></rgb></constant></albedo>\n"
                   "<bump><texture><texture_index>0</texture_index></texture></bump>\n"
                   "<emission><shader><shader><![CDATA[def eval() <real> : 1.0]]></shader></shader></emission>\n"
                   "<exponent><constant> 100 </constant></exponent>\n"
                   "<sigma><texture><texture_index>-1</texture_index></texture></sigma>\n"
                   "<layer><texture>\n  <texture_index>1</texture_index></texture></layer>\n"
                   "</m>");
    const TiXmlElement& m = xml.root();
    const TextureList textures = oneTexture();

    const Reference<KyranoWavelengthDependentParam> albedo = parseSpectrumMatParameter(m, "albedo", textures);
    const KyranoRGBSpectrum* rgb = constantSpectrum<KyranoRGBSpectrum>(albedo);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(0.25, rgb->rgb.x); // raised to the gamma
    EXPECT_EQ(1.0, rgb->rgb.y);
    EXPECT_EQ(0.0625, rgb->rgb.z);

    const Reference<KyranoDisplacementParam> bump = parseDisplaceMatParameter(m, "bump", textures);
    ASSERT_TRUE(bump.downcast<KyranoTextureDisplacementParam>());
    EXPECT_EQ(0, bump.downcast<KyranoTextureDisplacementParam>()->texture_index);

    const Reference<KyranoWavelengthDependentParam> emission = parseOptionalSpectrumMatParameter(m, "emission", textures);
    ASSERT_TRUE(emission.downcast<KyranoShaderWavelengthDependentParam>());
    EXPECT_EQ("def eval() <real> : 1.0", emission.downcast<KyranoShaderWavelengthDependentParam>()->shader);

    const Reference<KyranoWavelengthIndependentParam> exponent = parseScalarMatParameter(m, "exponent", textures);
    ASSERT_TRUE(exponent.downcast<KyranoConstantWavelengthIndependentParam>());
    EXPECT_EQ(100.0, exponent.downcast<KyranoConstantWavelengthIndependentParam>()->value);

    EXPECT_TRUE(parseOptionalScalarMatParameter(m, "nothing", textures).isNull());
    EXPECT_TRUE(parseOptionalDisplaceMatParameter(m, "nothing", textures).isNull());

    // An index must lie inside the textures read before it; the message names the texture element.
    EXPECT_EQ("Texture index '-1' is out of bounds.  (In element 'texture', around line 6, column 8)",
              parseMessage([&] { parseScalarMatParameter(m, "sigma", textures); }));
    EXPECT_EQ("Texture index '1' is out of bounds.  (In element 'texture', around line 7, column 8)",
              parseMessage([&] { parseDisplaceMatParameter(m, "layer", textures); }));
    EXPECT_EQ("Texture index '0' is out of bounds.  (In element 'texture', around line 3, column 7)",
              parseMessage([&] { parseDisplaceMatParameter(m, "bump", TextureList()); }));
    EXPECT_EQ("Failed to find expected element 'nothing'.  (In element 'm', around line 1, column 1)",
              parseMessage([&] { parseSpectrumMatParameter(m, "nothing", textures); }));
}

TEST(KyranoSceneParseUtils, SpectrumKinds)
{
    XmlFixture xml("<m>\n"
                   "<a><uniform><value>0.5</value></uniform></a>\n"
                   "<b><peak><peak_min>400e-9</peak_min><peak_max>500e-9</peak_max><peak_value>2</peak_value><base_value>0.1</base_value></peak></b>\n"
                   "<c><blackbody><temperature>6500</temperature><gain>1.5</gain></blackbody></c>\n"
                   "<d><uniform><value>1</value><gain>2</gain></uniform></d>\n"
                   "<e><uniform></uniform></e>\n"
                   "</m>");
    const Reference<KyranoSpectrum> uniform = parseSpectrum(xml.find("a"));
    ASSERT_TRUE(uniform.downcast<KyranoUniformSpectrum>());
    EXPECT_EQ(0.5, uniform.downcast<KyranoUniformSpectrum>()->value);

    const Reference<KyranoSpectrum> peak = parseSpectrum(xml.find("b"));
    ASSERT_TRUE(peak.downcast<KyranoPeakSpectrum>());
    EXPECT_DOUBLE_EQ(400e-9, peak.downcast<KyranoPeakSpectrum>()->peak_min);
    EXPECT_DOUBLE_EQ(500e-9, peak.downcast<KyranoPeakSpectrum>()->peak_max);
    EXPECT_EQ(2.0, peak.downcast<KyranoPeakSpectrum>()->peak_value);
    EXPECT_DOUBLE_EQ(0.1, peak.downcast<KyranoPeakSpectrum>()->base_value);

    const Reference<KyranoSpectrum> bb = parseSpectrum(xml.find("c"));
    ASSERT_TRUE(bb.downcast<KyranoBlackBodySpectrum>());
    EXPECT_EQ(6500.0, bb.downcast<KyranoBlackBodySpectrum>()->temperature);
    EXPECT_EQ(1.5, bb.downcast<KyranoBlackBodySpectrum>()->gain);

    EXPECT_EQ("Found unexpected element 'gain'.  (In element 'uniform', around line 5, column 4)",
              parseMessage([&] { parseSpectrum(xml.find("d")); }));
    EXPECT_EQ("could not find element 'value'.  (In element 'uniform', around line 6, column 4)",
              parseMessage([&] { parseSpectrum(xml.find("e")); }));
    XmlFixture empty("<m/>");
    EXPECT_EQ("Failed to find child for element 'm' - Child should be one of 'blackbody', 'peak', 'regular_tabulated', "
              "'rgb', 'uniform'.  (In element 'm', around line 1, column 1)",
              parseMessage([&] { parseSpectrum(empty.root()); }));
}

TEST(KyranoSceneParseUtils, RegularTabulatedSpectrum)
{
    {
        XmlFixture xml(regularTabulated("0.38e-6", "0.72e-6", "3", "\n 1 2.5\t3 ignored text"));
        const Reference<KyranoSpectrum> s = parseSpectrum(xml.root());
        const KyranoRegularSpectrum* r = s.downcast<KyranoRegularSpectrum>();
        ASSERT_TRUE(r);
        EXPECT_DOUBLE_EQ(380.0, r->start_wavelength); // nanometres
        EXPECT_DOUBLE_EQ(720.0, r->end_wavelength);
        EXPECT_EQ(3, r->num_values);
        EXPECT_EQ((std::vector<double>{ 1, 2.5, 3 }), r->values);
    }
    // The checks come in a fixed order: a bad count is reported even when the wavelengths are bad too.
    const struct
    {
        std::string xml;
        std::string message;
    } cases[] = {
        { regularTabulated("0.5e-6", "0.6e-6", "1", "1"), "num_values must be >= 2." },
        { regularTabulated("0.5e-6", "0.6e-6", "1000001", "1"), "num_values must be <= 1e6." },
        { regularTabulated("0.5e-6", "0.6e-6", "2", "1 2"), "start_wavelength must be <= 0.4e-6 m (400 nm)." },
        { regularTabulated("0.4e-6", "0.6e-6", "2", "1 2"), "end_wavelength must be >= 0.7e-6 m (700 nm)." },
        { regularTabulated("0.4e-6", "0.7e-6", "3", "1 2"), "Syntax error while parsing data." },
        { regularTabulated("0.4e-6", "0.7e-6", "2", "1 x"), "Syntax error while parsing data." },
        { regularTabulated("0.4e-6", "0.7e-6", "1000000", "1 2"), "Syntax error while parsing data." },
    };
    for(const auto& c : cases)
    {
        XmlFixture xml(c.xml);
        EXPECT_EQ(c.message + REGULAR_CONTEXT, parseMessage([&] { parseSpectrum(xml.root()); })) << c.xml;
    }
}

TEST(KyranoSceneParseUtils, TextureDefaultsAndGenerators)
{
    XmlFixture xml("<m>\n"
                   "<texture><path>a.png</path><uv_set>default</uv_set></texture>\n"
                   "<texture><path>b.png</path><uv_set>uv2</uv_set><a>0.1</a><b>2</b><c>0.3</c><exponent>2.2</exponent>"
                   "<tex_coord_generation><spherical_environment><rotation><axis_rotation><axis>0 0 1</axis><angle>1.5</angle>"
                   "</axis_rotation></rotation></spherical_environment></tex_coord_generation></texture>\n"
                   "<texture><path>c.png</path><uv_set>default</uv_set>"
                   "<tex_coord_generation><spherical><rotation><matrix>0 1 0  -1 0 0  0 0 1 extra</matrix></rotation></spherical>"
                   "</tex_coord_generation></texture>\n"
                   "<texture><path>d.png</path><uv_set>default</uv_set><tex_coord_generation><spherical/></tex_coord_generation></texture>\n"
                   "</m>");
    TextureList textures;
    parseMaterialTextures(xml.root(), textures);
    ASSERT_EQ(4u, textures.size());

    const KyranoTexture& plain = textures[0];
    EXPECT_EQ("a.png", plain.path);
    EXPECT_EQ("default", plain.uv_set);
    EXPECT_EQ(0.0, plain.a);
    EXPECT_EQ(1.0, plain.b);
    EXPECT_EQ(0.0, plain.c);
    EXPECT_EQ(1.0, plain.exponent);
    EXPECT_TRUE(plain.tex_coord_generation.downcast<KyranoUVTexCoordGenerator>());

    const KyranoTexture& env = textures[1];
    EXPECT_EQ("uv2", env.uv_set);
    EXPECT_DOUBLE_EQ(0.1, env.a);
    EXPECT_EQ(2.0, env.b);
    EXPECT_DOUBLE_EQ(0.3, env.c);
    EXPECT_DOUBLE_EQ(2.2, env.exponent);
    const KyranoSphericalEnvTexCoordGenerator* envgen = env.tex_coord_generation.downcast<KyranoSphericalEnvTexCoordGenerator>();
    ASSERT_TRUE(envgen);
    ASSERT_TRUE(envgen->rotation.downcast<KyranoAxisRotation>());
    EXPECT_EQ(1.0, envgen->rotation.downcast<KyranoAxisRotation>()->axis.z);
    EXPECT_EQ(1.5, envgen->rotation.downcast<KyranoAxisRotation>()->angle);

    const KyranoSphericalTexCoordGenerator* sph = textures[2].tex_coord_generation.downcast<KyranoSphericalTexCoordGenerator>();
    ASSERT_TRUE(sph);
    const KyranoMatrixRotation* matrix = sph->rotation.downcast<KyranoMatrixRotation>();
    ASSERT_TRUE(matrix);
    EXPECT_EQ(1.0, matrix->matrix[0][1]); // row by row
    EXPECT_EQ(-1.0, matrix->matrix[1][0]);
    EXPECT_EQ(0.0, matrix->matrix[0][0]);

    // Without a rotation the identity.
    const KyranoSphericalTexCoordGenerator* plain_sph = textures[3].tex_coord_generation.downcast<KyranoSphericalTexCoordGenerator>();
    ASSERT_TRUE(plain_sph);
    const KyranoMatrixRotation* identity = plain_sph->rotation.downcast<KyranoMatrixRotation>();
    ASSERT_TRUE(identity);
    for(int r = 0; r < 3; ++r)
        for(int c = 0; c < 3; ++c)
            EXPECT_EQ(r == c ? 1.0 : 0.0, identity->matrix[r][c]);
}

TEST(KyranoSceneParseUtils, TextureErrors)
{
    XmlFixture xml("<m>\n"
                   "<t1><path>a</path></t1>\n"
                   "<t2><path>a</path><uv_set>u</uv_set><tex_coord_generation><uv><rotation/></uv></tex_coord_generation></t2>\n"
                   "<t3><path>a</path><uv_set>u</uv_set><tex_coord_generation/></t3>\n"
                   "<t4><path>a</path><uv_set>u</uv_set><tex_coord_generation><spherical><rotation><matrix>1 0 0 0 1 0 0 0</matrix>"
                   "</rotation></spherical></tex_coord_generation></t4>\n"
                   "<t5><path>a</path><uv_set>u</uv_set><tex_coord_generation><spherical><rotation><axis_rotation><axis>0 0 1</axis>"
                   "<angle>1</angle><up>1</up></axis_rotation></rotation></spherical></tex_coord_generation></t5>\n"
                   "</m>");
    EXPECT_EQ("could not find element 'uv_set'.  (In element 't1', around line 2, column 1)",
              parseMessage([&] { parseTexture(xml.find("t1")); }));
    EXPECT_EQ("Found unexpected element 'rotation'.  (In element 'uv', around line 3, column 59)",
              parseMessage([&] { parseTexture(xml.find("t2")); }));
    EXPECT_EQ("Failed to find child for element 'tex_coord_generation' - Child should be one of 'spherical', "
              "'spherical_environment', 'uv'.  (In element 'tex_coord_generation', around line 4, column 37)",
              parseMessage([&] { parseTexture(xml.find("t3")); }));
    EXPECT_EQ("syntax error while parsing Matrix.  (In element 'rotation', around line 5, column 70)",
              parseMessage([&] { parseTexture(xml.find("t4")); }));
    EXPECT_EQ("Found unexpected element 'up'.  (In element 'axis_rotation', around line 6, column 80)",
              parseMessage([&] { parseTexture(xml.find("t5")); }));
}
