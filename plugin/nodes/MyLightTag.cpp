#include <tinyxml.h>

#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"
#include "description/tMyLightTag.h"
#include "helpers/HelpersLaunch.h"
#include "helpers/HelpersPaths.h"
#include "kyrano_utils/KyranoXmlFile.h"
#include "nodes/IesProfile.h"
#include "ReplaceFile.h"

namespace {

const LONG kPreviewPort = 7777;

void SetHidden(Description* description, LONG id, Bool hide) {
  if (BaseContainer* bc = description->GetParameterI(DescLevel(id), nullptr)) bc->SetBool(DESC_HIDE, hide);
}

// An unset file name reads as "NOPATH" in the host, or as an empty name.
bool IsSet(const Filename& file) { return file.Content() && file.GetString() != String("NOPATH"); }

Filename PreviewFolder() { return GeGetPluginPath() + Filename("preview"); }

Filename PreviewScene() { return PreviewFolder() + Filename("iespreview.kys"); }

// A new image file in the preview's renders folder, named after two timer readings; chosen
// again while such a file exists.
Filename NewPreviewImage() {
  const Filename folder = PreviewFolder() + Filename("renders");
  if (!GeFExist(folder, TRUE)) GeFCreateDir(folder);
  Filename image;
  do {
    const String first = LongToString(GeGetTimer());
    image = folder + Filename(String("ies") + first + LongToString(GeGetTimer()) + ".png");
  } while (GeFExist(image));
  return image;
}

std::string EightBit(const String& text) {
  char* bytes = Helpers::StringToChar(text);
  const std::string out(bytes);
  delete[] bytes;
  return out;
}

}  // namespace

// Emission spectrum, light layer, absolute emission scale and IES profile of a light (or of a
// polygon object that emits), with a rendered preview of the profile.
class MyLightTag : public TagData {
 public:
  static NodeData* Alloc() { return new MyLightTag; }

  Bool Init(GeListNode* node) override {
    BaseContainer* data = static_cast<BaseTag*>(node)->GetDataInstance();
    data->SetLong(LIGHTTAG_SPECTRUM, LIGHTTAG_SPECTRUM_RGB);
    data->SetVector(LIGHTTAG_COLOR, Vector(1, 1, 1));
    data->SetReal(LIGHTTAG_GAMMA, 2.2f);
    data->SetReal(LIGHTTAG_UNIFORM_VALUE, 1.0f);
    data->SetReal(LIGHTTAG_TEMPERATURE, 6500.0f);  // kelvin
    data->SetReal(LIGHTTAG_BB_GAIN, 1.0f);
    data->SetReal(LIGHTTAG_PEAK_MIN, 300.0f);  // nanometres
    data->SetReal(LIGHTTAG_PEAK_WIDTH, 550.0f);
    data->SetReal(LIGHTTAG_PEAK_VALUE, 200.0f);
    data->SetReal(LIGHTTAG_BASE_VALUE, 0.0f);
    data->SetLong(LIGHTTAG_LAYER, 0);
    data->SetBool(LIGHTTAG_USE_SCALE, FALSE);
    data->SetLong(LIGHTTAG_SCALE_MEASURE, LIGHTTAG_LUMINANCE);
    data->SetReal(LIGHTTAG_SCALE_VALUE, 100.0f);
    data->SetBool(LIGHTTAG_USE_IES, FALSE);
    return TRUE;
  }

  Bool GetDDescription(GeListNode* node, Description* description, LONG& flags) override {
    if (!description->LoadDescription(ID_MYLIGHTTAG)) return FALSE;
    const BaseContainer* data = static_cast<BaseTag*>(node)->GetDataInstance();
    SetHidden(description, LIGHTTAG_IES_PREVIEW, TRUE);
    SetHidden(description, LIGHTTAG_IES_IMAGE_FILE, TRUE);
    SetHidden(description, LIGHTTAG_IES_FILE, !data->GetBool(LIGHTTAG_USE_IES, FALSE));
    const Bool scaled = data->GetBool(LIGHTTAG_USE_SCALE, FALSE);
    SetHidden(description, LIGHTTAG_SCALE_MEASURE, !scaled);
    SetHidden(description, LIGHTTAG_SCALE_VALUE, !scaled);
    ShowSpectrum(description, data->GetLong(LIGHTTAG_SPECTRUM, LIGHTTAG_SPECTRUM_RGB));
    flags |= DESCFLAGS_DESC_LOADED;
    return TRUE;
  }

  // The preview image's parameter is a bitmap button showing the node's own image.
  Bool GetDParameter(GeListNode* node, const DescID& id, GeData& t_data, LONG& flags) override {
    if (id[0] != LIGHTTAG_IES_IMAGE) return TRUE;
    t_data = GeData(CUSTOMDATATYPE_BITMAPBUTTON, BitmapButtonStruct(static_cast<BaseList2D*>(node), id, 0));
    flags |= DESCFLAGS_PARAM_GET;
    return TRUE;
  }

  Bool SetDParameter(GeListNode*, const DescID& id, const GeData&, LONG& flags) override {
    if (id[0] == LIGHTTAG_IES_IMAGE) flags |= DESCFLAGS_PARAM_SET;
    return TRUE;
  }

