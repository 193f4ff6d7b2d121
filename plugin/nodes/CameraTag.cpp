#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"
#include "description/TCameraTag.h"

namespace {

// The display colour that marks a camera carrying the tag.
const Vector kTaggedCameraColor(0.29412f, 0.0f, 0.5098f);

void SetHidden(Description* description, LONG id, Bool hide) {
  if (BaseContainer* bc = description->GetParameterI(DescLevel(id), nullptr)) bc->SetBool(DESC_HIDE, hide);
}

void SetDisplayColor(BaseObject* op, LONG use, const Vector& color) {
  op->SetParameter(DescID(ID_BASEOBJECT_USECOLOR), GeData(use));
  op->SetParameter(DescID(ID_BASEOBJECT_COLOR), GeData(color));
  op->SetParameter(DescID(ID_BASEOBJECT_XRAY), GeData(LONG(FALSE)));
}

// The camera that carries the tag, or null. Free runs while the host takes the tag apart,
// so the object is found through the list the node sits in rather than through the tag.
BaseObject* CameraOf(GeListNode* node) {
  GeListHead* head = node->GetListHead();
  GeListNode* owner = head ? head->GetOwner() : nullptr;
  if (!owner || owner->GetClassification() != Obase || owner->GetType() != Ocamera) return nullptr;
  return static_cast<BaseObject*>(owner);
}

}  // namespace

// The renderer's camera and image settings on the host camera the scene renders through.
class CameraTag : public TagData {
 public:
  static NodeData* Alloc() { return new CameraTag; }

  Bool Init(GeListNode* node) override {
    BaseContainer* data = static_cast<BaseTag*>(node)->GetDataInstance();
    data->SetLong(CAMERATAG_WHITE_BALANCE, CAMERATAG_WB_D65);
    data->SetBool(CAMERATAG_AUTOFOCUS, TRUE);
    data->SetReal(CAMERATAG_EXPOSURE_DURATION, 0.05f);  // seconds
    data->SetLong(CAMERATAG_APERTURE, CAMERATAG_APERTURE_F16);
    data->SetReal(CAMERATAG_FILM_ISO, 400.0f);
    data->SetReal(CAMERATAG_EV_ADJUST, 0.0f);
    data->SetLong(CAMERATAG_TONEMAPPING, CAMERATAG_TONEMAPPING_REINHARD);
    data->SetReal(CAMERATAG_TONE_SCALE, 3.0f);
    data->SetReal(CAMERATAG_POST_SCALE, 1.0f);
    data->SetReal(CAMERATAG_BURN, 10.0f);
    data->SetLong(CAMERATAG_SUPERSAMPLE, 1);
    data->SetBool(CAMERATAG_WATERMARK, FALSE);
    data->SetBool(CAMERATAG_INFO_OVERLAY, FALSE);
    data->SetLong(CAMERATAG_APERTURE_SHAPE, CAMERATAG_APERTURE_SHAPE_GENERATED);
    data->SetLong(CAMERATAG_NUM_BLADES, 6);
    data->SetReal(CAMERATAG_BLADE_OFFSET, 0.4f);
    data->SetReal(CAMERATAG_BLADE_CURVATURE, 3.0f);
    data->SetReal(CAMERATAG_START_ANGLE, 0.2f);
    data->SetLong(CAMERATAG_SPLAT_FILTER, CAMERATAG_FILTER_MITCHELL);
    data->SetLong(CAMERATAG_DOWNSIZE_FILTER, CAMERATAG_FILTER_MITCHELL);
    data->SetLong(CAMERATAG_DIFFRACTION, CAMERATAG_DIFFRACTION_POST);
    data->SetReal(CAMERATAG_SPLAT_RING, 0.333f);
    data->SetReal(CAMERATAG_SPLAT_BLUR, 0.333f);
    data->SetReal(CAMERATAG_DOWNSIZE_RING, 0.333f);
    data->SetReal(CAMERATAG_DOWNSIZE_BLUR, 0.333f);
    data->SetBool(CAMERATAG_RENDER_REGION, FALSE);
    data->SetLong(CAMERATAG_REGION_X1, 0);  // pixels of the rendered image
    data->SetLong(CAMERATAG_REGION_Y1, 0);
    data->SetLong(CAMERATAG_REGION_X2, 150);
    data->SetLong(CAMERATAG_REGION_Y2, 150);
    // Relative to the renderer's folder, where the renderer ships its response functions.
    data->SetFilename(CAMERATAG_RESPONSE_FUNCTION, Filename("data/camera_response_functions/Advantix-100CD.txt"));
    return TRUE;
  }

