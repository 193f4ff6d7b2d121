// The material helper's attribute view: what it shows for each material type, the channel
// status lines, the list of an external file's materials and the host material's look.
#include <initializer_list>

#include "PluginIds.h"
#include "description/oMyMaterialHelper.h"
#include "exporter/ExternalMaterialFile.h"
#include "helpers/HelpersPaths.h"
#include "nodes/MyMaterialHelper.h"

namespace {

void SetHidden(Description* description, LONG id, Bool hide) {
  if (BaseContainer* bc = description->GetParameterI(DescLevel(id), nullptr)) bc->SetBool(DESC_HIDE, hide);
}

// Shows the one group of the list that belongs to the choice (none for an unknown choice).
void ShowOneOf(Description* description, LONG choice, std::initializer_list<std::pair<LONG, LONG>> groups) {
  for (const auto& g : groups) SetHidden(description, g.second, g.first != choice);
}

// The groups of each material type.
void ShowTypeGroups(Description* d, const BaseContainer& data, LONG type) {
  const bool phong = type == MATHELPER_TYPE_PHONG;
  const Bool nk = data.GetBool(MATHELPER_USE_NK, FALSE);
  const bool colour = type == MATHELPER_TYPE_DIFFUSE || type == MATHELPER_TYPE_DIFFUSE_TRANSMITTER ||
                      type == MATHELPER_TYPE_OREN_NAYAR || (phong && !nk);
  SetHidden(d, MATHELPER_GROUP_COLOR, !colour);
  SetHidden(d, MATHELPER_GROUP_OREN_NAYAR, type != MATHELPER_TYPE_OREN_NAYAR);
  SetHidden(d, MATHELPER_GROUP_EXPONENT, !phong && type != MATHELPER_TYPE_GLOSSY);
  SetHidden(d, MATHELPER_GROUP_PHONG, !phong);
  SetHidden(d, MATHELPER_GROUP_SPECULAR, type != MATHELPER_TYPE_SPECULAR);
  SetHidden(d, MATHELPER_GROUP_BLEND, type != MATHELPER_TYPE_BLEND);
  SetHidden(d, MATHELPER_GROUP_BLEND_SETTINGS, type != MATHELPER_TYPE_BLEND);
  SetHidden(d, MATHELPER_GROUP_EXTERNAL, type != MATHELPER_TYPE_EXTERNAL);
  SetHidden(d, MATHELPER_GROUP_MEDIUM, type != MATHELPER_TYPE_SPECULAR && type != MATHELPER_TYPE_GLOSSY);
  SetHidden(d, MATHELPER_RANDOM_TRIANGLE_COLOURS, type != MATHELPER_TYPE_DIFFUSE);
  if (phong) {
    SetHidden(d, MATHELPER_IOR, nk);
    SetHidden(d, MATHELPER_NK_FILE, !nk);
    SetHidden(d, MATHELPER_SPECULAR_REFLECTIVITY, nk);
  }
}

void ShowEmission(Description* d, const BaseContainer& data, LONG type) {
  const Bool emits = data.GetBool(MATHELPER_EMISSION, FALSE);
  SetHidden(d, MATHELPER_GROUP_EMISSION_SCALE, !emits);
  SetHidden(d, MATHELPER_EMISSION_SCALE_VALUE, data.GetLong(MATHELPER_EMISSION_SCALE, MATHELPER_SCALE_NONE) == MATHELPER_SCALE_NONE);
  SetHidden(d, MATHELPER_IES_FILE, !data.GetBool(MATHELPER_USE_IES, FALSE));
  if (type == MATHELPER_TYPE_BLEND || type == MATHELPER_TYPE_EXTERNAL) {
    SetHidden(d, MATHELPER_GROUP_EMISSION_SWITCH, TRUE);
    return;
  }
  SetHidden(d, MATHELPER_GROUP_EMISSION_SWITCH, FALSE);
  SetHidden(d, MATHELPER_GROUP_EMISSION, !emits);
  if (!emits) return;
  ShowOneOf(d, data.GetLong(MATHELPER_EMISSION_TYPE, MATHELPER_EMISSION_RGB),
            {{MATHELPER_EMISSION_RGB, MATHELPER_GROUP_EMISSION_RGB},
             {MATHELPER_EMISSION_UNIFORM, MATHELPER_GROUP_EMISSION_UNIFORM},
             {MATHELPER_EMISSION_BLACKBODY, MATHELPER_GROUP_EMISSION_BLACKBODY},
             {MATHELPER_EMISSION_TABULATED, MATHELPER_GROUP_EMISSION_TABULATED},
             {MATHELPER_EMISSION_OTHER, MATHELPER_GROUP_EMISSION_OTHER}});
}

void ShowMedium(Description* d, const BaseContainer& data) {
  ShowOneOf(d, data.GetLong(MATHELPER_ABSORPTION_TYPE, MATHELPER_ABSORPTION_RGB),
            {{MATHELPER_ABSORPTION_RGB, MATHELPER_GROUP_ABSORPTION_RGB},
             {MATHELPER_ABSORPTION_BLACKBODY, MATHELPER_GROUP_ABSORPTION_BLACKBODY},
             {MATHELPER_ABSORPTION_UNIFORM, MATHELPER_GROUP_ABSORPTION_UNIFORM},
             {MATHELPER_ABSORPTION_TABULATED, MATHELPER_GROUP_ABSORPTION_TABULATED},
             {MATHELPER_SPECTRUM_OTHER, MATHELPER_GROUP_ABSORPTION_OTHER}});
  ShowOneOf(d, data.GetLong(MATHELPER_SCATTERING_TYPE, MATHELPER_SCATTERING_RGB),
            {{MATHELPER_SCATTERING_RGB, MATHELPER_GROUP_SCATTERING_RGB},
             {MATHELPER_SCATTERING_BLACKBODY, MATHELPER_GROUP_SCATTERING_BLACKBODY},
             {MATHELPER_SCATTERING_UNIFORM, MATHELPER_GROUP_SCATTERING_UNIFORM},
             {MATHELPER_SCATTERING_TABULATED, MATHELPER_GROUP_SCATTERING_TABULATED},
             {MATHELPER_SCATTERING_OTHER, MATHELPER_GROUP_SCATTERING_OTHER}});
  const LONG phase = data.GetLong(MATHELPER_PHASE_FUNCTION, MATHELPER_PHASE_UNIFORM);
  SetHidden(d, MATHELPER_GROUP_HENYEY_GREENSTEIN, phase != MATHELPER_PHASE_HENYEY_GREENSTEIN);
  const LONG g = data.GetLong(MATHELPER_G_TYPE, MATHELPER_G_UNIFORM);
  SetHidden(d, MATHELPER_G_VALUE, g != MATHELPER_G_UNIFORM);
  SetHidden(d, MATHELPER_GROUP_G_RGB, g != MATHELPER_G_RGB);
  ShowOneOf(d, data.GetLong(MATHELPER_MEDIUM_TYPE, MATHELPER_MEDIUM_BASIC),
            {{MATHELPER_MEDIUM_BASIC, MATHELPER_GROUP_MEDIUM_BASIC},
             {MATHELPER_MEDIUM_DERMIS, MATHELPER_GROUP_MEDIUM_DERMIS},
             {MATHELPER_MEDIUM_EPIDERMIS, MATHELPER_GROUP_MEDIUM_EPIDERMIS}});
  SetHidden(d, MATHELPER_GROUP_SUBSURFACE, !data.GetBool(MATHELPER_SUBSURFACE, FALSE));
}

// Each map's channel selection (with the default the helper starts with), status line and
// group of texture numbers; the diffusion selection has no numbers.
const struct {
  LONG selection, fallback, status, group;
} kChannelRows[] = {
    {MATHELPER_DIFFUSE_CHANNEL, MATHELPER_CHANNEL_COLOR, MATHELPER_DIFFUSE_STATUS, MATHELPER_GROUP_DIFFUSEMAP},
    {MATHELPER_BLEND_CHANNEL, MATHELPER_CHANNEL_ALPHA, MATHELPER_BLEND_STATUS, MATHELPER_GROUP_BLENDMAP},
    {MATHELPER_DIFFUSION_CHANNEL, MATHELPER_CHANNEL_DIFFUSION, MATHELPER_DIFFUSION_STATUS, 0},
    {MATHELPER_EXPONENT_CHANNEL, MATHELPER_CHANNEL_SPECULAR_COLOR, MATHELPER_EXPONENT_STATUS, MATHELPER_GROUP_EXPMAP},
    {MATHELPER_BUMP_CHANNEL, MATHELPER_CHANNEL_BUMP, MATHELPER_BUMP_STATUS, MATHELPER_GROUP_BUMPMAP},
    {MATHELPER_DISPLACEMENT_CHANNEL, MATHELPER_CHANNEL_DISPLACEMENT, MATHELPER_DISPLACEMENT_STATUS,
     MATHELPER_GROUP_DISPLACEMENTMAP},
    {MATHELPER_EMISSION_CHANNEL, MATHELPER_CHANNEL_LUMINANCE, MATHELPER_EMISSION_STATUS, MATHELPER_GROUP_EMISSIONMAP},
};

LONG SelectionDefault(LONG selectionId) {
  for (const auto& row : kChannelRows)
    if (row.selection == selectionId) return row.fallback;
  return MATHELPER_CHANNEL_COLOR;
}

void SetAllStatus(BaseContainer* data, const String& text) {
  for (const auto& row : kChannelRows) data->SetString(row.status, text);
}

// The list of the external file's materials, rebuilt from the file at every view; the host
// material takes the name of the chosen one.
Bool BuildExternalList(Description* d, BaseObject* helper, BaseMaterial* material) {
  const BaseContainer* old = d->GetParameterI(DescLevel(MATHELPER_EXTERNAL_MATERIAL), nullptr);
  if (!old) return TRUE;
  const String label = old->GetString(DESC_NAME);
  const LONG group = old->GetLong(DESC_PARENTGROUP, 0);
  BaseContainer* data = helper->GetDataInstance();
  BaseDocument* doc = helper->GetDocument();
  const ExternalMaterialFile file = ExternalMaterialFile::Load(data->GetFilename(MATHELPER_EXTERNAL_FILE, Filename()),
                                                               doc ? doc->GetDocumentPath() : Filename());
  BaseContainer cycle;
  LONG choice = data->GetLong(MATHELPER_EXTERNAL_MATERIAL, 0);
  const LONG count = LONG(file.choices.size());
  if (count == 0) {
    cycle.SetString(0, "No materials found");
    choice = 0;
  } else {
    for (LONG k = 0; k < count; ++k) cycle.SetString(EXTERNAL_MATERIAL_FIRST_CHOICE + k, String(file.choices[size_t(k)]));
    if (choice < EXTERNAL_MATERIAL_FIRST_CHOICE || choice >= EXTERNAL_MATERIAL_FIRST_CHOICE + count)
      choice = EXTERNAL_MATERIAL_FIRST_CHOICE;
    const String chosen = cycle.GetString(choice);
    if (material && material->GetName() != chosen) material->SetName(chosen);
  }
  data->SetLong(MATHELPER_EXTERNAL_MATERIAL, choice);
  BaseContainer element = GetCustomDataTypeDefault(DTYPE_LONG);
  element.SetString(DESC_NAME, label);
  element.SetString(DESC_SHORT_NAME, label);
  element.SetContainer(DESC_CYCLE, cycle);
  element.SetLong(DESC_CUSTOMGUI, CUSTOMGUI_CYCLE);
  // The list stays in its group, so it shows and hides with the external settings.
  return d->SetParameter(DescLevel(MATHELPER_EXTERNAL_MATERIAL, DTYPE_LONG, 0), element, DescLevel(group));
}

// Makes the host material look roughly like the renderer material in the viewport.
void SyncHostMaterial(BaseMaterial* material, const BaseContainer& data, LONG type) {
  // An external material's look is the file's, which the host cannot show.
  if (type == MATHELPER_TYPE_EXTERNAL) return;
  BaseContainer* host = material->GetDataInstance();
  const Real ior = data.GetReal(MATHELPER_MEDIUM_IOR, 1.0f);
  switch (type) {
    case MATHELPER_TYPE_PHONG:
    case MATHELPER_TYPE_DIFFUSE:
    case MATHELPER_TYPE_DIFFUSE_TRANSMITTER:
    case MATHELPER_TYPE_OREN_NAYAR:
      host->SetVector(MATERIAL_COLOR_COLOR, data.GetVector(MATHELPER_COLOR, Vector(0.8f, 0.8f, 0.8f)));
      material->SetChannelState(CHANNEL_TRANSPARENCY, FALSE);
      material->SetChannelState(CHANNEL_SPECULAR, type == MATHELPER_TYPE_PHONG);
      host->SetBool(MATERIAL_TRANSPARENCY_FRESNEL, FALSE);
      break;
    case MATHELPER_TYPE_SPECULAR: {
      host->SetVector(MATERIAL_COLOR_COLOR, data.GetVector(MATHELPER_ABSORPTION_COLOR, Vector(1, 1, 1)));
      const Bool transparent = data.GetBool(MATHELPER_TRANSPARENT, FALSE);
      material->SetChannelState(CHANNEL_TRANSPARENCY, transparent);
      material->SetChannelState(CHANNEL_REFLECTION, !transparent);
      material->SetChannelState(CHANNEL_SPECULAR, TRUE);
      if (transparent) {
        host->SetBool(MATERIAL_TRANSPARENCY_FRESNEL, TRUE);
        host->SetReal(MATERIAL_TRANSPARENCY_REFRACTION, ior);
      } else {
        host->SetReal(MATERIAL_REFLECTION_BRIGHTNESS, ior * 0.02f);
      }
      break;
    }
    case MATHELPER_TYPE_GLOSSY:
      host->SetVector(MATERIAL_COLOR_COLOR, Vector(1, 1, 1));
      material->SetChannelState(CHANNEL_TRANSPARENCY, TRUE);
      material->SetChannelState(CHANNEL_SPECULAR, TRUE);
      host->SetBool(MATERIAL_TRANSPARENCY_FRESNEL, TRUE);
      host->SetReal(MATERIAL_TRANSPARENCY_REFRACTION, ior);
      break;
    case MATHELPER_TYPE_BLEND:
      host->SetVector(MATERIAL_COLOR_COLOR, Vector(1, 1, 1));
      material->SetChannelState(CHANNEL_TRANSPARENCY, FALSE);
      material->SetChannelState(CHANNEL_SPECULAR, FALSE);
      host->SetBool(MATERIAL_TRANSPARENCY_FRESNEL, FALSE);
      break;
    default:
      return;
  }
  host->SetReal(MATERIAL_COLOR_BRIGHTNESS, 1.0f);
  material->Message(MSG_UPDATE);
  EventAdd();
}

}  // namespace

