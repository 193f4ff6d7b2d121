// The Import .kym command on real material files: every type and parameter onto material
// helpers and host materials, the names, blends, textures, shaders and the warnings.
#include <cmath>

#include "command/ImportKymFixture.h"
#include "description/oMyMaterialHelper.h"
#include "description/xtavrellislshader.h"

// Every type with its parameters; a blend whose inputs come later imports them first and
// links them, and they are not imported a second time at their own turn.
TEST_F(ImportKym, EveryTypeBecomesAHelperWithItsParameters) {
  ImportText(Kym(
      "<material><name>nullMat</name><null_material/></material>\n" +
      Material("Mix", "<blend><a_name>Red</a_name><b_name>Gold</b_name><blend><constant>0.3</constant></blend>"
                      "<step_blend>true</step_blend></blend>") +
      Material("Red", "<diffuse><albedo>" + Rgb("0.5 0.25 1") + "</albedo><random_triangle_colours>true</random_triangle_colours>"
                      "<base_emission>" + Rgb("2 1 0.5") + "</base_emission><layer>3</layer></diffuse>") +
      Material("Gold", "<phong><nk_data>nkdata/Au.nk</nk_data><ior>1.7</ior><specular_reflectivity>" + Rgb("0.9 0.8 0.1") +
                       "</specular_reflectivity><diffuse_albedo>" + Rgb("0.1 0.1 0.1") +
                       "</diffuse_albedo><exponent><constant>300</constant></exponent></phong>") +
      Material("Rough", "<oren_nayar><sigma><constant>0.35</constant></sigma><albedo>" + Rgb("0.5 0.5 0.5", "2") + "</albedo></oren_nayar>") +
      Material("Leaf", "<diffuse_transmitter><albedo><constant><uniform><value>0.4</value></uniform></constant></albedo></diffuse_transmitter>") +
      Material("Mirror", "<specular><internal_medium_name>MedMirror</internal_medium_name><transparent>false</transparent></specular>") +
      Material("Frost", "<glossy_transparent><internal_medium_name>none</internal_medium_name><exponent><constant>250</constant></exponent></glossy_transparent>")));

  ASSERT_EQ(Helpers().size(), 7u);
  EXPECT_EQ(MaterialCount(), 7);
  EXPECT_EQ(Warnings(), "");
  for (BaseObject* op : Helpers()) {
    BaseMaterial* mat = static_cast<BaseMaterial*>(op->GetDataInstance()->GetLink(MATHELPER_MATERIAL, doc_, Mbase));
    ASSERT_NE(mat, nullptr);
    EXPECT_EQ(mat->GetName(), op->GetName());
    ASSERT_NE(op->GetTag(Ttexture), nullptr);
    EXPECT_EQ(static_cast<TextureTag*>(op->GetTag(Ttexture))->GetMaterial(), mat);
  }

  const BaseContainer mix = Data("Mix");
  EXPECT_EQ(mix.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_BLEND);
  EXPECT_EQ(mix.GetLink(MATHELPER_BLEND_A, doc_), doc_->SearchMaterial("Red"));
  EXPECT_EQ(mix.GetLink(MATHELPER_BLEND_B, doc_), doc_->SearchMaterial("Gold"));
  EXPECT_FLOAT_EQ(mix.GetReal(MATHELPER_BLEND_AMOUNT), 0.3f);
  EXPECT_TRUE(mix.GetBool(MATHELPER_STEP_BLEND));

  const BaseContainer red = Data("Red");
  EXPECT_EQ(red.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_DIFFUSE);
  ExpectVector(red.GetVector(MATHELPER_COLOR), 0.5f, 0.25f, 1.0f);
  EXPECT_FLOAT_EQ(red.GetReal(MATHELPER_GAMMA, 2.2f), 1.0f);
  EXPECT_TRUE(red.GetBool(MATHELPER_RANDOM_TRIANGLE_COLOURS));
  EXPECT_EQ(red.GetLong(MATHELPER_EMISSION_LAYER), 3);
  EXPECT_TRUE(red.GetBool(MATHELPER_EMISSION));
  EXPECT_EQ(red.GetLong(MATHELPER_EMISSION_TYPE), MATHELPER_EMISSION_RGB);
  ExpectVector(red.GetVector(MATHELPER_EMISSION_COLOR), 1.0f, 0.5f, 0.25f);
  EXPECT_FLOAT_EQ(red.GetReal(MATHELPER_EMISSION_GAIN), 2.0f);

  // The reflectivity's colour wins over the diffuse one; the nk file loses its folder.
  const BaseContainer gold = Data("Gold");
  EXPECT_EQ(gold.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_PHONG);
  EXPECT_TRUE(gold.GetBool(MATHELPER_USE_NK));
  EXPECT_EQ(gold.GetString(MATHELPER_NK_FILE), String("Au.nk"));
  EXPECT_FLOAT_EQ(gold.GetReal(MATHELPER_IOR), 1.7f);
  EXPECT_TRUE(gold.GetBool(MATHELPER_SPECULAR_REFLECTIVITY));
  ExpectVector(gold.GetVector(MATHELPER_COLOR), 0.9f, 0.8f, 0.1f);
  EXPECT_FLOAT_EQ(gold.GetReal(MATHELPER_EXPONENT), 300.0f);
  EXPECT_FALSE(gold.GetBool(MATHELPER_EMISSION));

  // Colours come in linear: 0.5 at gamma 2 is 0.25.
  const BaseContainer rough = Data("Rough");
  EXPECT_EQ(rough.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_OREN_NAYAR);
  EXPECT_FLOAT_EQ(rough.GetReal(MATHELPER_ROUGHNESS), 0.35f);
  ExpectVector(rough.GetVector(MATHELPER_COLOR), 0.25f, 0.25f, 0.25f);

  const BaseContainer leaf = Data("Leaf");
  EXPECT_EQ(leaf.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_DIFFUSE_TRANSMITTER);
  ExpectVector(leaf.GetVector(MATHELPER_COLOR), 0.4f, 0.4f, 0.4f);

  const BaseContainer mirror = Data("Mirror");
  EXPECT_EQ(mirror.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_SPECULAR);
  EXPECT_FALSE(mirror.GetBool(MATHELPER_TRANSPARENT, TRUE));

  const BaseContainer frost = Data("Frost");
  EXPECT_EQ(frost.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_GLOSSY);
  EXPECT_FLOAT_EQ(frost.GetReal(MATHELPER_EXPONENT), 250.0f);

  // A second run imports everything again, as new materials.
  ImportFile(dir_.str("mats.kym"));
  EXPECT_EQ(Helpers().size(), 14u);
  EXPECT_EQ(MaterialCount(), 14);
}

