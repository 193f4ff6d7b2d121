#include <cmath>

#include "PluginIds.h"
#include "description/TCameraTag.h"
#include "exporter/KyranoSceneExporter.h"

namespace {

// The f-number of an aperture choice; the host stores 1.4, 2.8 and 5.6 in single precision,
// and the aperture radius is computed from exactly those values.
double FNumber(LONG aperture) {
  switch (aperture) {
    case CAMERATAG_APERTURE_F1: return 1.0;
    case CAMERATAG_APERTURE_F1_4: return double(1.4f);
    case CAMERATAG_APERTURE_F2: return 2.0;
    case CAMERATAG_APERTURE_F2_8: return double(2.8f);
    case CAMERATAG_APERTURE_F4: return 4.0;
    case CAMERATAG_APERTURE_F5_6: return double(5.6f);
    case CAMERATAG_APERTURE_F8: return 8.0;
    case CAMERATAG_APERTURE_F11: return 11.0;
    case CAMERATAG_APERTURE_F16: return 16.0;
    case CAMERATAG_APERTURE_F22: return 22.0;
    case CAMERATAG_APERTURE_F32: return 32.0;
    case CAMERATAG_APERTURE_F45: return 45.0;
    case CAMERATAG_APERTURE_F64: return 64.0;
    default: return 8.0;
  }
}

// The renderer's name of a white point; empty for an unknown choice.
const char* WhiteBalanceName(LONG whiteBalance) {
  switch (whiteBalance) {
    case CAMERATAG_WB_E: return "E";
    case CAMERATAG_WB_D50: return "D50";
    case CAMERATAG_WB_D55: return "D55";
    case CAMERATAG_WB_D65: return "D65";
    case CAMERATAG_WB_D75: return "D75";
    case CAMERATAG_WB_A: return "A";
    case CAMERATAG_WB_B: return "B";
    case CAMERATAG_WB_C: return "C";
    case CAMERATAG_WB_9300: return "9300";
    case CAMERATAG_WB_F2: return "F2";
    case CAMERATAG_WB_F7: return "F7";
    case CAMERATAG_WB_F11: return "F11";
    default: return "";
  }
}

// Distance from lens to sensor (metres) that gives the camera's field of view on a sensor of
// the given width: the host's horizontal field of view from film width and focal length
// (millimetres), with the single- and double-precision steps the renderer's scenes were
// always written with. A camera without focal length or film has no field of view; 0 is
// written then.
Real LensSensorDistance(Real sensorWidth, Real filmWidth, Real focalLength) {
  const Real halfFilm = filmWidth * 0.5f;
  if (focalLength == 0.0f || halfFilm == 0.0f) return 0.0f;
  const Real quotient = halfFilm / focalLength;
  const Real fov = Real(2.0 * std::atan(double(quotient)));
  const double t = std::tan(double(fov) * 0.5);
  if (t == 0.0) return 0.0f;
  return Real(double(sensorWidth) / (2.0 * t));
}

// The image width over its height; 1 for an image without pixels, so that the values
// derived from it stay finite.
Real AspectRatio(LONG width, LONG height) {
  if (width <= 0 || height <= 0) return 1.0f;
  return Real(width) / Real(height);
}

}  // namespace

void KyranoSceneExporter::GetSceneCameraData() {
  BaseDraw* view = document ? document->GetRenderBaseDraw() : nullptr;
  sceneCamera = view ? view->GetSceneCamera(document) : nullptr;
  if (!sceneCamera) return;
  cameraData = sceneCamera->GetData();
  BaseTag* tag = sceneCamera->GetTag(ID_CAMERATAG);
  if (!tag) return;
  cameraTagData = tag->GetData();
  hasCameraTag = 1;
}

