#include "Environment.h"

#include <cmath>

#include "Spectra.h"

namespace renderer::render {

namespace {

// Luminance in cd/m^2 becomes the scene's radiance unit through the luminous efficacy.
constexpr float kCandelaPerUnit = 683.0f;
// The sun's angular radius (radians) and its luminance seen through a clear zenith sky.
constexpr float kSunAngularRadius = 0.00465f;
constexpr float kSunLuminance = 1.6e9f;

float Perez(const float* c, float cosTheta, float gamma) {
  return (1 + c[0] * std::exp(c[1] / std::max(cosTheta, 0.01f))) *
         (1 + c[2] * std::exp(c[3] * gamma) + c[4] * std::cos(gamma) * std::cos(gamma));
}

}  // namespace

Environment Environment::Uniform(const Rgb& radiance) {
  Environment e;
  e.kind_ = Kind::Uniform;
  e.radiance_ = radiance;
  return e;
}

Environment Environment::Map(const Rgb& radiance, std::shared_ptr<const Texture> texture, const Transform& rotation) {
  Environment e;
  e.kind_ = Kind::Map;
  e.radiance_ = radiance;
  e.texture_ = std::move(texture);
  e.rotation_ = rotation;
  return e;
}

Environment Environment::Sky(const Vec3& sunDirection, float turbidity) {
  Environment e;
  e.kind_ = Kind::Sky;
  e.sunDirection_ = Length(sunDirection) > 0 ? Normalize(sunDirection) : Vec3(0, 0, 1);
  const float t = std::min(10.0f, std::max(1.7f, turbidity));
  e.turbidity_ = t;
  // The model holds for a sun above the horizon; a lower sun is taken at the horizon.
  const float thetaS = std::acos(std::min(1.0f, std::max(0.02f, e.sunDirection_.z)));
  const float chi = (4.0f / 9.0f - t / 120.0f) * (kPi - 2 * thetaS);
  const float yz = (4.0453f * t - 4.9710f) * std::tan(chi) - 0.2155f * t + 2.4192f;  // kcd/m^2
  const float th = thetaS, th2 = th * th, th3 = th2 * th, t2 = t * t;
  const float xz = t2 * (0.00166f * th3 - 0.00375f * th2 + 0.00209f * th) +
                   t * (-0.02903f * th3 + 0.06377f * th2 - 0.03202f * th + 0.00394f) +
                   (0.11693f * th3 - 0.21196f * th2 + 0.06052f * th + 0.25886f);
  const float yzc = t2 * (0.00275f * th3 - 0.00610f * th2 + 0.00317f * th) +
                    t * (-0.04214f * th3 + 0.08970f * th2 - 0.04153f * th + 0.00516f) +
                    (0.15346f * th3 - 0.26756f * th2 + 0.06670f * th + 0.26688f);
  e.zenithxyY_ = Vec3(xz, yzc, std::max(0.0f, yz) * 1000.0f / kCandelaPerUnit);
  const float coefficients[3][5] = {
      {-0.0193f * t - 0.2592f, -0.0665f * t + 0.0008f, -0.0004f * t + 0.2125f, -0.0641f * t - 0.8989f,
       -0.0033f * t + 0.0452f},
      {-0.0167f * t - 0.2608f, -0.0950f * t + 0.0092f, -0.0079f * t + 0.2102f, -0.0441f * t - 1.6537f,
       -0.0109f * t + 0.0529f},
      {0.1787f * t - 1.4630f, -0.3554f * t + 0.4275f, -0.0227f * t + 5.3251f, 0.1206f * t - 2.5771f,
       -0.0670f * t + 0.3703f}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 5; ++j) e.perez_[i][j] = coefficients[i][j];
  // The sun: a disc of the colour of a 5778 K black body, reddened and dimmed by the air
  // mass it shines through (a coarse stand-in for the model's spectral transmittance).
  e.sunCosMax_ = std::cos(kSunAngularRadius);
  const float airMass = 1.0f / std::max(0.05f, e.sunDirection_.z);
  const Rgb white = IntegrateSpectrum([](double nm) { return Planck(nm, 5778.0); });
  const Rgb tau = Rgb(0.02f, 0.045f, 0.1f) * (t / 2.0f);
  const Rgb transmitted(white.x * std::exp(-tau.x * airMass), white.y * std::exp(-tau.y * airMass),
                        white.z * std::exp(-tau.z * airMass));
  e.sunRadiance_ = transmitted * (kSunLuminance / kCandelaPerUnit / Luminance(white));
  return e;
}

void Environment::Scale(float factor) {
  scale_ *= factor;
  sunRadiance_ *= factor;
}

Rgb Environment::SkyRadiance(const Vec3& d) const {
  const float cosTheta = std::max(0.001f, d.z);
  const float cosGamma = std::min(1.0f, std::max(-1.0f, Dot(d, sunDirection_)));
  const float gamma = std::acos(cosGamma);
  const float thetaS = std::acos(std::min(1.0f, std::max(0.02f, sunDirection_.z)));
  float xyY[3];
  const float zenith[3] = {zenithxyY_.x, zenithxyY_.y, zenithxyY_.z};
  for (int i = 0; i < 3; ++i)
    xyY[i] = zenith[i] * Perez(perez_[i], cosTheta, gamma) / Perez(perez_[i], 1.0f, thetaS);
  if (xyY[1] <= 0) return Rgb(0.0f);
  const Vec3 xyz(xyY[0] / xyY[1] * xyY[2], xyY[2], (1 - xyY[0] - xyY[1]) / xyY[1] * xyY[2]);
  const Rgb rgb = XyzToRgb(xyz);
  // Below the horizon: the ground, a dim grey lit by the sky.
  const float ground = d.z < 0 ? 0.3f : 1.0f;
  return Rgb(std::max(0.0f, rgb.x), std::max(0.0f, rgb.y), std::max(0.0f, rgb.z)) * ground;
}

Rgb Environment::Radiance(const Vec3& d) const {
  switch (kind_) {
    case Kind::Black:
      return Rgb(0.0f);
    case Kind::Uniform:
      return radiance_ * scale_;
    case Kind::Sky:
      return SkyRadiance(d) * scale_;
    case Kind::Map: {
      if (!texture_) return radiance_ * scale_;
      const Vec3 r = rotation_.Vector(d);
      const float u = std::atan2(r.y, r.x) * (0.5f * kInvPi) + 0.5f;
      const float v = 1 - std::acos(std::min(1.0f, std::max(-1.0f, r.z))) * kInvPi;
      return texture_->Lookup(u, v) * radiance_ * scale_;
    }
  }
  return Rgb(0.0f);
}

}  // namespace renderer::render