// The medium a specular or glossy material names: basic values, absorption stored as the
// colour whose complement it is, scattering and a Henyey-Greenstein g.
TEST_F(ImportKym, MediumOfAGlassMaterial) {
  ImportText(Kym(
      "<medium><name>MedOther</name><precedence>99</precedence></medium>\n"
      "<medium><name>MedGlass</name><precedence>7</precedence><basic><ior>1.45</ior><cauchy_b_coeff>0.01</cauchy_b_coeff>"
      "<absorption_coefficient_spectrum><rgb><rgb>0.2 0.4 0.6</rgb><gamma>1.5</gamma></rgb></absorption_coefficient_spectrum>"
      "<subsurface_scattering><scattering_coefficient_spectrum><rgb><rgb>4 2 1</rgb><gamma>1</gamma></rgb></scattering_coefficient_spectrum>"
      "<phase_function><henyey_greenstein><g_spectrum><rgb><rgb>0.5 0.3 0.1</rgb><gamma>1.2</gamma></rgb></g_spectrum>"
      "</henyey_greenstein></phase_function></subsurface_scattering></basic></medium>\n"
      "<medium><name>MedSkin</name><precedence>3</precedence><dermis><hemoglobin_fraction>0.1</hemoglobin_fraction></dermis></medium>\n"
      "<medium><name>MedTab</name><precedence>2</precedence><basic><ior>1.3</ior><absorption_coefficient_spectrum><regular_tabulated>"
      "<start_wavelength>3.6e-7</start_wavelength><end_wavelength>7.2e-7</end_wavelength><num_values>2</num_values>"
      "<values>0.1 0.2</values></regular_tabulated></absorption_coefficient_spectrum></basic></medium>\n"
      "<medium><name>MedShort</name><precedence>1</precedence><basic><absorption_coefficient_spectrum>"
      "<rgb><rgb>0.5 0.5</rgb><gamma>1</gamma></rgb></absorption_coefficient_spectrum></basic></medium>\n" +
      Material("Glass", "<specular><internal_medium_name>MedGlass</internal_medium_name><transparent>true</transparent></specular>") +
      Material("Skin", "<specular><internal_medium_name>MedSkin</internal_medium_name><transparent>true</transparent></specular>") +
      Material("Tinted", "<glossy_transparent><internal_medium_name>MedTab</internal_medium_name><exponent>80</exponent></glossy_transparent>") +
      Material("Short", "<specular><internal_medium_name>MedShort</internal_medium_name><transparent>true</transparent></specular>")));

  const BaseContainer glass = Data("Glass");
  EXPECT_EQ(glass.GetLong(MATHELPER_PRECEDENCE), 7);
  EXPECT_EQ(glass.GetLong(MATHELPER_MEDIUM_TYPE), MATHELPER_MEDIUM_BASIC);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_MEDIUM_IOR), 1.45f);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_CAUCHY_B), 0.01f);
  EXPECT_EQ(glass.GetLong(MATHELPER_ABSORPTION_TYPE), MATHELPER_ABSORPTION_RGB);
  ExpectVector(glass.GetVector(MATHELPER_ABSORPTION_COLOR), 0.8f, 0.6f, 0.4f);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_ABSORPTION_GAIN), 1.0f);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_ABSORPTION_GAMMA), 1.5f);
  EXPECT_TRUE(glass.GetBool(MATHELPER_SUBSURFACE));
  EXPECT_EQ(glass.GetLong(MATHELPER_SCATTERING_TYPE), MATHELPER_SCATTERING_RGB);
  ExpectVector(glass.GetVector(MATHELPER_SCATTERING_COLOR), 1.0f, 0.5f, 0.25f);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_SCATTERING_GAIN), 4.0f);
  EXPECT_EQ(glass.GetLong(MATHELPER_PHASE_FUNCTION), MATHELPER_PHASE_HENYEY_GREENSTEIN);
  EXPECT_EQ(glass.GetLong(MATHELPER_G_TYPE), MATHELPER_G_RGB);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_G_RED), 0.5f);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_G_GREEN), 0.3f);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_G_BLUE), 0.1f);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_G_GAMMA), 1.2f);

  // A dermis medium keeps only its precedence, and says so.
  const BaseContainer skin = Data("Skin");
  EXPECT_EQ(skin.GetLong(MATHELPER_PRECEDENCE), 3);

  // Tabulated texts are copied as written, in metres.
  const BaseContainer tinted = Data("Tinted");
  EXPECT_FLOAT_EQ(tinted.GetReal(MATHELPER_EXPONENT), 80.0f);
  EXPECT_EQ(tinted.GetLong(MATHELPER_ABSORPTION_TYPE), MATHELPER_ABSORPTION_TABULATED);
  EXPECT_EQ(tinted.GetString(MATHELPER_ABSORPTION_TAB_START), String("3.6e-7"));
  EXPECT_EQ(tinted.GetString(MATHELPER_ABSORPTION_TAB_END), String("7.2e-7"));
  EXPECT_EQ(tinted.GetString(MATHELPER_ABSORPTION_TAB_VALUES), String("0.1 0.2"));
  EXPECT_EQ(tinted.GetLong(MATHELPER_ABSORPTION_TAB_COUNT), 2);

  // A colour of two numbers is refused, not read past its end; the helper keeps its own.
  EXPECT_EQ(Data("Short").GetVector(MATHELPER_ABSORPTION_COLOR), Data("Skin").GetVector(MATHELPER_ABSORPTION_COLOR));
  EXPECT_EQ(Warnings(),
            "Import warnings:\n- Dermis medium in Material \"Skin\" not supported.\n"
            "- Medium colour of Material \"Short\" not read: Failed to parse Vec3 from '0.5 0.5'.  (In element 'rgb', "
            "around line 7, column 96)");
}

