// The background material environment: an emitting material helper around the scene.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "host/DocumentIO.h"
#include "kyrano_utils/KyranoSceneParseUtils.h"
#include "nodes/NodeFixture.h"

using namespace testing_support;

namespace {

class BackgroundMaterial : public PluginNodes {
 protected:
  // The environment of a document whose render settings name the helper "Glow" as the
  // background, Glow describing the standard material "Sky" with a picture in its luminance.
  const TiXmlElement* Export(const std::string& helperData, LONG* written = nullptr) {
    WriteFile(dir_.str("sky.png"), "not read by the exporter");
    BaseDocument::Free(doc_);
    doc_ = host::ParseDocument(R"({"materials": [{"type": "Mmaterial", "name": "Sky",
        "shaders": [{"type": "Xbitmap", "name": "Picture", "data": {"1000": {"file": "sky.png"}}}],
        "data": {"2001": true, "8002": {"shader": "Picture"}}}],
      "renderData": [{"videoPosts": [{"type": "oMyRenderSettings", "data": {
        "RENDERSETTINGS_ENVIRONMENT": "RENDERSETTINGS_ENVIRONMENT_BACKGROUND",
        "RENDERSETTINGS_BACKGROUND_MATERIAL": {"link": "/Glow"}}}]}],
      "objects": [{"type": "oMyMaterialHelper", "name": "Glow", "data": {)" + helperData + "}}]}",
                               dir_.str("doc.json"));
    KyranoSceneExporter ex;
    ex.initKYS(doc_, Filename(dir_.str("sky.kys").c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
    ex.initVariables();
    ex.sceneElement = ex.AppendElement("scene", &ex.sceneDocument);
    ex.renderSettings = ex.GetKyranoRenderSettingsData();
    const LONG result = ex.SceneExportLighting();
    if (written) *written = result;
    xml_.Clear();
    xml_.LinkEndChild(ex.sceneElement->Clone());
    return xml_.FirstChildElement("scene");
  }

  static std::vector<std::string> Children(const TiXmlElement* e) {
    std::vector<std::string> names;
    for (const TiXmlElement* c = e ? e->FirstChildElement() : nullptr; c; c = c->NextSiblingElement())
      names.push_back(c->Value());
    return names;
  }
  static std::string Text(const TiXmlNode* e, const char* path) {
    const TiXmlElement* at = e ? e->ToElement() : nullptr;
    for (std::string rest = path; at && !rest.empty();) {
      const size_t slash = rest.find('/');
      at = at->FirstChildElement(rest.substr(0, slash).c_str());
      rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
    }
    return at && at->GetText() ? at->GetText() : "";
  }

  TempDir dir_{"background"};
  TiXmlDocument xml_;
};

}  // namespace

TEST_F(BackgroundMaterial, AnEmittingHelperSurroundsTheSceneWithItsPicture) {
  LONG written = 0;
  const TiXmlElement* scene = Export(R"("MATHELPER_MATERIAL": {"material": "Sky"}, "MATHELPER_EMISSION": true,
      "MATHELPER_EMISSION_SCALE": "MATHELPER_SCALE_LUMINANCE", "MATHELPER_EMISSION_SCALE_VALUE": 500.0)", &written);
  EXPECT_EQ(written, 1);
  EXPECT_EQ(Children(scene), (std::vector<std::string>{"background_settings"}));
  const TiXmlElement* settings = scene->FirstChildElement("background_settings");
  EXPECT_EQ(Children(settings), (std::vector<std::string>{"background_material", "emission_scale"}));
  const TiXmlElement* material = settings->FirstChildElement("background_material")->FirstChildElement("material");
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(Text(material, "name"), "background_material");
  const TiXmlElement* diffuse = material->FirstChildElement("diffuse");
  // The picture first (the emission map from texture 0), then the emission itself.
  EXPECT_EQ(Children(diffuse), (std::vector<std::string>{"texture", "emission", "base_emission", "layer"}));
  EXPECT_EQ(Text(diffuse, "texture/path"), "sky.png");  // relative to the scene beside it
  EXPECT_EQ(Text(diffuse, "emission/texture/texture_index"), "0");
  EXPECT_EQ(Text(diffuse, "texture/tex_coord_generation/spherical/rotation/axis_rotation/axis"),
            "0.000000 0.000000 1.000000");
  EXPECT_EQ(Text(diffuse, "texture/tex_coord_generation/spherical/rotation/axis_rotation/angle"), "0.000000");
  EXPECT_EQ(Text(settings, "emission_scale/material_name"), "background_material");
  EXPECT_EQ(Text(settings, "emission_scale/measure"), "luminance");
  EXPECT_EQ(Text(settings, "emission_scale/value"), "500.000000");
  // The renderer reads it as any other material.
  EXPECT_NO_THROW(Kyrano::KyranoSceneParseUtils::parseMaterial(*material));
}

TEST_F(BackgroundMaterial, NothingIsWrittenForAHelperThatCannotGlow) {
  LONG written = 1;
  // Not emitting; emitting but describing no material.
  EXPECT_EQ(Children(Export(R"("MATHELPER_MATERIAL": {"material": "Sky"})", &written)), std::vector<std::string>{});
  EXPECT_EQ(written, 0);
  written = 1;
  EXPECT_EQ(Children(Export(R"("MATHELPER_EMISSION": true)", &written)), std::vector<std::string>{});
  EXPECT_EQ(written, 0);
}
