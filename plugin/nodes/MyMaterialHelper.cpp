#include "nodes/MyMaterialHelper.h"

#include "PluginIds.h"
#include "Registration.h"
#include "c4d_symbols.h"
#include "description/oMyMaterialHelper.h"
#include "exporter/KyranoSceneExporter.h"

BaseMaterial* HelperMaterial(BaseObject* helper) {
  return static_cast<BaseMaterial*>(helper->GetDataInstance()->GetLink(MATHELPER_MATERIAL, helper->GetDocument(), Mbase));
}

Bool MyMaterialHelper::Init(GeListNode* node) {
  BaseContainer* data = static_cast<BaseObject*>(node)->GetDataInstance();
  data->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_DIFFUSE);
  data->SetVector(MATHELPER_COLOR, Vector(0.8f, 0.8f, 0.8f));
  data->SetReal(MATHELPER_GAMMA, 2.2f);
  data->SetReal(MATHELPER_IOR, 1.0f);
  data->SetReal(MATHELPER_EXPONENT, 1000.0f);
  data->SetBool(MATHELPER_USE_NK, FALSE);
  data->SetString(MATHELPER_NK_FILE, "Cr.nk");  // inside the renderer's nkdata folder
  data->SetBool(MATHELPER_TRANSPARENT, TRUE);
  data->SetReal(MATHELPER_ROUGHNESS, 0.2f);
  data->SetBool(MATHELPER_RANDOM_TRIANGLE_COLOURS, FALSE);

  data->SetReal(MATHELPER_BLEND_AMOUNT, 0.5f);
  data->SetBool(MATHELPER_STEP_BLEND, FALSE);

  data->SetLong(MATHELPER_MEDIUM_TYPE, MATHELPER_MEDIUM_BASIC);
  data->SetLong(MATHELPER_PRECEDENCE, 10);
  data->SetReal(MATHELPER_MEDIUM_IOR, 1.0f);
  data->SetReal(MATHELPER_CAUCHY_B, 0.0f);
  data->SetLong(MATHELPER_ABSORPTION_TYPE, MATHELPER_ABSORPTION_RGB);
  data->SetVector(MATHELPER_ABSORPTION_COLOR, Vector(1, 1, 1));
  data->SetReal(MATHELPER_ABSORPTION_GAMMA, 1.0f);
  data->SetReal(MATHELPER_ABSORPTION_GAIN, 1.0f);
  data->SetReal(MATHELPER_ABSORPTION_TEMPERATURE, 6500.0f);  // kelvin
  data->SetReal(MATHELPER_ABSORPTION_BB_GAIN, 1.0f);
  data->SetReal(MATHELPER_ABSORPTION_VALUE, 1.0f);
  data->SetBool(MATHELPER_SUBSURFACE, FALSE);
  data->SetLong(MATHELPER_SCATTERING_TYPE, MATHELPER_SCATTERING_RGB);
  data->SetVector(MATHELPER_SCATTERING_COLOR, Vector(0, 0, 0));
  data->SetReal(MATHELPER_SCATTERING_GAMMA, 1.0f);
  data->SetReal(MATHELPER_SCATTERING_GAIN, 1.0f);
  data->SetReal(MATHELPER_SCATTERING_TEMPERATURE, 6500.0f);
  data->SetReal(MATHELPER_SCATTERING_BB_GAIN, 1.0f);
  data->SetReal(MATHELPER_SCATTERING_VALUE, 1.0f);
  data->SetLong(MATHELPER_PHASE_FUNCTION, MATHELPER_PHASE_UNIFORM);
  data->SetLong(MATHELPER_G_TYPE, MATHELPER_G_UNIFORM);
  data->SetReal(MATHELPER_G_VALUE, 0.9f);
  data->SetReal(MATHELPER_G_RED, 0.9f);
  data->SetReal(MATHELPER_G_GREEN, 0.9f);
  data->SetReal(MATHELPER_G_BLUE, 0.9f);
  data->SetReal(MATHELPER_G_GAMMA, 1.0f);
  data->SetReal(MATHELPER_HEMOGLOBIN, 0.01f);
  data->SetReal(MATHELPER_MELANIN, 0.25f);
  data->SetReal(MATHELPER_MELANIN_BLEND, 0.5f);

  data->SetBool(MATHELPER_EMISSION, FALSE);
  data->SetLong(MATHELPER_EMISSION_LAYER, 0);
  data->SetLong(MATHELPER_EMISSION_TYPE, MATHELPER_EMISSION_RGB);
  data->SetVector(MATHELPER_EMISSION_COLOR, Vector(1, 1, 1));
  data->SetReal(MATHELPER_EMISSION_GAMMA, 1.0f);
  data->SetReal(MATHELPER_EMISSION_GAIN, 1.0f);
  data->SetReal(MATHELPER_EMISSION_VALUE, 1.0f);
  data->SetReal(MATHELPER_EMISSION_TEMPERATURE, 6500.0f);
  data->SetReal(MATHELPER_EMISSION_BB_GAIN, 1.0f);
  data->SetLong(MATHELPER_EMISSION_SCALE, MATHELPER_SCALE_NONE);
  data->SetReal(MATHELPER_EMISSION_SCALE_VALUE, 100.0f);
  data->SetBool(MATHELPER_USE_IES, FALSE);

  // Which host channel feeds each map, and the map's texture numbers.
  data->SetLong(MATHELPER_DIFFUSE_CHANNEL, MATHELPER_CHANNEL_COLOR);
  data->SetLong(MATHELPER_BLEND_CHANNEL, MATHELPER_CHANNEL_ALPHA);
  data->SetLong(MATHELPER_DIFFUSION_CHANNEL, MATHELPER_CHANNEL_DIFFUSION);
  data->SetLong(MATHELPER_EXPONENT_CHANNEL, MATHELPER_CHANNEL_SPECULAR_COLOR);
  data->SetLong(MATHELPER_BUMP_CHANNEL, MATHELPER_CHANNEL_BUMP);
  data->SetLong(MATHELPER_DISPLACEMENT_CHANNEL, MATHELPER_CHANNEL_DISPLACEMENT);
  data->SetLong(MATHELPER_EMISSION_CHANNEL, MATHELPER_CHANNEL_LUMINANCE);
  const struct {
    LONG id;
    Real value;
  } numbers[] = {
      {MATHELPER_DIFFUSEMAP_EXPONENT, 2.2f}, {MATHELPER_DIFFUSEMAP_A, 0}, {MATHELPER_DIFFUSEMAP_B, 1},
      {MATHELPER_DIFFUSEMAP_C, 0},           {MATHELPER_BLENDMAP_EXPONENT, 1}, {MATHELPER_BLENDMAP_A, 0},
      {MATHELPER_BLENDMAP_B, 1},             {MATHELPER_BLENDMAP_C, 0},        {MATHELPER_EXPMAP_EXPONENT, 1},
      {MATHELPER_EXPMAP_A, 0},               {MATHELPER_EXPMAP_B, 10000},      {MATHELPER_EXPMAP_C, 0},
      {MATHELPER_BUMP_EXPONENT, 1},          {MATHELPER_BUMP_A, 0},            {MATHELPER_BUMP_B, 0.001f},
      {MATHELPER_BUMP_C, 0},                 {MATHELPER_DISPLACEMENT_EXPONENT, 1}, {MATHELPER_DISPLACEMENT_A, 0},
      {MATHELPER_DISPLACEMENT_B, 0.001f},    {MATHELPER_DISPLACEMENT_C, 0},    {MATHELPER_EMISSIONMAP_EXPONENT, 1},
      {MATHELPER_EMISSIONMAP_A, 0},          {MATHELPER_EMISSIONMAP_B, 1000},  {MATHELPER_EMISSIONMAP_C, 0},
  };
  for (const auto& n : numbers) data->SetReal(n.id, n.value);

  data->SetBool(MATHELPER_SYNC_MATERIAL, TRUE);
  return TRUE;
}