// The emission kinds: rgb normalised by its largest component (or kept with gain 1), uniform,
// blackbody, tabulated texts as written; what the helper cannot hold is a warning.
TEST_F(ImportKym, BaseEmissionKindsAndUnsupportedSpectra) {
  ImportText(Kym(
      Material("Dim", "<diffuse><base_emission>" + Rgb("0.5 0.5 0.5") + "</base_emission></diffuse>") +
      Material("Tie", "<diffuse><base_emission>" + Rgb("3 3 1") + "</base_emission></diffuse>") +
      Material("Flat", "<diffuse><base_emission><constant><uniform><value>5</value></uniform></constant></base_emission></diffuse>") +
      Material("Warm", "<oren_nayar><sigma>0.2</sigma><base_emission><constant><blackbody><temperature>3200</temperature>"
                       "<gain>4</gain></blackbody></constant></base_emission></oren_nayar>") +
      Material("Tab", "<diffuse><base_emission><constant><regular_tabulated><start_wavelength>4e-7</start_wavelength>"
                      "<end_wavelength>7e-7</end_wavelength><num_values>3</num_values><values>1 2 3</values>"
                      "</regular_tabulated></constant></base_emission></diffuse>") +
      Material("Odd", "<diffuse><albedo><constant><blackbody><temperature>5000</temperature><gain>1</gain></blackbody></constant>"
                      "</albedo><base_emission><constant><peak><peak_min>4e-7</peak_min><peak_max>5e-7</peak_max>"
                      "<peak_value>1</peak_value><base_value>0</base_value></peak></constant></base_emission>"
                      "<emission>" + Rgb("1 1 1") + "</emission><bump><constant>0.1</constant></bump></diffuse>")));

  const BaseContainer dim = Data("Dim");
  ExpectVector(dim.GetVector(MATHELPER_EMISSION_COLOR), 0.5f, 0.5f, 0.5f);
  EXPECT_FLOAT_EQ(dim.GetReal(MATHELPER_EMISSION_GAIN), 1.0f);
  const BaseContainer tie = Data("Tie");
  ExpectVector(tie.GetVector(MATHELPER_EMISSION_COLOR), 1.0f, 1.0f, 1.0f / 3.0f);
  EXPECT_FLOAT_EQ(tie.GetReal(MATHELPER_EMISSION_GAIN), 3.0f);
  const BaseContainer flat = Data("Flat");
  EXPECT_EQ(flat.GetLong(MATHELPER_EMISSION_TYPE), MATHELPER_EMISSION_UNIFORM);
  EXPECT_FLOAT_EQ(flat.GetReal(MATHELPER_EMISSION_VALUE), 5.0f);
  const BaseContainer warm = Data("Warm");
  EXPECT_EQ(warm.GetLong(MATHELPER_EMISSION_TYPE), MATHELPER_EMISSION_BLACKBODY);
  EXPECT_FLOAT_EQ(warm.GetReal(MATHELPER_EMISSION_TEMPERATURE), 3200.0f);
  EXPECT_FLOAT_EQ(warm.GetReal(MATHELPER_EMISSION_BB_GAIN), 4.0f);
  const BaseContainer tab = Data("Tab");
  EXPECT_EQ(tab.GetLong(MATHELPER_EMISSION_TYPE), MATHELPER_EMISSION_TABULATED);
  EXPECT_EQ(tab.GetString(MATHELPER_EMISSION_TAB_START), String("4e-7"));
  EXPECT_EQ(tab.GetString(MATHELPER_EMISSION_TAB_END), String("7e-7"));
  EXPECT_EQ(tab.GetLong(MATHELPER_EMISSION_TAB_COUNT), 3);
  EXPECT_EQ(tab.GetString(MATHELPER_EMISSION_TAB_VALUES), String("1 2 3"));
  const BaseContainer odd = Data("Odd");
  EXPECT_TRUE(odd.GetBool(MATHELPER_EMISSION));
  EXPECT_EQ(odd.GetLong(MATHELPER_EMISSION_TYPE), MATHELPER_EMISSION_OTHER);

  EXPECT_EQ(Warnings(),
            "Import warnings:\n"
            "- Albedo blackbody spectrum in Material \"Odd\" not supported.\n"
            "- Bump constant in Material \"Odd\" not supported.\n"
            "- Base emission peak spectrum in Material \"Odd\" not supported.\n"
            "- Emission RGB spectrum in Material \"Odd\" not supported.");
}

