// What a ray that leaves the scene sees: nothing, a uniform background, an analytic sky with
// its sun (Preetham, Shirley and Smits, "A Practical Analytic Model for Daylight"), or the
// emission of the background material, optionally a texture mapped spherically.
#pragma once
#include <memory>

#include "Texture.h"
#include "Transform.h"
#include "Vec3.h"

namespace renderer::render {

class Environment {
 public:
  enum class Kind { Black, Uniform, Sky, Map };

  static Environment Black() { return Environment(); }
  static Environment Uniform(const Rgb& radiance);
  // sunDirection in the scene's frame (z up); radiance in the scene's units (luminance / 683).
  static Environment Sky(const Vec3& sunDirection, float turbidity);
  // A constant emission, or a texture around the sphere of directions turned by `rotation`.
  static Environment Map(const Rgb& radiance, std::shared_ptr<const Texture> texture, const Transform& rotation);

  Kind GetKind() const { return kind_; }
  // The radiance arriving from the direction, without the sun's disc.
  Rgb Radiance(const Vec3& direction) const;
  bool HasSun() const { return kind_ == Kind::Sky && sunDirection_.z > -0.05f; }
  const Vec3& SunDirection() const { return sunDirection_; }
  float SunCosMax() const { return sunCosMax_; }
  const Rgb& SunRadiance() const { return sunRadiance_; }
  void Scale(float factor);

 private:
  Rgb SkyRadiance(const Vec3& direction) const;

  Kind kind_ = Kind::Black;
  Rgb radiance_{0.0f};
  std::shared_ptr<const Texture> texture_;
  Transform rotation_;
  Vec3 sunDirection_{0, 0, 1};
  float turbidity_ = 2, sunCosMax_ = 1, scale_ = 1;
  Rgb sunRadiance_{0.0f};
  Vec3 zenithxyY_;
  float perez_[3][5] = {};
};

}  // namespace renderer::render