namespace {

// The last preview render, for the attribute view's picture and the material manager. A
// picture that is missing or does not load (the renderer has not finished, or failed) gives
// no bitmap, so the one shown stays as it was, and a console line says why.
Bool GivePreviewBitmap(BaseObject* helper, BaseMaterial* material, DescriptionGetBitmap* request) {
  if (!request || request->id[0] != MATHELPER_PREVIEW_IMAGE || !material) return TRUE;
  const Filename file = helper->GetDataInstance()->GetFilename(MATHELPER_PREVIEW_FILE, Filename("NOPATH"));
  if (!GeFExist(file)) {
    GePrint(String("Material preview: the picture ") + file.GetString() + " does not exist (yet); the preview shown is unchanged.");
    return TRUE;
  }
  BaseBitmap* bitmap = BaseBitmap::Alloc();
  if (!bitmap) return FALSE;
  if (bitmap->Init(file) != IMAGE_OK) {
    BaseBitmap::Free(bitmap);
    GePrint(String("Material preview: the picture ") + file.GetString() + " could not be read; the preview shown is unchanged.");
    return TRUE;
  }
  if (BaseBitmap* preview = material->GetPreview(0)) bitmap->ScaleIt(preview, 256, TRUE, FALSE);
  request->bmp = bitmap;  // the host owns it now
  return TRUE;
}

// The helper's icon: another picture while the material emits light.
Bool DrawIcon(BaseObject* helper, GetCustomIconData* request) {
  if (!request || !request->dat || !request->dat->bmp) return TRUE;
  BaseBitmap* icon = BaseBitmap::Alloc();
  if (!icon) return FALSE;
  const Bool emits = helper->GetDataInstance()->GetBool(MATHELPER_EMISSION, FALSE);
  const Filename file = GeGetPluginPath() + Filename("res") + Filename(emits ? "materialhelper_emission.tif" : "materialhelper.tif");
  if (icon->Init(file) == IMAGE_OK) {
    const IconData* d = request->dat;
    icon->ScaleBicubic(d->bmp, 0, 0, icon->GetBw() - 1, icon->GetBh() - 1, d->x, d->y, d->x + d->w - 1, d->y + d->h - 1);
    request->filled = TRUE;
  }
  BaseBitmap::Free(icon);
  return TRUE;
}

PreviewOpener previewOpener = nullptr;

// The preview dialog renders the material into the file the helper named.
Bool OpenPreviewDialog(BaseObject* helper, const Filename& image) {
  if (previewOpener) return previewOpener(helper, image);
  GePrint(String("Material preview is not available; it would render into ") + image.GetString());
  return TRUE;
}

}  // namespace

