#include "helpers/HelpersPaths.h"
#include "PluginIds.h"
#include "description/TMyExitPortal.h"
#include "description/tMyLightTag.h"
#include "description/tSubdivision.h"
#include "exporter/KyranoSceneExporter.h"
#include "exporter/SceneExportText.h"
#include "geometry/WavefrontExport.h"
#include "ReplaceFile.h"

// The suffix is appended, never set: setting it would first clear everything after the last
// dot of a scene name such as "shot.v2", and every object would get the same file.
Filename KyranoSceneExporter::MeshFileName(long index) const {
  return Filename(sceneName + "-" + LongToString(LONG(index)) + ".kymesh");
}

// An object that did not change since an earlier frame of this export gets that frame's file
// without being built again; any other is queued to be built, at once outside the mesh pass.
Bool KyranoSceneExporter::WriteMeshFile(BaseObject* object, const Filename& meshFile) {
  if (noGeometry) return TRUE;
  MeshJobs::Job job;
  job.meshFile = meshFile;
  Filename file = meshFile;
  file.SetSuffix("kymesh");
  job.path = SceneExportText::ToStd(modelsDirectory.GetString() + "/" + file.GetString());
  job.fingerprint = MeshFingerprint::Of(static_cast<PolygonObject*>(object), document, sceneScale, &materialList);
  job.source = MeshSourceOf(object)->GetUniqueId();
  const MeshReuse::Written* earlier = meshReuse.Find(job.source, job.fingerprint);
  // Later frames keep linking to the file the object was built into.
  if (!earlier || !ReuseMeshFile(object, *earlier, job.path, job.lines)) job.object = object;
  meshJobs.Add(std::move(job));
  return deferMeshBuilds ? TRUE : FinishMeshJobs(1);
}

Bool KyranoSceneExporter::FinishMeshJobs(int threads) {
  meshJobs.Build(document, modelsDirectory, sceneScale, &materialList, threads);
  const LONG failedBefore = failedWrites;
  for (MeshJobs::Job& job : meshJobs.Jobs()) {
    for (const String& line : job.lines) GePrint(line);
    if (!job.object) continue;
    if (!job.written) {
      meshReuse.Forget(job.source);
      failedWrites++;
      continue;
    }
    MeshReuse::Written written;
    written.path = job.path;
    written.triangles = job.triangles;
    written.vertices = job.vertices;
    written.uvs = job.uvs;
    written.frame = currentFrame;
    meshReuse.Remember(job.source, job.fingerprint, written);
  }
  meshJobs.Clear();
  return failedWrites == failedBefore;
}

Bool KyranoSceneExporter::ReuseMeshFile(BaseObject* object, const MeshReuse::Written& earlier, const std::string& path,
                                        std::vector<String>& lines) {
  const String counts = object->GetName() + ", " + LongToString(earlier.triangles) + " Tris, " +
                        LongToString(earlier.vertices) + " Vertices, " + LongToString(earlier.uvs) + " UVs. ";
  if (earlier.path == path) {
    lines.push_back(String("--Exported mesh: ") + counts + "Unchanged since frame " + LongToString(earlier.frame) +
                    ": kept " + String(path.c_str()));
    return TRUE;
  }
  if (!GeFExist(modelsDirectory, TRUE)) GeFCreateDir(modelsDirectory);
  bool copied = false;
  const std::string error = replaceFileWithLink(path, earlier.path, &copied);
  if (!error.empty()) {
    lines.push_back(String("--Could not reuse mesh: ") + object->GetName() + ". " + String(error.c_str()) +
                    "; building it again.");
    return FALSE;
  }
  lines.push_back(String("--Exported mesh: ") + counts + "Unchanged since frame " + LongToString(earlier.frame) +
                  (copied ? ": copied from " : ": linked to ") + String(earlier.path.c_str()));
  return TRUE;
}

