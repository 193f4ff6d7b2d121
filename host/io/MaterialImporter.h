// The file's materials as standard host materials: colour and brightness, texture files as
// bitmap shaders in the colour, bump, normal, alpha, transparency, reflection, specular and
// luminance channels, and the channels the file's opacity, reflectivity, shininess and
// emission call for switched on.
//
// How the two kinds of material files map onto the host's channels (a renderer material is
// then chosen from these channels: transparency makes glass, reflection metal, a highlight a
// plastic-like surface, and the colour channel with its texture the diffuse colour):
//
// Metallic-roughness (glTF):
//   base colour (and its texture)    -> colour, brightness carrying values over 1
//   metallic factor m > 0            -> reflection on, brightness m, tinted by the base colour
//   roughness factor r               -> blurriness of the reflection and of the transparency
//   transmission t or alpha a < 1    -> transparency on, brightness max(t, 1 - a), refraction
//                                       index from the file (1 without one)
//   emissive colour x strength       -> luminance
//   normal texture                   -> normal; occlusion and metallic-roughness textures are
//                                       not carried
//   shininess that the importer derives from the roughness -> highlight width
// Phong, Blinn and Lambert (Collada, FBX, OBJ, 3DS):
//   diffuse colour (and its texture) -> colour
//   specular colour x strength       -> highlight height (off when black), shininess -> width
//   reflectivity x reflective colour -> reflection on when above 0 (a black reflective colour
//                                       reflects nothing), tinted by the reflective colour
//   opacity a < 1 or a transparent map -> transparency, refraction index from the file
//   bump / height texture            -> bump with the file's bump scaling
//   emissive colour                  -> luminance
#pragma once
#include <set>
#include <string>
#include <vector>

#include "ImportContext.h"

struct aiMaterial;
struct aiString;

namespace host {
namespace import {

class MaterialImporter {
 public:
  explicit MaterialImporter(const ImportContext& ctx);
  // The host material of the file's material `index`, made and inserted into the document
  // the first time an object uses it; null for an index the file does not have.
  BaseMaterial* Get(unsigned index);
  size_t MadeCount() const { return madeCount_; }

 private:
  BaseMaterial* Build(const aiMaterial& m, unsigned index);
  std::string UniqueName(std::string name);
  // Links a bitmap shader for the material's first texture of the kind into the channel;
  // FALSE when the file has none or it cannot be used.
  bool AddTexture(Material* mat, const aiMaterial& m, int type, LONG shaderLink, const std::string& where);
  // The texture's path as it goes into the bitmap shader (relative to the model's folder as
  // the file gives it), or an empty string (with a warning) when it cannot be used.
  std::string TexturePath(const aiString& given, const std::string& where) const;

  const ImportContext& ctx_;
  std::vector<BaseMaterial*> made_;
  BaseMaterial* last_ = nullptr;
  std::set<std::string> names_;
  size_t madeCount_ = 0;
};

}  // namespace import
}  // namespace host
