// Texture maps and ISL shaders of the host material's channels, as the material writers put
// them into the renderer material.
#include "exporter/MaterialExportFixture.h"

#include "kyrano_utils/KyranoMaterial.h"
#include "kyrano_utils/KyranoMatParameter.h"

using testing_support::WriteFile;
using Strings = std::vector<std::string>;

namespace {

std::string Bitmap(const std::string& name, const std::string& file) {
  return "{\"type\": \"Xbitmap\", \"name\": \"" + name + "\", \"data\": {\"1000\": {\"file\": \"" + file + "\"}}}";
}

// A JSON string literal of the text.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) out += c == '"' || c == '\\' ? std::string("\\") + c : c == '\n' ? std::string("\\n") : std::string(1, c);
  return out + "\"";
}

}  // namespace

// The colour and bump maps: each texture definition takes the next index and the input after
// it refers to it. A switched-off channel and a missing file leave the constant colour.
TEST_F(MaterialExport, BitmapMapsAreIndexedInOrder) {
  std::filesystem::create_directories(dir_.path() / "tex");
  WriteFile(dir_.str("tex/wood.png"), "only its existence matters");
  WriteFile(dir_.str("tex/bump.png"), "only its existence matters");
  const TiXmlElement* scene = Export(
      "{\"materials\": ["
      "{\"name\": \"Wood\", \"shaders\": [" + Bitmap("C", "tex/wood.png") + ", " + Bitmap("B", "tex/bump.png") +
      "], \"data\": {\"8000\": {\"shader\": \"C\"}, \"2006\": true, \"8006\": {\"shader\": \"B\"}}}, "
      "{\"name\": \"Off\", \"shaders\": [" + Bitmap("C", "tex/wood.png") +
      "], \"data\": {\"2000\": false, \"8000\": {\"shader\": \"C\"}, \"2100\": [0.5, 0.5, 0.5]}}, "
      "{\"name\": \"Gone\", \"shaders\": [" + Bitmap("C", "tex/gone.png") + "], \"data\": {\"8000\": {\"shader\": \"C\"}}}], "
      "\"objects\": [" +
      Helper("Wood", "Wood", "\"MATHELPER_DIFFUSEMAP_EXPONENT\": 1.8, \"MATHELPER_BUMP_B\": 0.01") + ", " +
      Helper("Off", "Off", "\"MATHELPER_COLOR\": [0.1, 0.2, 0.3], \"MATHELPER_GAMMA\": 1.0") + ", " + Helper("Gone", "Gone") +
      "]}");
  ASSERT_NE(scene, nullptr);
  const TiXmlElement* wood = TypeOf(scene, "Wood");
  EXPECT_EQ(Children(wood), (Strings{"random_triangle_colours", "texture", "albedo", "texture", "bump"}));
  const TiXmlElement* first = wood->FirstChildElement("texture");
  const TiXmlElement* second = first->NextSiblingElement("texture");
  EXPECT_EQ(Children(first), (Strings{"uv_set", "path", "exponent", "a", "b", "c"}));
  EXPECT_EQ(Text(first, "uv_set"), "default");
  EXPECT_EQ(Text(first, "path"), "tex/wood.png");
  EXPECT_EQ(Text(first, "exponent"), "1.800000");
  EXPECT_EQ(Text(wood, "albedo/texture/texture_index"), "0");
  EXPECT_EQ(Text(second, "path"), "tex/bump.png");
  EXPECT_EQ(Text(second, "b"), "0.010000");
  EXPECT_EQ(Text(wood, "bump/texture/texture_index"), "1");

  EXPECT_EQ(Children(TypeOf(scene, "Off")), (Strings{"random_triangle_colours", "albedo"}));
  EXPECT_EQ(Text(TypeOf(scene, "Off"), "albedo/constant/rgb/rgb"), "0.100000 0.200000 0.300000");
  EXPECT_EQ(Text(TypeOf(scene, "Off"), "albedo/constant/rgb/gamma"), "1.000000");
  EXPECT_EQ(Children(TypeOf(scene, "Gone")), (Strings{"random_triangle_colours", "albedo"}));
  EXPECT_TRUE(Printed("--Texture not found, left out: tex/gone.png"));
  EXPECT_TRUE(AllMaterialsRead(scene));
}

