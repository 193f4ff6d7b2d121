// The material writers: what each type element holds, for standard and other host materials,
// and the spectra of emission and media.
#include "exporter/MaterialExportFixture.h"

#include "description/oMyMaterialHelper.h"
#include "kyrano_utils/KyranoSpectrum.h"

using testing_support::WriteFile;
using Strings = std::vector<std::string>;

namespace {

const char* const kTextures =
    "\"shaders\": [{\"type\": \"Xbitmap\", \"name\": \"D\", \"data\": {\"1000\": {\"file\": \"d.png\"}}}], "
    "\"data\": {\"2011\": true, \"8009\": {\"shader\": \"D\"}}";

}  // namespace

// Phong: the nk file (the helper's, or Al.nk when it has none), the reflectivity written as
// the albedo's colour, and the exponent before the displacement map; glossy has it after.
TEST_F(MaterialExport, PhongAndGlossyParts) {
  WriteFile(dir_.str("d.png"), "only its existence matters");
  Load(std::string("{\"materials\": [{\"name\": \"Chrome\"}, {\"name\": \"Bare\"}, {\"name\": \"Shine\", ") + kTextures +
       "}, {\"name\": \"Frost\", " + kTextures + "}], \"objects\": [" +
       Helper("Chrome", "Chrome", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_PHONG\", \"MATHELPER_USE_NK\": true") + ", " +
       Helper("Bare", "Bare", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_PHONG\", \"MATHELPER_USE_NK\": true") + ", " +
       Helper("Shine", "Shine", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_PHONG\", \"MATHELPER_SPECULAR_REFLECTIVITY\": true, "
                                "\"MATHELPER_COLOR\": [0.5, 0.25, 1], \"MATHELPER_IOR\": 1.8") + ", " +
       Helper("Frost", "Frost", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_GLOSSY\", \"MATHELPER_EXPONENT\": 300.0") + "]}");
  doc_->SearchObject("Bare")->GetDataInstance()->RemoveData(MATHELPER_NK_FILE);
  const TiXmlElement* scene = ExportLoaded();
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Text(TypeOf(scene, "Chrome"), "nk_data"), "nkdata/Cr.nk");
  EXPECT_EQ(Text(TypeOf(scene, "Bare"), "nk_data"), "nkdata/Al.nk");
  const TiXmlElement* shine = TypeOf(scene, "Shine");
  EXPECT_EQ(Children(shine), (Strings{"ior", "specular_reflectivity", "diffuse_albedo", "exponent", "texture", "displacement"}));
  EXPECT_EQ(Text(shine, "ior"), "1.800000");
  EXPECT_EQ(Text(shine, "specular_reflectivity/constant/rgb/rgb"), "0.500000 0.250000 1.000000");
  EXPECT_EQ(Text(shine, "diffuse_albedo/constant/rgb/rgb"), "0.500000 0.250000 1.000000");
  EXPECT_EQ(Text(shine, "exponent/constant"), "1000.000000");
  EXPECT_EQ(Text(shine, "texture/b"), "0.001000");  // the displacement map's default
  EXPECT_EQ(Children(TypeOf(scene, "Frost")),
            (Strings{"internal_medium_name", "texture", "displacement", "exponent"}));
  EXPECT_EQ(Text(TypeOf(scene, "Frost"), "exponent/constant"), "300.000000");
  EXPECT_TRUE(AllMaterialsRead(scene));
}

// A material of another kind than the standard one gets only what every type needs: no
// textures or emission, but the exponent and blend factor the renderer requires.
TEST_F(MaterialExport, OtherHostMaterialsGetOnlyTheRequiredParts) {
  const std::string other = "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_";
  const TiXmlElement* scene = Export(
      "{\"materials\": [{\"type\": \"Mplugin\", \"name\": \"P\"}, {\"type\": \"Mplugin\", \"name\": \"Q\"}, "
      "{\"type\": \"Mplugin\", \"name\": \"R\"}, {\"type\": \"Mplugin\", \"name\": \"S\"}, "
      "{\"type\": \"Mplugin\", \"name\": \"T\"}], \"objects\": [" +
      Helper("P", "P", "\"MATHELPER_EMISSION\": true") + ", " + Helper("Q", "Q", other + "PHONG\"") + ", " +
      Helper("R", "R", other + "GLOSSY\"") + ", " + Helper("S", "S", other + "BLEND\", \"MATHELPER_BLEND_AMOUNT\": 0.75") +
      ", " + Helper("T", "T", other + "OREN_NAYAR\", \"MATHELPER_ROUGHNESS\": 0.5") + "]}");
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Children(TypeOf(scene, "P")), (Strings{"random_triangle_colours"}));
  EXPECT_EQ(Children(TypeOf(scene, "Q")), (Strings{"ior", "exponent"}));
  EXPECT_EQ(Text(TypeOf(scene, "Q"), "exponent/constant"), "1000.000000");
  EXPECT_EQ(Children(TypeOf(scene, "R")), (Strings{"internal_medium_name", "exponent"}));
  EXPECT_EQ(Children(TypeOf(scene, "S")), (Strings{"a_name", "b_name", "step_blend", "blend"}));
  EXPECT_EQ(Text(TypeOf(scene, "S"), "blend/constant"), "0.750000");
  EXPECT_EQ(Text(TypeOf(scene, "S"), "b_name"), "nullMat");
  EXPECT_EQ(Children(TypeOf(scene, "T")), (Strings{"sigma"}));
  EXPECT_EQ(Text(TypeOf(scene, "T"), "sigma/constant"), "0.500000");
  EXPECT_TRUE(AllMaterialsRead(scene));
}

