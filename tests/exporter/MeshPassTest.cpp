#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "geometry/KyranoMesh.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"

#include "exporter/SceneTestHelpers.h"

using namespace testing_support;

namespace {


}  // namespace

// The whole export of a room: two cubes and a ball under a null, through the exporter's
// passes, read back from the saved scene and mesh files.
TEST(MeshPass, RoomWithTwoCubesAndASphereExportsInHierarchyOrder) {
  host::Console::Get().SetEcho(false);
  host::PluginLibrary lib;
  ASSERT_TRUE(lib.Load(TAVRELL_PLUGIN_DIR)) << lib.error();
  TempDir dir("meshpass");
  BaseDocument* doc = BaseDocument::Alloc();
  SetActiveDocument(doc);
  BaseObject* room = BaseObject::Alloc(Onull);
  room->SetName("Room");
  room->SetPos(Vector(0, 100, 0));
  doc->InsertObject(room, nullptr, nullptr);
  PolygonObject* floor = MakePolygonCube("Floor", Vector(10, 0, 0));
  doc->InsertObject(floor, room, nullptr);
  BaseObject* ball = BaseObject::Alloc(Osphere);
  ball->SetName("Ball");
  ball->SetPos(Vector(0, 0, 20));
  ball->GetDataInstance()->SetReal(PRIM_SPHERE_RAD, 30.0f);
  doc->InsertObject(ball, room, floor);
  PolygonObject* box = MakePolygonCube("Box", Vector(-5, 0, 0));
  box->InsertTag(BaseTag::Alloc(Tphong));
  doc->InsertObject(box, room, ball);

  KyranoSceneExporter ex;
  ex.initKYS(doc, Filename(dir.str("room.kys").c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
  host::Console::Get().StartCapture();
  ASSERT_TRUE(ex.exportKYS());
  const std::vector<std::string> lines = host::Console::Get().StopCapture();

  std::vector<std::string> exported;
  for (const std::string& l : lines)
    if (l.rfind("--Exported mesh: ", 0) == 0) exported.push_back(l.substr(0, l.find('.')));
  EXPECT_EQ(exported, (std::vector<std::string>{"--Exported mesh: Floor, 12 Tris, 8 Vertices, 1 UVs",
                                                "--Exported mesh: Box, 12 Tris, 24 Vertices, 1 UVs"}));

  TiXmlDocument xml;
  ASSERT_TRUE(xml.LoadFile(dir.str("room.kys").c_str()));
  const TiXmlElement* scene = xml.FirstChildElement("scene");
  ASSERT_NE(scene, nullptr);
  std::vector<std::string> geometry;
  std::set<std::string> materials;
  for (const TiXmlElement* e = scene->FirstChildElement(); e; e = e->NextSiblingElement()) {
    const std::string name = e->Value();
    if (name == "mesh" || name == "model" || name == "sphere") geometry.push_back(name + " " + ChildText(e, name == "sphere" ? "radius" : name == "mesh" ? "name" : "mesh_name"));
    if (name == "material") materials.insert(ChildText(e, "name"));
  }
  EXPECT_EQ(geometry, (std::vector<std::string>{"mesh room-0.kymesh", "model room-0.kymesh", "sphere 30.000000",
                                                "mesh room-1.kymesh", "model room-1.kymesh"}));

  // Placement through the hierarchy, with y and z exchanged.
  const TiXmlElement* model = scene->FirstChildElement("model");
  EXPECT_EQ(ChildText(model, "pos"), "10.000000 0.000000 100.000000");
  EXPECT_EQ(ChildText(scene->FirstChildElement("sphere"), "center"), "0.000000 20.000000 100.000000");
  EXPECT_EQ(ChildText(scene->FirstChildElement("sphere"), "material_name"), "defaultMat");

  // Both mesh files sit in models.room, are sound, and name only materials the scene has.
  for (const char* file : {"room-0.kymesh", "room-1.kymesh"}) {
    Kyrano::KyranoMesh mesh;
    const Kyrano::MeshReadResult read = Kyrano::KyranoMesh::readFromFile(dir.str(std::string("models.room/") + file), mesh);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(Kyrano::validateMesh(mesh), "");
    for (const std::string& m : mesh.materialNames) EXPECT_TRUE(materials.count(m)) << file << " names " << m;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.str("models.room")), std::filesystem::directory_iterator()), 2);
  SetActiveDocument(nullptr);
  BaseDocument::Free(doc);
}

// The example room as a user opens it: primitives that the host turns into polygons.
TEST(MeshPass, ExampleRoomExportsItsPrimitivesAsMeshesAndTheBallAsASphere) {
  host::Console::Get().SetEcho(false);
  host::PluginLibrary lib;
  ASSERT_TRUE(lib.Load(TAVRELL_PLUGIN_DIR)) << lib.error();
  TempDir dir("meshpass_example");
  BaseDocument* doc = host::LoadDocument(std::string(TAVRELL_SOURCE_DIR) + "/examples/room.json");
  SetActiveDocument(doc);
  AnimateDocument(doc, TRUE, TRUE);
  KyranoSceneExporter ex;
  ex.initKYS(doc, Filename(dir.str("room.kys").c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
  host::Console::Get().StartCapture();
  ASSERT_TRUE(ex.exportKYS());
  host::Console::Get().StopCapture();

  TiXmlDocument xml;
  ASSERT_TRUE(xml.LoadFile(dir.str("room.kys").c_str()));
  std::vector<std::string> geometry;
  for (const TiXmlElement* e = xml.FirstChildElement("scene")->FirstChildElement(); e; e = e->NextSiblingElement()) {
    const std::string name = e->Value();
    if (name == "mesh" || name == "model" || name == "sphere") geometry.push_back(name);
  }
  EXPECT_EQ(geometry, (std::vector<std::string>{"mesh", "model", "mesh", "model", "sphere"}));
  for (const char* file : {"room-0.kymesh", "room-1.kymesh"}) {
    Kyrano::KyranoMesh mesh;
    ASSERT_TRUE(Kyrano::KyranoMesh::readFromFile(dir.str(std::string("models.room/") + file), mesh).ok) << file;
    EXPECT_EQ(mesh.triangles.size(), 12u) << file;
    EXPECT_EQ(Kyrano::validateMesh(mesh), "") << file;
  }
  SetActiveDocument(nullptr);
  BaseDocument::Free(doc);
}
