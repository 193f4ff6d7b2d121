// The Convert Materials command of the plug-in loaded from its folder: which materials get a
// helper, where the helpers go, and the type and values read from the host channels.
#include <gtest/gtest.h>

#include "c4d.h"
#include "description/oMyMaterialHelper.h"
#include "exporter/MaterialExportFixture.h"
#include "host/PluginRegistry.h"

namespace {

const LONG kConvertMats = 1021852;
const LONG kGroup = 1023293;
const char* const kQuestion = "Convert only selected materials?";

class ConvertMats : public MaterialExport {
 protected:
  void SetUp() override {
    MaterialExport::SetUp();
    host::Interaction::Get().Reset();
  }
  void TearDown() override {
    host::Interaction::Get().Reset();
    MaterialExport::TearDown();
  }
  void Run() { EXPECT_TRUE(host::PluginRegistry::Get().Find(kConvertMats)->command->Execute(doc_)); }

  // The helpers under the first group named "Materials": "helper name > material name".
  std::vector<std::string> Converted() const {
    std::vector<std::string> out;
    BaseObject* group = doc_->SearchObject("Materials");
    for (BaseObject* op = group ? group->GetDown() : nullptr; op; op = op->GetNext()) {
      BaseList2D* mat = op->GetDataInstance()->GetLink(MATHELPER_MATERIAL, doc_, Mbase);
      TextureTag* tag = static_cast<TextureTag*>(op->GetTag(Ttexture));
      const bool tagged = tag && tag->GetMaterial() == mat;
      out.push_back(op->GetName().str() + " > " + (mat ? mat->GetName().str() : "none") + (tagged ? "" : " (no tag)"));
    }
    return out;
  }
  BaseContainer HelperData(const std::string& name) const {
    BaseObject* group = doc_->SearchObject("Materials");
    for (BaseObject* op = group ? group->GetDown() : nullptr; op; op = op->GetNext())
      if (op->GetName() == String(name)) return op->GetData();
    ADD_FAILURE() << "no helper " << name;
    return BaseContainer();
  }
};

// A material of the host's standard type with the given parameters ("2100": ...).
std::string Mat(const std::string& name, const std::string& data = "", bool active = false) {
  return "{\"name\": \"" + name + "\"" + (active ? ", \"active\": true" : "") + ", \"data\": {" + data + "}}";
}

}  // namespace

// With three materials selected and the answer no, every standard material gets a helper, in
// the materials' order; a material of another kind is skipped. With the answer yes, only
// the selected ones; a second run adds helpers again under the same group.
TEST_F(ConvertMats, SelectionAndAnswerChooseTheMaterials) {
  const std::string doc = "{\"materials\": [" + Mat("A", "", true) + ", " + Mat("B") + ", " + Mat("C", "", true) + ", " +
                          Mat("D", "", true) + ", {\"type\": 5705, \"name\": \"Other\"}]}";
  Load(doc);
  host::Interaction::Get().questionAnswersByText[kQuestion] = false;
  Run();
  EXPECT_EQ(host::Interaction::Get().questions, std::vector<std::string>{kQuestion});
  EXPECT_EQ(Converted(), (std::vector<std::string>{"A > A", "B > B", "C > C", "D > D"}));
  BaseObject* group = doc_->GetFirstObject();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetType(), kGroup);
  EXPECT_EQ(group->GetName(), String("Materials"));

  Load(doc);
  host::Interaction::Get().questionAnswersByText[kQuestion] = true;
  Run();
  EXPECT_EQ(Converted(), (std::vector<std::string>{"A > A", "C > C", "D > D"}));
  Run();
  EXPECT_EQ(Converted(), (std::vector<std::string>{"A > A", "C > C", "D > D", "A > A", "C > C", "D > D"}));
  EXPECT_EQ(doc_->GetFirstObject()->GetNext(), nullptr);

  // Nothing selected: no question, all materials; no materials: no group.
  host::Interaction::Get().Reset();
  Load("{\"materials\": [" + Mat("A") + "]}");
  Run();
  EXPECT_TRUE(host::Interaction::Get().questions.empty());
  EXPECT_EQ(Converted(), std::vector<std::string>{"A > A"});
  Load("{}");
  Run();
  EXPECT_EQ(doc_->GetFirstObject(), nullptr);
}

// An object named "Materials" that is not a group: a group of that name is made at the top.
TEST_F(ConvertMats, ObjectNamedMaterialsThatIsNotAGroup) {
  Load("{\"objects\": [{\"type\": \"Ocube\", \"name\": \"First\"}, {\"type\": \"Onull\", \"name\": \"Materials\"}], "
       "\"materials\": [" + Mat("A") + "]}");
  Run();
  BaseObject* top = doc_->GetFirstObject();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->GetType(), kGroup);
  EXPECT_EQ(top->GetName(), String("Materials"));
  ASSERT_NE(top->GetDown(), nullptr);
  EXPECT_EQ(top->GetDown()->GetName(), String("A"));
  EXPECT_EQ(top->GetNext()->GetName(), String("First"));
  EXPECT_EQ(top->GetNext()->GetNext()->GetType(), LONG(Onull));
  EXPECT_EQ(top->GetNext()->GetNext()->GetDown(), nullptr);
}

