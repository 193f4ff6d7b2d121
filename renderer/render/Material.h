// The render scene's materials: each scene material with its spectra already turned into
// linear RGB and its textures resolved to the render scene's texture list.
#pragma once
#include <string>
#include <vector>

#include "Texture.h"
#include "Vec3.h"

namespace renderer::render {

enum class MaterialKind { Diffuse, OrenNayar, Phong, Specular, GlossyTransparent, DiffuseTransmitter, Blend, Null };

// A colour that is a constant or a texture (an index into the render scene's textures).
// With a texture the constant scales it (an emission map times its base emission).
struct ColourInput {
  Rgb constant{0.8f};
  int texture = -1;
  Rgb Eval(const std::vector<Texture>& textures, float u, float v) const {
    return texture < 0 ? constant : textures[std::size_t(texture)].Lookup(u, v) * constant;
  }
};

// A number that is a constant or the luminance of a texture.
struct ScalarInput {
  float constant = 0;
  int texture = -1;
  float Eval(const std::vector<Texture>& textures, float u, float v) const {
    return texture < 0 ? constant : Luminance(textures[std::size_t(texture)].Lookup(u, v));
  }
};

struct Material {
  std::string name;
  MaterialKind kind = MaterialKind::Diffuse;
  ColourInput albedo;                  // diffuse, Oren-Nayar, transmitter; phong's diffuse part
  ColourInput specular{Rgb(1.0f), -1}; // phong: the reflectivity of the gloss (the metal's colour)
  bool metal = false;                  // phong with measured n, k data: a coloured conductor
  ScalarInput exponent{100.0f, -1};    // phong and glossy transparent
  float sigma = 0.3f;                  // Oren-Nayar roughness (radians)
  float ior = 1.5f;                    // phong coating; specular and glossy: from the medium
  Rgb absorption{0.0f};                // per metre inside a specular or glossy medium
  bool transparent = true;             // specular: refracts (else a mirror)
  int blendA = -1, blendB = -1;        // blend: indices of the two materials
  ScalarInput blend{0.5f, -1};
  bool stepBlend = false;
  ColourInput emission{Rgb(0.0f), -1};
  bool emits = false;
  int layer = 0;
};

}  // namespace renderer::render