// Emission spectra and the emission layer; an emission spectrum the renderer cannot read is
// left out with a warning, and a long typed spectrum is written whole.
TEST_F(MaterialExport, EmissionSpectra) {
  std::string values = "1.25";
  for (int i = 1; i < 400; ++i) values += " 1.25";
  const std::string emits = "\"MATHELPER_EMISSION\": true, \"MATHELPER_EMISSION_LAYER\": 3, \"MATHELPER_EMISSION_TYPE\": ";
  const TiXmlElement* scene = Export(
      "{\"materials\": [{\"name\": \"Rgb\"}, {\"name\": \"Body\"}, {\"name\": \"Tab\"}, {\"name\": \"Short\"}, "
      "{\"name\": \"Fifth\"}], \"objects\": [" +
      Helper("Rgb", "Rgb", emits + "\"MATHELPER_EMISSION_RGB\", \"MATHELPER_EMISSION_COLOR\": [0.5, 0.25, 1], "
                                   "\"MATHELPER_EMISSION_GAIN\": 2.0") + ", " +
      Helper("Body", "Body", emits + "\"MATHELPER_EMISSION_BLACKBODY\", \"MATHELPER_EMISSION_TEMPERATURE\": 3200.0") + ", " +
      Helper("Tab", "Tab", emits + "\"MATHELPER_EMISSION_TABULATED\", \"MATHELPER_EMISSION_TAB_START\": \"0.38e-6\", "
                                   "\"MATHELPER_EMISSION_TAB_END\": \"0.78e-6\", \"MATHELPER_EMISSION_TAB_COUNT\": 400, "
                                   "\"MATHELPER_EMISSION_TAB_VALUES\": \"" + values + "\"") + ", " +
      Helper("Short", "Short", emits + "\"MATHELPER_EMISSION_TABULATED\", \"MATHELPER_EMISSION_TAB_START\": \"0.38e-6\", "
                                       "\"MATHELPER_EMISSION_TAB_END\": \"0.78e-6\", \"MATHELPER_EMISSION_TAB_COUNT\": 1, "
                                       "\"MATHELPER_EMISSION_TAB_VALUES\": \"1\"") + ", " +
      Helper("Fifth", "Fifth", emits + "\"MATHELPER_EMISSION_OTHER\"") + "]}");
  ASSERT_NE(scene, nullptr);
  const TiXmlElement* rgb = TypeOf(scene, "Rgb");
  EXPECT_EQ(Children(rgb), (Strings{"random_triangle_colours", "albedo", "base_emission", "layer"}));
  EXPECT_EQ(Text(rgb, "base_emission/constant/rgb/rgb"), "1.000000 0.500000 2.000000");
  EXPECT_EQ(Text(rgb, "base_emission/constant/rgb/gamma"), "1.000000");
  EXPECT_EQ(Text(rgb, "layer"), "3");
  EXPECT_EQ(Text(TypeOf(scene, "Body"), "base_emission/constant/blackbody/temperature"), "3200.000000");
  EXPECT_EQ(Text(TypeOf(scene, "Body"), "base_emission/constant/blackbody/gain"), "1.000000");
  EXPECT_EQ(Text(TypeOf(scene, "Tab"), "base_emission/constant/regular_tabulated/values"), values);
  EXPECT_EQ(Text(TypeOf(scene, "Tab"), "base_emission/constant/regular_tabulated/num_values"), "400");
  EXPECT_EQ(Children(TypeOf(scene, "Short")), (Strings{"random_triangle_colours", "albedo", "layer"}));
  EXPECT_EQ(Children(TypeOf(scene, "Fifth")), (Strings{"random_triangle_colours", "albedo", "layer"}));
  EXPECT_TRUE(Printed("--Warning: emission of 'Fifth' left out: spectrum choice 1140 has no spectrum"));
  bool shortWarned = false;
  for (const std::string& line : console_)
    shortWarned = shortWarned || line.rfind("--Warning: emission of 'Short' left out: num_values must be >= 2.", 0) == 0;
  EXPECT_TRUE(shortWarned);
  EXPECT_TRUE(AllMaterialsRead(scene));
}

