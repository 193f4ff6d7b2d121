#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "PluginIds.h"
#include "description/TMyExitPortal.h"
#include "description/oMyMaterialHelper.h"
#include "description/tMyLightTag.h"
#include "description/tSubdivision.h"
#include "exporter/KyranoSceneExporter.h"
#include "geometry/KyranoMesh.h"
#include "host/Console.h"
#include "host/PluginLoader.h"

#include "exporter/SceneTestHelpers.h"

using namespace testing_support;

namespace {


// The children of an element as "#comment text" and element names, in order.
std::vector<std::string> Children(const TiXmlNode* parent) {
  std::vector<std::string> out;
  for (const TiXmlNode* n = parent->FirstChild(); n; n = n->NextSibling())
    out.push_back(n->ToComment() ? std::string("#") + n->Value() : std::string(n->Value()));
  return out;
}

// The plug-in is loaded for its tags; the exporter writes into a scene of its own, as the
// mesh pass does, with the scene file room.kys in a fresh folder.
class Models : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Console::Get().SetEcho(false);
    ASSERT_TRUE(lib_.Load(TAVRELL_PLUGIN_DIR)) << lib_.error();
    doc_ = BaseDocument::Alloc();
    SetActiveDocument(doc_);
    ex_.initKYS(doc_, Filename(dir_.str("room.kys").c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
    ex_.initVariables();
    ex_.sceneElement = ex_.AppendElement("scene", &ex_.sceneDocument);
  }
  void TearDown() override {
    SetActiveDocument(nullptr);
    BaseDocument::Free(doc_);
  }
  PolygonObject* Insert(PolygonObject* op) {
    doc_->InsertObject(op, nullptr, nullptr);
    return op;
  }
  // Saves the scene and reads it back.
  const TiXmlElement* Scene() {
    const std::string path = dir_.str("saved.kys");
    EXPECT_TRUE(ex_.sceneDocument.SaveFile(path.c_str()));
    EXPECT_TRUE(saved_.LoadFile(path.c_str()));
    return saved_.FirstChildElement("scene");
  }
  std::string MeshPath(const char* file) const { return dir_.str(std::string("models.room/") + file); }

  TempDir dir_{"models"};
  host::PluginLibrary lib_;
  BaseDocument* doc_ = nullptr;
  KyranoSceneExporter ex_;
  TiXmlDocument saved_;
};

}  // namespace

TEST_F(Models, PolygonObjectBecomesMeshFileMeshAndModel) {
  PolygonObject* cube = Insert(MakePolygonCube("Box"));
  cube->InsertTag(BaseTag::Alloc(Tphong));
  Matrix mg;
  mg.off = Vector(1, 2, 3);
  host::Console::Get().StartCapture();
  EXPECT_TRUE(ex_.ExportPolygonObject(cube, mg, 0));
  const std::vector<std::string> lines = host::Console::Get().StopCapture();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("--Exported mesh: Box, 12 Tris, 24 Vertices, 1 UVs.", 0), 0u) << lines.back();

  Kyrano::KyranoMesh mesh;
  ASSERT_TRUE(Kyrano::KyranoMesh::readFromFile(MeshPath("room-0.kymesh"), mesh).ok);
  EXPECT_EQ(mesh.materialNames, std::vector<std::string>{"defaultMat"});
  EXPECT_EQ(mesh.normals.size(), 24u);

  const TiXmlElement* scene = Scene();
  EXPECT_EQ(Children(scene), (std::vector<std::string>{"mesh", "model"}));
  const TiXmlElement* meshElement = scene->FirstChildElement("mesh");
  EXPECT_EQ(Children(meshElement), (std::vector<std::string>{"#Box", "name", "normal_smoothing", "external",
                                                             "merge_vertices_with_same_pos_and_normal"}));
  EXPECT_EQ(ChildText(meshElement, "name"), "room-0.kymesh");
  EXPECT_EQ(ChildText(meshElement, "normal_smoothing"), "true");
  EXPECT_EQ(ChildText(meshElement->FirstChildElement("external"), "path"), MeshPath("room-0.kymesh"));
  EXPECT_EQ(ChildText(meshElement, "merge_vertices_with_same_pos_and_normal"), "false");

  const TiXmlElement* model = scene->FirstChildElement("model");
  EXPECT_EQ(Children(model), (std::vector<std::string>{"#Box", "scale", "mesh_name", "pos", "rotation"}));
  EXPECT_EQ(ChildText(model, "scale"), "1.000000");
  EXPECT_EQ(ChildText(model, "mesh_name"), "room-0.kymesh");
  EXPECT_EQ(ChildText(model, "pos"), "1.000000 3.000000 2.000000");
}

