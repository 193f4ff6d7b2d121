// The material helper in the attribute view: what it shows per type, its channel status
// lines, the external file's list, the host material's look, its buttons, picture and icon;
// and the ISL shader.
#include <filesystem>
#include <string>

#include "NodeFixture.h"
#include "TestSupport.h"
#include "description/oMyMaterialHelper.h"
#include "host/Console.h"
#include "host/DocumentIO.h"

using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

const LONG kIslShader = 1023863;

class MaterialHelper : public PluginNodes {
 protected:
  void SetUp() override {
    PluginNodes::SetUp();
    host::Interaction::Get().Reset();
    showMessages_ = host::Interaction::Get().showMessages;
  }
  void TearDown() override {
    host::Interaction::Get().Reset();
    host::Interaction::Get().showMessages = showMessages_;
    PluginNodes::TearDown();
  }

  // A document of the JSON text with one helper "H" (its data given) and the materials.
  BaseObject* Open(const std::string& materials, const std::string& data) {
    doc_ = host::ParseDocument("{\"materials\": [" + materials + "], \"objects\": [{\"type\": \"oMyMaterialHelper\", "
                               "\"name\": \"H\", \"data\": {" + data + "}}]}", dir_.str("doc.json"));
    SetActiveDocument(doc_);
    return doc_->GetFirstObject();
  }

  // Describes the helper; false when it refused.
  bool View(BaseObject* helper) {
    desc_ = Description();
    return Describe(helper, &desc_);
  }
  bool Shown(LONG id) { return !Hidden(desc_, id); }

  TempDir dir_{"helper"};
  Description desc_;
  bool showMessages_ = true;
};

BaseContainer* Data(BaseObject* op) { return op->GetDataInstance(); }

}  // namespace

// Which groups each material type shows: colour, roughness, exponent, phong, specular, blend
// (two groups), external file, medium, random colours, emission, texture channels.
TEST_F(MaterialHelper, TypeGroupsByType) {
  const LONG groups[] = {1007, 1223, 1222, 1008, 1009, 1224, 1012, 1219, 1031, 1228, 1131, 1220, 1221};
  const struct {
    LONG type;
    const char* shown;  // one letter per group: S shown, - hidden
  } rows[] = {
      {MATHELPER_TYPE_DIFFUSE, "S--------SSSS"},  {MATHELPER_TYPE_PHONG, "S-SS------SSS"},
      {MATHELPER_TYPE_SPECULAR, "----S---S-SSS"}, {MATHELPER_TYPE_GLOSSY, "--S-----S-SSS"},
      {MATHELPER_TYPE_DIFFUSE_TRANSMITTER, "S---------SSS"}, {MATHELPER_TYPE_BLEND, "-----SS------"},
      {MATHELPER_TYPE_OREN_NAYAR, "SS--------SSS"}, {MATHELPER_TYPE_EXTERNAL, "-------S-----"},
  };
  BaseObject* helper = Open("", "");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.type);
    Data(helper)->SetLong(MATHELPER_TYPE, row.type);
    ASSERT_TRUE(View(helper));
    std::string shown;
    for (LONG g : groups) shown += Shown(g) ? 'S' : '-';
    EXPECT_EQ(shown, row.shown);
    EXPECT_FALSE(Shown(MATHELPER_PREVIEW));
    EXPECT_FALSE(Shown(MATHELPER_PREVIEW_FILE));
  }
  // Phong with optical data from a file: no colour, ior or reflectivity, but the file.
  Data(helper)->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_PHONG);
  Data(helper)->SetBool(MATHELPER_USE_NK, TRUE);
  ASSERT_TRUE(View(helper));
  EXPECT_FALSE(Shown(MATHELPER_GROUP_COLOR));
  EXPECT_FALSE(Shown(MATHELPER_IOR));
  EXPECT_TRUE(Shown(MATHELPER_NK_FILE));
  EXPECT_FALSE(Shown(MATHELPER_SPECULAR_REFLECTIVITY));
  Data(helper)->SetBool(MATHELPER_USE_NK, FALSE);
  ASSERT_TRUE(View(helper));
  EXPECT_TRUE(Shown(MATHELPER_IOR));
  EXPECT_FALSE(Shown(MATHELPER_NK_FILE));
  EXPECT_TRUE(Shown(MATHELPER_SPECULAR_REFLECTIVITY));
}

