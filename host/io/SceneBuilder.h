// Builds the host document from an Assimp scene: nodes become objects with their hierarchy
// and placement, and the meshes, materials, cameras, lights and animation they carry come
// along.
#pragma once
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <assimp/types.h>

#include "AnimationImporter.h"
#include "ImportContext.h"
#include "MaterialImporter.h"
#include "ImportMeshes.h"
#include "FileFrame.h"

struct aiNode;

namespace host {
namespace import {

class SceneBuilder {
 public:
  SceneBuilder(const ImportContext& ctx, const FileFrame& frame);
  // Fills ctx.doc. Throws DocumentError; the caller frees the document then.
  void Build();

  // What was built, for the summary line.
  size_t objects = 0, polygonObjects = 0, cameras = 0, lights = 0;
  size_t Materials() const { return materials_.MadeCount(); }
  const AnimationImporter& Animation() const { return animation_; }

 private:
  // How a node's matrix is read: `before` is applied to it first (the file's axis
  // correction at the root), its translation is in units of `unit` and what it holds (meshes,
  // children, cameras, lights) in units of `innerUnit`.
  // `fold` is a uniform scale taken out of the node's matrix (and into innerUnit).
  struct Frame {
    aiMatrix4x4 before;
    Real unit;
    Real innerUnit;
    Real fold;
  };

  void BuildRoot();
  void BuildNode(const aiNode& node, const Frame& frame, BaseObject* parent, int depth);
  void BuildChildren(const aiNode& node, Real unit, BaseObject* parent, int depth);
  // The node's own object: a camera or light when it holds only that, a polygon object for
  // one mesh, else a null. `after` gets the camera's or light's frame within the node.
  BaseObject* MakeNodeObject(const aiNode& node, const std::string& where, Real innerUnit, Matrix* after,
                             std::vector<const ConvertedMesh*>* meshes);
  void AddPolygonChildren(const aiNode& node, BaseObject* op, const std::vector<const ConvertedMesh*>& meshes);
  void AddViewChildren(const std::string& name, BaseObject* op, Real unit);
  void Place(BaseObject* op, const aiNode& node, const Frame& frame, const Matrix& after, const std::string& where);
  BaseObject* MakePolygon(const ConvertedMesh& mesh, const std::string& name);
  const ConvertedMesh* Mesh(unsigned index, Real unit, const std::string& where);
  void Insert(BaseObject* op, BaseObject* parent);
  BaseObject* NewObject(LONG type, const std::string& where);
  void BuildLeftoverViews();
  void SetSceneCamera();
  void SetFocusDistances();

  const ImportContext& ctx_;
  const FileFrame frame_;
  MaterialImporter materials_;
  AnimationImporter animation_;
  std::vector<std::unique_ptr<ConvertedMesh>> meshes_;
  std::unordered_map<std::string, unsigned> cameraOf_, lightOf_;  // by node name
  std::vector<BaseObject*> cameraObjects_;  // by index in the file
  std::vector<bool> lightTried_;            // by index in the file
  BaseObject* lastTop_ = nullptr;
  // Bounding boxes of the polygon objects, for the cameras' focus distance.
  std::vector<std::pair<BaseObject*, const ConvertedMesh*>> placed_;
};

}  // namespace import
}  // namespace host