TEST_F(Models, SubdivisionTagAddsItsSettingsAfterTheMeshFields) {
  PolygonObject* cube = Insert(MakePolygonCube("Smooth"));
  cube->InsertTag(BaseTag::Alloc(ID_MYSUBDIVISION));
  ex_.SceneExportMesh(cube, 0, Filename("room-0.kymesh"));
  const TiXmlElement* mesh = Scene()->FirstChildElement("mesh");
  EXPECT_EQ(Children(mesh), (std::vector<std::string>{"#Smooth", "name", "normal_smoothing", "external",
                                                      "merge_vertices_with_same_pos_and_normal", "max_num_subdivisions",
                                                      "subdivide_pixel_threshold", "subdivide_curvature_threshold",
                                                      "displacement_error_threshold", "subdivision_smoothing",
                                                      "view_dependent_subdivision", "wrap_u", "wrap_v"}));
  EXPECT_EQ(ChildText(mesh, "normal_smoothing"), "false");
  EXPECT_EQ(ChildText(mesh, "max_num_subdivisions"), "3");
  EXPECT_EQ(ChildText(mesh, "subdivide_pixel_threshold"), "0.000000");
  EXPECT_EQ(ChildText(mesh, "subdivide_curvature_threshold"), "0.100000");
  EXPECT_EQ(ChildText(mesh, "displacement_error_threshold"), "0.000000");
  for (const char* flag : {"subdivision_smoothing", "view_dependent_subdivision", "wrap_u", "wrap_v"})
    EXPECT_EQ(ChildText(mesh, flag), "false") << flag;
}

TEST_F(Models, ExitPortalAndLightTagsDecideThePlacement) {
  PolygonObject* portal = Insert(MakePolygonCube("Window"));
  BaseTag* portalTag = BaseTag::Alloc(ID_MYEXITPORTAL);
  portal->InsertTag(portalTag);
  PolygonObject* off = Insert(MakePolygonCube("ClosedWindow"));
  BaseTag* offTag = BaseTag::Alloc(ID_MYEXITPORTAL);
  offTag->GetDataInstance()->SetBool(EXITPORTAL_ENABLE, FALSE);
  off->InsertTag(offTag);
  PolygonObject* lamp = Insert(MakePolygonCube("Lamp"));
  lamp->InsertTag(BaseTag::Alloc(ID_MYLIGHTTAG));

  ex_.ExportPolygonObject(portal, Matrix(), 0);
  ex_.ExportPolygonObject(off, Matrix(), 1);
  ex_.ExportPolygonObject(lamp, Matrix(), 2);
  const TiXmlElement* scene = Scene();
  EXPECT_EQ(Children(scene), (std::vector<std::string>{"mesh", "exit_portal", "mesh", "mesh"}));
  const TiXmlElement* exit = scene->FirstChildElement("exit_portal");
  EXPECT_EQ(Children(exit), (std::vector<std::string>{"#Window", "scale", "mesh_name", "pos", "rotation"}));
  EXPECT_EQ(ChildText(exit, "mesh_name"), "room-0.kymesh");
  for (const char* file : {"room-0.kymesh", "room-1.kymesh", "room-2.kymesh"})
    EXPECT_TRUE(std::filesystem::exists(MeshPath(file))) << file;
}

TEST_F(Models, EmptyObjectsWriteNothingButUseTheirNumber) {
  PolygonObject* empty = Insert(PolygonObject::Alloc(0, 0));
  empty->SetName("Empty");
  PolygonObject* cube = MakePolygonCube("Cube");
  doc_->InsertObject(cube, nullptr, empty);
  host::Console::Get().StartCapture();
  ex_.ExportPassMeshes();
  host::Console::Get().StopCapture();
  const TiXmlElement* scene = Scene();
  EXPECT_EQ(Children(scene), (std::vector<std::string>{"mesh", "model"}));
  EXPECT_EQ(ChildText(scene->FirstChildElement("mesh"), "name"), "room-1.kymesh");
  EXPECT_FALSE(std::filesystem::exists(MeshPath("room-0.kymesh")));
  EXPECT_TRUE(std::filesystem::exists(MeshPath("room-1.kymesh")));
}