// Emission, spectrum, phase function and medium choices each show their own group only.
TEST_F(MaterialHelper, ChoicesShowTheirOwnGroups) {
  BaseObject* helper = Open("", "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_SPECULAR\"");
  ASSERT_TRUE(View(helper));
  EXPECT_FALSE(Shown(MATHELPER_GROUP_EMISSION));
  EXPECT_FALSE(Shown(MATHELPER_GROUP_EMISSION_SCALE));
  EXPECT_TRUE(Shown(MATHELPER_GROUP_ABSORPTION_RGB));
  EXPECT_FALSE(Shown(MATHELPER_GROUP_SUBSURFACE));
  EXPECT_FALSE(Shown(MATHELPER_GROUP_HENYEY_GREENSTEIN));

  BaseContainer* d = Data(helper);
  d->SetBool(MATHELPER_EMISSION, TRUE);
  d->SetLong(MATHELPER_EMISSION_TYPE, MATHELPER_EMISSION_TABULATED);
  d->SetLong(MATHELPER_EMISSION_SCALE, MATHELPER_SCALE_LUMINANCE);
  d->SetLong(MATHELPER_ABSORPTION_TYPE, MATHELPER_ABSORPTION_BLACKBODY);
  d->SetBool(MATHELPER_SUBSURFACE, TRUE);
  d->SetLong(MATHELPER_SCATTERING_TYPE, MATHELPER_SCATTERING_OTHER);
  d->SetLong(MATHELPER_PHASE_FUNCTION, MATHELPER_PHASE_HENYEY_GREENSTEIN);
  d->SetLong(MATHELPER_G_TYPE, MATHELPER_G_RGB);
  ASSERT_TRUE(View(helper));
  EXPECT_TRUE(Shown(MATHELPER_GROUP_EMISSION_TABULATED));
  for (LONG g : {1141, 1145, 1147, 1155}) EXPECT_FALSE(Shown(g)) << g;
  EXPECT_TRUE(Shown(MATHELPER_EMISSION_SCALE_VALUE));
  EXPECT_FALSE(Shown(MATHELPER_IES_FILE));
  EXPECT_TRUE(Shown(MATHELPER_GROUP_ABSORPTION_BLACKBODY));
  for (LONG g : {1048, 1049, 1050, 1121}) EXPECT_FALSE(Shown(g)) << g;
  EXPECT_TRUE(Shown(MATHELPER_GROUP_SCATTERING_OTHER));
  for (LONG g : {1061, 1062, 1063, 1115}) EXPECT_FALSE(Shown(g)) << g;
  EXPECT_TRUE(Shown(MATHELPER_GROUP_G_RGB));
  EXPECT_FALSE(Shown(MATHELPER_G_VALUE));

  d->SetLong(MATHELPER_MEDIUM_TYPE, MATHELPER_MEDIUM_EPIDERMIS);
  d->SetLong(MATHELPER_EMISSION_SCALE, MATHELPER_SCALE_NONE);
  d->SetBool(MATHELPER_USE_IES, TRUE);
  ASSERT_TRUE(View(helper));
  EXPECT_TRUE(Shown(MATHELPER_GROUP_MEDIUM_EPIDERMIS));
  EXPECT_FALSE(Shown(MATHELPER_GROUP_MEDIUM_BASIC));
  EXPECT_FALSE(Shown(MATHELPER_GROUP_MEDIUM_DERMIS));
  EXPECT_FALSE(Shown(MATHELPER_EMISSION_SCALE_VALUE));
  EXPECT_TRUE(Shown(MATHELPER_IES_FILE));
}