// Names: the same name twice, unnamed and empty-named materials, null and unknown types.
TEST_F(ImportKym, NamesUsedTwiceUnnamedAndUnknownMaterials) {
  ImportText(Kym(Material("Wood", "<diffuse><albedo>" + Rgb("0.4 0.2 0.1") + "</albedo></diffuse>") +
                 Material("Wood", "<phong><exponent><constant>10</constant></exponent></phong>") +
                 "<material><diffuse/></material>\n"
                 "<material><name/><phong><exponent><constant>5</constant></exponent></phong></material>\n" +
                 Material("Fur", "<hair><length>2</length></hair>") + Material("Void", "")));

  ASSERT_EQ(Helpers().size(), 2u);
  EXPECT_EQ(MaterialCount(), 2);
  EXPECT_EQ(Data("Wood").GetLong(MATHELPER_TYPE), MATHELPER_TYPE_DIFFUSE);
  EXPECT_EQ(Data("").GetLong(MATHELPER_TYPE), MATHELPER_TYPE_DIFFUSE);
  EXPECT_EQ(doc_->SearchMaterial("Fur"), nullptr);
  EXPECT_EQ(Warnings(),
            "Import warnings:\n"
            "- Material \"Wood\" appears more than once; only the first is imported.\n"
            "- A material without a name after the first one is not imported.\n"
            "- Material type \"hair\" in Material \"Fur\" not supported.\n"
            "- Material without a type in Material \"Void\" not supported.");
}

