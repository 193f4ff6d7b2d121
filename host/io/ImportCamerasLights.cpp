#include "ImportCamerasLights.h"

#include <assimp/camera.h>
#include <assimp/light.h>

#include <algorithm>
#include <cmath>

#include "ImportAxes.h"

namespace host {
namespace import {

namespace {

// Host light parameters.
enum : LONG {
  LIGHT_COLOR = 90000,       // Vector
  LIGHT_BRIGHTNESS = 90001,  // Real, 1 = 100 %
  LIGHT_TYPE = 90002,        // LONG: the kinds below
  LIGHT_AREA_SIZEX = 100010,
  LIGHT_AREA_SIZEY = 100011,
  LIGHT_AREA_SIZEZ = 100012,
  LIGHT_AREA_SHAPE = 100015,  // LONG: 1 rectangle
};
enum : LONG { LIGHT_TYPE_OMNI = 0, LIGHT_TYPE_SPOT = 1, LIGHT_TYPE_DISTANT = 3, LIGHT_TYPE_AREA = 8 };
enum : LONG { LIGHT_AREA_SHAPE_RECTANGLE = 1 };

const Real kFilmWidth = 36.0f;  // millimetres, the host's default film

bool Finite(const aiVector3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

Vector AnyPerpendicular(const Vector& n) {
  const Vector helper = std::fabs(n.x) < 0.9f ? Vector(1, 0, 0) : Vector(0, 1, 0);
  return !(n % helper);
}

}  // namespace

Matrix ViewFrame(const aiVector3D& position, const aiVector3D& direction, const aiVector3D& up, Real unit) {
  Vector z = Finite(direction) ? !HostDirection(direction) : Vector();
  if (Len(z) < 0.5f) z = Vector(0, 0, 1);
  Vector y = Finite(up) ? HostDirection(up) : Vector(0, 1, 0);
  y = y - z * (z * y);
  y = Len(y) > 1e-6f ? !y : AnyPerpendicular(z);
  // In the host's left-handed axes x = y % z completes a rotation.
  return Matrix(Finite(position) ? HostPoint(position, unit) : Vector(), y % z, y, z);
}

Matrix CameraFrame(const aiCamera& cam, Real unit, bool atNodeOrigin) {
  return ViewFrame(atNodeOrigin ? aiVector3D() : cam.mPosition, cam.mLookAt, cam.mUp, unit);
}

Matrix LightFrame(const aiLight& light, Real unit, bool atNodeOrigin) {
  return ViewFrame(atNodeOrigin ? aiVector3D() : light.mPosition, light.mDirection, light.mUp, unit);
}

BaseObject* MakeCamera(const aiCamera& cam, const ImportContext& ctx, const std::string& where) {
  BaseObject* op = BaseObject::Alloc(Ocamera);
  if (!op) ctx.Fail(where, "the host could not make a camera");
  BaseContainer* bc = op->GetDataInstance();
  // Assimp's readers hand out the full horizontal angle of view.
  Real fov = cam.mHorizontalFOV;
  if (ctx.fovIsVerticalTimesAspect && cam.mAspect > 0 && std::isfinite(cam.mAspect))
    fov = 2 * std::atan(cam.mAspect * std::tan(fov / cam.mAspect * 0.5f));
  if (cam.mOrthographicWidth > 0) {
    ctx.Warn(where, "orthographic camera imported as a perspective camera with the host's default lens");
  } else if (std::isfinite(fov) && fov > 1e-4f && fov < pi - 1e-4f) {
    bc->SetReal(CAMERAOBJECT_APERTURE, kFilmWidth);
    bc->SetReal(CAMERA_FOCUS, kFilmWidth * 0.5f / std::tan(fov * 0.5f));
  } else {
    ctx.Warn(where, "the camera's field of view is not usable; the host's default lens is kept");
  }
  return op;
}

BaseObject* MakeLight(const aiLight& light, Real unit, const ImportContext& ctx, const std::string& where) {
  LONG type;
  switch (light.mType) {
    case aiLightSource_POINT: type = LIGHT_TYPE_OMNI; break;
    case aiLightSource_SPOT: type = LIGHT_TYPE_SPOT; break;
    case aiLightSource_AREA: type = LIGHT_TYPE_AREA; break;
    case aiLightSource_DIRECTIONAL: type = LIGHT_TYPE_DISTANT; break;
    default:
      ctx.Warn(where, "ambient or undefined light left out: the host has no object for it");
      return nullptr;
  }
  BaseObject* op = BaseObject::Alloc(Olight);
  if (!op) ctx.Fail(where, "the host could not make a light");
  BaseContainer* bc = op->GetDataInstance();
  bc->SetLong(LIGHT_TYPE, type);
  // The file's colour carries the intensity; the host keeps a colour of at most 1 and a
  // brightness.
  const aiColor3D& c = light.mColorDiffuse;
  if (std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b)) {
    const Real r = std::max(0.0f, Real(c.r)), g = std::max(0.0f, Real(c.g)), b = std::max(0.0f, Real(c.b));
    const Real m = std::max(r, std::max(g, b));
    bc->SetVector(LIGHT_COLOR, m > 0 ? Vector(r / m, g / m, b / m) : Vector(1, 1, 1));
    bc->SetReal(LIGHT_BRIGHTNESS, m);
  } else {
    ctx.Warn(where, "the light's colour is not a number; white at 100 % is used");
  }
  if (type == LIGHT_TYPE_AREA) {
    const Real sx = std::isfinite(light.mSize.x) ? std::fabs(light.mSize.x) * unit : 0;
    const Real sy = std::isfinite(light.mSize.y) ? std::fabs(light.mSize.y) * unit : 0;
    const bool sized = sx > 0 && sy > 0;
    if (!sized) ctx.Warn(where, "the area light has no size; 1 m by 1 m is used");
    bc->SetReal(LIGHT_AREA_SIZEX, sized ? sx : 1.0f);
    bc->SetReal(LIGHT_AREA_SIZEY, sized ? sy : 1.0f);
    bc->SetReal(LIGHT_AREA_SIZEZ, 0.0f);
    bc->SetLong(LIGHT_AREA_SHAPE, LIGHT_AREA_SHAPE_RECTANGLE);
  }
  return op;
}

}  // namespace import
}  // namespace host