// The status lines say what feeds each map, and the texture numbers show for a bitmap only.
TEST_F(MaterialHelper, ChannelStatusLines) {
  BaseObject* loose = Open("", "");
  ASSERT_TRUE(View(loose));
  for (LONG id = MATHELPER_DIFFUSE_STATUS; id <= MATHELPER_EMISSION_STATUS; ++id)
    EXPECT_EQ(Data(loose)->GetString(id).str(), "no material applied") << id;
  BaseDocument::Free(doc_);

  BaseObject* helper = Open(
      "{\"name\": \"M\", \"shaders\": [{\"type\": \"Xbitmap\", \"name\": \"C\", \"data\": {\"1000\": {\"file\": \"c.png\"}}}, "
      "{\"type\": \"xtavrellislshader\", \"name\": \"I\"}], "
      "\"data\": {\"2000\": false, \"8000\": {\"shader\": \"C\"}, \"2006\": true, \"8006\": {\"shader\": \"I\"}}}",
      "\"MATHELPER_MATERIAL\": {\"material\": \"M\"}");
  ASSERT_TRUE(View(helper));
  EXPECT_EQ(Data(helper)->GetString(MATHELPER_DIFFUSE_STATUS).str(), "Texture - disabled");
  EXPECT_TRUE(Shown(MATHELPER_GROUP_DIFFUSEMAP));
  EXPECT_EQ(Data(helper)->GetString(MATHELPER_BUMP_STATUS).str(), "ISL Shader");
  EXPECT_FALSE(Shown(MATHELPER_GROUP_BUMPMAP));
  EXPECT_EQ(Data(helper)->GetString(MATHELPER_BLEND_STATUS).str(), "none");
  EXPECT_FALSE(Shown(MATHELPER_GROUP_BLENDMAP));
  // The emission map reads the colour channel when told so.
  Data(helper)->SetLong(MATHELPER_EMISSION_CHANNEL, MATHELPER_CHANNEL_COLOR);
  ASSERT_TRUE(View(helper));
  EXPECT_EQ(Data(helper)->GetString(MATHELPER_EMISSION_STATUS).str(), "Texture - disabled");
  EXPECT_TRUE(Shown(MATHELPER_GROUP_EMISSIONMAP));
}

// The host material follows the helper's type; other kinds of material, external helpers and
// helpers that do not keep it in step leave it alone.
TEST_F(MaterialHelper, HostMaterialLooksLikeTheRendererMaterial) {
  BaseObject* helper = Open("{\"name\": \"M\"}, {\"type\": \"Mplugin\", \"name\": \"P\", \"data\": {\"2100\": [0, 0, 1]}}",
                            "\"MATHELPER_MATERIAL\": {\"material\": \"M\"}, \"MATHELPER_TYPE\": \"MATHELPER_TYPE_SPECULAR\", "
                            "\"MATHELPER_ABSORPTION_COLOR\": [0.2, 0.4, 0.6], \"MATHELPER_MEDIUM_IOR\": 1.5");
  BaseMaterial* m = doc_->SearchMaterial("M");
  BaseContainer* host = m->GetDataInstance();
  host->SetReal(MATERIAL_COLOR_BRIGHTNESS, 0.3f);
  ASSERT_TRUE(View(helper));
  EXPECT_EQ(host->GetVector(2100), Vector(0.2f, 0.4f, 0.6f));
  EXPECT_FLOAT_EQ(host->GetReal(2101), 1.0f);
  EXPECT_TRUE(m->GetChannelState(CHANNEL_TRANSPARENCY));
  EXPECT_FALSE(m->GetChannelState(CHANNEL_REFLECTION));
  EXPECT_TRUE(m->GetChannelState(CHANNEL_SPECULAR));
  EXPECT_TRUE(host->GetBool(1003));
  EXPECT_FLOAT_EQ(host->GetReal(1005), 1.5f);

  Data(helper)->SetBool(MATHELPER_TRANSPARENT, FALSE);  // a mirror
  ASSERT_TRUE(View(helper));
  EXPECT_FALSE(m->GetChannelState(CHANNEL_TRANSPARENCY));
  EXPECT_TRUE(m->GetChannelState(CHANNEL_REFLECTION));
  EXPECT_FLOAT_EQ(host->GetReal(2501), 0.03f);

  Data(helper)->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_PHONG);
  Data(helper)->SetVector(MATHELPER_COLOR, Vector(1, 0, 0));
  ASSERT_TRUE(View(helper));
  EXPECT_EQ(host->GetVector(2100), Vector(1, 0, 0));
  EXPECT_FALSE(m->GetChannelState(CHANNEL_TRANSPARENCY));
  EXPECT_TRUE(m->GetChannelState(CHANNEL_SPECULAR));
  EXPECT_FALSE(host->GetBool(1003, TRUE));

  Data(helper)->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_GLOSSY);
  Data(helper)->SetBool(MATHELPER_SYNC_MATERIAL, FALSE);
  ASSERT_TRUE(View(helper));
  EXPECT_EQ(host->GetVector(2100), Vector(1, 0, 0));
  Data(helper)->SetBool(MATHELPER_SYNC_MATERIAL, TRUE);
  ASSERT_TRUE(View(helper));
  EXPECT_EQ(host->GetVector(2100), Vector(1, 1, 1));
  EXPECT_TRUE(m->GetChannelState(CHANNEL_TRANSPARENCY));

  const BaseContainer before = *host;
  Data(helper)->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_EXTERNAL);
  ASSERT_TRUE(View(helper));
  EXPECT_EQ(*host, before);

  // Another kind of material is never written to.
  BaseMaterial* plugin = doc_->SearchMaterial("P");
  Data(helper)->SetLink(MATHELPER_MATERIAL, plugin);
  Data(helper)->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_DIFFUSE);
  const BaseContainer pluginBefore = *plugin->GetDataInstance();
  ASSERT_TRUE(View(helper));
  EXPECT_EQ(*plugin->GetDataInstance(), pluginBefore);
  EXPECT_EQ(Data(helper)->GetString(MATHELPER_DIFFUSE_STATUS).str(), "not a standard material");
}

