// Turns a host document into a Kyrano scene file: walks the objects in passes and writes
// the XML scene, the mesh files beside it and the materials.
#pragma once
#include <tinyxml.h>

#include <set>
#include <string>

#include "c4d.h"
#include "exporter/InstancedList.h"
#include "exporter/MeshJobs.h"
#include "exporter/MeshReuse.h"
#include "exporter/TavrellMaterialList.h"

class KyranoSceneExporter : public Hierarchy {
 public:
  // Per-branch data of the walk: the branch's render visibility (1 visible, 0 hidden).
  struct ParentData {
    explicit ParentData(int v) : visible(v) {}
    int visible;
  };

  // Extras of a model element: spot light geometry, area light geometry, ordinary model.
  enum LightType { LIGHT_AREA_DEFAULT = 0, LIGHT_SPOT = 1, LIGHT_AREA = 2, LIGHT_NONE = 3 };

  KyranoSceneExporter();
  ~KyranoSceneExporter() override;

  // ---- driver ----
  void initKYS(BaseDocument* doc, Filename sceneFile, int renderAlpha, int noGeometry, int startMaster, int renderClay,
               int exportAnimationStatic, int separateSettings, int separateMaterials, int animationRange);
  // Builds and saves the scene of the current frame. FALSE when there is no document, a file
  // the scene names could not be written (failedWrites), or the scene file could not be saved.
  Bool exportKYS();
  void initVariables();
  // The scene file the next exportKYS writes.
  Filename GetSceneFile() const;

  // ---- value and comment writers ----
  TiXmlElement* SceneExportStringValue(const char* name, const String& value, TiXmlNode* parent);
  TiXmlElement* SceneExportBoolValue(const char* name, int value, TiXmlNode* parent);
  TiXmlElement* SceneExportLongValue(const char* name, long value, TiXmlNode* parent);
  TiXmlElement* SceneExportRealValue(const char* name, float value, TiXmlNode* parent);
  TiXmlElement* SceneExportVectorValue(const char* name, const Vector& v, TiXmlNode* parent, int swapYZ);
  void SceneExportComment(const String& text, TiXmlNode* parent);
  void SceneExportTavrellComments();
  // Appends a new empty element to parent and returns it.
  TiXmlElement* AppendElement(const char* name, TiXmlNode* parent);

  // ---- walk ----
  void* Alloc() override;
  void Free(void* data) override;
  void CopyTo(void* src, void* dst) override;
  Bool Do(void* data, BaseObject* op, const Matrix& mg, Bool controlObject) override;
  // One walk over the document in the given pass, with the branch start value 1.
  void RunPass(int passNumber, bool resetCounter);

  // ---- passes ----
  void ExportPassFindInstanced();
  void ExportPassMaterials();
  void ExportPassLights();
  void ExportPassMeshes();

  // ---- render settings, tone mapping, camera ----
  BaseContainer* GetKyranoRenderSettingsData();
  Bool SceneExportRenderSettings(TiXmlElement* settingsElement);
  Bool SceneExportTonemapping();
  void GetSceneCameraData();
  Bool SceneExportCamera(TiXmlElement* settingsElement);

  // ---- transforms and motion blur ----
  Bool SceneExportPosAndMatrix(TiXmlElement* parent, const Matrix& globalMatrix);
  Bool SceneExportMoBlurMatrix(TiXmlElement* parent, const Matrix& globalMatrix);
  void SceneExportKeyframe(Real time, TiXmlElement* parent, Real angle, const Vector& axis, const Vector& position);
  Bool SceneExportObjectMotionBlur(TiXmlElement* parent, BaseObject* object);
  Bool ObjectHasMotionBlurTag(BaseObject* object, Real& strength);
  BaseObject* GetTopmostAnimated(BaseObject* object);