// An ISL shader in the colour channel with files in slots 1 and 3: two textures after the
// input, each placeholder (wherever it occurs) replaced by its index, "$tex02$" kept. A fresh
// shader writes "no shader" and no texture.
TEST_F(MaterialExport, IslShaderTexturesReplaceTheirPlaceholders) {
  WriteFile(dir_.str("one.png"), "x");
  WriteFile(dir_.str("three.png"), "x");
  const TiXmlElement* scene = Export(
      "{\"materials\": [{\"name\": \"Marble\", \"shaders\": [{\"type\": \"xtavrellislshader\", \"name\": \"S\", \"data\": {"
      "\"ISLSHADER_PROGRAM\": \"a($tex01$) b($tex02$) c($tex03$) d($tex01$)\", "
      "\"ISLSHADER_TEXTURE1\": \"one.png\", \"ISLSHADER_TEXTURE3\": \"three.png\"}}], "
      "\"data\": {\"8000\": {\"shader\": \"S\"}}}, "
      "{\"name\": \"Fresh\", \"shaders\": [{\"type\": \"xtavrellislshader\", \"name\": \"S\"}], "
      "\"data\": {\"8000\": {\"shader\": \"S\"}}}], \"objects\": [" +
      Helper("Marble", "Marble", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_OREN_NAYAR\"") + ", " + Helper("Fresh", "Fresh") + "]}");
  ASSERT_NE(scene, nullptr);
  const TiXmlElement* marble = TypeOf(scene, "Marble");
  EXPECT_EQ(Children(marble), (Strings{"sigma", "albedo", "texture", "texture"}));
  EXPECT_EQ(Text(marble, "albedo/shader/shader"), "a(0) b($tex02$) c(1) d(0)");
  const TiXmlElement* first = marble->FirstChildElement("texture");
  EXPECT_EQ(Text(first, "path"), "one.png");
  EXPECT_EQ(Text(first, "exponent"), "2.200000");
  EXPECT_EQ(Text(first->NextSiblingElement("texture"), "path"), "three.png");
  EXPECT_EQ(Children(TypeOf(scene, "Fresh")), (Strings{"random_triangle_colours", "albedo"}));
  EXPECT_EQ(Text(TypeOf(scene, "Fresh"), "albedo/shader/shader"), "no shader");
  EXPECT_TRUE(AllMaterialsRead(scene));
}

// A program holding "]]>" (which would end its CDATA section) reads back whole, through TinyXML
// and the material reader, from the saved file.
TEST_F(MaterialExport, ShaderProgramHoldingCdataEndReadsBackWhole) {
  const std::string program = "if (a[b[0]]>1) x = \"]]>\";\n  y = ]]]]>>;";
  const TiXmlElement* scene = Export(
      "{\"materials\": [{\"name\": \"Odd\", \"shaders\": [{\"type\": \"xtavrellislshader\", \"name\": \"S\", "
      "\"data\": {\"ISLSHADER_PROGRAM\": " + Quoted(program) + "}}], \"data\": {\"8000\": {\"shader\": \"S\"}}}], "
      "\"objects\": [" + Helper("Odd", "Odd") + "]}");
  ASSERT_NE(scene, nullptr);
  const TiXmlElement* material = TypeOf(scene, "Odd")->Parent()->ToElement();
  Reference<Kyrano::KyranoMaterial> read = Kyrano::KyranoSceneParseUtils::parseMaterial(*material);
  const Kyrano::KyranoDiffuse* diffuse = read.downcast<Kyrano::KyranoDiffuse>();
  ASSERT_NE(diffuse, nullptr);
  const auto* shader = diffuse->albedo.downcast<Kyrano::KyranoShaderWavelengthDependentParam>();
  ASSERT_NE(shader, nullptr);
  EXPECT_EQ(shader->shader, program);
}

TEST(ReplaceShaderString, ReplacesEveryOccurrenceOnce) {
  EXPECT_EQ(KyranoSceneExporter::ReplaceShaderString("$t$+$t$=$t$", "$t$", "7"), "7+7=7");
  // A replacement holding the placeholder is not replaced again.
  EXPECT_EQ(KyranoSceneExporter::ReplaceShaderString("a$t$b$t$", "$t$", "[$t$]"), "a[$t$]b[$t$]");
  EXPECT_EQ(KyranoSceneExporter::ReplaceShaderString("none here", "$t$", "1"), "none here");
  EXPECT_EQ(KyranoSceneExporter::ReplaceShaderString("abc", "", "1"), "abc");
}

// The emission map, which the environment also writes, reads channels of standard materials
// only; a texture path without a relative form (an output folder too short for one) is
// written as it is.
TEST_F(MaterialExport, MapsNeedAStandardMaterialAndPathsMayStayAbsolute) {
  WriteFile(dir_.str("glow.png"), "x");
  Load("{\"materials\": [{\"type\": \"Mplugin\", \"name\": \"P\", \"shaders\": [" + Bitmap("L", "glow.png") +
       "], \"data\": {\"2001\": true, \"8002\": {\"shader\": \"L\"}}}, {\"name\": \"S\", \"shaders\": [" +
       Bitmap("L", "glow.png") + "], \"data\": {\"2001\": true, \"8002\": {\"shader\": \"L\"}}}], \"objects\": [" +
       Helper("H", "P", "\"MATHELPER_EMISSION\": true") + "]}");
  KyranoSceneExporter ex;
  ex.document = doc_;
  TiXmlElement type("diffuse");
  int counter = 0;
  BaseContainer* data = doc_->SearchObject("H")->GetDataInstance();
  EXPECT_FALSE(ex.SceneExportEmissionMap(data, doc_->SearchMaterial("P"), &type, counter));
  EXPECT_EQ(type.FirstChild(), nullptr);
  EXPECT_EQ(counter, 0);
  ASSERT_TRUE(ex.SceneExportEmissionMap(data, doc_->SearchMaterial("S"), &type, counter));
  EXPECT_EQ(counter, 1);
  EXPECT_EQ(Children(&type), (Strings{"texture", "emission"}));
  EXPECT_EQ(Text(&type, "texture/path"), dir_.str("glow.png"));
  EXPECT_EQ(Text(&type, "texture/b"), "1000.000000");
  EXPECT_EQ(Text(&type, "emission/texture/texture_index"), "0");
}