// The external file's list starts at its first material and takes every named element after
// it; the choice falls back to the first entry and the host material takes its name.
TEST_F(MaterialHelper, ExternalFileList) {
  WriteFile(dir_.str("lib.kym"),
            "<scenedata><medium><name>MedA</name></medium><material><name>A</name><null_material/></material>"
            "<medium><name>MedB</name></medium><material><null_material/></material>"
            "<material><name/><null_material/></material></scenedata>");
  BaseObject* helper = Open("{\"name\": \"M\"}", "\"MATHELPER_MATERIAL\": {\"material\": \"M\"}, "
                                                 "\"MATHELPER_TYPE\": \"MATHELPER_TYPE_EXTERNAL\", "
                                                 "\"MATHELPER_EXTERNAL_FILE\": \"lib.kym\", \"MATHELPER_EXTERNAL_MATERIAL\": 5");
  ASSERT_TRUE(View(helper));
  const BaseContainer* element = desc_.GetParameterI(DescID(MATHELPER_EXTERNAL_MATERIAL));
  ASSERT_NE(element, nullptr);
  const BaseContainer* cycle = element->GetContainerInstance(DESC_CYCLE);
  ASSERT_NE(cycle, nullptr);
  EXPECT_EQ(cycle->GetCount(), 3);
  EXPECT_EQ(cycle->GetString(70000).str(), "A");
  EXPECT_EQ(cycle->GetString(70001).str(), "MedB");
  EXPECT_EQ(cycle->GetString(70002).str(), "");
  EXPECT_EQ(Data(helper)->GetLong(MATHELPER_EXTERNAL_MATERIAL), 70000);
  EXPECT_EQ(doc_->GetFirstMaterial()->GetName().str(), "A");
  EXPECT_TRUE(Shown(MATHELPER_EXTERNAL_MATERIAL));

  Data(helper)->SetLong(MATHELPER_EXTERNAL_MATERIAL, 70001);
  ASSERT_TRUE(View(helper));
  EXPECT_EQ(doc_->GetFirstMaterial()->GetName().str(), "MedB");

  Data(helper)->SetFilename(MATHELPER_EXTERNAL_FILE, Filename("gone.kym"));
  ASSERT_TRUE(View(helper));
  cycle = desc_.GetParameterI(DescID(MATHELPER_EXTERNAL_MATERIAL))->GetContainerInstance(DESC_CYCLE);
  EXPECT_EQ(cycle->GetCount(), 1);
  EXPECT_EQ(cycle->GetString(0).str(), "No materials found");
  EXPECT_EQ(Data(helper)->GetLong(MATHELPER_EXTERNAL_MATERIAL, -1), 0);
}

// Every message brings the helper's name and layer in line with its material's.
TEST_F(MaterialHelper, NameAndLayerFollowTheMaterial) {
  BaseObject* helper = Open("{\"name\": \"Oak\"}", "\"MATHELPER_MATERIAL\": {\"material\": \"Oak\"}");
  LayerObject* layer = LayerObject::Alloc();
  doc_->GetLayerObjectRoot()->InsertLast(layer);
  doc_->SearchMaterial("Oak")->SetLayerObject(layer);
  EXPECT_EQ(helper->GetName().str(), "H");
  helper->Message(MSG_UPDATE);
  EXPECT_EQ(helper->GetName().str(), "Oak");
  EXPECT_EQ(helper->GetLayerObject(doc_), layer);
  doc_->SearchMaterial("Oak")->SetName("Elm");
  helper->SetName("Mine");
  helper->Message(12345);
  EXPECT_EQ(helper->GetName().str(), "Elm");

  Data(helper)->RemoveData(MATHELPER_MATERIAL);
  helper->SetName("Free");
  helper->Message(MSG_UPDATE);
  EXPECT_EQ(helper->GetName().str(), "Free");
}