TEST_F(Models, NoGeometryKeepsMeshFilesButWritesTheElements) {
  std::filesystem::create_directories(dir_.path() / "models.room");
  WriteFile(MeshPath("room-0.kymesh"), "earlier");
  ex_.noGeometry = 1;
  PolygonObject* cube = Insert(MakePolygonCube("Cube"));
  ex_.ExportPolygonObject(cube, Matrix(), 0);
  EXPECT_EQ(ReadFile(MeshPath("room-0.kymesh")), "earlier");
  EXPECT_EQ(Children(Scene()), (std::vector<std::string>{"mesh", "model"}));
}

TEST_F(Models, SphereIsAnAnalyticSphereInMetres) {
  BaseObject* sphere = BaseObject::Alloc(Osphere);
  sphere->SetName("Ball");
  sphere->GetDataInstance()->SetReal(PRIM_SPHERE_RAD, 50.0f);
  doc_->InsertObject(sphere, nullptr, nullptr);
  ex_.sceneScale = 0.01f;
  Matrix mg;
  mg.off = Vector(100, 200, 300);
  mg.v1 = Vector(3, 0, 0);
  ex_.SceneExportModelSphere(sphere, mg, 0);

  // With a texture tag whose material a helper links, the helper's name.
  BaseMaterial* red = Material::Alloc();
  doc_->InsertMaterial(red);
  BaseObject* helper = BaseObject::Alloc(ID_MYMATERIALHELPER);
  helper->SetName("RedHelper");
  helper->GetDataInstance()->SetLink(MATHELPER_MATERIAL, red);
  doc_->InsertObject(helper, nullptr, nullptr);
  ex_.materialList.AddTavrellMaterial(helper);
  TextureTag* texture = TextureTag::Alloc();
  texture->SetMaterial(red);
  sphere->InsertTag(texture);
  ex_.SceneExportModelSphere(sphere, mg, 0);
  ex_.SceneExportModelSphere(sphere, mg, 1);

  const TiXmlElement* scene = Scene();
  const TiXmlElement* first = scene->FirstChildElement("sphere");
  EXPECT_EQ(Children(first), (std::vector<std::string>{"#Ball", "center", "radius", "material_name"}));
  EXPECT_EQ(ChildText(first, "center"), "1.000000 3.000000 2.000000");
  EXPECT_EQ(ChildText(first, "radius"), "0.500000");
  EXPECT_EQ(ChildText(first, "material_name"), "defaultMat");
  const TiXmlElement* second = first->NextSiblingElement("sphere");
  EXPECT_EQ(ChildText(second, "material_name"), "RedHelper");
  EXPECT_EQ(ChildText(second->NextSiblingElement("sphere"), "material_name"), "defaultLight");
}

