// The material pass: which helpers become materials, under which names, in which order, and
// what meshes name.
#include "exporter/MaterialExportFixture.h"

#include "geometry/KyranoMesh.h"

using testing_support::WriteFile;
using Strings = std::vector<std::string>;

namespace {

const char* const kCube =
    "\"points\": [[-1,-1,-1],[1,-1,-1],[1,1,-1],[-1,1,-1],[-1,-1,1],[1,-1,1],[1,1,1],[-1,1,1]], "
    "\"polygons\": [[0,3,2,1],[4,5,6,7],[0,4,7,3],[1,2,6,5],[3,7,6,2],[0,1,5,4]]";

std::string Materials(std::initializer_list<const char*> names) {
  std::string out = "\"materials\": [";
  for (const char* n : names) out += std::string(out.back() == '[' ? "" : ", ") + "{\"name\": \"" + n + "\"}";
  return out + "]";
}

Strings MeshMaterials(const std::string& path) {
  Kyrano::KyranoMesh mesh;
  EXPECT_TRUE(Kyrano::KyranoMesh::readFromFile(path, mesh)) << path;
  return mesh.materialNames;
}

}  // namespace

// Names are unique within the list and never those of the fixed materials; hidden helpers and
// helpers on a hidden layer are gathered all the same.
TEST_F(MaterialExport, HelpersGetUniqueNamesApartFromTheFixedMaterials) {
  const TiXmlElement* scene = Export(
      "{\"layers\": [{\"name\": \"Off\", \"render\": false}], " + Materials({"A", "B", "C", "D", "E", "F"}) +
      ", \"objects\": [" + Helper("Metal", "A") + ", " + Helper("Metal", "B") + ", " + Helper("Metal_", "C") +
      ", {\"type\": \"Onull\", \"render\": \"off\", \"children\": [" + Helper("nullMat", "D") + "]}, " +
      "{\"type\": \"oMyMaterialHelper\", \"name\": \"defaultLight\", \"layer\": \"Off\", "
      "\"data\": {\"MATHELPER_MATERIAL\": {\"material\": \"E\"}}}, " +
      Helper("defaultMat", "F") + "]}");
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Names(scene), (Strings{"material defaultMat", "material nullMat", "material Metal", "material Metal_",
                                   "material Metal__", "material nullMat_", "material defaultLight_", "material defaultMat_"}));
  EXPECT_TRUE(AllMaterialsRead(scene));
  EXPECT_TRUE(Printed("Exporting materials..."));
  EXPECT_TRUE(Printed("--Exported Diffuse Material: A"));
}

// Meshes name the first helper of their material; a helper without a material is not
// written and is not what an object without a material names.
TEST_F(MaterialExport, MeshesNameTheFirstHelperOfTheirMaterial) {
  const TiXmlElement* scene = Export(
      "{" + Materials({"Steel"}) + ", \"objects\": [" + Helper("Loose", "") + ", " +
      Helper("Brushed", "Steel", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_PHONG\"") + ", " + Helper("Polished", "Steel") +
      ", {\"type\": \"Opolygon\", \"name\": \"Cube\", " + kCube +
      ", \"tags\": [{\"type\": \"Tpolygonselection\", \"name\": \"Top\", \"selection\": [4]}, "
      "{\"type\": \"Ttexture\", \"data\": {\"1010\": {\"material\": \"Steel\"}, \"1006\": {\"string\": \"Top\"}}}]}, "
      "{\"type\": \"Opolygon\", \"name\": \"Bare\", " + kCube + "}]}");
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Names(scene), (Strings{"material defaultMat", "material nullMat", "material Brushed", "material Polished"}));
  EXPECT_EQ(Children(TypeOf(scene, "Brushed")).front(), "ior");
  EXPECT_EQ(MeshMaterials(dir_.str("models.scene/scene-0.kymesh")), (Strings{"Brushed", "defaultMat"}));
  EXPECT_EQ(MeshMaterials(dir_.str("models.scene/scene-1.kymesh")), (Strings{"defaultMat"}));
  TavrellMaterialList list;
  list.AddTavrellMaterial(doc_->SearchObject("Loose"));
  EXPECT_EQ(list.FindMaterialWithPointer(nullptr), nullptr);
}

