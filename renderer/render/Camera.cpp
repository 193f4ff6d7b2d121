#include "Camera.h"

#include "Sampling.h"

namespace renderer::render {

Camera::Pose Camera::PoseAt(float time) const {
  Pose p;
  Vec3 up = s_.up, forwards = s_.forwards;
  p.pos = s_.pos;
  if (!s_.keyframes.empty()) {
    const Transform t = InterpolateKeyframes(s_.keyframes, time);
    up = t.Vector(up);
    forwards = t.Vector(forwards);
    p.pos = t.offset;
  }
  p.forwards = Normalize(forwards);
  p.right = Normalize(Cross(p.forwards, up));
  p.up = Cross(p.right, p.forwards);
  return p;
}

CameraRay Camera::Generate(float px, float py, float lensU, float lensV, float time) const {
  const Pose pose = PoseAt(time);
  const float sensorHeight = s_.sensorWidth / (s_.aspectRatio > 0 ? s_.aspectRatio : 1.0f);
  const float x = (px / float(s_.width) - 0.5f) * s_.sensorWidth + s_.shiftRight;
  const float y = (0.5f - py / float(s_.height)) * sensorHeight + s_.shiftUp;
  const Vec3 through = pose.forwards * s_.lensSensorDist + pose.right * x + pose.up * y;
  CameraRay ray;
  if (s_.apertureRadius <= 0) {
    ray.origin = pose.pos;
    ray.direction = Normalize(through);
    return ray;
  }
  const Vec3 focus = pose.pos + through * (s_.focusDistance / s_.lensSensorDist);
  float lx, ly;
  SampleDisk(lensU, lensV, lx, ly);
  ray.origin = pose.pos + (pose.right * lx + pose.up * ly) * s_.apertureRadius;
  ray.direction = Normalize(focus - ray.origin);
  return ray;
}

}  // namespace renderer::render