namespace {

// A filter element holding the chosen filter; empty for an unknown choice.
void ExportFilter(KyranoSceneExporter& ex, const char* name, const BaseContainer& tag, LONG filterId, LONG ringId,
                  LONG blurId, TiXmlElement* parent) {
  TiXmlElement* filter = ex.AppendElement(name, parent);
  switch (tag.GetLong(filterId, 0)) {
    case CAMERATAG_FILTER_BOX: ex.AppendElement("box", filter); break;
    case CAMERATAG_FILTER_GAUSSIAN: ex.AppendElement("gaussian", filter); break;
    case CAMERATAG_FILTER_MITCHELL: {
      TiXmlElement* cubic = ex.AppendElement("mn_cubic", filter);
      ex.SceneExportRealValue("ring", tag.GetReal(ringId, 0.0f), cubic);
      ex.SceneExportRealValue("blur", tag.GetReal(blurId, 0.0f), cubic);
      break;
    }
    default: break;
  }
}

// The camera tag's image settings, appended to the renderer settings.
void ExportImageSettings(KyranoSceneExporter& ex, const BaseContainer& tag, TiXmlElement* settings) {
  const LONG diffraction = tag.GetLong(CAMERATAG_DIFFRACTION, CAMERATAG_DIFFRACTION_POST);
  ex.SceneExportBoolValue("aperture_diffraction", diffraction == CAMERATAG_DIFFRACTION_APERTURE, settings);
  ex.SceneExportBoolValue("post_process_diffraction", diffraction == CAMERATAG_DIFFRACTION_POST, settings);
  ex.SceneExportLongValue("super_sample_factor", tag.GetLong(CAMERATAG_SUPERSAMPLE, 1), settings);
  ExportFilter(ex, "splat_filter", tag, CAMERATAG_SPLAT_FILTER, CAMERATAG_SPLAT_RING, CAMERATAG_SPLAT_BLUR, settings);
  ExportFilter(ex, "downsize_filter", tag, CAMERATAG_DOWNSIZE_FILTER, CAMERATAG_DOWNSIZE_RING, CAMERATAG_DOWNSIZE_BLUR, settings);
  ex.SceneExportBoolValue("watermark", tag.GetBool(CAMERATAG_WATERMARK, FALSE), settings);
  ex.SceneExportBoolValue("info_overlay", tag.GetBool(CAMERATAG_INFO_OVERLAY, FALSE), settings);
  if (tag.GetBool(CAMERATAG_RENDER_REGION, FALSE)) {
    TiXmlElement* region = ex.AppendElement("render_region", settings);
    ex.SceneExportLongValue("x1", tag.GetLong(CAMERATAG_REGION_X1, 0), region);
    ex.SceneExportLongValue("x2", tag.GetLong(CAMERATAG_REGION_X2, 0), region);
    ex.SceneExportLongValue("y1", tag.GetLong(CAMERATAG_REGION_Y1, 0), region);
    ex.SceneExportLongValue("y2", tag.GetLong(CAMERATAG_REGION_Y2, 0), region);
  }
}

void ExportApertureShape(KyranoSceneExporter& ex, const BaseContainer& tag, TiXmlElement* camera) {
  TiXmlElement* shape = ex.AppendElement("aperture_shape", camera);
  switch (tag.GetLong(CAMERATAG_APERTURE_SHAPE, CAMERATAG_APERTURE_SHAPE_CIRCULAR)) {
    case CAMERATAG_APERTURE_SHAPE_GENERATED: {
      TiXmlElement* generated = ex.AppendElement("generated", shape);
      ex.SceneExportLongValue("num_blades", tag.GetLong(CAMERATAG_NUM_BLADES, 0), generated);
      ex.SceneExportRealValue("blade_offset", tag.GetReal(CAMERATAG_BLADE_OFFSET, 0.0f), generated);
      ex.SceneExportRealValue("blade_curvature_radius", tag.GetReal(CAMERATAG_BLADE_CURVATURE, 0.0f), generated);
      ex.SceneExportRealValue("start_angle", tag.GetReal(CAMERATAG_START_ANGLE, 0.0f), generated);
      break;
    }
    case CAMERATAG_APERTURE_SHAPE_IMAGE: {
      TiXmlElement* image = ex.AppendElement("image", shape);
      ex.SceneExportStringValue("path", tag.GetFilename(CAMERATAG_APERTURE_IMAGE, Filename("element not found")).GetString(), image);
      break;
    }
    case CAMERATAG_APERTURE_SHAPE_CIRCULAR: ex.AppendElement("circular", shape); break;
    default: break;
  }
}

}  // namespace