// Blend inputs that lead back to a blend under way get no link (and a warning) instead of a
// recursion without end; a missing input is named, "nullMat" is no material.
TEST_F(ImportKym, BlendCyclesAndMissingInputs) {
  ImportText(Kym(Material("Self", "<blend><a_name>Self</a_name><b_name>nullMat</b_name><blend><constant>0.5</constant></blend></blend>") +
                 Material("A", "<blend><a_name>B</a_name><b_name>Gone</b_name><blend><constant>0.5</constant></blend></blend>") +
                 Material("B", "<blend><a_name>A</a_name><b_name>C</b_name><blend><constant>0.5</constant></blend></blend>") +
                 Material("C", "<diffuse/>")));

  ASSERT_EQ(Helpers().size(), 4u);
  EXPECT_EQ(Data("Self").GetLink(MATHELPER_BLEND_A, doc_), nullptr);
  EXPECT_EQ(Data("Self").GetLink(MATHELPER_BLEND_B, doc_), nullptr);
  EXPECT_EQ(Data("A").GetLink(MATHELPER_BLEND_A, doc_), doc_->SearchMaterial("B"));
  EXPECT_EQ(Data("A").GetLink(MATHELPER_BLEND_B, doc_), nullptr);
  EXPECT_EQ(Data("B").GetLink(MATHELPER_BLEND_A, doc_), nullptr);
  EXPECT_EQ(Data("B").GetLink(MATHELPER_BLEND_B, doc_), doc_->SearchMaterial("C"));
  EXPECT_EQ(Warnings(),
            "Import warnings:\n"
            "- Blend input \"Self\" that leads back to itself in Material \"Self\" not supported.\n"
            "- Blend input \"A\" that leads back to itself in Material \"B\" not supported.\n"
            "- Blend input \"Gone\" missing in Material \"A\" not supported.");
}

// A file that does not load whole, is not a material file, or is not a .kym: a message (with
// line and column for a parse error) and nothing imported, not even the group.
TEST_F(ImportKym, BrokenFilesImportNothing) {
  const std::string good = Kym(Material("Wood", "<diffuse/>") + Material("Stone", "<diffuse/>"));
  ImportText(good.substr(0, good.find("Stone")), "cut.kym");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find("cut.kym"), std::string::npos) << messages_[0];
  EXPECT_EQ(messages_[0], "Cannot read '" + dir_.str("cut.kym") +
                             "' as XML: Error reading Element value. (the file ends too early: line 4, column 17)");
  EXPECT_EQ(doc_->GetFirstObject(), nullptr);
  EXPECT_EQ(MaterialCount(), 0);

  ImportText("<?xml version=\"1.0\" ?>\n<scene><material><name>W</name><diffuse/></material></scene>\n", "scene.kym");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], dir_.str("scene.kym") + ": not a material file (it has no \"scenedata\" element); nothing imported.");

  ImportFile(dir_.str("missing.kym"));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find("missing.kym"), std::string::npos) << messages_[0];

  ImportText(good, "mats.xml");
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(console_, std::vector<std::string>{"no kym"});
  EXPECT_EQ(doc_->GetFirstObject(), nullptr);
  EXPECT_EQ(MaterialCount(), 0);

  // A material the reader refuses: its message, and a helper of its type only.
  ImportText(Kym(Material("Bad", "<phong><exponent><constant>x</constant></exponent></phong>")));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].rfind("Failed to parse double from 'x'.", 0), 0u) << messages_[0];
  EXPECT_EQ(Data("Bad").GetLong(MATHELPER_TYPE), MATHELPER_TYPE_PHONG);
}

// An existing object named "Imported Materials" that is not a group gets a group beside it.
TEST_F(ImportKym, GroupIsMadeWhenTheNamedObjectIsNotOne) {
  Open(R"({"objects": [{"type": "Onull", "name": "Imported Materials"}]})");
  ImportText(Kym(Material("Wood", "<diffuse/>")));
  BaseObject* first = doc_->GetFirstObject();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetType(), kGroup);
  EXPECT_EQ(first->GetName(), String("Imported Materials"));
  ASSERT_NE(first->GetDown(), nullptr);
  EXPECT_EQ(first->GetDown()->GetName(), String("Wood"));
  EXPECT_EQ(first->GetNext()->GetType(), LONG(Onull));
}