void SetPreviewOpener(PreviewOpener opener) { previewOpener = opener; }

Bool MyMaterialHelper::Message(GeListNode* node, LONG type, void* data) {
  BaseObject* helper = static_cast<BaseObject*>(node);
  // The helper carries its material's name and layer.
  BaseMaterial* material = HelperMaterial(helper);
  if (material) {
    if (helper->GetName() != material->GetName()) helper->SetName(material->GetName());
    helper->SetLayerObject(material->GetLayerObject(helper->GetDocument()));
  }
  switch (type) {
    case MSG_DESCRIPTION_GETBITMAP:
      return GivePreviewBitmap(helper, material, static_cast<DescriptionGetBitmap*>(data));
    case MSG_DESCRIPTION_COMMAND: {
      const DescriptionCommand* command = static_cast<DescriptionCommand*>(data);
      if (!command) return TRUE;
      if (command->id[0] == MATHELPER_EXPORT_KYM) return SaveMaterialFile(helper);
      if (command->id[0] == MATHELPER_PREVIEW && material) return NamePreview(helper);
      return TRUE;
    }
    case MSG_GETCUSTOMICON:
      return DrawIcon(helper, static_cast<GetCustomIconData*>(data));
    default:
      return TRUE;
  }
}

// The save button: the material as a material file the user names.
Bool MyMaterialHelper::SaveMaterialFile(BaseObject* helper) {
  Filename file;
  const String title = "Save kym...";
  if (!file.FileSelect(FILESELECTTYPE_ANYTHING, FILESELECT_SAVE, &title)) {
    MessageDialog("KYM Export canceled by user.");
    return FALSE;
  }
  BaseDocument* doc = helper->GetDocument() ? helper->GetDocument() : GetActiveDocument();
  KyranoSceneExporter exporter;
  return exporter.exportKYM(doc, helper, file, 0) ? TRUE : FALSE;
}

// The preview button: a new image file in the plug-in's preview renders folder, named after
// the timer so that every render gets a file of its own.
Bool MyMaterialHelper::NamePreview(BaseObject* helper) {
  BaseContainer* data = helper->GetDataInstance();
  Filename image = data->GetFilename(MATHELPER_PREVIEW_FILE, Filename("NOPATH"));
  if (image.GetString().Content()) {
    const Filename folder = GeGetPluginPath() + Filename("preview") + Filename("renders");
    do {
      const String first = LongToString(GeGetTimer());
      image = folder + Filename(first + LongToString(GeGetTimer()) + ".png");
    } while (GeFExist(image));
    data->SetFilename(MATHELPER_PREVIEW_FILE, image);
  }
  return OpenPreviewDialog(helper, image);
}

Bool MyMaterialHelper::GetDParameter(GeListNode* node, const DescID& id, GeData& t_data, LONG& flags) {
  if (id[0] == MATHELPER_PREVIEW_IMAGE) {
    t_data = GeData(CUSTOMDATATYPE_BITMAPBUTTON, BitmapButtonStruct(static_cast<BaseList2D*>(node), id, 0));
    flags |= DESCFLAGS_PARAM_GET;
  }
  return TRUE;
}

Bool MyMaterialHelper::SetDParameter(GeListNode*, const DescID& id, const GeData&, LONG& flags) {
  if (id[0] == MATHELPER_PREVIEW_IMAGE) flags |= DESCFLAGS_PARAM_SET;
  return TRUE;
}

Bool RegisterMyMaterialHelper() {
  return RegisterNamedObject(ID_MYMATERIALHELPER, IDS_MATERIALHELPER, 0, MyMaterialHelper::Alloc, "oMyMaterialHelper", "MaterialHelper.tif");
}