Bool KyranoSceneExporter::SceneExportCamera(TiXmlElement* settingsElement) {
  const BaseContainer& tag = cameraTagData;
  const BaseContainer& cam = cameraData;
  TiXmlElement* camera = AppendElement("camera", sceneElement);
  if (hasCameraTag == 1) ExportImageSettings(*this, tag, settingsElement);

  // Without render data the image has no size.
  RenderData* rd = document ? document->GetActiveRenderData() : nullptr;
  const LONG width = rd ? rd->GetDataInstance()->GetLong(RDATA_XRES, 0) : 0;
  const LONG height = rd ? rd->GetDataInstance()->GetLong(RDATA_YRES, 0) : 0;
  SceneExportLongValue("width", width, settingsElement);
  SceneExportLongValue("height", height, settingsElement);

  const Real aspect = AspectRatio(width, height);
  SceneExportRealValue("aspect_ratio", aspect, camera);
  if (hasCameraTag == 1) exposureDuration = tag.GetReal(CAMERATAG_EXPOSURE_DURATION, 0.0f);
  SceneExportRealValue("exposure_duration", exposureDuration, camera);

  // Placement: the renderer's axes are the host's with y and z exchanged, so the camera's
  // y axis is up and its z axis looks forwards. Without a scene camera there is nothing to
  // place.
  if (sceneCamera && SceneExportObjectMotionBlur(camera, sceneCamera)) {
    SceneExportStringValue("up", "0 0 1", camera);
    SceneExportStringValue("forwards", "0 1 0", camera);
  } else if (sceneCamera) {
    const Matrix mg = sceneCamera->GetMg();
    SceneExportVectorValue("pos", mg.off * sceneScale, camera, 1);
    SceneExportVectorValue("up", mg.v2, camera, 1);
    SceneExportVectorValue("forwards", mg.v3, camera, 1);
  }

  SceneExportRealValue("focus_distance", cam.GetReal(CAMERAOBJECT_TARGETDISTANCE, 0.0f) * sceneScale, camera);
  // Film width in millimetres, sensor width in metres.
  const Real sensorWidth = hasCameraTag == 1 ? Real(double(cam.GetReal(CAMERAOBJECT_APERTURE, 36.0f)) * 0.001) : 0.036f;
  SceneExportRealValue("sensor_width", sensorWidth, camera);
  const Real lensSensorDistance =
      LensSensorDistance(sensorWidth, cam.GetReal(CAMERAOBJECT_APERTURE, 0.0f), cam.GetReal(CAMERA_FOCUS, 0.0f));
  SceneExportRealValue("lens_sensor_dist", lensSensorDistance, camera);
  const double fNumber = hasCameraTag == 1 ? FNumber(tag.GetLong(CAMERATAG_APERTURE, 0)) : 8.0;
  SceneExportRealValue("aperture_radius", Real(double(lensSensorDistance) / (2.0 * fNumber)), camera);
  ExportApertureShape(*this, tag, camera);
  if (tag.GetLong(CAMERATAG_DIFFRACTION, CAMERATAG_DIFFRACTION_NONE) == CAMERATAG_DIFFRACTION_APERTURE &&
      tag.GetBool(CAMERATAG_OBSTACLE_MAP, FALSE)) {
    TiXmlElement* obstacle = AppendElement("obstacle_map", camera);
    SceneExportStringValue("path", tag.GetFilename(CAMERATAG_OBSTACLE_MAP_FILE, Filename("element not found")).GetString(), obstacle);
  }
  SceneExportStringValue("white_balance", hasCameraTag == 1 ? WhiteBalanceName(tag.GetLong(CAMERATAG_WHITE_BALANCE, 0)) : "D65", camera);
  if (hasCameraTag != 1 || tag.GetBool(CAMERATAG_AUTOFOCUS, FALSE)) AppendElement("autofocus", camera);
  // Film offsets are fractions of the film width; the vertical one is measured downwards.
  SceneExportRealValue("lens_shift_up_distance", -cam.GetReal(CAMERAOBJECT_FILM_OFFSET_Y, 0.0f) * (sensorWidth / aspect), camera);
  SceneExportRealValue("lens_shift_right_distance", sensorWidth * cam.GetReal(CAMERAOBJECT_FILM_OFFSET_X, 0.0f), camera);
  return TRUE;
}