  // Taking the tag off gives the camera back its plain display colour.
  void Free(GeListNode* node) override {
    if (BaseObject* camera = CameraOf(node)) SetDisplayColor(camera, ID_BASEOBJECT_USECOLOR_OFF, Vector(1, 1, 1));
  }

  Bool GetDDescription(GeListNode* node, Description* description, LONG& flags) override {
    if (!description->LoadDescription(ID_CAMERATAG)) return FALSE;
    const BaseContainer* data = static_cast<BaseTag*>(node)->GetDataInstance();
    ShowToneMapping(description, data->GetLong(CAMERATAG_TONEMAPPING, 0));
    ShowApertureShape(description, data->GetLong(CAMERATAG_APERTURE_SHAPE, 0));
    const Bool splatCubic = data->GetLong(CAMERATAG_SPLAT_FILTER, 0) == CAMERATAG_FILTER_MITCHELL;
    SetHidden(description, CAMERATAG_SPLAT_RING, !splatCubic);
    SetHidden(description, CAMERATAG_SPLAT_BLUR, !splatCubic);
    const Bool downsizeCubic = data->GetLong(CAMERATAG_DOWNSIZE_FILTER, 0) == CAMERATAG_FILTER_MITCHELL;
    SetHidden(description, CAMERATAG_DOWNSIZE_RING, !downsizeCubic);
    SetHidden(description, CAMERATAG_DOWNSIZE_BLUR, !downsizeCubic);
    SetHidden(description, CAMERATAG_GROUP_REGION, !data->GetBool(CAMERATAG_RENDER_REGION, FALSE));
    ShowDiffraction(description, data);
    if (BaseObject* camera = CameraOf(node)) SetDisplayColor(camera, ID_BASEOBJECT_USECOLOR_ALWAYS, kTaggedCameraColor);
    flags |= DESCFLAGS_DESC_LOADED;
    return TRUE;
  }

  // Outlines the render region on the view that renders through the tagged camera.
  Bool Draw(PluginTag* tag, BaseObject* op, BaseDraw* bd, BaseDrawHelp*) override {
    const BaseContainer data = tag->GetData();
    if (!data.GetBool(CAMERATAG_RENDER_REGION, FALSE)) return TRUE;
    if (!op || op->GetType() != Ocamera || !bd) return TRUE;
    if (bd->GetSceneCamera(bd->GetDocument()) != op) return TRUE;
    BaseDocument* doc = tag->GetDocument();
    RenderData* rd = doc ? doc->GetActiveRenderData() : nullptr;
    const BaseContainer* renderData = rd ? rd->GetDataInstance() : nullptr;
    if (!renderData) return FALSE;
    DrawRenderRegion(data, *renderData, bd);
    return TRUE;
  }

  LONG Execute(PluginTag*, BaseDocument*, BaseObject*, BaseThread*, LONG, LONG) override { return EXECUTION_RESULT_OK; }

 private:
  static void ShowToneMapping(Description* description, LONG toneMapping) {
    if (toneMapping == CAMERATAG_TONEMAPPING_REINHARD) {
      SetHidden(description, CAMERATAG_POST_SCALE, FALSE);
      SetHidden(description, CAMERATAG_BURN, FALSE);
      SetHidden(description, CAMERATAG_GROUP_RESPONSE, TRUE);
    } else if (toneMapping == CAMERATAG_TONEMAPPING_CAMERA) {
      SetHidden(description, CAMERATAG_GROUP_TONE, TRUE);
      SetHidden(description, CAMERATAG_GROUP_RESPONSE, FALSE);
    } else if (toneMapping == CAMERATAG_TONEMAPPING_LINEAR) {
      SetHidden(description, CAMERATAG_POST_SCALE, TRUE);
      SetHidden(description, CAMERATAG_BURN, TRUE);
      SetHidden(description, CAMERATAG_GROUP_RESPONSE, TRUE);
    }
  }