// Media: the absorption is the colour's complement; dermis, epidermis, scattering with a
// Henyey-Greenstein phase function of rgb g, and a spectrum left out when it has no writer.
TEST_F(MaterialExport, MediumSpectraAndKinds) {
  const std::string specular = "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_SPECULAR\", ";
  Load("{\"materials\": [{\"name\": \"Clear\"}, {\"name\": \"Skin\"}, {\"name\": \"Top\"}, {\"name\": \"Milk\"}], "
       "\"objects\": [" +
       Helper("Clear", "Clear", specular + "\"MATHELPER_ABSORPTION_COLOR\": [1, 1, 1]") + ", " +
       Helper("Skin", "Skin", specular + "\"MATHELPER_MEDIUM_TYPE\": \"MATHELPER_MEDIUM_DERMIS\", \"MATHELPER_HEMOGLOBIN\": 0.05") +
       ", " + Helper("Top", "Top", specular + "\"MATHELPER_MEDIUM_TYPE\": \"MATHELPER_MEDIUM_EPIDERMIS\"") + ", " +
       Helper("Milk", "Milk", specular + "\"MATHELPER_ABSORPTION_TYPE\": \"MATHELPER_SPECTRUM_OTHER\", "
                                        "\"MATHELPER_SUBSURFACE\": true, \"MATHELPER_SCATTERING_COLOR\": [0.2, 0.4, 0.6], "
                                        "\"MATHELPER_PHASE_FUNCTION\": \"MATHELPER_PHASE_HENYEY_GREENSTEIN\", "
                                        "\"MATHELPER_G_TYPE\": \"MATHELPER_G_RGB\", \"MATHELPER_G_RED\": 0.5") + "]}");
  doc_->SearchObject("Clear")->GetDataInstance()->RemoveData(MATHELPER_PRECEDENCE);
  const TiXmlElement* scene = ExportLoaded();
  ASSERT_NE(scene, nullptr);
  const TiXmlElement* clear = scene->FirstChildElement("medium");
  EXPECT_EQ(Text(clear, "precedence"), "1");
  EXPECT_EQ(Text(clear, "basic/absorption_coefficient_spectrum/rgb/rgb"), "0.000000 0.000000 0.000000");
  EXPECT_EQ(Text(clear, "basic/ior"), "1.000000");
  const TiXmlElement* skin = clear->NextSiblingElement("medium");
  EXPECT_EQ(Children(skin), (Strings{"name", "precedence", "dermis"}));
  EXPECT_EQ(Text(skin, "dermis/hemoglobin_fraction"), "0.050000");
  const TiXmlElement* top = skin->NextSiblingElement("medium");
  EXPECT_EQ(Text(top, "epidermis/melanin_fraction"), "0.250000");
  EXPECT_EQ(Text(top, "epidermis/melanin_type_blend"), "0.500000");
  const TiXmlElement* milk = top->NextSiblingElement("medium");
  EXPECT_EQ(Children(milk->FirstChildElement("basic")), (Strings{"ior", "cauchy_b_coeff", "subsurface_scattering"}));
  EXPECT_EQ(Text(milk, "basic/subsurface_scattering/scattering_coefficient_spectrum/rgb/rgb"), "0.200000 0.400000 0.600000");
  EXPECT_EQ(Text(milk, "basic/subsurface_scattering/phase_function/henyey_greenstein/g_spectrum/rgb/rgb"),
            "0.500000 0.900000 0.900000");
  EXPECT_TRUE(Printed("--Warning: medium of 'Milk': absorption left out: spectrum choice 1043 has no spectrum"));
  EXPECT_EQ(Text(TypeOf(scene, "Milk"), "transparent"), "true");
}

// The peak spectrum the light material uses is written as its start and width, which the
// material reader takes.
TEST(SpectrumWriters, PeakReadsBackThroughTheReader) {
  KyranoSceneExporter ex;
  TiXmlElement holder("constant");
  ex.SceneExportSpectrumPeak(500.0f, 50.0f, 0.1f, 2.0f, &holder);
  Reference<Kyrano::KyranoSpectrum> read = Kyrano::KyranoSceneParseUtils::parseSpectrum(holder);
  const Kyrano::KyranoPeakSpectrum* peak = read.downcast<Kyrano::KyranoPeakSpectrum>();
  ASSERT_NE(peak, nullptr);
  EXPECT_DOUBLE_EQ(peak->peak_min, 500.0);
  EXPECT_DOUBLE_EQ(peak->peak_max, 550.0);
  EXPECT_FLOAT_EQ(float(peak->base_value), 0.1f);
  EXPECT_DOUBLE_EQ(peak->peak_value, 2.0);
}
