#include "XmlFixture.h"

#include <cmath>
#include <map>

using namespace Kyrano;
using namespace Kyrano::KyranoSceneParseUtils;

namespace
{

// Every material of a real material file, read back with TinyXML, by name.
std::map<std::string, Reference<KyranoMaterial>> readAllTypesFile()
{
    TiXmlDocument doc;
    EXPECT_TRUE(doc.LoadFile(std::string(TAVRELL_TEST_DATA) + "/kym/all_types.kym")) << doc.ErrorDesc();
    std::map<std::string, Reference<KyranoMaterial>> materials;
    const TiXmlElement* root = doc.RootElement();
    for(const TiXmlElement* m = root ? root->FirstChildElement("material") : nullptr; m; m = m->NextSiblingElement("material"))
    {
        Reference<KyranoMaterial> material = parseMaterial(*m);
        materials[material->name] = material;
    }
    return materials;
}

template <class T, class Param>
const T* as(const Reference<Param>& p)
{
    return p.template downcast<T>();
}

int textureIndex(const Reference<KyranoWavelengthDependentParam>& p)
{
    const KyranoTextureWavelengthDependentParam* t = as<KyranoTextureWavelengthDependentParam>(p);
    return t ? t->texture_index : -100;
}

int textureIndex(const Reference<KyranoDisplacementParam>& p)
{
    const KyranoTextureDisplacementParam* t = as<KyranoTextureDisplacementParam>(p);
    return t ? t->texture_index : -100;
}

template <class Spectrum>
const Spectrum* constantSpectrum(const Reference<KyranoWavelengthDependentParam>& p)
{
    const KyranoConstantWavelengthDependentParam* c = as<KyranoConstantWavelengthDependentParam>(p);
    return c ? as<Spectrum>(c->spectrum) : nullptr;
}

std::string materialMessage(const std::string& xml)
{
    XmlFixture doc(xml);
    return parseMessage([&] { parseMaterial(doc.root()); });
}

} // namespace

TEST(KyranoSceneParseUtilsMaterials, DiffuseWithOldInlineMaps)
{
    auto materials = readAllTypesFile();
    const KyranoDiffuse* d = as<KyranoDiffuse>(materials["diffuse_old_maps"]);
    ASSERT_TRUE(d);
    // All texture children first, then the inline maps in the order albedo, bump, displacement.
    ASSERT_EQ(5u, d->textures.size());
    EXPECT_EQ("t0.png", d->textures[0].path);
    EXPECT_EQ("t1.png", d->textures[1].path);
    EXPECT_EQ("albedo.png", d->textures[2].path);
    EXPECT_EQ("bump.png", d->textures[3].path);
    EXPECT_EQ("disp.png", d->textures[4].path);
    EXPECT_EQ(2, textureIndex(d->albedo)); // the inline map replaces the colour
    EXPECT_EQ(3, textureIndex(d->bump));
    EXPECT_EQ(4, textureIndex(d->displacement));
    EXPECT_EQ(1, textureIndex(d->emission));
    ASSERT_TRUE(constantSpectrum<KyranoUniformSpectrum>(d->base_emission));
    EXPECT_EQ(3.0, constantSpectrum<KyranoUniformSpectrum>(d->base_emission)->value);
    EXPECT_TRUE(d->random_triangle_colours);
    EXPECT_EQ(2, d->layer);

    // colour wins over albedo and is raised to 2.2 as rounded to single precision.
    const KyranoDiffuse* c = as<KyranoDiffuse>(materials["diffuse_colour"]);
    ASSERT_TRUE(c);
    const KyranoRGBSpectrum* rgb = constantSpectrum<KyranoRGBSpectrum>(c->albedo);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(std::pow(0.5, 2.200000047683716), rgb->rgb.x);
    EXPECT_EQ(std::pow(0.25, 2.200000047683716), rgb->rgb.y);
    EXPECT_EQ(1.0, rgb->rgb.z);
    EXPECT_FALSE(c->random_triangle_colours);
    EXPECT_EQ(0, c->layer);
    EXPECT_TRUE(c->bump.isNull() && c->displacement.isNull() && c->emission.isNull() && c->base_emission.isNull());
}