TEST_F(Models, ModelExtrasComeFromHelpersOrTheLightTag) {
  BaseMaterial* glow = Material::Alloc();
  doc_->InsertMaterial(glow);
  BaseObject* helper = BaseObject::Alloc(ID_MYMATERIALHELPER);
  helper->SetName("Glow");
  BaseContainer* data = helper->GetDataInstance();
  data->SetLink(MATHELPER_MATERIAL, glow);
  data->SetLong(MATHELPER_EMISSION_SCALE, MATHELPER_SCALE_LUMINOUS_FLUX);
  data->SetReal(MATHELPER_EMISSION_SCALE_VALUE, 1000.0f);
  data->SetBool(MATHELPER_USE_IES, TRUE);
  data->SetFilename(MATHELPER_IES_FILE, Filename(dir_.str("ies/spot.ies").c_str()));
  doc_->InsertObject(helper, nullptr, nullptr);
  ex_.materialList.AddTavrellMaterial(helper);

  PolygonObject* cube = Insert(MakePolygonCube("Panel"));
  TextureTag* texture = TextureTag::Alloc();
  texture->SetMaterial(glow);
  cube->InsertTag(texture);
  ex_.SceneExportModel(cube, 0, Filename("room-0.kymesh"), Matrix(), KyranoSceneExporter::LIGHT_NONE, nullptr);

  // Light geometry without its light object writes nothing.
  EXPECT_FALSE(ex_.SceneExportModel(cube, 1, Filename("lights-0.kymesh"), Matrix(), KyranoSceneExporter::LIGHT_SPOT, nullptr));
  // A spot light without a light tag gets the default profile.
  BaseObject* light = BaseObject::Alloc(Olight);
  doc_->InsertObject(light, nullptr, nullptr);
  ex_.SceneExportModel(cube, 1, Filename("lights-0.kymesh"), Matrix(), KyranoSceneExporter::LIGHT_SPOT, light);
  // With a light tag: its emission scale and its own profile.
  BaseTag* tag = BaseTag::Alloc(ID_MYLIGHTTAG);
  BaseContainer* lt = tag->GetDataInstance();
  lt->SetBool(LIGHTTAG_USE_SCALE, TRUE);
  lt->SetLong(LIGHTTAG_SCALE_MEASURE, LIGHTTAG_LUMINOUS_FLUX);
  lt->SetReal(LIGHTTAG_SCALE_VALUE, 1000.0f);
  lt->SetBool(LIGHTTAG_USE_IES, TRUE);
  lt->SetFilename(LIGHTTAG_IES_FILE, Filename(dir_.str("spot.ies").c_str()));
  light->InsertTag(tag);
  ex_.SceneExportModel(cube, 2, Filename("lights-1.kymesh"), Matrix(), KyranoSceneExporter::LIGHT_SPOT, light);

  const TiXmlElement* scene = Scene();
  EXPECT_EQ(Children(scene), (std::vector<std::string>{"model", "model", "model"}));
  const TiXmlElement* model = scene->FirstChildElement("model");
  EXPECT_EQ(Children(model), (std::vector<std::string>{"#Panel", "scale", "mesh_name", "pos", "rotation",
                                                       "emission_scale", "ies_profile"}));
  const TiXmlElement* scale = model->FirstChildElement("emission_scale");
  EXPECT_EQ(ChildText(scale, "material_name"), "Glow");
  EXPECT_EQ(ChildText(scale, "measure"), "luminous_flux");
  EXPECT_EQ(ChildText(scale, "value"), "1000.000000");
  EXPECT_EQ(ChildText(model->FirstChildElement("ies_profile"), "path"), "ies/spot.ies");

  const TiXmlElement* spot = model->NextSiblingElement("model");
  const std::string defaultIes = (std::filesystem::path(TAVRELL_PLUGIN_DIR) / "presets" / "default.ies").string();
  EXPECT_EQ(ChildText(spot->FirstChildElement("ies_profile"), "material_name"), "defaultLight");
  EXPECT_EQ(ChildText(spot->FirstChildElement("ies_profile"), "path"), defaultIes);

  const TiXmlElement* tagged = spot->NextSiblingElement("model");
  EXPECT_EQ(ChildText(tagged->FirstChildElement("emission_scale"), "material_name"), "defaultLight");
  EXPECT_EQ(ChildText(tagged->FirstChildElement("emission_scale"), "measure"), "luminous_flux");
  EXPECT_EQ(ChildText(tagged->FirstChildElement("ies_profile"), "path"), "spot.ies");
  EXPECT_EQ(tagged->FirstChildElement("ies_profile")->NextSiblingElement("ies_profile"), nullptr);
}

TEST_F(Models, MakeObjectEditableGivesThePolygonObjectInItsPlace) {
  EXPECT_EQ(MakeObjectEditable(nullptr, doc_), nullptr);
  BaseObject* cube = BaseObject::Alloc(Ocube);
  cube->SetName("Prim");
  doc_->InsertObject(cube, nullptr, nullptr);
  BaseObject* editable = MakeObjectEditable(cube, doc_);
  ASSERT_NE(editable, nullptr);
  EXPECT_EQ(editable->GetType(), Opolygon);
  EXPECT_EQ(doc_->GetFirstObject(), editable);
  EXPECT_GT(static_cast<PolygonObject*>(editable)->GetPolygonCount(), 0);
}
