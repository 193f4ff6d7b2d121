// Every material type written to a material file, imported, and written again: the two files
// hold the same elements with the same values (colours compared as the renderer reads them,
// after their gamma).
#include <cmath>
#include <sstream>

#include "description/oMyMaterialHelper.h"
#include "exporter/MaterialExportFixture.h"
#include "host/PluginRegistry.h"

namespace {

const LONG kImportKym = 1022469;

// The numbers of a text, or none when any word is not a number.
bool Numbers(const std::string& text, std::vector<double>& out) {
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (*end) return false;
    out.push_back(v);
  }
  return !out.empty();
}

std::string ChildText(const TiXmlElement* e, const char* name) {
  const TiXmlElement* c = e->FirstChildElement(name);
  return c && c->GetText() ? c->GetText() : "";
}

// An rgb spectrum as the renderer reads it: each component raised to the gamma.
std::vector<double> Linear(const TiXmlElement* rgb) {
  std::vector<double> v;
  Numbers(ChildText(rgb, "rgb"), v);
  const double gamma = std::strtod(ChildText(rgb, "gamma").c_str(), nullptr);
  for (double& c : v) c = std::pow(c, gamma);
  return v;
}

void ExpectNear(const std::vector<double>& a, const std::vector<double>& b, const std::string& where) {
  ASSERT_EQ(a.size(), b.size()) << where;
  for (size_t i = 0; i < a.size(); i++) EXPECT_NEAR(a[i], b[i], 2e-6 + 2e-5 * std::fabs(a[i])) << where << " [" << i << "]";
}

// Element by element: the same names in the same order, the same texts (numbers within the
// precision the writers write them with).
void ExpectSameElements(const TiXmlElement* a, const TiXmlElement* b, const std::string& where) {
  ASSERT_EQ(a->ValueStr(), b->ValueStr()) << where;
  const std::string here = where + "/" + a->ValueStr();
  if (a->ValueStr() == "rgb" && a->FirstChildElement("gamma")) return ExpectNear(Linear(a), Linear(b), here);
  const TiXmlElement* ca = a->FirstChildElement();
  const TiXmlElement* cb = b->FirstChildElement();
  if (!ca && !cb) {
    const std::string ta = a->GetText() ? a->GetText() : "", tb = b->GetText() ? b->GetText() : "";
    std::vector<double> na, nb;
    if (Numbers(ta, na) && Numbers(tb, nb)) return ExpectNear(na, nb, here);
    EXPECT_EQ(ta, tb) << here;
    return;
  }
  for (; ca && cb; ca = ca->NextSiblingElement(), cb = cb->NextSiblingElement()) ExpectSameElements(ca, cb, here);
  EXPECT_EQ(ca, nullptr) << here << ": the second file lacks " << ca->ValueStr();
  EXPECT_EQ(cb, nullptr) << here << ": the second file adds " << cb->ValueStr();
}

class ImportKymRoundTrip : public MaterialExport {
 protected:
  // Imports the material file into a new document and writes the helper of that name again.
  std::string ExportAgain(const std::string& kym, const std::string& helper) {
    BaseDocument* imported = host::ParseDocument("{}", dir_.str("imported.json"));
    host::Interaction::Get().fileAnswers.push_back(kym);
    host::Console::Get().StartCapture();
    host::PluginRegistry::Get().Find(kImportKym)->command->Execute(imported);
    const std::string again = dir_.str(helper + "-again.kym");
    KyranoSceneExporter ex;
    EXPECT_EQ(ex.exportKYM(imported, imported->SearchObject(String(helper)), Filename(again.c_str()), 0), 1) << helper;
    host::Console::Get().StopCapture();
    BaseDocument::Free(imported);
    return again;
  }
};

std::string TypedHelper(const std::string& name, const std::string& type, const std::string& more) {
  return "{\"type\": \"oMyMaterialHelper\", \"name\": \"" + name + "\", \"data\": {\"MATHELPER_MATERIAL\": {\"material\": \"" + name +
         "\"}, \"MATHELPER_TYPE\": \"" + type + "\"" + (more.empty() ? "" : ", " + more) + "}}";
}

}  // namespace