TEST(KyranoSceneParseUtilsMaterials, PhongForms)
{
    auto materials = readAllTypesFile();

    const KyranoPhongMaterial* current = as<KyranoPhongMaterial>(materials["phong_current"]);
    ASSERT_TRUE(current);
    ASSERT_EQ(1u, current->textures.size());
    EXPECT_TRUE(as<KyranoTextureWavelengthIndependentParam>(current->exponent));
    ASSERT_TRUE(constantSpectrum<KyranoRGBSpectrum>(current->diffuse_albedo));
    EXPECT_TRUE(current->specular_reflectivity.isNull());
    ASSERT_TRUE(as<KyranoConstantDisplacementParam>(current->bump));
    EXPECT_DOUBLE_EQ(0.01, as<KyranoConstantDisplacementParam>(current->bump)->value);
    EXPECT_EQ(1.0, current->fresnel_scale);
    EXPECT_DOUBLE_EQ(1.7, current->ior);
    EXPECT_EQ("", current->nk_data);

    // Old form: plain exponent replaced by its map, diffuse raised to 2.2 in double precision,
    // bump_map accepted but not read.
    const KyranoPhongMaterial* old = as<KyranoPhongMaterial>(materials["phong_old"]);
    ASSERT_TRUE(old);
    ASSERT_EQ(1u, old->textures.size());
    EXPECT_EQ("exp.png", old->textures[0].path);
    ASSERT_TRUE(as<KyranoTextureWavelengthIndependentParam>(old->exponent));
    EXPECT_EQ(0, as<KyranoTextureWavelengthIndependentParam>(old->exponent)->texture_index);
    ASSERT_TRUE(constantSpectrum<KyranoRGBSpectrum>(old->diffuse_albedo));
    EXPECT_EQ(std::pow(0.5, 2.2), constantSpectrum<KyranoRGBSpectrum>(old->diffuse_albedo)->rgb.x);
    ASSERT_TRUE(constantSpectrum<KyranoUniformSpectrum>(old->specular_reflectivity));
    EXPECT_TRUE(old->bump.isNull());
    EXPECT_EQ(0.5, old->fresnel_scale);
    EXPECT_EQ(1.5, old->ior);
    EXPECT_EQ(0, old->layer);

    // With n,k data the diffuse albedo is black and the specular spectrum is not read.
    const KyranoPhongMaterial* nk = as<KyranoPhongMaterial>(materials["phong_old_nk"]);
    ASSERT_TRUE(nk);
    EXPECT_EQ("nkdata/Al.nk", nk->nk_data);
    ASSERT_TRUE(constantSpectrum<KyranoUniformSpectrum>(nk->diffuse_albedo));
    EXPECT_EQ(0.0, constantSpectrum<KyranoUniformSpectrum>(nk->diffuse_albedo)->value);
    EXPECT_TRUE(nk->specular_reflectivity.isNull());
    ASSERT_TRUE(as<KyranoConstantWavelengthIndependentParam>(nk->exponent));
    EXPECT_EQ(10.0, as<KyranoConstantWavelengthIndependentParam>(nk->exponent)->value);
}

TEST(KyranoSceneParseUtilsMaterials, OtherTypes)
{
    auto materials = readAllTypesFile();
    EXPECT_EQ(12u, materials.size());

    const KyranoSpecularMaterial* specular = as<KyranoSpecularMaterial>(materials["specular"]);
    ASSERT_TRUE(specular);
    EXPECT_EQ("Medspecular", specular->internal_medium_name);
    EXPECT_TRUE(specular->transparent);

    const KyranoGlossyTransparent* glossy = as<KyranoGlossyTransparent>(materials["glossy"]);
    ASSERT_TRUE(glossy);
    ASSERT_TRUE(as<KyranoConstantWavelengthIndependentParam>(glossy->exponent));
    EXPECT_EQ(1000.0, as<KyranoConstantWavelengthIndependentParam>(glossy->exponent)->value);

    const KyranoDiffuseTransmitter* transmitter = as<KyranoDiffuseTransmitter>(materials["transmitter"]);
    ASSERT_TRUE(transmitter);
    ASSERT_TRUE(constantSpectrum<KyranoBlackBodySpectrum>(transmitter->albedo));
    EXPECT_EQ(5000.0, constantSpectrum<KyranoBlackBodySpectrum>(transmitter->albedo)->temperature);

    const KyranoOrenNayarMaterial* oren = as<KyranoOrenNayarMaterial>(materials["oren_nayar"]);
    ASSERT_TRUE(oren);
    ASSERT_TRUE(as<KyranoConstantWavelengthIndependentParam>(oren->sigma));
    EXPECT_EQ(0.25, as<KyranoConstantWavelengthIndependentParam>(oren->sigma)->value);
    ASSERT_TRUE(as<KyranoShaderWavelengthDependentParam>(oren->albedo));
    EXPECT_EQ("def eval(vec3 pos) spectrum : vec3(0.5)", as<KyranoShaderWavelengthDependentParam>(oren->albedo)->shader);

    const KyranoBlendMaterial* blend = as<KyranoBlendMaterial>(materials["blend_current"]);
    ASSERT_TRUE(blend);
    EXPECT_EQ("diffuse_colour", blend->a_name);
    EXPECT_EQ("specular", blend->b_name);
    ASSERT_TRUE(as<KyranoConstantDisplacementParam>(blend->blend));
    EXPECT_EQ(0.5, as<KyranoConstantDisplacementParam>(blend->blend)->value);
    EXPECT_TRUE(blend->step_blend);

    const KyranoBlendMaterial* old_blend = as<KyranoBlendMaterial>(materials["blend_old"]);
    ASSERT_TRUE(old_blend);
    EXPECT_EQ("glossy", old_blend->b_name);
    EXPECT_EQ(0, textureIndex(old_blend->blend)); // the map wins over the factor
    EXPECT_FALSE(old_blend->step_blend);

    EXPECT_TRUE(as<KyranoNullMaterial>(materials["nothing"]));
}

