// Textures and shaders of imported materials: where their files are looked for, what goes
// into the host material's channels, and what the helper's curve numbers become.
#include <filesystem>

#include "command/ImportKymFixture.h"
#include "description/oMyMaterialHelper.h"
#include "description/xtavrellislshader.h"

namespace {

std::string Texture(const std::string& path, const std::string& numbers = "") {
  return "<texture><path>" + path + "</path><uv_set>default</uv_set>" + numbers + "</texture>";
}

std::string TextureRef(const std::string& element, int index) {
  return "<" + element + "><texture><texture_index>" + std::to_string(index) + "</texture_index></texture></" + element + ">";
}

// The file of the bitmap shader in the material's channel, "" when it has none.
std::string ChannelFile(BaseMaterial* mat, LONG channel) {
  BaseChannel* ch = mat ? mat->GetChannel(channel) : nullptr;
  return ch ? ch->GetData().GetString(BASECHANNEL_TEXTURE).str() : "(no channel)";
}

}  // namespace

// A relative path is found beside the material file; a path from the root stays as it is;
// the curve numbers go to the helper and the channel is switched on. A drive-letter path is
// used unchanged; missing files leave the channel alone and are named in the warnings.
TEST_F(ImportKym, TexturesIntoChannelsWithTheirCurveNumbers) {
  std::filesystem::create_directories(dir_.path() / "maps");
  testing_support::WriteFile(dir_.str("maps/wood.png"), "png");
  testing_support::WriteFile(dir_.str("bump.png"), "png");
  testing_support::WriteFile(dir_.str("highlights.png"), "png");
  const std::string absoluteBump = dir_.str("bump.png");
  ImportText(Kym(Material(
      "Wood", "<phong>" + Texture("maps/wood.png", "<exponent>2.2</exponent><a>0.1</a><b>0.9</b><c>0.05</c>") +
                  Texture(absoluteBump, "<b>0.002</b>") + Texture("highlights.png", "<b>5000</b>") +
                  TextureRef("diffuse_albedo", 0) + TextureRef("bump", 1) + TextureRef("exponent", 2) + "</phong>") +
                 Material("Tiles", "<diffuse>" + Texture("C:\\tex\\tiles.png") + Texture("a") + Texture("x/none.png") +
                                       TextureRef("albedo", 0) + TextureRef("bump", 1) + TextureRef("displacement", 2) +
                                       "</diffuse>") +
                 Material("Glow", "<diffuse>" + Texture("highlights.png", "<b>700</b>") + Texture("bump.png", "<b>0.02</b>") +
                                      TextureRef("displacement", 0) + "<emission><texture><texture_index>1</texture_index>"
                                      "</texture></emission></diffuse>") +
                 Material("Mask", "<blend><a_name>Glow</a_name><b_name>Wood</b_name>" + Texture("maps/wood.png", "<b>0.5</b>") +
                                      TextureRef("blend", 0) + "</blend>")));

  BaseMaterial* wood = doc_->SearchMaterial("Wood");
  ASSERT_NE(wood, nullptr);
  EXPECT_EQ(ChannelFile(wood, CHANNEL_COLOR), dir_.str("maps/wood.png"));
  EXPECT_EQ(ChannelFile(wood, CHANNEL_BUMP), absoluteBump);
  EXPECT_EQ(ChannelFile(wood, CHANNEL_SPECULARCOLOR), dir_.str("highlights.png"));
  EXPECT_TRUE(wood->GetChannelState(CHANNEL_BUMP));
  EXPECT_TRUE(wood->GetChannelState(CHANNEL_SPECULARCOLOR));
  EXPECT_TRUE(Printed("Loaded texture: " + dir_.str("maps/wood.png")));
  const BaseContainer data = Data("Wood");
  EXPECT_FLOAT_EQ(data.GetReal(MATHELPER_DIFFUSEMAP_EXPONENT), 2.2f);
  EXPECT_FLOAT_EQ(data.GetReal(MATHELPER_DIFFUSEMAP_A), 0.1f);
  EXPECT_FLOAT_EQ(data.GetReal(MATHELPER_DIFFUSEMAP_B), 0.9f);
  EXPECT_FLOAT_EQ(data.GetReal(MATHELPER_DIFFUSEMAP_C), 0.05f);
  EXPECT_FLOAT_EQ(data.GetReal(MATHELPER_BUMP_B), 0.002f);
  EXPECT_FLOAT_EQ(data.GetReal(MATHELPER_BUMP_EXPONENT), 1.0f);
  EXPECT_FLOAT_EQ(data.GetReal(MATHELPER_EXPMAP_B), 5000.0f);

  // Displacement, emission and blend maps each into their own channel.
  BaseMaterial* glow = doc_->SearchMaterial("Glow");
  BaseMaterial* mask = doc_->SearchMaterial("Mask");
  ASSERT_NE(glow, nullptr);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(ChannelFile(glow, CHANNEL_DISPLACEMENT), dir_.str("highlights.png"));
  EXPECT_EQ(ChannelFile(glow, CHANNEL_LUMINANCE), dir_.str("bump.png"));
  EXPECT_EQ(ChannelFile(mask, CHANNEL_ALPHA), dir_.str("maps/wood.png"));
  EXPECT_TRUE(glow->GetChannelState(CHANNEL_LUMINANCE));
  EXPECT_FLOAT_EQ(Data("Glow").GetReal(MATHELPER_DISPLACEMENT_B), 700.0f);
  EXPECT_FLOAT_EQ(Data("Glow").GetReal(MATHELPER_EMISSIONMAP_B), 0.02f);
  EXPECT_FLOAT_EQ(Data("Mask").GetReal(MATHELPER_BLENDMAP_B), 0.5f);

  BaseMaterial* tiles = doc_->SearchMaterial("Tiles");
  ASSERT_NE(tiles, nullptr);
  EXPECT_EQ(ChannelFile(tiles, CHANNEL_COLOR), "");
  EXPECT_FALSE(tiles->GetChannelState(CHANNEL_BUMP));
  EXPECT_FALSE(tiles->GetChannelState(CHANNEL_DISPLACEMENT));
  EXPECT_TRUE(Printed("Failed to load texture from: C:\\tex\\tiles.png"));
  EXPECT_TRUE(Printed("Failed to load texture from: " + dir_.str("a")));
  EXPECT_TRUE(Printed("Failed to load texture from: " + dir_.str("x/none.png")));
  EXPECT_EQ(Warnings(),
            "Import warnings:\n"
            "- Texture \"C:\\tex\\tiles.png\" of Material \"Tiles\" not found; imported without it.\n"
            "- Texture \"" + dir_.str("a") + "\" of Material \"Tiles\" not found; imported without it.\n"
            "- Texture \"" + dir_.str("x/none.png") + "\" of Material \"Tiles\" not found; imported without it.");
}

