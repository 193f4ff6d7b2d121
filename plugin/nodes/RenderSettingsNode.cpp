#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"
#include "description/oMyRenderSettings.h"

namespace {

void SetHidden(Description* description, LONG id, Bool hide) {
  if (BaseContainer* bc = description->GetParameterI(DescLevel(id), nullptr)) bc->SetBool(DESC_HIDE, hide);
}

// The scene unit that matches the host's unit preference (1 km, 2 m, 3 cm, 4 mm); any other
// host unit becomes a custom scale.
LONG UnitOfPreference(LONG hostUnit) {
  switch (hostUnit) {
    case 1: return RENDERSETTINGS_UNIT_KM;
    case 2: return RENDERSETTINGS_UNIT_M;
    case 3: return RENDERSETTINGS_UNIT_CM;
    case 4: return RENDERSETTINGS_UNIT_MM;
    default: return RENDERSETTINGS_UNIT_CUSTOM;
  }
}

}  // namespace

// The renderer's global settings, held by a video post node in the host's render settings.
// It renders nothing inside the host.
class RenderSettingsNode : public VideoPostData {
 public:
  static NodeData* Alloc() { return new RenderSettingsNode; }

  Bool Init(GeListNode* node) override {
    BaseContainer* data = static_cast<BaseVideoPost*>(node)->GetDataInstance();
    data->SetBool(RENDERSETTINGS_ADVANCED, FALSE);
    data->SetLong(RENDERSETTINGS_MAX_DEPTH, 10000);
    data->SetLong(RENDERSETTINGS_MAX_REJECTIONS, 1000);
    data->SetReal(RENDERSETTINGS_HALT_TIME, -1.0f);
    data->SetBool(RENDERSETTINGS_SAVE_KYI, TRUE);
    data->SetLong(RENDERSETTINGS_MODE, RENDERSETTINGS_MODE_BIDIRECTIONAL_METROPOLIS);
    data->SetReal(RENDERSETTINGS_CUSTOM_SCALE, 1.0f);
    data->SetReal(RENDERSETTINGS_LARGE_MUTATION_PROB, 0.4f);
    data->SetReal(RENDERSETTINGS_MAX_CHANGE, 0.01f);
    data->SetBool(RENDERSETTINGS_LOGGING, TRUE);
    // The two periods are edited as numbers and read back as whole seconds.
    data->SetReal(RENDERSETTINGS_DISPLAY_PERIOD, 60.0f);
    data->SetReal(RENDERSETTINGS_IMAGE_SAVE_PERIOD, 300.0f);
    data->SetBool(RENDERSETTINGS_SAVE_UNTONEMAPPED_EXR, FALSE);
    data->SetBool(RENDERSETTINGS_SAVE_TONEMAPPED_EXR, FALSE);
    data->SetLong(RENDERSETTINGS_NUM_THREADS, GeGetCPUCount());
    data->SetBool(RENDERSETTINGS_CACHE_TREES, TRUE);
    data->SetBool(RENDERSETTINGS_OPTION_1359, FALSE);
    data->SetBool(RENDERSETTINGS_HYBRID, FALSE);
    data->SetLong(RENDERSETTINGS_BIH_TRI_THRESHOLD, 800);
    data->SetLong(RENDERSETTINGS_ENVIRONMENT, RENDERSETTINGS_ENVIRONMENT_NONE);
    data->SetReal(RENDERSETTINGS_TURBIDITY, 2.0f);
    data->SetBool(RENDERSETTINGS_EXTRA_ATMOSPHERIC, FALSE);
    data->SetReal(RENDERSETTINGS_HALT_SPP, -1.0f);
    data->SetBool(RENDERSETTINGS_AUTO_THREADS, TRUE);
    const BaseContainer* world = GetWorldContainerInstance();
    data->SetLong(RENDERSETTINGS_UNIT, UnitOfPreference(world ? world->GetLong(WPREF_UNITS_BASIC, 0) : 0));
    data->SetReal(RENDERSETTINGS_CUSTOM_SCALE, 1.0f);
    return TRUE;
  }

  Bool Message(GeListNode*, LONG, void*) override { return TRUE; }

  Bool GetDDescription(GeListNode* node, Description* description, LONG& flags) override {
    if (!description->LoadDescription(ID_RENDERSETTINGS)) return FALSE;
    const BaseContainer* data = static_cast<BaseVideoPost*>(node)->GetDataInstance();
    const LONG unit = data->GetLong(RENDERSETTINGS_UNIT, RENDERSETTINGS_UNIT_CM);
    SetHidden(description, RENDERSETTINGS_CUSTOM_SCALE, unit != RENDERSETTINGS_UNIT_CUSTOM);
    ShowEnvironment(description, data->GetLong(RENDERSETTINGS_ENVIRONMENT, 0));
    SetHidden(description, RENDERSETTINGS_NUM_THREADS, data->GetBool(RENDERSETTINGS_AUTO_THREADS, FALSE));
    const Bool advanced = data->GetBool(RENDERSETTINGS_ADVANCED, FALSE);
    for (LONG id : {RENDERSETTINGS_LARGE_MUTATION_PROB, RENDERSETTINGS_MAX_CHANGE, RENDERSETTINGS_MAX_REJECTIONS,
                    RENDERSETTINGS_MAX_DEPTH, RENDERSETTINGS_BIH_TRI_THRESHOLD})
      SetHidden(description, id, !advanced);
    flags |= DESCFLAGS_DESC_LOADED;
    return TRUE;
  }

  LONG GetRenderInfo(PluginVideoPost*) override { return 0; }
  LONG Execute(PluginVideoPost*, VideoPostStruct*) override { return 0; }

 private:
  static void ShowEnvironment(Description* description, LONG environment) {
    if (environment == RENDERSETTINGS_ENVIRONMENT_BACKGROUND) {
      SetHidden(description, RENDERSETTINGS_GROUP_BACKGROUND, FALSE);
      SetHidden(description, RENDERSETTINGS_GROUP_SKY, TRUE);
    } else if (environment == RENDERSETTINGS_ENVIRONMENT_SKY) {
      SetHidden(description, RENDERSETTINGS_GROUP_SKY, FALSE);
      SetHidden(description, RENDERSETTINGS_GROUP_BACKGROUND, TRUE);
    } else if (environment == RENDERSETTINGS_ENVIRONMENT_NONE) {
      SetHidden(description, RENDERSETTINGS_GROUP_SKY, TRUE);
      SetHidden(description, RENDERSETTINGS_GROUP_BACKGROUND, TRUE);
    }
  }
};

Bool RegisterRenderSettingsVP() {
  const String name = GeLoadString(IDS_RENDERSETTINGS);
  if (!name.Content()) return TRUE;
  return RegisterVideoPostPlugin(ID_RENDERSETTINGS, name, 0, RenderSettingsNode::Alloc, "oMyRenderSettings", 0, 100);
}