// The type and values by channel: glass, blurry glass, a too bright tinted glass, a mirror-like
// and a blurry reflection, a highlight, colour only, and a bump.
TEST_F(ConvertMats, TypeAndValuesFollowTheChannels) {
  Load("{\"materials\": [" +
       Mat("Glass", "\"2002\": true, \"2100\": [1, 1, 1], \"1005\": 1.5") + ", " +
       Mat("Frosted", "\"2002\": true, \"8020\": 1.0, \"1005\": 1.3, \"2100\": [0.5, 0.5, 0.5], \"2101\": 0.5") + ", " +
       Mat("Bright", "\"2002\": true, \"2100\": [1, 0.5, 0], \"2101\": 1.5") + ", " +
       Mat("Chrome", "\"2003\": true, \"2501\": 0.5, \"2100\": [0.9, 0.9, 0.9]") + ", " +
       Mat("Brushed", "\"2003\": true, \"2501\": 1.0, \"8021\": 0.5") + ", " +
       Mat("Plastic", "\"2008\": true, \"1016\": 0.2, \"1017\": 0.71, \"2100\": [0, 0, 1]") + ", " +
       Mat("Clay", "\"2008\": false, \"2100\": [0.4, 0.2, 0.1], \"2101\": 2.0, \"2006\": true, \"1009\": 0.5") + "]}");
  Run();

  const BaseContainer glass = HelperData("Glass");
  EXPECT_EQ(glass.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_SPECULAR);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_MEDIUM_IOR), 1.5f);
  EXPECT_EQ(glass.GetVector(MATHELPER_ABSORPTION_COLOR), Vector(1, 1, 1));
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_ABSORPTION_GAIN), 10.0f);
  EXPECT_FALSE(glass.GetBool(MATHELPER_SYNC_MATERIAL, TRUE));

  const BaseContainer frosted = HelperData("Frosted");
  EXPECT_EQ(frosted.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_GLOSSY);
  EXPECT_FLOAT_EQ(frosted.GetReal(MATHELPER_EXPONENT), 25.0f);
  EXPECT_FLOAT_EQ(frosted.GetReal(MATHELPER_EXPMAP_B), 25.0f);
  EXPECT_FLOAT_EQ(frosted.GetReal(MATHELPER_MEDIUM_IOR), 1.3f);
  EXPECT_EQ(frosted.GetVector(MATHELPER_ABSORPTION_COLOR), Vector(0.25f, 0.25f, 0.25f));

  // 150 % of (1, 0.5, 0) would absorb a negative amount of red.
  EXPECT_EQ(HelperData("Bright").GetVector(MATHELPER_ABSORPTION_COLOR), Vector(1.0f, 0.75f, 0.0f));

  const BaseContainer chrome = HelperData("Chrome");
  EXPECT_EQ(chrome.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_PHONG);
  EXPECT_FLOAT_EQ(chrome.GetReal(MATHELPER_IOR), 3.5f);
  EXPECT_FLOAT_EQ(chrome.GetReal(MATHELPER_EXPONENT), 100000.0f);
  EXPECT_EQ(chrome.GetVector(MATHELPER_COLOR), Vector(0.9f, 0.9f, 0.9f));

  const BaseContainer brushed = HelperData("Brushed");
  EXPECT_FLOAT_EQ(brushed.GetReal(MATHELPER_IOR), 11.0f);
  EXPECT_FLOAT_EQ(brushed.GetReal(MATHELPER_EXPONENT), 2525.0f);
  EXPECT_FLOAT_EQ(brushed.GetReal(MATHELPER_EXPMAP_B), 2525.0f);

  const BaseContainer plastic = HelperData("Plastic");
  EXPECT_EQ(plastic.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_PHONG);
  EXPECT_FLOAT_EQ(plastic.GetReal(MATHELPER_IOR), 1.5f);
  EXPECT_NEAR(plastic.GetReal(MATHELPER_EXPONENT), 10.0f, 1e-4f);
  EXPECT_EQ(plastic.GetVector(MATHELPER_COLOR), Vector(0, 0, 1));

  const BaseContainer clay = HelperData("Clay");
  EXPECT_EQ(clay.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_DIFFUSE);
  EXPECT_EQ(clay.GetVector(MATHELPER_COLOR), Vector(0.8f, 0.4f, 0.2f));
  EXPECT_FLOAT_EQ(clay.GetReal(MATHELPER_BUMP_B), 0.01f);
  EXPECT_FLOAT_EQ(plastic.GetReal(MATHELPER_BUMP_B), 0.001f);  // the helper's own, without a bump channel

  // What the export makes of it: the glass's medium and the clay's colour.
  const TiXmlElement* scene = ExportLoaded();
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Text(TypeOf(scene, "Clay"), "albedo/constant/rgb/rgb"), "0.800000 0.400000 0.200000");
  EXPECT_TRUE(AllMaterialsRead(scene));
}
