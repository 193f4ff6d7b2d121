// The file's materials as standard host materials: colour and brightness, texture files as
// bitmap shaders in the colour, bump, normal, alpha, transparency, reflection, specular and
// luminance channels, and the channels the file's opacity, reflectivity, shininess and
// emission call for switched on.
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