// A blend is written after its components, each material once, however the helpers are
// ordered.
TEST_F(MaterialExport, NestedBlendsAreWrittenComponentsFirstEachOnce) {
  const TiXmlElement* scene = Export(
      "{" + Materials({"Wood", "Metal", "Clay", "Stripes", "Mix"}) + ", \"objects\": [" +
      Helper("Mix", "Mix", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_BLEND\", \"MATHELPER_BLEND_A\": {\"material\": \"Stripes\"}, "
                           "\"MATHELPER_BLEND_B\": {\"material\": \"Clay\"}") + ", " +
      Helper("Stripes", "Stripes", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_BLEND\", \"MATHELPER_BLEND_A\": {\"material\": \"Wood\"}, "
                                   "\"MATHELPER_BLEND_B\": {\"material\": \"Metal\"}, \"MATHELPER_BLEND_AMOUNT\": 0.25") + ", " +
      Helper("Clay", "Clay", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_OREN_NAYAR\"") + ", " +
      Helper("Metal", "Metal", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_PHONG\"") + ", " + Helper("Wood", "Wood") + "]}");
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Names(scene), (Strings{"material defaultMat", "material nullMat", "material Wood", "material Metal",
                                   "material Stripes", "material Clay", "material Mix"}));
  const TiXmlElement* mix = TypeOf(scene, "Mix");
  EXPECT_EQ(Text(mix, "a_name"), "Stripes");
  EXPECT_EQ(Text(mix, "b_name"), "Clay");
  EXPECT_EQ(Text(TypeOf(scene, "Stripes"), "blend/constant"), "0.250000");
  EXPECT_TRUE(AllMaterialsRead(scene));
}

// A blend that reaches itself stops there: the component that leads back is "nullMat".
TEST_F(MaterialExport, BlendCyclesStopAtTheBlendBeingWritten) {
  const std::string blend = "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_BLEND\", ";
  const TiXmlElement* scene = Export(
      "{" + Materials({"A", "B", "C", "Self"}) + ", \"objects\": [" +
      Helper("A", "A", blend + "\"MATHELPER_BLEND_A\": {\"material\": \"B\"}, \"MATHELPER_BLEND_B\": {\"material\": \"C\"}") + ", " +
      Helper("B", "B", blend + "\"MATHELPER_BLEND_A\": {\"material\": \"A\"}, \"MATHELPER_BLEND_B\": {\"material\": \"C\"}") + ", " +
      Helper("C", "C") + ", " + Helper("Self", "Self", blend + "\"MATHELPER_BLEND_A\": {\"material\": \"Self\"}") + "]}");
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Names(scene), (Strings{"material defaultMat", "material nullMat", "material C", "material B", "material A",
                                   "material Self"}));
  EXPECT_EQ(Text(TypeOf(scene, "B"), "a_name"), "nullMat");
  EXPECT_EQ(Text(TypeOf(scene, "B"), "b_name"), "C");
  EXPECT_EQ(Text(TypeOf(scene, "A"), "a_name"), "B");
  EXPECT_EQ(Text(TypeOf(scene, "Self"), "a_name"), "nullMat");
  EXPECT_EQ(Text(TypeOf(scene, "Self"), "b_name"), "nullMat");  // no material linked
  EXPECT_TRUE(AllMaterialsRead(scene));
}

// A medium comes just before its material and is named after the material's unique name, so
// two host materials of one name keep their own media.
TEST_F(MaterialExport, MediaPrecedeTheirMaterialsUnderUniqueNames) {
  Load("{" + Materials({"Glass", "Glass2"}) + ", \"objects\": [" +
       Helper("Glass", "Glass", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_SPECULAR\", \"MATHELPER_MEDIUM_IOR\": 1.5") + ", " +
       Helper("Glass", "Glass2", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_GLOSSY\", \"MATHELPER_MEDIUM_IOR\": 1.33") + "]}");
  doc_->SearchMaterial("Glass2")->SetName("Glass");
  const TiXmlElement* scene = ExportLoaded();
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Names(scene), (Strings{"material defaultMat", "material nullMat", "medium MedGlass", "material Glass",
                                   "medium MedGlass_", "material Glass_"}));
  EXPECT_EQ(Text(TypeOf(scene, "Glass"), "internal_medium_name"), "MedGlass");
  EXPECT_EQ(Text(TypeOf(scene, "Glass_"), "internal_medium_name"), "MedGlass_");
  const TiXmlElement* second = scene->FirstChildElement("medium")->NextSiblingElement("medium");
  EXPECT_EQ(Text(second, "basic/ior"), "1.330000");
  EXPECT_EQ(Text(second, "precedence"), "10");
  EXPECT_TRUE(Printed("--Exported Glossy Transparen Material: Glass"));
}

