#include "SceneBuilder.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cmath>

#include "ImportAxes.h"
#include "ImportCamerasLights.h"

namespace host {
namespace import {

namespace {

// Deeper hierarchies are refused rather than risk the stack.
const int kMaxDepth = 1000;

// The scale of a matrix whose axes are perpendicular and equally long (a rotation times a
// uniform scale), or 0.
Real UniformScale(const aiMatrix4x4& m) {
  const aiVector3D c1(m.a1, m.b1, m.c1), c2(m.a2, m.b2, m.c2), c3(m.a3, m.b3, m.c3);
  const Real l1 = c1.Length(), l2 = c2.Length(), l3 = c3.Length();
  if (!(l1 > 0) || !std::isfinite(l1)) return 0;
  const Real tol = 1e-5f * l1;
  if (std::fabs(l1 - l2) > tol || std::fabs(l1 - l3) > tol) return 0;
  if (std::fabs(c1 * c2) > tol * l1 || std::fabs(c1 * c3) > tol * l1 || std::fabs(c2 * c3) > tol * l1) return 0;
  return l1;
}

std::string NameOf(const aiString& s, const char* fallback) {
  const std::string name = Utf8Name(s.C_Str());
  return name.empty() ? fallback : name;
}

}  // namespace

SceneBuilder::SceneBuilder(const ImportContext& ctx, const FileFrame& frame)
    : ctx_(ctx), frame_(frame), materials_(ctx), animation_(ctx) {
  const aiScene& s = *ctx.scene;
  meshes_.resize(s.mNumMeshes);
  cameraObjects_.assign(s.mNumCameras, nullptr);
  lightTried_.assign(s.mNumLights, false);
  for (unsigned i = 0; i < s.mNumCameras && s.mCameras; i++)
    if (s.mCameras[i]) cameraOf_.emplace(s.mCameras[i]->mName.C_Str(), i);
  for (unsigned i = 0; i < s.mNumLights && s.mLights; i++)
    if (s.mLights[i]) lightOf_.emplace(s.mLights[i]->mName.C_Str(), i);
}

void SceneBuilder::Build() {
  if (!ctx_.scene->mRootNode) ctx_.Fail("", "the file holds no scene (no root node)");
  BuildRoot();
  BuildLeftoverViews();
  if (polygonObjects + cameras + lights == 0) ctx_.Fail("", "the scene holds no geometry, camera or light");
  animation_.SetDocumentTime(ctx_.doc);
  SetSceneCamera();
  SetFocusDistances();
}

void SceneBuilder::BuildRoot() {
  const aiNode& root = *ctx_.scene->mRootNode;
  const std::string name = root.mName.C_Str();
  Frame f{frame_.axes, frame_.metresPerUnit, frame_.metresPerUnit, 1.0f};
  aiMatrix4x4 m = frame_.axes * root.mTransformation;
  const bool animated = animation_.ChannelFor(name) != nullptr;
  // A uniform scale at the root (Collada's unit, for one) goes into the unit instead, so
  // that every object keeps a scale of 1 and one host unit is one metre.
  const Real s = animated || !IsFinite(m) ? 0 : UniformScale(m);
  if (s > 0 && std::fabs(s - 1) > 1e-6f) {
    f.fold = s;
    f.innerUnit = frame_.metresPerUnit * s;
  }
  Matrix host = HostMatrix(m, f.unit);
  host.v1 = host.v1 / f.fold;
  host.v2 = host.v2 / f.fold;
  host.v3 = host.v3 / f.fold;
  const bool holds = root.mNumMeshes > 0 || cameraOf_.count(name) || lightOf_.count(name) || animated;
  if (holds || !IsFinite(m) || !IsIdentity(host)) BuildNode(root, f, nullptr, 0);
  else BuildChildren(root, f.innerUnit, nullptr, 0);
}

void SceneBuilder::BuildChildren(const aiNode& node, Real unit, BaseObject* parent, int depth) {
  for (unsigned i = 0; i < node.mNumChildren && node.mChildren; i++)
    if (node.mChildren[i]) BuildNode(*node.mChildren[i], Frame{aiMatrix4x4(), unit, unit, 1.0f}, parent, depth + 1);
}

void SceneBuilder::BuildNode(const aiNode& node, const Frame& frame, BaseObject* parent, int depth) {
  const std::string name = NameOf(node.mName, "Null");
  const std::string where = NodeWhere(name);
  if (depth > kMaxDepth) ctx_.Fail(where, "the hierarchy is more than " + std::to_string(kMaxDepth) + " levels deep");
  Matrix after;
  std::vector<const ConvertedMesh*> meshes;
  BaseObject* op = MakeNodeObject(node, where, frame.innerUnit, &after, &meshes);
  op->SetName(String(name));
  Insert(op, parent);
  Place(op, node, frame, after, where);
  if (meshes.size() > 1) AddPolygonChildren(node, op, meshes);
  AddViewChildren(node.mName.C_Str(), op, frame.innerUnit);
  BuildChildren(node, frame.innerUnit, op, depth);
}

BaseObject* SceneBuilder::MakeNodeObject(const aiNode& node, const std::string& where, Real innerUnit, Matrix* after,
                                         std::vector<const ConvertedMesh*>* meshes) {
  const aiScene& s = *ctx_.scene;
  for (unsigned k = 0; k < node.mNumMeshes; k++) {
    const unsigned idx = node.mMeshes ? node.mMeshes[k] : s.mNumMeshes;
    if (idx >= s.mNumMeshes || !s.mMeshes || !s.mMeshes[idx])
      ctx_.Fail(where, "refers to mesh " + std::to_string(idx) + ", but the file has " + std::to_string(s.mNumMeshes) + " meshes");
    const ConvertedMesh* m = Mesh(idx, innerUnit, where);
    if (!m->polygons.empty()) meshes->push_back(m);
  }
  const std::string key = node.mName.C_Str();
  const auto cam = cameraOf_.find(key);
  const auto light = lightOf_.find(key);
  const bool hasCam = cam != cameraOf_.end() && !cameraObjects_[cam->second];
  const bool hasLight = light != lightOf_.end() && !lightTried_[light->second];
  if (meshes->empty() && hasCam != hasLight) {
    // The node is the camera or the light itself.
    if (hasCam) {
      const aiCamera& c = *s.mCameras[cam->second];
      BaseObject* op = MakeCamera(c, ctx_, where);
      cameraObjects_[cam->second] = op;
      cameras++;
      *after = CameraFrame(c, innerUnit, ctx_.viewsAtNodeOrigin);
      return op;
    }
    const aiLight& l = *s.mLights[light->second];
    lightTried_[light->second] = true;
    if (BaseObject* op = MakeLight(l, innerUnit, ctx_, where)) {
      lights++;
      *after = LightFrame(l, innerUnit, ctx_.viewsAtNodeOrigin);
      return op;
    }
    return NewObject(Onull, where);
  }
  if (meshes->size() == 1) return MakePolygon(*meshes->front(), NameOf(node.mName, "Polygon"));
  return NewObject(Onull, where);
}

void SceneBuilder::AddPolygonChildren(const aiNode& node, BaseObject* op, const std::vector<const ConvertedMesh*>& meshes) {
  // One polygon object per mesh under the node's null, named after the mesh.
  for (size_t k = 0; k < meshes.size(); k++) {
    std::string name = meshes[k]->name;
    if (name.empty()) name = NameOf(node.mName, "Polygon") + "." + std::to_string(k + 1);
    BaseObject* child = MakePolygon(*meshes[k], name);
    child->SetName(String(name));
    Insert(child, op);
  }
}

void SceneBuilder::AddViewChildren(const std::string& name, BaseObject* op, Real unit) {
  // A camera or light whose node holds more than it: a child object at its own frame.
  const aiScene& s = *ctx_.scene;
  const auto cam = cameraOf_.find(name);
  if (cam != cameraOf_.end() && !cameraObjects_[cam->second]) {
    const aiCamera& c = *s.mCameras[cam->second];
    const std::string camName = NameOf(c.mName, "Camera");
    BaseObject* child = MakeCamera(c, ctx_, NodeWhere(camName));
    child->SetName(String(camName));
    cameraObjects_[cam->second] = child;
    cameras++;
    Insert(child, op);
    ApplyPlacement(child, Decompose(CameraFrame(c, unit, ctx_.viewsAtNodeOrigin)));
  }
  const auto light = lightOf_.find(name);
  if (light != lightOf_.end() && !lightTried_[light->second]) {
    const aiLight& l = *s.mLights[light->second];
    const std::string lightName = NameOf(l.mName, "Light");
    lightTried_[light->second] = true;
    BaseObject* child = MakeLight(l, unit, ctx_, NodeWhere(lightName));
    if (!child) return;
    child->SetName(String(lightName));
    lights++;
    Insert(child, op);
    ApplyPlacement(child, Decompose(LightFrame(l, unit, ctx_.viewsAtNodeOrigin)));
  }
}

void SceneBuilder::Place(BaseObject* op, const aiNode& node, const Frame& frame, const Matrix& after, const std::string& where) {
  if (const aiNodeAnim* ch = animation_.ChannelFor(node.mName.C_Str())) {
    animation_.Animate(op, *ch, node.mTransformation, frame.before, frame.unit, after, where);
    return;
  }
  aiMatrix4x4 local = frame.before * node.mTransformation;
  if (!IsFinite(local)) {
    ctx_.Warn(where, "the node's matrix holds values that are not numbers; the node is placed at its parent's origin");
    local = aiMatrix4x4();
  }
  Matrix m = HostMatrix(local, frame.unit);
  m.v1 = m.v1 / frame.fold;
  m.v2 = m.v2 / frame.fold;
  m.v3 = m.v3 / frame.fold;
  const Placement p = Decompose(m * after);
  if (p.sheared) ctx_.Warn(where, "the node's matrix shears; its shear is not kept");
  ApplyPlacement(op, p);
}

const ConvertedMesh* SceneBuilder::Mesh(unsigned index, Real unit, const std::string& where) {
  if (!meshes_[index]) {
    const aiMesh& mesh = *ctx_.scene->mMeshes[index];
    meshes_[index] = std::make_unique<ConvertedMesh>(ConvertMesh(mesh, unit, ctx_, where));
    meshes_[index]->name = Utf8Name(mesh.mName.C_Str());
    const std::string meshWhere = meshes_[index]->name.empty() ? where : where + ", mesh \"" + meshes_[index]->name + "\"";
    const ConvertedMesh& m = *meshes_[index];
    if (m.polygons.empty() && m.invalidPolygons)
      ctx_.Warn(meshWhere, "every polygon has a corner whose coordinates are not numbers; the mesh is left out");
    else if (m.polygons.empty())
      ctx_.Warn(meshWhere, "the mesh has no faces; left out");
    else
      WarnAboutMesh(m, ctx_, meshWhere);
    if (mesh.HasBones() && !meshes_[index]->polygons.empty())
      ctx_.Warn(meshWhere, "the mesh is skinned; it is imported in its rest pose");
  }
  return meshes_[index].get();
}

BaseObject* SceneBuilder::MakePolygon(const ConvertedMesh& mesh, const std::string& name) {
  BaseMaterial* mat = materials_.Get(mesh.material);
  PolygonObject* op = MakePolygonObject(mesh);
  if (!op) ctx_.Fail(NodeWhere(name), "the host could not make a polygon object");
  polygonObjects++;
  placed_.emplace_back(op, &mesh);
  if (mat) {
    TextureTag* tag = TextureTag::Alloc();
    if (!tag) {
      BaseObject* o = op;
      BaseObject::Free(o);
      ctx_.Fail(NodeWhere(name), "the host could not make a texture tag");
    }
    tag->SetMaterial(mat);
    tag->GetDataInstance()->SetLong(TEXTURETAG_PROJECTION, P_UVW);
    AppendTag(op, tag);
  }
  return op;
}

BaseObject* SceneBuilder::NewObject(LONG type, const std::string& where) {
  BaseObject* op = BaseObject::Alloc(type);
  if (!op) ctx_.Fail(where, "the host could not make an object");
  return op;
}

void SceneBuilder::Insert(BaseObject* op, BaseObject* parent) {
  if (parent) {
    op->InsertUnderLast(parent);
  } else {
    ctx_.doc->InsertObject(op, nullptr, lastTop_);
    lastTop_ = op;
  }
  objects++;
}

void SceneBuilder::BuildLeftoverViews() {
  // Cameras and lights no node names stand in the world at their own frame.
  const aiScene& s = *ctx_.scene;
  const Matrix axes = HostMatrix(frame_.axes, 1.0f);
  for (unsigned i = 0; i < cameraObjects_.size(); i++) {
    if (cameraObjects_[i] || !s.mCameras || !s.mCameras[i]) continue;
    const std::string name = NameOf(s.mCameras[i]->mName, "Camera");
    BaseObject* op = MakeCamera(*s.mCameras[i], ctx_, NodeWhere(name));
    op->SetName(String(name));
    cameraObjects_[i] = op;
    cameras++;
    Insert(op, nullptr);
    ApplyPlacement(op, Decompose(axes * CameraFrame(*s.mCameras[i], frame_.metresPerUnit, false)));
  }
  for (unsigned i = 0; i < lightTried_.size(); i++) {
    if (lightTried_[i] || !s.mLights || !s.mLights[i]) continue;
    lightTried_[i] = true;
    const std::string name = NameOf(s.mLights[i]->mName, "Light");
    BaseObject* op = MakeLight(*s.mLights[i], frame_.metresPerUnit, ctx_, NodeWhere(name));
    if (!op) continue;
    op->SetName(String(name));
    lights++;
    Insert(op, nullptr);
    ApplyPlacement(op, Decompose(axes * LightFrame(*s.mLights[i], frame_.metresPerUnit, false)));
  }
}

void SceneBuilder::SetSceneCamera() {
  // The first camera of the file renders the document; the render size takes its aspect.
  for (unsigned i = 0; i < cameraObjects_.size(); i++) {
    if (!cameraObjects_[i]) continue;
    ctx_.doc->GetRenderBaseDraw()->SetSceneCamera(cameraObjects_[i]);
    const Real aspect = ctx_.scene->mCameras[i]->mAspect;
    RenderData* rd = ctx_.doc->GetActiveRenderData();
    if (rd && std::isfinite(aspect) && aspect > 0.05f && aspect < 20.0f) {
      const LONG width = rd->GetDataInstance()->GetLong(RDATA_XRES, 800);
      rd->GetDataInstance()->SetLong(RDATA_YRES, std::max<LONG>(1, LONG(std::lround(width / aspect))));
    }
    return;
  }
}

void SceneBuilder::SetFocusDistances() {
  // Cameras focus on the middle of the scene's geometry.
  bool any = false;
  Vector lo, hi;
  for (const auto& [op, mesh] : placed_) {
    const Matrix mg = op->GetMg();
    for (int k = 0; k < 8; k++) {
      const Vector local((k & 1) ? mesh->boundsMax.x : mesh->boundsMin.x, (k & 2) ? mesh->boundsMax.y : mesh->boundsMin.y,
                         (k & 4) ? mesh->boundsMax.z : mesh->boundsMin.z);
      const Vector p = mg * local;
      lo = any ? Vector(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)) : p;
      hi = any ? Vector(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)) : p;
      any = true;
    }
  }
  if (!any) return;
  const Vector centre = (lo + hi) * 0.5f;
  for (BaseObject* cam : cameraObjects_) {
    if (!cam || cam->GetType() != Ocamera) continue;
    const Real d = Len(centre - cam->GetMg().off);
    if (std::isfinite(d) && d > 1e-6f) cam->GetDataInstance()->SetReal(CAMERAOBJECT_TARGETDISTANCE, d);
  }
}

}  // namespace import
}  // namespace host
