// The materials and media a scene defines, in document order (the materials of included files
// where the include stands), turned into render materials on first use.
#pragma once
#include <tinyxml.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "RenderScene.h"
#include "Texture.h"
#include "kyrano_utils/KyranoMaterial.h"

namespace renderer::render {

class MaterialLibrary {
 public:
  MaterialLibrary(RenderScene& scene, ImageCache& images) : scene_(scene), images_(images) {}

  // Reads the material, medium and include children of the root (includes followed once
  // each). `folder` is what relative texture paths are relative to.
  void Collect(const TiXmlElement& root, const std::string& folder);
  // How many definitions come before the element (a direct child of the scene root).
  std::size_t DefinitionsBefore(const TiXmlElement& element) const;
  // The render material of the latest definition of `name` among the first `limit`
  // definitions (any definition when none comes before); -1 when there is none. Sets error
  // when a texture fails to load.
  int Resolve(const std::string& name, std::size_t limit);
  // A material element outside the scene's list (the background material).
  Reference<Kyrano::KyranoMaterial> Parse(const TiXmlElement& material);

  std::string error;

 private:
  struct Definition {
    std::string name;
    const TiXmlElement* element;
    std::string folder;
    int converted = -2;  // render material; -2 not yet, -3 being converted
  };
  struct Medium {
    float ior = 1.5f;
    Rgb absorption{0.0f};
  };
  int Convert(std::size_t definition);
  void Fill(Material& m, const Kyrano::KyranoMaterial& model, const std::string& folder, std::size_t definition);
  ColourInput Colour(const Reference<Kyrano::KyranoWavelengthDependentParam>& param, const Kyrano::KyranoMaterial& model,
                     const std::string& folder, const Rgb& fallback);
  ScalarInput Scalar(const Reference<Kyrano::KyranoWavelengthIndependentParam>& param,
                     const Kyrano::KyranoMaterial& model, const std::string& folder, float fallback);
  int TextureIndex(const Kyrano::KyranoTexture& texture, const std::string& folder);
  void ReadMedium(const TiXmlElement& medium);
  void ApplyMedium(Material& m, const std::string& name) const;

  RenderScene& scene_;
  ImageCache& images_;
  std::vector<Definition> definitions_;
  std::map<const TiXmlElement*, std::size_t> before_;
  std::map<std::string, Medium> media_;
  std::vector<std::unique_ptr<TiXmlDocument>> includedFiles_;
  std::vector<std::string> includedPaths_;
};

}  // namespace renderer::render