// Clay: every material but a blend becomes the clay surface under its own name, external ones
// too; a standard material keeps its bump map.
TEST_F(MaterialExport, ClayModeKeepsBlendsOfClayMaterials) {
  std::filesystem::create_directories(dir_.path() / "tex");
  WriteFile(dir_.str("tex/bump.png"), "only its existence matters");
  const TiXmlElement* scene = Export(
      "{\"materials\": [{\"name\": \"Wood\", \"shaders\": [{\"type\": \"Xbitmap\", \"name\": \"B\", "
      "\"data\": {\"1000\": {\"file\": \"tex/bump.png\"}}}], \"data\": {\"2006\": true, \"8006\": {\"shader\": \"B\"}}}, "
      "{\"name\": \"Gold\"}, {\"name\": \"Mix\"}], \"objects\": [" +
      Helper("Wood", "Wood", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_PHONG\"") + ", " +
      Helper("Gold", "Gold", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_EXTERNAL\", \"MATHELPER_EXTERNAL_FILE\": \"gold.kym\"") + ", " +
      Helper("Mix", "Mix", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_BLEND\", \"MATHELPER_BLEND_A\": {\"material\": \"Wood\"}, "
                           "\"MATHELPER_BLEND_B\": {\"material\": \"Gold\"}") + "]}",
      1);
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Children(TypeOf(scene, "defaultMat")), (Strings{"albedo", "sigma"}));
  EXPECT_EQ(std::string(TypeOf(scene, "defaultMat")->Value()), "oren_nayar");
  const TiXmlElement* wood = TypeOf(scene, "Wood");
  EXPECT_EQ(std::string(wood->Value()), "oren_nayar");
  EXPECT_EQ(Children(wood), (Strings{"albedo", "sigma", "texture", "bump"}));
  EXPECT_EQ(Text(wood, "albedo/constant/rgb/rgb"), "0.710000 0.620000 0.530000");
  EXPECT_EQ(Text(wood, "sigma/constant"), "0.300000");
  EXPECT_EQ(Text(wood, "texture/path"), "tex/bump.png");
  EXPECT_EQ(Children(TypeOf(scene, "Gold")), (Strings{"albedo", "sigma"}));
  EXPECT_EQ(scene->FirstChildElement("include"), nullptr);
  EXPECT_EQ(Text(TypeOf(scene, "Mix"), "a_name"), "Wood");
  EXPECT_EQ(Text(TypeOf(scene, "Mix"), "b_name"), "Gold");
  EXPECT_TRUE(AllMaterialsRead(scene));
}

// External files are included once each; a helper whose file cannot be used, or whose
// material the file does not define, still gives the renderer a material of its name.
TEST_F(MaterialExport, ExternalMaterialsAreIncludedOnceOrStoodInFor) {
  WriteFile(dir_.str("lib.kym"),
            "<scenedata><medium><name>MedX</name></medium><material><name>nullMat</name><null_material/></material>"
            "<material><name>Gold</name><null_material/></material>"
            "<material><name>Silver</name><null_material/></material></scenedata>");
  const std::string external = "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_EXTERNAL\", ";
  const TiXmlElement* scene = Export(
      "{" + Materials({"Gold", "Silver", "Empty", "Gone", "Other"}) + ", \"objects\": [" +
      Helper("Gold", "Gold", external + "\"MATHELPER_EXTERNAL_FILE\": \"lib.kym\"") + ", " +
      Helper("Shiny", "Silver", external + "\"MATHELPER_EXTERNAL_FILE\": \"lib.kym\", \"MATHELPER_EXTERNAL_MATERIAL\": 70002") +
      ", " + Helper("Empty", "Empty", external.substr(0, external.size() - 2)) + ", " +
      Helper("Gone", "Gone", external + "\"MATHELPER_EXTERNAL_FILE\": \"gone.kym\"") + ", " +
      Helper("Other", "Other", external + "\"MATHELPER_EXTERNAL_FILE\": \"lib.kym\", \"MATHELPER_EXTERNAL_MATERIAL\": 3") + "]}");
  ASSERT_NE(scene, nullptr);
  int includes = 0;
  for (const TiXmlElement* i = scene->FirstChildElement("include"); i; i = i->NextSiblingElement("include")) {
    EXPECT_EQ(Text(i, "pathname"), dir_.str("lib.kym"));
    includes++;
  }
  EXPECT_EQ(includes, 1);
  // Gold is defined by the file; Shiny chose the file's Silver and carries it under its name.
  EXPECT_EQ(TypeOf(scene, "Gold"), nullptr);
  EXPECT_EQ(Text(TypeOf(scene, "Shiny"), "a_name"), "Silver");
  EXPECT_EQ(Text(TypeOf(scene, "Shiny"), "b_name"), "Silver");
  EXPECT_EQ(Text(TypeOf(scene, "Shiny"), "blend/constant"), "0.000000");
  for (const char* standIn : {"Empty", "Gone", "Other"}) {
    ASSERT_NE(TypeOf(scene, standIn), nullptr) << standIn;
    EXPECT_EQ(Text(TypeOf(scene, standIn), "albedo/constant/rgb/rgb"), "0.800000 0.800000 0.800000");
  }
  EXPECT_TRUE(Printed("--External material Empty written as the default material: no material file is given"));
  EXPECT_TRUE(Printed("--External material Gone written as the default material: the material file gone.kym is not found"));
  EXPECT_TRUE(Printed("--External material Other written as the default material: " + dir_.str("lib.kym") +
                      " defines no material of that name"));
  EXPECT_TRUE(AllMaterialsRead(scene));
}
