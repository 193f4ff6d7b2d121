// Random numbers and the warps from the unit square to directions and points.
#pragma once
#include <cstdint>

#include "Vec3.h"

namespace renderer::render {

// PCG32 (O'Neill): small, fast and good enough for Monte Carlo; one per pixel sample.
class Rng {
 public:
  Rng(std::uint64_t sequence, std::uint64_t seed) {
    inc_ = (sequence << 1u) | 1u;
    Next();
    state_ += seed;
    Next();
  }
  std::uint32_t Next() {
    const std::uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + inc_;
    const auto xorshifted = std::uint32_t(((old >> 18u) ^ old) >> 27u);
    const auto rot = std::uint32_t(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
  }
  // Uniform in [0, 1).
  float Uniform() { return float(Next() >> 8) * (1.0f / 16777216.0f); }

 private:
  std::uint64_t state_ = 0, inc_ = 0;
};

// Cosine-weighted direction about +z; pdf cos(theta) / pi.
inline Vec3 SampleCosineHemisphere(float u1, float u2) {
  const float r = std::sqrt(u1), phi = 2 * kPi * u2;
  return {r * std::cos(phi), r * std::sin(phi), std::sqrt(std::max(0.0f, 1 - u1))};
}

// Uniform point on the unit disk (concentric map, Shirley and Chiu).
inline void SampleDisk(float u1, float u2, float& x, float& y) {
  const float a = 2 * u1 - 1, b = 2 * u2 - 1;
  if (a == 0 && b == 0) {
    x = y = 0;
    return;
  }
  float r, phi;
  if (std::fabs(a) > std::fabs(b)) {
    r = a;
    phi = (kPi / 4) * (b / a);
  } else {
    r = b;
    phi = kPi / 2 - (kPi / 4) * (a / b);
  }
  x = r * std::cos(phi);
  y = r * std::sin(phi);
}

// Uniform direction in the cone of directions within acos(cosMax) of +z; pdf 1 / (2 pi (1 - cosMax)).
inline Vec3 SampleCone(float u1, float u2, float cosMax) {
  const float cosTheta = 1 - u1 * (1 - cosMax);
  const float sinTheta = std::sqrt(std::max(0.0f, 1 - cosTheta * cosTheta));
  const float phi = 2 * kPi * u2;
  return {sinTheta * std::cos(phi), sinTheta * std::sin(phi), cosTheta};
}

inline float PowerHeuristic(float a, float b) { return a * a / (a * a + b * b); }

}  // namespace renderer::render
