// The scene camera: a thin lens in front of a sensor. A sensor point at (x, y) from the
// sensor's centre sees along forwards * lens_sensor_dist + right * x + up * y; depth of field
// comes from rays through points of the aperture disc that meet on the plane at the focus
// distance. The frame is right-handed: right = forwards x up.
#pragma once
#include <vector>

#include "Transform.h"
#include "Vec3.h"

namespace renderer::render {

struct CameraRay {
  Vec3 origin, direction;  // direction is unit length
};

struct CameraSettings {
  int width = 1, height = 1;
  Vec3 pos, up{0, 0, 1}, forwards{0, 1, 0};
  std::vector<Keyframe> keyframes;  // motion: pose = keyframe transform applied to up and forwards
  float sensorWidth = 0.036f, lensSensorDist = 0.05f, aspectRatio = 1;
  float focusDistance = 1, apertureRadius = 0;
  float shiftUp = 0, shiftRight = 0;
  bool autofocus = false;
};

class Camera {
 public:
  explicit Camera(const CameraSettings& settings) : s_(settings) {}

  // A ray through the image position (px, py) in pixels (0, 0 the top left corner), through
  // the aperture point chosen by (lensU, lensV) in [0, 1)^2, at the time in [0, 1).
  CameraRay Generate(float px, float py, float lensU, float lensV, float time) const;
  // The ray through the lens centre, at time 0.
  CameraRay Pinhole(float px, float py) const { return Generate(px, py, 0.5f, 0.5f, 0); }

  void SetFocusDistance(float d) { s_.focusDistance = d; }
  const CameraSettings& Settings() const { return s_; }

 private:
  struct Pose {
    Vec3 pos, right, up, forwards;
  };
  Pose PoseAt(float time) const;
  CameraSettings s_;
};

}  // namespace renderer::render