// The save button asks for a file and writes the material there; a cancelled request says
// so. The preview button names a new image in the plug-in's preview folder.
TEST_F(MaterialHelper, SaveAndPreviewButtons) {
  BaseObject* helper = Open("{\"name\": \"Oak\"}", "\"MATHELPER_MATERIAL\": {\"material\": \"Oak\"}");
  host::Interaction& in = host::Interaction::Get();
  in.showMessages = false;
  DescriptionCommand save;
  save.id = DescID(MATHELPER_EXPORT_KYM);
  in.fileAnswers.push_back("");
  EXPECT_FALSE(helper->Message(MSG_DESCRIPTION_COMMAND, &save));
  ASSERT_EQ(in.messages.size(), 1u);
  EXPECT_EQ(in.messages[0], "KYM Export canceled by user.");
  in.fileAnswers.push_back(dir_.str("oak.kym"));
  EXPECT_TRUE(helper->Message(MSG_DESCRIPTION_COMMAND, &save));
  EXPECT_NE(testing_support::ReadFile(dir_.str("oak.kym")).find("<name>Oak</name>"), std::string::npos);

  DescriptionCommand preview;
  preview.id = DescID(MATHELPER_PREVIEW);
  in.fileAnswersByTitle["Choose Kyrano dir"] = TAVRELL_RENDERER_DIR;
  in.gadgetScript = {host::GadgetStep::Pressing("PREVIEWDLG_CANCEL")};
  host::Console::Get().StartCapture();
  EXPECT_TRUE(helper->Message(MSG_DESCRIPTION_COMMAND, &preview));
  const std::vector<std::string> lines = host::Console::Get().StopCapture();
  const Filename image = Data(helper)->GetFilename(MATHELPER_PREVIEW_FILE);
  EXPECT_EQ(image.GetDirectory(), GeGetPluginPath() + Filename("preview") + Filename("renders"));
  EXPECT_TRUE(image.CheckSuffix("png"));
  const std::string stem = image.GetFile().str().substr(0, image.GetFile().str().size() - 4);
  EXPECT_FALSE(stem.empty());
  EXPECT_EQ(stem.find_first_not_of("0123456789"), std::string::npos) << stem;
  // The button opens the preview dialog; cancelled, it renders nothing.
  ASSERT_FALSE(in.dialogs.empty());
  EXPECT_EQ(in.dialogs.back().title, "Kyrano Material Preview");
  EXPECT_TRUE(in.dialogs.back().opened);
  EXPECT_EQ(lines, std::vector<std::string>{});

  // Without a material the preview button does nothing.
  Data(helper)->RemoveData(MATHELPER_MATERIAL);
  Data(helper)->RemoveData(MATHELPER_PREVIEW_FILE);
  EXPECT_TRUE(helper->Message(MSG_DESCRIPTION_COMMAND, &preview));
  EXPECT_EQ(Data(helper)->GetDataPointer(MATHELPER_PREVIEW_FILE), nullptr);
}

// The preview picture: the last render, also scaled into the material's own preview; the
// bitmap button's value names the helper.
TEST_F(MaterialHelper, PreviewPictureAndBitmapButton) {
  BaseObject* helper = Open("{\"name\": \"Oak\"}", "\"MATHELPER_MATERIAL\": {\"material\": \"Oak\"}");
  BaseBitmap* render = BaseBitmap::Alloc();
  ASSERT_EQ(render->Init(20, 20), IMAGE_OK);
  for (LONG y = 0; y < 20; y++)
    for (LONG x = 0; x < 20; x++) render->SetPixel(x, y, 10, 200, 30);
  ASSERT_TRUE(render->SavePng(Filename(dir_.str("render.png").c_str())));
  BaseBitmap::Free(render);

  DescriptionGetBitmap request;
  request.id = DescID(MATHELPER_PREVIEW_IMAGE);
  EXPECT_TRUE(helper->Message(MSG_DESCRIPTION_GETBITMAP, &request));
  EXPECT_EQ(request.bmp, nullptr);  // no render yet
  Data(helper)->SetFilename(MATHELPER_PREVIEW_FILE, Filename(dir_.str("render.png").c_str()));
  EXPECT_TRUE(helper->Message(MSG_DESCRIPTION_GETBITMAP, &request));
  ASSERT_NE(request.bmp, nullptr);
  EXPECT_EQ(request.bmp->GetBw(), 20);
  UWORD r, g, b;
  doc_->SearchMaterial("Oak")->GetPreview(0)->GetPixel(45, 45, &r, &g, &b);
  EXPECT_EQ(Vector(r, g, b), Vector(10, 200, 30));
  BaseBitmap::Free(request.bmp);

  GeData value;
  ASSERT_TRUE(helper->GetParameter(DescID(MATHELPER_PREVIEW_IMAGE), value));
  const auto* button = static_cast<const BitmapButtonStruct*>(value.GetCustomDataType(CUSTOMDATATYPE_BITMAPBUTTON));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->op, helper);
  EXPECT_EQ(button->id, DescID(MATHELPER_PREVIEW_IMAGE));
  EXPECT_EQ(button->dirty, 0);
  EXPECT_TRUE(helper->SetParameter(DescID(MATHELPER_PREVIEW_IMAGE), GeData(LONG(5))));
  EXPECT_EQ(Data(helper)->GetDataPointer(MATHELPER_PREVIEW_IMAGE), nullptr);
}

