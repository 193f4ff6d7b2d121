// The scattering of one material at one surface point, in the shading frame (local z is the
// normal on the side the material's outside faces). Blends are resolved before: a blend
// picks one of its two materials with the blend amount as probability, which draws the mix
// without bias.
#pragma once
#include <vector>

#include "Material.h"
#include "Sampling.h"

namespace renderer::render {

struct BsdfSample {
  Vec3 wi;      // local
  Rgb weight;   // f * |cos| / pdf
  float pdf = 0;
  bool delta = false;  // a mirror or refraction direction, or a glossy glass's sampled one
};

class Bsdf {
 public:
  // The parameters of the material at the texture coordinate.
  Bsdf(const Material& material, const std::vector<Texture>& textures, float u, float v);

  // Lambert, Oren-Nayar, Phong and the diffuse transmitter have densities; the glasses are
  // sampled only (their Eval and Pdf are 0).
  bool HasDensity() const { return kind_ != MaterialKind::Specular && kind_ != MaterialKind::GlossyTransparent; }
  Rgb Eval(const Vec3& wo, const Vec3& wi) const;
  float Pdf(const Vec3& wo, const Vec3& wi) const;
  bool Sample(const Vec3& wo, Rng& rng, BsdfSample& sample) const;

  // The fraction of the light that the dielectric interface reflects (exposed for tests).
  static float FresnelDielectric(float cosI, float eta);

 private:
  float PhongSpecularProbability(const Vec3& wo) const;
  bool SampleGlass(const Vec3& wo, const Vec3& m, Rng& rng, BsdfSample& sample) const;

  MaterialKind kind_;
  Rgb albedo_, specular_;
  float exponent_, sigma_, ior_;
  bool metal_, transparent_;
};

// Follows blends down to a material that scatters (or to a null material). Bounded, so that
// a blend that names itself ends.
int ResolveBlend(const std::vector<Material>& materials, const std::vector<Texture>& textures, int index, float u,
                 float v, Rng& rng);

}  // namespace renderer::render