  Bool Message(GeListNode* node, LONG type, void* data) override {
    BaseTag* tag = static_cast<BaseTag*>(node);
    if (type == MSG_DESCRIPTION_COMMAND && data &&
        static_cast<DescriptionCommand*>(data)->id == DescID(LIGHTTAG_IES_PREVIEW))
      return PreviewIES(tag);
    if (type == MSG_DESCRIPTION_GETBITMAP && data) {
      DescriptionGetBitmap* request = static_cast<DescriptionGetBitmap*>(data);
      if (request->id == DescID(LIGHTTAG_IES_IMAGE)) request->bmp = LoadPreviewImage(tag);
    }
    return TRUE;
  }

  // Points the preview scene's first profile at the file: in the plug-in's "iespreview.kys",
  // the first model with an ies_profile gets a new path holding the file's full path. The
  // scene is replaced only once the edited one is written whole. An empty text when it was
  // saved, else a sentence naming the scene and what went wrong; the scene is then left as
  // it was.
  String ChangeIES(const Filename& iesFile) {
    const std::string path = EightBit(PreviewScene().GetString());
    TiXmlDocument scene;
    std::string error;
    if (!Kyrano::loadXmlFile(path, scene, error)) return String(error);
    TiXmlElement* root = scene.FirstChildElement("scene");
    for (TiXmlElement* model = root ? root->FirstChildElement("model") : nullptr; model;
         model = model->NextSiblingElement("model")) {
      TiXmlElement* profile = model->FirstChildElement("ies_profile");
      if (!profile) continue;
      if (TiXmlElement* old = profile->FirstChildElement("path")) profile->RemoveChild(old);
      TiXmlElement* text = new TiXmlElement("path");
      text->LinkEndChild(new TiXmlText(EightBit(iesFile.GetString()).c_str()));
      profile->LinkEndChild(text);
      const std::string failure = replaceFile(path, [&scene](std::FILE* file) { return scene.SaveFile(file); });
      return failure.empty() ? String() : String("Could not save the preview scene: " + failure + ".");
    }
    return String("'" + path + "' holds no model with an ies_profile.");
  }

 private:
  static void ShowSpectrum(Description* description, LONG spectrum) {
    const LONG groups[4][2] = {{LIGHTTAG_SPECTRUM_PEAK, LIGHTTAG_GROUP_PEAK},
                               {LIGHTTAG_SPECTRUM_RGB, LIGHTTAG_GROUP_RGB},
                               {LIGHTTAG_SPECTRUM_BLACKBODY, LIGHTTAG_GROUP_BLACKBODY},
                               {LIGHTTAG_SPECTRUM_UNIFORM, LIGHTTAG_GROUP_UNIFORM}};
    bool known = false;
    for (const auto& g : groups) known = known || g[0] == spectrum;
    if (!known) return;
    for (const auto& g : groups) SetHidden(description, g[1], g[0] != spectrum);
  }

  // Renders the tag's profile into its preview image with the renderer, on the preview
  // scene. Nothing happens without a profile file. The renderer is not started when the
  // scene could not be pointed at the profile: an old image would be shown as the new one.
  Bool PreviewIES(BaseTag* tag) {
    BaseContainer* data = tag->GetDataInstance();
    const Filename ies = IesProfileFile(data->GetFilename(LIGHTTAG_IES_FILE, Filename()), tag->GetDocument());
    if (!ies.Content()) return TRUE;
    if (!GeFExist(ies)) {
      MessageDialog(String("The IES profile preview was not rendered. The profile '") + ies.GetString() +
                    "' does not exist.");
      return FALSE;
    }
    Filename image = data->GetFilename(LIGHTTAG_IES_IMAGE_FILE, Filename());
    if (!IsSet(image)) {
      image = NewPreviewImage();
      data->SetFilename(LIGHTTAG_IES_IMAGE_FILE, image);
    }
    Filename exe;
    if (!Helpers::GetKyranoExe(&exe, 1, 1)) {
      Helpers::ChooseKyranoExe();
      if (!Helpers::GetKyranoExe(&exe, 1, 1)) return FALSE;
    }
    const String problem = ChangeIES(ies);
    if (problem.Content()) {
      MessageDialog(String("The IES profile preview was not rendered. ") + problem);
      return FALSE;
    }
    return Helpers::LaunchKyrano(PreviewScene(), 1, 1, 1, 0, kPreviewPort, image, -1) ? TRUE : FALSE;
  }

  // The rendered preview, or null when there is none yet; the host takes the bitmap.
  static BaseBitmap* LoadPreviewImage(BaseTag* tag) {
    const Filename image = tag->GetDataInstance()->GetFilename(LIGHTTAG_IES_IMAGE_FILE, Filename("NOPATH"));
    if (!IsSet(image) || !GeFExist(image)) return nullptr;
    BaseBitmap* bitmap = BaseBitmap::Alloc();
    if (bitmap && bitmap->Init(image) == IMAGE_OK) return bitmap;
    BaseBitmap::Free(bitmap);
    return nullptr;
  }
};

Bool RegisterMyLightTag() { return RegisterNamedTag(ID_MYLIGHTTAG, IDS_LIGHTTAG, TAG_VISIBLE, MyLightTag::Alloc, "tMyLightTag", "LightTag.tif"); }