// The icon: another picture while the material emits.
TEST_F(MaterialHelper, IconShowsEmission) {
  BaseObject* helper = Open("", "");
  auto draw = [&](Bool emits) {
    Data(helper)->SetBool(MATHELPER_EMISSION, emits);
    BaseBitmap* canvas = BaseBitmap::Alloc();
    canvas->Init(40, 40);
    IconData icon;
    icon.bmp = canvas;
    icon.x = 4;
    icon.y = 4;
    icon.w = 32;
    icon.h = 32;
    GetCustomIconData request;
    request.dat = &icon;
    EXPECT_TRUE(helper->Message(MSG_GETCUSTOMICON, &request));
    EXPECT_TRUE(request.filled);
    // The same picture scaled by hand.
    BaseBitmap* file = BaseBitmap::Alloc();
    EXPECT_EQ(file->Init(GeGetPluginPath() + Filename("res") +
                         Filename(emits ? "materialhelper_emission.tif" : "materialhelper.tif")), IMAGE_OK);
    BaseBitmap* expected = BaseBitmap::Alloc();
    expected->Init(40, 40);
    file->ScaleBicubic(expected, 0, 0, file->GetBw() - 1, file->GetBh() - 1, 4, 4, 35, 35);
    long same = 0;
    for (LONG y = 0; y < 40; y++)
      for (LONG x = 0; x < 40; x++) {
        UWORD a[3], e[3];
        canvas->GetPixel(x, y, &a[0], &a[1], &a[2]);
        expected->GetPixel(x, y, &e[0], &e[1], &e[2]);
        same += a[0] == e[0] && a[1] == e[1] && a[2] == e[2];
      }
    EXPECT_EQ(same, 1600);
    BaseBitmap::Free(expected);
    BaseBitmap::Free(file);
    return canvas;
  };
  BaseBitmap* plain = draw(FALSE);
  BaseBitmap* glowing = draw(TRUE);
  long differ = 0;
  for (LONG y = 4; y < 36; y++)
    for (LONG x = 4; x < 36; x++) {
      UWORD a[3], b[3];
      plain->GetPixel(x, y, &a[0], &a[1], &a[2]);
      glowing->GetPixel(x, y, &b[0], &b[1], &b[2]);
      differ += a[0] != b[0] || a[1] != b[1] || a[2] != b[2];
    }
  EXPECT_GT(differ, 0);
  BaseBitmap::Free(plain);
  BaseBitmap::Free(glowing);
}

// The ISL shader is white inside the host and describes its program and files.
TEST_F(MaterialHelper, IslShaderIsWhiteInTheHost) {
  BaseShader* shader = BaseShader::Alloc(kIslShader);
  ASSERT_NE(shader, nullptr);
  ShaderData* data = static_cast<ShaderData*>(shader->GetNodeData());
  EXPECT_EQ(data->Output(shader, nullptr), Vector(1, 1, 1));
  EXPECT_EQ(data->GetRenderInfo(shader), 0);
  EXPECT_EQ(data->InitRender(shader, nullptr), INITRENDERRESULT_OK);
  Description desc;
  ASSERT_TRUE(Describe(shader, &desc));
  EXPECT_EQ(desc.GetSymbol(1405), "ISLSHADER_PROGRAM");
  EXPECT_FALSE(Hidden(desc, 1400));
  BaseShader::Free(shader);
}