  static void ShowApertureShape(Description* description, LONG shape) {
    if (shape == CAMERATAG_APERTURE_SHAPE_GENERATED) {
      SetHidden(description, CAMERATAG_GROUP_GENERATED, FALSE);
      SetHidden(description, CAMERATAG_GROUP_IMAGE, TRUE);
    } else if (shape == CAMERATAG_APERTURE_SHAPE_IMAGE) {
      SetHidden(description, CAMERATAG_GROUP_GENERATED, TRUE);
      SetHidden(description, CAMERATAG_GROUP_IMAGE, FALSE);
    } else if (shape == CAMERATAG_APERTURE_SHAPE_CIRCULAR) {
      SetHidden(description, CAMERATAG_GROUP_GENERATED, TRUE);
      SetHidden(description, CAMERATAG_GROUP_IMAGE, TRUE);
    }
  }

  // The obstacle map only applies to aperture diffraction; its file only when it is on.
  static void ShowDiffraction(Description* description, const BaseContainer* data) {
    if (data->GetLong(CAMERATAG_DIFFRACTION, 0) == CAMERATAG_DIFFRACTION_APERTURE) {
      SetHidden(description, CAMERATAG_OBSTACLE_MAP, FALSE);
      SetHidden(description, CAMERATAG_OBSTACLE_MAP_FILE, !data->GetBool(CAMERATAG_OBSTACLE_MAP, FALSE));
    } else {
      SetHidden(description, CAMERATAG_OBSTACLE_MAP, TRUE);
      SetHidden(description, CAMERATAG_OBSTACLE_MAP_FILE, TRUE);
    }
  }

  // The region is given in pixels of the rendered image; the safe frame shows where that
  // image lies in the view, along the range it bounds, and the view's frame gives the scale
  // along the other.
  static void DrawRenderRegion(const BaseContainer& data, const BaseContainer& renderData, BaseDraw* bd) {
    const LONG width = renderData.GetLong(RDATA_XRES, 0);
    const LONG height = renderData.GetLong(RDATA_YRES, 0);
    // A render resolution without pixels has no region to show.
    if (width <= 0 || height <= 0) return;
    LONG left, top, right, bottom;
    bd->GetFrame(&left, &top, &right, &bottom);
    LONG from, to, orientation;
    bd->GetSafeFrame(&from, &to, &orientation);
    Real x1 = Real(data.GetLong(CAMERATAG_REGION_X1, 10));
    Real x2 = Real(data.GetLong(CAMERATAG_REGION_X2, 10));
    Real y1 = Real(data.GetLong(CAMERATAG_REGION_Y1, 20));
    Real y2 = Real(data.GetLong(CAMERATAG_REGION_Y2, 20));
    bd->SetPen(Vector(1, 0, 0));
    const Real offset = 1.0f;
    if (orientation == SAFEFRAME_VERTICAL) {
      const Real sx = Real(right) / Real(width), sy = Real(to - from) / Real(height);
      x1 *= sx;
      x2 *= sx;
      y1 = y1 * sy + Real(from) + offset;
      y2 = y2 * sy + Real(from) + offset;
    } else if (orientation == SAFEFRAME_HORIZONTAL) {
      const Real sx = Real(to - from) / Real(width), sy = Real(bottom) / Real(height);
      x1 = x1 * sx + Real(from) + offset;
      x2 = x2 * sx + Real(from) + offset;
      y1 *= sy;
      y2 *= sy;
    }
    bd->Line2D(Vector(x1, y1, 0), Vector(x2, y1, 0));
    bd->Line2D(Vector(x2, y1, 0), Vector(x2, y2, 0));
    bd->Line2D(Vector(x2, y2, 0), Vector(x1, y2, 0));
    bd->Line2D(Vector(x1, y2, 0), Vector(x1, y1, 0));
  }
};

Bool RegisterCameraTag() { return RegisterNamedTag(ID_CAMERATAG, IDS_CAMERATAG, TAG_VISIBLE, CameraTag::Alloc, "TCameraTag", "CameraTag.tif"); }