void MyMaterialHelper::SetChannelStatus(Material* material, BaseContainer* materialData, BaseContainer* helperData,
                                        LONG channelSelectionId, LONG statusTextId, LONG groupId, Description* description) {
  LONG channel = 0, link = 0;
  Helpers::GetChannelAndShader(helperData->GetLong(channelSelectionId, SelectionDefault(channelSelectionId)), channel, link);
  BaseList2D* shader = link ? materialData->GetLink(link, material->GetDocument(), Xbase) : nullptr;
  String text = "none";
  Bool showNumbers = FALSE;
  if (shader && shader->GetType() == Xbitmap) {
    text = "Texture";
    showNumbers = TRUE;
  } else if (shader && shader->GetType() == ID_ISLSHADER) {
    text = "ISL Shader";
  } else if (shader) {
    text = "Unsupported";
  }
  if (shader && !material->GetChannelState(channel)) text += " - disabled";
  helperData->SetString(statusTextId, text);
  if (groupId) SetHidden(description, groupId, !showNumbers);
}

Bool MyMaterialHelper::GetDDescription(GeListNode* node, Description* description, LONG& flags) {
  if (!description->LoadDescription(ID_MYMATERIALHELPER)) return FALSE;
  BaseObject* helper = static_cast<BaseObject*>(node);
  BaseContainer* data = helper->GetDataInstance();
  const LONG type = data->GetLong(MATHELPER_TYPE, MATHELPER_TYPE_DIFFUSE);
  BaseMaterial* material = HelperMaterial(helper);

  SetHidden(description, MATHELPER_PREVIEW, TRUE);
  SetHidden(description, MATHELPER_PREVIEW_FILE, TRUE);
  ShowTypeGroups(description, *data, type);
  ShowEmission(description, *data, type);
  ShowMedium(description, *data);

  // Only a standard host material has channels to report on and a look to keep in step.
  const bool standard = material && material->GetType() == Mmaterial;
  if (!material) {
    SetAllStatus(data, "no material applied");
  } else if (!standard) {
    SetAllStatus(data, "not a standard material");
  } else {
    for (const auto& row : kChannelRows)
      SetChannelStatus(static_cast<Material*>(material), material->GetDataInstance(), data, row.selection, row.status,
                       row.group, description);
  }
  const Bool noChannels = type == MATHELPER_TYPE_BLEND || type == MATHELPER_TYPE_EXTERNAL;
  SetHidden(description, MATHELPER_GROUP_CHANNELS, noChannels);
  SetHidden(description, MATHELPER_GROUP_CHANNEL_STATUS, noChannels);
  if (noChannels) SetHidden(description, MATHELPER_GROUP_EMISSION_SWITCH, TRUE);

  if (type == MATHELPER_TYPE_EXTERNAL && !BuildExternalList(description, helper, material)) return FALSE;
  if (standard && data->GetBool(MATHELPER_SYNC_MATERIAL, TRUE)) SyncHostMaterial(material, *data, type);
  flags |= DESCFLAGS_DESC_LOADED;
  return TRUE;
}
