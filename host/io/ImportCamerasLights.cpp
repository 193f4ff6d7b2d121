#include "ImportCamerasLights.h"

#include <assimp/camera.h>
#include <assimp/light.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "ImportAxes.h"
#include "ThreeDsCameras.h"

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

// Cameras (and lights, with `lights`) whose reader left the default +z, or no direction, look
// down -z.
void LookDownMinusZ(aiScene& scene, bool cameras, bool lights) {
  for (unsigned i = 0; cameras && scene.mCameras && i < scene.mNumCameras; i++)
    if (aiCamera* c = scene.mCameras[i]; c && c->mLookAt == aiVector3D(0, 0, 1)) c->mLookAt = aiVector3D(0, 0, -1);
  for (unsigned i = 0; lights && scene.mLights && i < scene.mNumLights; i++)
    if (aiLight* l = scene.mLights[i]; l && l->mDirection == aiVector3D()) l->mDirection = aiVector3D(0, 0, -1);
}

void LeaveCamerasOut(aiScene& scene, const ImportContext& ctx) {
  for (unsigned i = 0; scene.mCameras && i < scene.mNumCameras; i++) {
    if (!scene.mCameras[i]) continue;
    ctx.Warn("camera \"" + std::string(scene.mCameras[i]->mName.C_Str()) + "\"",
             "the reader gives the camera no direction and puts it at the origin; it is left out");
    delete scene.mCameras[i];
  }
  delete[] scene.mCameras;
  scene.mCameras = nullptr;
  scene.mNumCameras = 0;
}

aiNodeAnim* ChannelOf(aiScene& scene, const aiString& node) {
  // The import animates with the file's first animation only.
  aiAnimation* anim = scene.mAnimations && scene.mNumAnimations ? scene.mAnimations[0] : nullptr;
  for (unsigned i = 0; anim && anim->mChannels && i < anim->mNumChannels; i++)
    if (anim->mChannels[i] && anim->mChannels[i]->mNodeName == node) return anim->mChannels[i];
  return nullptr;
}

// The rotation from the file's axes (below the root, which turns them y up) into the node's
// parent's: the parents' matrices, as they stand, inverted.
aiMatrix3x3 IntoParent(const aiNode& node, const aiNode* root) {
  aiMatrix4x4 m;
  for (const aiNode* up = node.mParent; up && up != root; up = up->mParent) m = up->mTransformation * m;
  return aiMatrix3x3(m.Inverse());
}

// A 3DS camera's axes in its parent's space at a frame: z at the target, y the file's up (z)
// turned about z by the roll, x completing them right-handed. False when the camera stands on
// its target.
bool ThreeDsAxes(const ThreeDsCamera& cam, double frame, const aiMatrix3x3& intoParent, aiMatrix3x3* axes) {
  const aiVector3D position = cam.positionKeys.empty() ? cam.position : TrackValue(cam.positionKeys, frame);
  const aiVector3D target = cam.targetKeys.empty() ? cam.target : TrackValue(cam.targetKeys, frame);
  const float roll = cam.rollKeys.empty() ? cam.roll : TrackValue(cam.rollKeys, frame).x;
  aiVector3D z = intoParent * (target - position);
  if (!(z.Length() > 1e-6f) || !std::isfinite(z.Length())) return false;
  z.Normalize();
  aiVector3D y = intoParent * aiVector3D(0, 0, 1);
  y -= z * (z * y);
  if (!(y.Length() > 1e-6f)) y = std::fabs(z.x) < 0.9f ? aiVector3D(1, 0, 0) - z * z.x : aiVector3D(0, 1, 0) - z * z.y;
  y.Normalize();
  const float a = std::isfinite(roll) ? roll * float(pi) / 180.0f : 0.0f;
  y = y * std::cos(a) + (z ^ y) * std::sin(a);
  const aiVector3D x = y ^ z;
  *axes = aiMatrix3x3(x.x, y.x, z.x, x.y, y.y, z.y, x.z, y.z, z.z);
  return true;
}

// The frames the camera's aim is keyed at: every whole frame from the first key of its node,
// position, target or roll to the last (so that it follows the target between keys too), and
// every key.
std::vector<double> KeyFrames(const aiNodeAnim& channel, const ThreeDsCamera& cam) {
  const double kMaxKeys = 10000;
  std::set<double> frames;
  for (unsigned k = 0; channel.mPositionKeys && k < channel.mNumPositionKeys; k++) frames.insert(channel.mPositionKeys[k].mTime);
  for (const auto* track : {&cam.positionKeys, &cam.targetKeys, &cam.rollKeys})
    for (const ThreeDsKey& key : *track) frames.insert(key.frame);
  if (frames.empty()) frames.insert(0);
  const double first = *frames.begin(), last = *frames.rbegin();
  if (last - first <= kMaxKeys)
    for (double f = std::ceil(first); f < last; f += 1) frames.insert(f);
  return std::vector<double>(frames.begin(), frames.end());
}

void AimThreeDsCameras(aiScene& scene, const std::string& path) {
  const std::map<std::string, ThreeDsCamera> cameras = ReadThreeDsCameras(path);
  for (unsigned i = 0; scene.mCameras && i < scene.mNumCameras; i++) {
    aiCamera* c = scene.mCameras[i];
    const auto found = c ? cameras.find(c->mName.C_Str()) : cameras.end();
    aiNode* node = found != cameras.end() && scene.mRootNode ? scene.mRootNode->FindNode(c->mName) : nullptr;
    if (!node) continue;
    const aiMatrix3x3 intoParent = IntoParent(*node, scene.mRootNode);
    aiNodeAnim* channel = ChannelOf(scene, c->mName);
    aiMatrix3x3 axes;
    if (channel) {
      // The node turns: its rotation keys aim it, and the camera looks down its +z.
      std::vector<aiQuatKey> keys;
      for (double frame : KeyFrames(*channel, found->second))
        if (ThreeDsAxes(found->second, frame, intoParent, &axes)) keys.emplace_back(frame, aiQuaternion(axes));
      if (keys.empty()) continue;
      delete[] channel->mRotationKeys;
      channel->mRotationKeys = new aiQuatKey[keys.size()];
      std::copy(keys.begin(), keys.end(), channel->mRotationKeys);
      channel->mNumRotationKeys = unsigned(keys.size());
      c->mLookAt = aiVector3D(0, 0, 1);
      c->mUp = aiVector3D(0, 1, 0);
    } else {
      const double frame = found->second.positionKeys.empty() ? 0.0 : found->second.positionKeys.front().frame;
      if (!ThreeDsAxes(found->second, frame, intoParent, &axes)) continue;
      // Still: the camera's own direction, within whatever turn its node has.
      const aiMatrix3x3 intoNode = aiMatrix3x3(node->mTransformation).Inverse();
      c->mLookAt = intoNode * aiVector3D(axes.a3, axes.b3, axes.c3);
      c->mUp = intoNode * aiVector3D(axes.a2, axes.b2, axes.c2);
    }
  }
}

}  // namespace

void MendViews(aiScene& scene, const std::string& path) {
  ImportContext ctx;
  ctx.file = path;
  const std::string reader = ReaderOf(scene);
  if (reader == "ASE Importer") LookDownMinusZ(scene, true, false);
  else if (reader == "LightWave Scene Importer") LookDownMinusZ(scene, true, true);
  else if (reader.rfind("Blender 3D Importer", 0) == 0) LookDownMinusZ(scene, false, true);
  else if (reader == "Quick3D Importer") LeaveCamerasOut(scene, ctx);
  else if (reader == "Discreet 3DS Importer") AimThreeDsCameras(scene, path);
}

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
