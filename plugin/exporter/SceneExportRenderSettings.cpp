#include "helpers/HelpersLaunch.h"
#include "helpers/HelpersPaths.h"
#include "PluginIds.h"
#include "description/TCameraTag.h"
#include "description/oMyRenderSettings.h"
#include "exporter/KyranoSceneExporter.h"

namespace {

// Metres per host unit for the node's unit choice; false for an unknown choice.
bool SceneScaleOfUnit(const BaseContainer& rs, Real* scale) {
  switch (rs.GetLong(RENDERSETTINGS_UNIT, RENDERSETTINGS_UNIT_CM)) {
    case RENDERSETTINGS_UNIT_KM: *scale = 1000.0f; return true;
    case RENDERSETTINGS_UNIT_M: *scale = 1.0f; return true;
    case RENDERSETTINGS_UNIT_CM: *scale = 0.01f; return true;
    case RENDERSETTINGS_UNIT_MM: *scale = 0.001f; return true;
    case RENDERSETTINGS_UNIT_CUSTOM: *scale = rs.GetReal(RENDERSETTINGS_CUSTOM_SCALE, 0.0f); return true;
    default: return false;
  }
}

// The integrator choice as the renderer's two flags. An unknown choice keeps the renderer's
// plain defaults, the same as a scene without render settings.
void ModeFlags(LONG mode, int* metropolis, int* bidirectional) {
  *metropolis = 1;
  *bidirectional = 0;
  switch (mode) {
    case RENDERSETTINGS_MODE_PATH: *metropolis = 0; *bidirectional = 0; break;
    case RENDERSETTINGS_MODE_BIDIRECTIONAL: *metropolis = 0; *bidirectional = 1; break;
    case RENDERSETTINGS_MODE_METROPOLIS: *metropolis = 1; *bidirectional = 0; break;
    case RENDERSETTINGS_MODE_BIDIRECTIONAL_METROPOLIS: *metropolis = 1; *bidirectional = 1; break;
    default: break;
  }
}

// The camera response file relative to the renderer's folder, where the renderer looks for
// it. Without a renderer folder, or when the two paths give no relative form, the file name
// is written as stored.
String ResponseFunctionPath(const Filename& file) {
  Filename folder;
  if (!Helpers::GetKyranoExe(&folder, 0, 0)) return file.GetString();
  char* folderText = Helpers::StringToChar(folder.GetString());
  char* fileText = Helpers::StringToChar(file.GetString());
  const char* relative = folderText && fileText ? Helpers::GetRelativeFilename(folderText, fileText) : nullptr;
  const String path = relative ? String(relative) : file.GetString();
  delete[] folderText;
  delete[] fileText;
  return path;
}

}  // namespace

BaseContainer* KyranoSceneExporter::GetKyranoRenderSettingsData() {
  RenderData* rd = document ? document->GetActiveRenderData() : nullptr;
  if (!rd) return nullptr;
  for (BaseVideoPost* vp = rd->GetFirstVideoPost(); vp; vp = vp->GetNext())
    if (vp->GetType() == ID_RENDERSETTINGS && !vp->GetBit(BIT_VPDISABLED)) return vp->GetDataInstance();
  return nullptr;
}