// Paths the path buffer cannot hold are refused with a warning; short and empty ones are not
// read past their end.
TEST_F(ImportKym, OverlongAndEmptyTexturePaths) {
  const std::string longName(3000, 'n');
  const std::string nearLimit(2040, 'm');  // fits alone, not after the folder
  ImportText(Kym(Material("Long", "<diffuse>" + Texture(longName) + Texture(nearLimit) + Texture("") + Texture("/") +
                                      TextureRef("albedo", 0) + TextureRef("bump", 1) + TextureRef("displacement", 2) +
                                      "<emission><texture><texture_index>3</texture_index></texture></emission></diffuse>")));
  EXPECT_EQ(Helpers().size(), 1u);
  EXPECT_EQ(Warnings(),
            "Import warnings:\n"
            "- Texture path longer than 2048 characters in Material \"Long\" not supported.\n"
            "- Texture path \"" + nearLimit + "\" longer than 2048 characters in Material \"Long\" not supported.\n"
            "- Texture without a path in Material \"Long\" not supported.\n"
            "- Texture \"/\" of Material \"Long\" not found; imported without it.");
}

// A shader parameter becomes an ISL shader node in the channel, holding the program; the
// textures only a shader used cannot follow it and are named.
TEST_F(ImportKym, ShadersBecomeIslShaderNodes) {
  ImportText(Kym(Material(
      "Marble", "<phong>" + Texture("veins.png") +
                    "<diffuse_albedo><shader><shader>albedo = tex(0);</shader></shader></diffuse_albedo>"
                    "<exponent><shader><shader>exponent = 10;</shader></shader></exponent>"
                    "<bump><shader><shader>bump = 0.1;</shader></shader></bump></phong>")));
  BaseMaterial* marble = doc_->SearchMaterial("Marble");
  ASSERT_NE(marble, nullptr);
  const struct {
    LONG channel, link;
    const char* program;
  } expected[] = {{CHANNEL_COLOR, MATERIAL_COLOR_SHADER, "albedo = tex(0);"},
                  {CHANNEL_SPECULARCOLOR, MATERIAL_SPECULARCOLOR_SHADER, "exponent = 10;"},
                  {CHANNEL_BUMP, MATERIAL_BUMP_SHADER, "bump = 0.1;"}};
  for (const auto& e : expected) {
    BaseList2D* shader = marble->GetDataInstance()->GetLink(e.link, doc_);
    ASSERT_NE(shader, nullptr) << e.program;
    EXPECT_EQ(shader->GetType(), kIslShader);
    EXPECT_EQ(shader->GetDataInstance()->GetString(ISLSHADER_PROGRAM), String(e.program));
    EXPECT_TRUE(marble->GetChannelState(e.channel)) << e.program;
  }
  EXPECT_EQ(Warnings(), "Import warnings:\n- Shader texture \"veins.png\" in Material \"Marble\" not supported.");
}