// One polygon object: its mesh file (unless geometry is switched off), its mesh element and
// its placement. Objects without polygons write nothing but still use their number.
Bool KyranoSceneExporter::ExportPolygonObject(BaseObject* object, const Matrix& globalMatrix, long index) {
  if (!object || object->GetType() != Opolygon) return TRUE;
  if (static_cast<PolygonObject*>(object)->GetPolygonCount() < 1) return TRUE;

  const Filename meshFile = MeshFileName(index);
  WriteMeshFile(object, meshFile);
  SceneExportMesh(object, index, meshFile);

  if (BaseTag* portal = object->GetTag(ID_MYEXITPORTAL)) {
    if (portal->GetDataInstance()->GetBool(EXITPORTAL_ENABLE, TRUE))
      SceneExportExitPortal(object, index, meshFile, globalMatrix);
  } else if (!object->GetTag(ID_MYLIGHTTAG)) {
    SceneExportModel(object, index, meshFile, globalMatrix, LIGHT_NONE, nullptr);
  }
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportMesh(BaseObject* object, long, const Filename& meshFile) {
  TiXmlElement* mesh = AppendElement("mesh", sceneElement);
  SceneExportNameComment(object, mesh);
  SceneExportStringValue("name", meshFile.GetString(), mesh);
  SceneExportBoolValue("normal_smoothing", object->GetTag(Tphong) != nullptr, mesh);
  SceneExportStringValue("path", (modelsDirectory + meshFile).GetString(), AppendElement("external", mesh));
  SceneExportBoolValue("merge_vertices_with_same_pos_and_normal", 0, mesh);

  BaseTag* subdivision = object->GetTag(ID_MYSUBDIVISION);
  if (!subdivision) return TRUE;
  const BaseContainer* data = subdivision->GetDataInstance();
  SceneExportLongValue("max_num_subdivisions", data->GetLong(SUBDIVTAG_MAX_SUBDIVISIONS, 0), mesh);
  SceneExportRealValue("subdivide_pixel_threshold", data->GetReal(SUBDIVTAG_PIXEL_THRESHOLD, 0.0f), mesh);
  SceneExportRealValue("subdivide_curvature_threshold", data->GetReal(SUBDIVTAG_CURVATURE_THRESHOLD, 0.0f), mesh);
  SceneExportRealValue("displacement_error_threshold", data->GetReal(SUBDIVTAG_DISPLACEMENT_ERROR_THRESHOLD, 0.0f),
                       mesh);
  SceneExportBoolValue("subdivision_smoothing", data->GetBool(SUBDIVTAG_SMOOTHING, FALSE), mesh);
  SceneExportBoolValue("view_dependent_subdivision", data->GetBool(SUBDIVTAG_VIEW_DEPENDENT, FALSE), mesh);
  SceneExportBoolValue("wrap_u", data->GetBool(SUBDIVTAG_WRAP_U, FALSE), mesh);
  SceneExportBoolValue("wrap_v", data->GetBool(SUBDIVTAG_WRAP_V, FALSE), mesh);
  return TRUE;
}

// A placed mesh. Light geometry (every type but LIGHT_NONE) needs its light object, whose
// light tag supplies the emission scale and IES profile; an ordinary model takes both from
// the material helpers of its materials.
Bool KyranoSceneExporter::SceneExportModel(BaseObject* object, long, const Filename& meshFile, const Matrix& globalMatrix,
                                           int lightType, BaseObject* lightObject) {
  if (lightType != LIGHT_NONE && !lightObject) return FALSE;
  TiXmlElement* model = AppendElement("model", sceneElement);
  SceneExportNameComment(object, model);
  SceneExportRealValue("scale", 1.0f, model);
  SceneExportStringValue("mesh_name", meshFile.GetString(), model);
  if (SceneExportObjectMotionBlur(model, object)) SceneExportMoBlurMatrix(model, globalMatrix);
  else SceneExportPosAndMatrix(model, globalMatrix);

  BaseTag* lightTag = lightObject ? lightObject->GetTag(ID_MYLIGHTTAG) : nullptr;
  switch (lightType) {
    case LIGHT_AREA_DEFAULT:
    case LIGHT_AREA:
      if (lightTag) SceneExportLigthScalingLT(model, lightTag);
      break;
    case LIGHT_SPOT:
      // A spot's direction comes only from its IES profile: the tag's own, or the default
      // (also when the tag's profile is switched on but names no file).
      if (lightTag && SceneExportLigthScalingLT(model, lightTag)) break;
      SceneExportIESProfile(model, "defaultLight", (GeGetPluginPath() + Filename("presets") + Filename("default.ies")).GetString());
      break;
    case LIGHT_NONE:
      SceneExportLigthScaling(model, object);
      break;
    default:
      break;
  }
  return TRUE;
}

// Exit portals are placed without motion blur.
Bool KyranoSceneExporter::SceneExportExitPortal(BaseObject* object, long, const Filename& meshFile,
                                                const Matrix& globalMatrix) {
  TiXmlElement* portal = AppendElement("exit_portal", sceneElement);
  SceneExportNameComment(object, portal);
  SceneExportRealValue("scale", 1.0f, portal);
  SceneExportStringValue("mesh_name", meshFile.GetString(), portal);
  SceneExportPosAndMatrix(portal, globalMatrix);
  return TRUE;
}

// An analytic sphere: centre and radius in metres; the object's own scale and rotation are
// not applied. Axes (x, y, z) are written as (x, z, y).
Bool KyranoSceneExporter::SceneExportModelSphere(BaseObject* object, const Matrix& globalMatrix, int isLight) {
  TiXmlElement* sphere = AppendElement("sphere", sceneElement);
  SceneExportNameComment(object, sphere);
  SceneExportVectorValue("center", globalMatrix.off * sceneScale, sphere, 1);
  SceneExportRealValue("radius", object->GetDataInstance()->GetReal(PRIM_SPHERE_RAD, 1.0f) * sceneScale, sphere);

  String material = "defaultMat";
  if (isLight) {
    material = "defaultLight";
  } else {
    TextureTag* texture = Helpers::GetTexTagWithSelection(Helpers::GetAllTextureTags(object), nullptr);
    BaseMaterial* linked = texture ? texture->GetMaterial() : nullptr;
    TavrellMaterial* entry = linked ? materialList.FindMaterialWithPointer(linked) : nullptr;
    if (entry) material = entry->name;
  }
  SceneExportStringValue("material_name", material, sphere);
  return TRUE;
}

BaseObject* MakeObjectEditable(BaseObject* object, BaseDocument* document) {
  if (!object) return nullptr;
  BaseLink* link = BaseLink::Alloc();
  if (!link) return nullptr;
  link->SetLink(object);
  ModelingCommandData command;
  command.doc = document;
  command.op = object;
  command.bc = object->GetDataInstance();
  command.mode = MODIFY_ALL;
  command.flags = MODELINGCOMMANDFLAG_CREATEUNDO;
  SendModelingCommand(MCOMMAND_MAKEEDITABLE, command);
  BaseList2D* resolved = link->GetLink(document);
  BaseLink::Free(link);
  // Only a polygon object is of use; a command that left the generator as it was gives none.
  return resolved && resolved->GetType() == Opolygon ? static_cast<BaseObject*>(resolved) : nullptr;
}