Bool KyranoSceneExporter::SceneExportRenderSettings(TiXmlElement* settingsElement) {
  if (!renderSettings) {
    SceneExportBoolValue("metropolis", 1, settingsElement);
    SceneExportBoolValue("bidirectional", 0, settingsElement);
    return FALSE;
  }
  const BaseContainer& rs = *renderSettings;
  Real scale;
  if (SceneScaleOfUnit(rs, &scale)) sceneScale = scale;
  int metropolis, bidirectional;
  ModeFlags(rs.GetLong(RENDERSETTINGS_MODE, 0), &metropolis, &bidirectional);

  SceneExportBoolValue("metropolis", metropolis, settingsElement);
  if (rs.GetBool(RENDERSETTINGS_ADVANCED, FALSE) == TRUE) {
    SceneExportRealValue("large_mutation_prob", rs.GetReal(RENDERSETTINGS_LARGE_MUTATION_PROB, 0.0f), settingsElement);
    SceneExportRealValue("max_change", rs.GetReal(RENDERSETTINGS_MAX_CHANGE, 0.0f), settingsElement);
    SceneExportLongValue("max_num_consec_rejections", rs.GetLong(RENDERSETTINGS_MAX_REJECTIONS, 0), settingsElement);
    SceneExportLongValue("max_depth", rs.GetLong(RENDERSETTINGS_MAX_DEPTH, 0), settingsElement);
    SceneExportLongValue("bih_tri_threshold", rs.GetLong(RENDERSETTINGS_BIH_TRI_THRESHOLD, 0), settingsElement);
  }
  SceneExportRealValue("halt_time", rs.GetReal(RENDERSETTINGS_HALT_TIME, 0.0f), settingsElement);
  SceneExportRealValue("halt_samples_per_pixel", rs.GetReal(RENDERSETTINGS_HALT_SPP, 0.0f), settingsElement);
  SceneExportBoolValue("bidirectional", bidirectional, settingsElement);
  SceneExportBoolValue("hybrid", rs.GetBool(RENDERSETTINGS_HYBRID, FALSE), settingsElement);
  SceneExportBoolValue("logging", rs.GetBool(RENDERSETTINGS_LOGGING, FALSE), settingsElement);
  // Both periods are stored as numbers; the renderer takes whole seconds.
  SceneExportLongValue("display_period", rs.GetLong(RENDERSETTINGS_DISPLAY_PERIOD, 0), settingsElement);
  SceneExportLongValue("image_save_period", rs.GetLong(RENDERSETTINGS_IMAGE_SAVE_PERIOD, 0), settingsElement);
  SceneExportBoolValue("save_untonemapped_exr", rs.GetBool(RENDERSETTINGS_SAVE_UNTONEMAPPED_EXR, FALSE), settingsElement);
  SceneExportBoolValue("save_tonemapped_exr", rs.GetBool(RENDERSETTINGS_SAVE_TONEMAPPED_EXR, FALSE), settingsElement);
  SceneExportBoolValue("save_kyi", rs.GetBool(RENDERSETTINGS_SAVE_KYI, FALSE), settingsElement);
  const Bool autoThreads = rs.GetBool(RENDERSETTINGS_AUTO_THREADS, FALSE);
  SceneExportBoolValue("auto_choose_num_threads", autoThreads, settingsElement);
  if (!autoThreads) SceneExportLongValue("num_threads", rs.GetLong(RENDERSETTINGS_NUM_THREADS, 0), settingsElement);
  SceneExportBoolValue("cache_trees", rs.GetBool(RENDERSETTINGS_CACHE_TREES, FALSE), settingsElement);
  SceneExportBoolValue("polarisation", 0, settingsElement);
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportTonemapping() {
  // Without a camera tag the container is empty and every read gives its default.
  const BaseContainer& ct = cameraTagData;
  TiXmlElement* tonemapping = AppendElement("tonemapping", sceneElement);
  switch (ct.GetLong(CAMERATAG_TONEMAPPING, CAMERATAG_TONEMAPPING_REINHARD)) {
    case CAMERATAG_TONEMAPPING_LINEAR: {
      TiXmlElement* linear = AppendElement("linear", tonemapping);
      SceneExportRealValue("scale", ct.GetReal(CAMERATAG_TONE_SCALE, 0.0f), linear);
      break;
    }
    case CAMERATAG_TONEMAPPING_CAMERA: {
      TiXmlElement* camera = AppendElement("camera", tonemapping);
      SceneExportRealValue("film_iso", ct.GetReal(CAMERATAG_FILM_ISO, 0.0f), camera);
      SceneExportRealValue("ev_adjust", ct.GetReal(CAMERATAG_EV_ADJUST, 0.0f), camera);
      const Filename response = ct.GetFilename(CAMERATAG_RESPONSE_FUNCTION, Filename("Fileneme/not/set"));
      SceneExportStringValue("response_function_path", ResponseFunctionPath(response), camera);
      break;
    }
    default: {
      TiXmlElement* reinhard = AppendElement("reinhard", tonemapping);
      SceneExportRealValue("pre_scale", ct.GetReal(CAMERATAG_TONE_SCALE, 3.0f), reinhard);
      SceneExportRealValue("post_scale", ct.GetReal(CAMERATAG_POST_SCALE, 1.0f), reinhard);
      SceneExportRealValue("burn", ct.GetReal(CAMERATAG_BURN, 10.0f), reinhard);
      break;
    }
  }
  return TRUE;
}