  // ---- lights and environment ----
  Bool ExportLightObject(BaseObject* light, Matrix globalMatrix, long index);
  Bool SceneExportPointLight(BaseObject* light, const Matrix& globalMatrix);
  Bool SceneExportSpotLight(BaseObject* light, const Matrix& globalMatrix, long index);
  Bool SceneExportAreaLight(BaseObject* light, const Matrix& globalMatrix, long index);
  Bool SceneExportAreaLightCustom(BaseObject* light, const Matrix& globalMatrix, long index);
  // Writes a light's polygon geometry: its mesh file (unless noGeometry), the default light
  // material, the mesh and the model. FALSE, with nothing added to the scene, when the mesh
  // file could not be written.
  Bool SceneExportLightGeometry(BaseObject* light, BaseDocument* owner, BaseObject* geometry, const Matrix& placement,
                                long index, int lightType);
  // The mesh file of light geometry number index.
  Filename LightMeshFile(long index) const;
  Bool SceneExportDefaultLightMaterial(BaseObject* light);
  LONG SceneExportLighting();
  void SceneExportSkylight();
  // The background material environment; 0 when the named helper cannot be written.
  LONG SceneExportBackgroundMaterial();
  void SceneExportIESProfile(TiXmlElement* parent, const String& materialName, const String& path);
  void SceneExportEmissionScaleElementLT(TiXmlElement* parent, BaseContainer* lightTagData);
  // TRUE when it wrote the tag's own IES profile.
  Bool SceneExportLigthScalingLT(TiXmlElement* parent, BaseTag* lightTag);
  void SceneExportEmissionScaleElement(TiXmlElement* parent, BaseContainer* helperData, const String& materialName);
  void SceneExportLigthScaling(TiXmlElement* parent, BaseObject* object);

  // ---- models and meshes ----
  // The mesh file of the index-th object of a pass: the scene name, "-", the index and
  // ".kymesh". The scene name may hold dots of its own ("shot.v2", "v1.0_frame3").
  Filename MeshFileName(long index) const;
  // Writes the object's mesh file into modelsDirectory (unless noGeometry). A file that could
  // not be written raises failedWrites, and the export then fails; FALSE then.
  Bool WriteMeshFile(BaseObject* object, const Filename& meshFile);
  // Puts the earlier frame's file of an unchanged object at path (a link, or a copy) and
  // adds the object's console line to lines; FALSE when that failed (the mesh is then built).
  Bool ReuseMeshFile(BaseObject* object, const MeshReuse::Written& earlier, const std::string& path,
                     std::vector<String>& lines);
  // Builds the queued meshes on `threads` threads, prints their lines in order and records
  // each file for later frames; FALSE when some mesh file could not be written.
  Bool FinishMeshJobs(int threads);
  Bool ExportPolygonObject(BaseObject* object, const Matrix& globalMatrix, long index);
  Bool SceneExportMesh(BaseObject* object, long index, const Filename& meshFile);
  Bool SceneExportModel(BaseObject* object, long index, const Filename& meshFile, const Matrix& globalMatrix,
                        int lightType, BaseObject* lightObject);
  Bool SceneExportExitPortal(BaseObject* object, long index, const Filename& meshFile, const Matrix& globalMatrix);
  Bool SceneExportModelSphere(BaseObject* object, const Matrix& globalMatrix, int isLight);
  // Appends the object's name as the element's first child, a comment.
  void SceneExportNameComment(BaseObject* object, TiXmlElement* element);

  // ---- materials and spectra ----
  void SceneExportDefaultMats();
  // Writes the entry and what it depends on (blend components first, a medium before its
  // material); false when its helper links no material.
  bool RecoursiveExportMaterials(TavrellMaterial* entry, int asPreview);
  void SceneExportInclude(const Filename& file);
  // Writes the helper's material into a material file; 0 when there is nothing to write or
  // the file could not be saved (an earlier file is then left whole).
  int exportKYM(BaseDocument* doc, BaseObject* helper, const Filename& file, int asPreview);
  Bool SceneExportSpectrumRGB(const Vector& colour, float gamma, float gain, TiXmlElement* parent);
  Bool SceneExportSpectrumBlackbody(float temperature, float gain, TiXmlElement* parent);
  Bool SceneExportSpectrumUniform(float value, TiXmlElement* parent);
  Bool SceneExportSpectrumPeak(float peakMin, float peakWidth, float baseValue, float peakValue, TiXmlElement* parent);
  Bool SceneExportSpectrumTabulated(const String& start, const String& end, long count, const String& values,
                                    TiXmlElement* parent);

