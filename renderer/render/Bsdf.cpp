#include "Bsdf.h"

#include <cmath>

namespace renderer::render {

namespace {

float PhongLobe(const Vec3& wo, const Vec3& wi, float n) {
  const Vec3 r(-wo.x, -wo.y, wo.z);
  const float c = Dot(r, wi);
  return c > 0 ? (n + 2) * (0.5f * kInvPi) * std::pow(c, n) : 0.0f;
}

float PhongLobePdf(const Vec3& wo, const Vec3& wi, float n) {
  const Vec3 r(-wo.x, -wo.y, wo.z);
  const float c = Dot(r, wi);
  return c > 0 ? (n + 1) * (0.5f * kInvPi) * std::pow(c, n) : 0.0f;
}

Rgb Schlick(const Rgb& f0, float cosTheta) {
  const float m = std::pow(1 - std::min(1.0f, std::max(0.0f, cosTheta)), 5.0f);
  return f0 + (Rgb(1.0f) - f0) * m;
}

}  // namespace

Bsdf::Bsdf(const Material& m, const std::vector<Texture>& textures, float u, float v)
    : kind_(m.kind),
      albedo_(m.albedo.Eval(textures, u, v)),
      specular_(m.specular.Eval(textures, u, v)),
      exponent_(std::max(0.0f, m.exponent.Eval(textures, u, v))),
      sigma_(m.sigma),
      ior_(m.ior > 0 ? m.ior : 1.0f),
      metal_(m.metal),
      transparent_(m.transparent) {
  // Energy conservation: an albedo above 1 would make light out of nothing.
  albedo_ = Rgb(std::min(1.0f, std::max(0.0f, albedo_.x)), std::min(1.0f, std::max(0.0f, albedo_.y)),
                std::min(1.0f, std::max(0.0f, albedo_.z)));
}

float Bsdf::FresnelDielectric(float cosI, float eta) {
  cosI = std::min(1.0f, std::fabs(cosI));
  const float sin2T = (1 - cosI * cosI) / (eta * eta);
  if (sin2T >= 1) return 1;
  const float cosT = std::sqrt(1 - sin2T);
  const float rs = (cosI - eta * cosT) / (cosI + eta * cosT);
  const float rp = (eta * cosI - cosT) / (eta * cosI + cosT);
  return 0.5f * (rs * rs + rp * rp);
}

float Bsdf::PhongSpecularProbability(const Vec3& wo) const {
  if (metal_) return 1;
  const float f = FresnelDielectric(wo.z, ior_) * Luminance(specular_);
  const float d = (1 - f) * Luminance(albedo_);
  return f + d > 0 ? std::min(0.9f, std::max(0.1f, f / (f + d))) : 0.5f;
}

Rgb Bsdf::Eval(const Vec3& wo, const Vec3& wi) const {
  switch (kind_) {
    case MaterialKind::Diffuse:
      return wo.z > 0 && wi.z > 0 ? albedo_ * kInvPi : Rgb(0.0f);
    case MaterialKind::DiffuseTransmitter:
      return wo.z * wi.z < 0 ? albedo_ * kInvPi : Rgb(0.0f);
    case MaterialKind::OrenNayar: {
      if (wo.z <= 0 || wi.z <= 0) return Rgb(0.0f);
      const float s2 = sigma_ * sigma_;
      const float a = 1 - s2 / (2 * (s2 + 0.33f)), b = 0.45f * s2 / (s2 + 0.09f);
      const float sinI = std::sqrt(std::max(0.0f, 1 - wi.z * wi.z)), sinO = std::sqrt(std::max(0.0f, 1 - wo.z * wo.z));
      float cosDPhi = 0;
      if (sinI > 1e-4f && sinO > 1e-4f) cosDPhi = std::max(0.0f, (wi.x * wo.x + wi.y * wo.y) / (sinI * sinO));
      const float sinAlpha = std::max(sinI, sinO);
      const float tanBeta = sinI > sinO ? sinO / wo.z : sinI / wi.z;
      return albedo_ * (kInvPi * (a + b * cosDPhi * sinAlpha * tanBeta));
    }
    case MaterialKind::Phong: {
      if (wo.z <= 0 || wi.z <= 0) return Rgb(0.0f);
      const Rgb lobe = Rgb(PhongLobe(wo, wi, exponent_));
      if (metal_) return Schlick(specular_, wo.z) * lobe;
      const float f = FresnelDielectric(wo.z, ior_);
      return specular_ * lobe * f + albedo_ * ((1 - f) * kInvPi);
    }
    default:
      return Rgb(0.0f);
  }
}

float Bsdf::Pdf(const Vec3& wo, const Vec3& wi) const {
  switch (kind_) {
    case MaterialKind::Diffuse:
    case MaterialKind::OrenNayar:
      return wo.z > 0 && wi.z > 0 ? wi.z * kInvPi : 0.0f;
    case MaterialKind::DiffuseTransmitter:
      return wo.z * wi.z < 0 ? std::fabs(wi.z) * kInvPi : 0.0f;
    case MaterialKind::Phong: {
      if (wo.z <= 0 || wi.z <= 0) return 0;
      const float p = PhongSpecularProbability(wo);
      return p * PhongLobePdf(wo, wi, exponent_) + (1 - p) * wi.z * kInvPi;
    }
    default:
      return 0;
  }
}

bool Bsdf::SampleGlass(const Vec3& wo, const Vec3& normal, Rng& rng, BsdfSample& sample) const {
  const bool entering = wo.z > 0;
  const float eta = entering ? ior_ : 1 / ior_;
  Vec3 m = normal;
  float c = Dot(wo, m);
  if (c < 0) {
    m = -m;
    c = -c;
  }
  const float f = transparent_ ? FresnelDielectric(c, eta) : 1.0f;
  if (rng.Uniform() < f) {
    sample.wi = m * (2 * c) - wo;
  } else {
    const float sin2T = (1 - c * c) / (eta * eta);
    const float cosT = std::sqrt(std::max(0.0f, 1 - sin2T));
    sample.wi = -wo / eta + m * (c / eta - cosT);
  }
  sample.weight = Rgb(1.0f);
  sample.pdf = 1;
  sample.delta = true;
  return true;
}

bool Bsdf::Sample(const Vec3& wo, Rng& rng, BsdfSample& sample) const {
  sample.delta = false;
  switch (kind_) {
    case MaterialKind::Specular:
      return SampleGlass(wo, Vec3(0, 0, 1), rng, sample);
    case MaterialKind::GlossyTransparent: {
      // A microfacet normal from the Phong distribution of the exponent (Walter et al.),
      // then the smooth interface about it; the shadowing of the facets is left out.
      const float cosM = std::pow(rng.Uniform(), 1 / (exponent_ + 2));
      const float sinM = std::sqrt(std::max(0.0f, 1 - cosM * cosM));
      const float phi = 2 * kPi * rng.Uniform();
      return SampleGlass(wo, Vec3(sinM * std::cos(phi), sinM * std::sin(phi), cosM), rng, sample);
    }
    case MaterialKind::DiffuseTransmitter: {
      Vec3 wi = SampleCosineHemisphere(rng.Uniform(), rng.Uniform());
      wi.z = wo.z > 0 ? -wi.z : wi.z;
      sample.wi = wi;
      sample.pdf = std::fabs(wi.z) * kInvPi;
      sample.weight = albedo_;
      return sample.pdf > 0;
    }
    case MaterialKind::Phong: {
      if (wo.z <= 0) return false;
      const float p = PhongSpecularProbability(wo);
      Vec3 wi;
      if (rng.Uniform() < p) {
        const Vec3 r(-wo.x, -wo.y, wo.z);
        const float cosA = std::pow(rng.Uniform(), 1 / (exponent_ + 1));
        const float sinA = std::sqrt(std::max(0.0f, 1 - cosA * cosA));
        const float phi = 2 * kPi * rng.Uniform();
        wi = Frame(r).ToWorld(Vec3(sinA * std::cos(phi), sinA * std::sin(phi), cosA));
      } else {
        wi = SampleCosineHemisphere(rng.Uniform(), rng.Uniform());
      }
      if (wi.z <= 0) return false;
      sample.wi = wi;
      sample.pdf = Pdf(wo, wi);
      if (sample.pdf <= 0) return false;
      sample.weight = Eval(wo, wi) * (wi.z / sample.pdf);
      return true;
    }
    case MaterialKind::Diffuse:
    case MaterialKind::OrenNayar: {
      if (wo.z <= 0) return false;
      const Vec3 wi = SampleCosineHemisphere(rng.Uniform(), rng.Uniform());
      sample.wi = wi;
      sample.pdf = wi.z * kInvPi;
      if (sample.pdf <= 0) return false;
      sample.weight = Eval(wo, wi) * (wi.z / sample.pdf);
      return true;
    }
    default:
      return false;
  }
}

int ResolveBlend(const std::vector<Material>& materials, const std::vector<Texture>& textures, int index, float u,
                 float v, Rng& rng) {
  for (int depth = 0; depth < 16 && index >= 0; ++depth) {
    const Material& m = materials[std::size_t(index)];
    if (m.kind != MaterialKind::Blend) return index;
    float amount = std::min(1.0f, std::max(0.0f, m.blend.Eval(textures, u, v)));
    if (m.stepBlend) amount = amount >= 0.5f ? 1.0f : 0.0f;
    index = rng.Uniform() < amount ? m.blendB : m.blendA;
  }
  return -1;
}

}  // namespace renderer::render