TEST(KyranoSceneParseUtilsMaterials, ReleasingAMaterialReleasesItsTreeOnce)
{
    auto materials = readAllTypesFile();
    Reference<KyranoSpectrum> spectrum;
    {
        Reference<KyranoMaterial> material = materials["diffuse_colour"];
        materials.clear();
        const KyranoConstantWavelengthDependentParam* albedo =
            as<KyranoConstantWavelengthDependentParam>(material.downcast<KyranoDiffuse>()->albedo);
        ASSERT_TRUE(albedo);
        spectrum = albedo->spectrum;
        EXPECT_EQ(2, spectrum->getRefCount());
        EXPECT_EQ(1, material->getRefCount());
    }
    EXPECT_EQ(1, spectrum->getRefCount());
}

TEST(KyranoSceneParseUtilsMaterials, FormSelectionAndAllowedChildren)
{
    // A plain exponent selects the old Phong form, which allows none of the common elements.
    EXPECT_EQ("Found unexpected element 'bump'.  (In element 'phong', around line 2, column 1)",
              materialMessage("<material><name>p</name>\n<phong><exponent>5</exponent><bump/></phong></material>"));
    EXPECT_EQ("Failed to find expected element 'diffuse_albedo_spectrum'.  (In element 'phong', around line 1, column 11)",
              materialMessage("<material><phong><exponent>5</exponent></phong></material>"));
    // blend_factor selects the old blend form, whose factor is named differently.
    EXPECT_EQ("Found unexpected element 'blend'.  (In element 'blend', around line 1, column 11)",
              materialMessage("<material><blend><blend_factor>1</blend_factor><blend/></blend></material>"));
    EXPECT_EQ("Failed to find expected element 'exponent'.  (In element 'glossy_transparent', around line 1, column 11)",
              materialMessage("<material><glossy_transparent><internal_medium_name>m</internal_medium_name></glossy_transparent></material>"));
    EXPECT_EQ("Failed to parse double from 'rough'.  (In element 'oren_nayar', around line 1, column 11)",
              materialMessage("<material><oren_nayar><sigma>rough</sigma></oren_nayar></material>"));
    EXPECT_EQ("Found unexpected element 'name'.  (In element 'null_material', around line 1, column 11)",
              materialMessage("<material><null_material><name/></null_material></material>"));
    EXPECT_EQ("Found unexpected element 'albedo'.  (In element 'specular', around line 1, column 11)",
              materialMessage("<material><specular><albedo/></specular></material>"));
}

TEST(KyranoSceneParseUtilsMaterials, TypeElementOfAMaterial)
{
    const std::string types = "'blend', 'diffuse', 'diffuse_transmitter', 'glossy_transparent', 'null_material', "
                              "'oren_nayar', 'phong', 'specular'";
    EXPECT_EQ("Unknown material type 'velvet' - Type should be one of " + types + ".  (In element 'material', around line 1, column 1)",
              materialMessage("<material><name>v</name><velvet/></material>"));
    EXPECT_EQ("Failed to find child for element 'material' - Child should be one of " + types +
                  ".  (In element 'material', around line 1, column 1)",
              materialMessage("<material><name>v</name></material>"));
    EXPECT_EQ("Found unexpected element 'phong'.  (In element 'material', around line 1, column 1)",
              materialMessage("<material><null_material/><phong/></material>"));

    XmlFixture unnamed("<material><null_material/></material>");
    EXPECT_EQ("", parseMaterial(unnamed.root())->name);
}