  // ---- material writers: each fills the type element of one material from a helper ----
  Bool SceneExportDiffuseMaterial(BaseContainer* data, TiXmlElement* parent);
  Bool SceneExportPhongMaterial(BaseContainer* data, TiXmlElement* parent);
  Bool SceneExportSpecularMaterial(BaseContainer* data, TiXmlElement* parent);
  Bool SceneExportGlossyMaterial(BaseContainer* data, TiXmlElement* parent);
  Bool SceneExportDiffuseTransMaterial(BaseContainer* data, TiXmlElement* parent);
  Bool SceneExportOrenNayarMaterial(BaseContainer* data, TiXmlElement* parent);
  Bool SceneExportBlendMat(BaseContainer* data, TiXmlElement* parent);
  // base_emission and layer of an emitting helper (the caller checks MATHELPER_EMISSION).
  Bool SceneExportEmission(BaseContainer* data, TiXmlElement* parent);
  // The medium of a specular or glossy helper, appended to the root, named "Med" and the
  // name of the material being written.
  Bool SceneExportMedium(BaseContainer* data);

  // ---- textures, shaders and maps ----
  Bool ExportTexture(PluginShader* bitmapShader, TiXmlElement* parent, float exponent, float a, float b, float c);
  Bool ExportTexture(TiXmlElement* parent, const String& path, float exponent, float a, float b, float c);
  void ExportTextureIndex(TiXmlElement* parent, int index);
  Bool ExportShader(TiXmlElement* typeElement, TiXmlElement* target, PluginShader* islShader, int& counter);
  static std::string ReplaceShaderString(std::string text, const std::string& placeholder, const std::string& replacement);
  // Each writes the helper's map from the host material's channel: a texture definition and
  // the input referring to it, or an ISL shader; false when it wrote nothing.
  Bool SceneExportDiffuseTexture(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement, int& counter,
                                 int asPhong);
  Bool SceneExportBlendMap(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement, int& counter);
  Bool SceneExportExponentMap(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement, int& counter);
  Bool SceneExportBumpMap(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement, int& counter);
  Bool SceneExportDisplacementMap(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement, int& counter);
  Bool SceneExportEmissionMap(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement, int& counter);

  // ---- state shared by the writers ----
  LONG currentFrame = 0;
  TiXmlDocument sceneDocument;
  TiXmlElement* sceneElement = nullptr;
  TiXmlNode* lastComment = nullptr;
  TiXmlElement* lastValueElement = nullptr;
  BaseDocument* document = nullptr;
  BaseContainer* renderSettings = nullptr;
  BaseObject* sceneCamera = nullptr;
  BaseContainer cameraData;
  BaseContainer cameraTagData;
  LONG hasCameraTag = 0;
  AtomArray* lightGeometry = nullptr;
  LONG pass = 0;
  char valueBuffer[2000];
  Real sceneScale = 1.0f;
  Real exposureDuration = 0.05f;
  LONG objectCounter = 0;
  Filename outputDirectory;
  Filename modelsDirectory;
  String sceneName;
  String sceneFileName;
  LONG noGeometry = 0;
  LONG renderClay = 0;
  TavrellMaterialList materialList;
  InstancedList instancedList;
  // Files of this export that could not be written. Every writer of a file the scene names
  // raises it; exportKYS then saves no scene over the earlier one and returns FALSE.
  LONG failedWrites = 0;
  // Unique name of the material being written; its medium is named after it.
  String materialName;
  // External material files already included (each is included once).
  std::set<std::string> includedFiles;
  // The mesh files written so far in this export; a later frame links those of unchanged
  // objects. Emptied by initKYS.
  MeshReuse meshReuse;
  // While the mesh pass walks, meshes are queued and built after the walk on meshThreads
  // threads; outside it each is built at once.
  MeshJobs meshJobs;
  bool deferMeshBuilds = false;
  int meshThreads = MeshJobs::DefaultThreads();

 private:
  // The scene name given to initKYS; with a frame range each frame's scene is named after it
  // with "_frame" and the frame number, so frames never overwrite each other.
  String baseSceneName;
  LONG animationRange = 0;
};

// Replaces the object in its document by its editable polygon form; the polygon object, or
// null.
BaseObject* MakeObjectEditable(BaseObject* object, BaseDocument* document);