TEST_F(ImportKymRoundTrip, EveryMaterialTypeComesBackTheSame) {
  std::filesystem::create_directories(dir_.path() / "tex");
  testing_support::WriteFile(dir_.str("tex/wood.png"), "png");
  testing_support::WriteFile(dir_.str("tex/knots.png"), "png");
  const std::string materials =
      R"({"name": "Wood", "shaders": [)"
      R"({"type": "Xbitmap", "name": "Grain", "data": {"1000": {"file": ")" + dir_.str("tex/wood.png") + R"("}}},)"
      R"({"type": "Xbitmap", "name": "Knots", "data": {"1000": {"file": ")" + dir_.str("tex/knots.png") + R"("}}}],)"
      R"("data": {"8000": {"shader": "Grain"}, "2006": true, "8006": {"shader": "Knots"}}},)"
      R"({"name": "Gold"}, {"name": "Chrome"}, {"name": "Glass"}, {"name": "Frosted"}, {"name": "Leaf"}, {"name": "Tinted"},)"
      R"({"name": "Rough", "shaders": [{"type": "xtavrellislshader", "name": "S", "data": {"ISLSHADER_PROGRAM": "def eval() real : 0.5"}}],)"
      R"("data": {"8000": {"shader": "S"}}}, {"name": "Mix"})";
  const std::string helpers[][2] = {
      {"Wood", TypedHelper("Wood", "MATHELPER_TYPE_DIFFUSE",
                      R"("MATHELPER_DIFFUSEMAP_EXPONENT": 2.2, "MATHELPER_DIFFUSEMAP_A": 0.1, "MATHELPER_DIFFUSEMAP_B": 0.8,)"
                      R"("MATHELPER_BUMP_B": 0.003, "MATHELPER_BUMP_EXPONENT": 1.5)")},
      {"Gold", TypedHelper("Gold", "MATHELPER_TYPE_PHONG",
                      R"("MATHELPER_COLOR": [1.0, 0.78, 0.34], "MATHELPER_IOR": 2.5, "MATHELPER_EXPONENT": 500.0,)"
                      R"("MATHELPER_SPECULAR_REFLECTIVITY": true, "MATHELPER_EMISSION": true, "MATHELPER_EMISSION_COLOR": [2.0, 1.0, 0.5],)"
                      R"("MATHELPER_EMISSION_GAIN": 3.0, "MATHELPER_EMISSION_GAMMA": 1.8, "MATHELPER_EMISSION_LAYER": 2)")},
      {"Chrome", TypedHelper("Chrome", "MATHELPER_TYPE_PHONG", R"("MATHELPER_USE_NK": true, "MATHELPER_NK_FILE": "Cr.nk")")},
      {"Glass", TypedHelper("Glass", "MATHELPER_TYPE_SPECULAR",
                       R"("MATHELPER_PRECEDENCE": 5, "MATHELPER_MEDIUM_IOR": 1.5, "MATHELPER_CAUCHY_B": 0.004,)"
                       R"("MATHELPER_ABSORPTION_COLOR": [0.9, 0.8, 0.7], "MATHELPER_ABSORPTION_GAIN": 10.0,)"
                       R"("MATHELPER_ABSORPTION_GAMMA": 1.3, "MATHELPER_SUBSURFACE": true,)"
                       R"("MATHELPER_SCATTERING_COLOR": [0.2, 0.3, 0.4], "MATHELPER_SCATTERING_GAIN": 2.0,)"
                       R"("MATHELPER_PHASE_FUNCTION": "MATHELPER_PHASE_HENYEY_GREENSTEIN", "MATHELPER_G_TYPE": "MATHELPER_G_RGB",)"
                       R"("MATHELPER_G_RED": 0.5, "MATHELPER_G_GREEN": 0.6, "MATHELPER_G_BLUE": 0.7)")},
      {"Frosted", TypedHelper("Frosted", "MATHELPER_TYPE_GLOSSY",
                         R"("MATHELPER_EXPONENT": 300.0, "MATHELPER_ABSORPTION_TYPE": "MATHELPER_ABSORPTION_UNIFORM",)"
                         R"("MATHELPER_ABSORPTION_VALUE": 0.2, "MATHELPER_SUBSURFACE": true,)"
                         R"("MATHELPER_SCATTERING_TYPE": "MATHELPER_SCATTERING_BLACKBODY", "MATHELPER_SCATTERING_TEMPERATURE": 4000.0,)"
                         R"("MATHELPER_EMISSION": true, "MATHELPER_EMISSION_TYPE": "MATHELPER_EMISSION_UNIFORM", "MATHELPER_EMISSION_VALUE": 4.0)")},
      {"Leaf", TypedHelper("Leaf", "MATHELPER_TYPE_DIFFUSE_TRANSMITTER",
                      R"("MATHELPER_COLOR": [0.2, 0.6, 0.1], "MATHELPER_EMISSION": true, "MATHELPER_EMISSION_TYPE": "MATHELPER_EMISSION_TABULATED",)"
                      R"("MATHELPER_EMISSION_TAB_START": "4e-7", "MATHELPER_EMISSION_TAB_END": "7.5e-7",)"
                      R"("MATHELPER_EMISSION_TAB_COUNT": 3, "MATHELPER_EMISSION_TAB_VALUES": "1 2 3 ")")},
      {"Tinted", TypedHelper("Tinted", "MATHELPER_TYPE_SPECULAR",
                        R"("MATHELPER_TRANSPARENT": false, "MATHELPER_ABSORPTION_TYPE": "MATHELPER_ABSORPTION_TABULATED",)"
                        R"("MATHELPER_ABSORPTION_TAB_START": "3.8e-7", "MATHELPER_ABSORPTION_TAB_END": "7.2e-7",)"
                        R"("MATHELPER_ABSORPTION_TAB_COUNT": 2, "MATHELPER_ABSORPTION_TAB_VALUES": "0.5 0.25")")},
      {"Rough", TypedHelper("Rough", "MATHELPER_TYPE_OREN_NAYAR",
                       R"("MATHELPER_ROUGHNESS": 0.4, "MATHELPER_EMISSION": true, "MATHELPER_EMISSION_TYPE": "MATHELPER_EMISSION_BLACKBODY",)"
                       R"("MATHELPER_EMISSION_TEMPERATURE": 3000.0, "MATHELPER_EMISSION_BB_GAIN": 2.0)")},
      {"Mix", TypedHelper("Mix", "MATHELPER_TYPE_BLEND",
                     R"("MATHELPER_BLEND_A": {"material": "Wood"}, "MATHELPER_BLEND_B": {"material": "Gold"},)"
                     R"("MATHELPER_BLEND_AMOUNT": 0.3, "MATHELPER_STEP_BLEND": true)")},
  };
  std::string objects;
  for (const auto& h : helpers) objects += (objects.empty() ? "" : ", ") + h[1];
  const std::string doc = "{\"materials\": [" + materials + "], \"objects\": [" + objects + "]}";

  for (const auto& h : helpers) {
    SCOPED_TRACE(h[0]);
    ASSERT_NE(ExportKym(doc, h[0], 0, h[0] + ".kym"), nullptr);
    const std::string first = dir_.str(h[0] + ".kym");
    const std::string again = ExportAgain(first, h[0]);
    EXPECT_TRUE(host::Interaction::Get().messages.empty()) << host::Interaction::Get().messages.front();
    TiXmlDocument a, b;
    ASSERT_TRUE(a.LoadFile(first.c_str()));
    ASSERT_TRUE(b.LoadFile(again.c_str()));
    ExpectSameElements(a.FirstChildElement("scenedata"), b.FirstChildElement("scenedata"), "");
  }
  // The texture paths stay relative to the file, and the shader keeps its program.
  TiXmlDocument wood;
  ASSERT_TRUE(wood.LoadFile(dir_.str("Wood-again.kym").c_str()));
  EXPECT_EQ(Text(TypeOf(wood.FirstChildElement("scenedata"), "Wood"), "texture/path"), "tex/wood.png");
  TiXmlDocument rough;
  ASSERT_TRUE(rough.LoadFile(dir_.str("Rough-again.kym").c_str()));
  EXPECT_EQ(Text(TypeOf(rough.FirstChildElement("scenedata"), "Rough"), "albedo/shader/shader"), "def eval() real : 0.5");
}
