// Real models of other tools, from Debian's assimp-testmodels package: each one opens as a
// host document, exports through the plug-in's exporter, and the stand-in renderer accepts
// the scene. Skipped when the package is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <tinyxml.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "TestSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"
#include "host/SceneImport.h"

extern char** environ;

using namespace testing_support;

namespace {

// What a model brings that the import must carry over.
enum Feature { kPlain = 0, kCamera = 1, kLight = 2, kAnimation = 4, kTexture = 8, kMaterials = 16, kDeep = 32 };

struct Model {
  const char* path;  // below the package's model folder
  int features;
};

// Chosen to cover every common format and the features above. Textures: the model's
// materials name texture files (some of them missing beside the model, which must only warn).
const Model kModels[] = {
    {"OBJ/spider.obj", kTexture | kMaterials},
    {"OBJ/box.obj", kPlain},
    {"OBJ/concave_polygon.obj", kPlain},
    {"OBJ/testmixed.obj", kPlain},
    {"OBJ/regr01.obj", kMaterials},
    {"Collada/duck.dae", kCamera | kLight | kTexture},
    {"Collada/cameras.dae", kCamera},
    {"Collada/lights.dae", kLight},
    {"Collada/anims_with_full_rotations_between_keys.DAE", kAnimation | kDeep},
    {"Collada/teapots.DAE", kMaterials},
    {"Collada/earthCylindrical.DAE", kTexture},
    {"Collada/human.zae", kMaterials},
    {"FBX/spider.fbx", kCamera | kLight | kTexture | kMaterials},
    {"FBX/animation_with_skeleton.fbx", kCamera | kLight | kAnimation | kDeep},
    {"FBX/global_settings.fbx", kCamera | kLight | kMaterials},
    {"FBX/huesitos.fbx", kAnimation | kDeep},
    {"FBX/embedded_ascii/box.FBX", kTexture},
    {"FBX/cubes_with_mirroring_and_pivot.fbx", kMaterials},
    {"glTF2/BoxTextured-glTF/BoxTextured.gltf", kTexture},
    {"glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb", kCamera | kMaterials | kDeep},
    {"glTF2/cameras/Cameras.gltf", kCamera},
    {"glTF2/simple_skin/simple_skin.gltf", kAnimation},
    {"glTF/CesiumMilkTruck/CesiumMilkTruck.gltf", kTexture | kMaterials},
    {"3DS/CameraRollAnimWithChildObject.3ds", kCamera | kAnimation},
    {"3DS/test1.3ds", kTexture | kMaterials},
    {"3DS/RotatingCube.3DS", kAnimation},
    {"PLY/cube_uv.ply", kPlain},
    {"PLY/Wuson.ply", kPlain},
    {"STL/Spider_binary.stl", kPlain},
    {"X/anim_test.x", kAnimation},
    {"X/Testwuson.X", kAnimation | kDeep},
    {"ASE/anim2.ASE", kCamera | kLight | kAnimation},
    {"BLEND/TorusLightsCams_250_compressed.blend", kCamera | kLight},
    {"BLEND/CubeHierarchy_248.blend", kCamera | kLight | kMaterials | kDeep},
    {"LWO/LWO2/hierarchy.lwo", kMaterials | kDeep},
    {"LWS/move_xz_spline.lws", kCamera | kLight | kAnimation},
    {"MS3D/jeep1.ms3d", kTexture},
    {"NFF/NFF/ManyEarthsNotJustOne.nff", kCamera | kLight | kMaterials},
    {"AC/SphereWithLight.ac", kLight | kTexture},
    {"OFF/Cube.off", kPlain},
};

std::string ModelFolder() {
  for (const char* dir : {"/usr/share/assimp/models", "/usr/share/assimp-testmodels", "/usr/share/assimp-testmodels/models"})
    if (std::filesystem::is_directory(dir)) return dir;
  return "";
}

struct DocFree {
  void operator()(BaseDocument* d) const { BaseDocument::Free(d); }
};
using Doc = std::unique_ptr<BaseDocument, DocFree>;

// Runs the stand-in renderer on the scene, its output into a log beside it; the exit code.
int Render(const std::string& scene) {
  const std::string exe = std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/Kyrano";
  const std::string log = scene + ".log";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>(scene.c_str()), nullptr};
  pid_t pid = 0;
  const int err = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

class TestModels : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = ModelFolder();
    if (folder_.empty()) GTEST_SKIP() << "Debian's assimp-testmodels package is not installed (apt-get install assimp-testmodels)";
    host::Console::Get().SetEcho(false);
    ASSERT_TRUE(lib_.Load(TAVRELL_PLUGIN_DIR)) << lib_.error();
  }
  void TearDown() override { SetActiveDocument(nullptr); }

  Doc Open(const std::string& rel) { return Doc(host::ImportScene(folder_ + "/" + rel)); }

  // Exports the document at the frame into the scene file; whether the exporter says so.
  bool Export(BaseDocument* doc, const std::string& scene, LONG frame, bool range) {
    SetActiveDocument(doc);
    const LONG fps = doc->GetFps();
    doc->SetTime(BaseTime(LReal(frame), LReal(fps)));
    AnimateDocument(doc, TRUE, TRUE);
    KyranoSceneExporter exporter;
    exporter.initKYS(doc, Filename(scene.c_str()), 0, 0, 0, 0, 0, 0, 0, range ? 1 : 0);
    exporter.currentFrame = frame;
    host::Console::Get().StartCapture();
    const bool ok = exporter.exportKYS();
    host::Console::Get().StopCapture();
    SetActiveDocument(nullptr);
    return ok;
  }

  std::string folder_;
  host::PluginLibrary lib_;
};

std::string Suffix(const std::string& path) {
  std::string s = std::filesystem::path(path).extension().string();
  for (char& c : s) c = char(std::tolower((unsigned char)c));
  return s;
}

// The text of the first element at the path ("camera/pos") below the scene root.
std::string SceneText(const std::string& scene, std::initializer_list<const char*> path) {
  TiXmlDocument xml;
  if (!xml.LoadFile(scene.c_str())) return "(unreadable scene)";
  const TiXmlElement* e = xml.FirstChildElement("scene");
  for (const char* name : path) e = e ? e->FirstChildElement(name) : nullptr;
  return e && e->GetText() ? e->GetText() : "";
}

std::string Triple(const Vector& v) {
  char text[128];
  std::snprintf(text, sizeof text, "%08f %08f %08f", v.x, v.y, v.z);
  return text;
}

}  // namespace

TEST_F(TestModels, EveryChosenModelOpensExportsAndIsAccepted) {
  TempDir dir("testmodels");
  std::set<std::string> formats;
  int features = 0, index = 0;
  for (const Model& m : kModels) {
    SCOPED_TRACE(m.path);
    const std::string folder = dir.str("m" + std::to_string(index++));
    std::filesystem::create_directories(folder);
    const std::string scene = folder + "/scene.kys";
    Doc doc;
    try {
      host::Console::Get().StartCapture();
      doc = Open(m.path);
      host::Console::Get().StopCapture();
    } catch (const host::DocumentError& e) {
      host::Console::Get().StopCapture();
      ADD_FAILURE() << e.what();
      continue;
    }
    ASSERT_TRUE(Export(doc.get(), scene, doc->GetMinTime().GetFrame(doc->GetFps()), false));
    EXPECT_EQ(Render(scene), 0) << ReadFile(scene + ".log");
    formats.insert(Suffix(m.path));
    features |= m.features;
    if (m.features & kCamera) {
      EXPECT_NE(doc->GetRenderBaseDraw()->GetSceneCamera(doc.get()), nullptr);
    }
    if (m.features & kAnimation) {
      EXPECT_GT(doc->GetMaxTime().GetFrame(doc->GetFps()), doc->GetMinTime().GetFrame(doc->GetFps()));
    }
  }
  EXPECT_GE(sizeof kModels / sizeof kModels[0], 30u);
  EXPECT_GE(formats.size(), 6u);
  EXPECT_EQ(features, kCamera | kLight | kAnimation | kTexture | kMaterials | kDeep);
}

TEST_F(TestModels, AnAnimatedModelIsPlacedDifferentlyPerFrame) {
  Doc doc = Open("3DS/RotatingCube.3DS");
  const LONG fps = doc->GetFps();
  const LONG first = doc->GetMinTime().GetFrame(fps), last = doc->GetMaxTime().GetFrame(fps);
  ASSERT_GT(last, first);
  TempDir dir("testmodels_anim");
  const std::string scene = dir.str("cube.kys");
  const LONG frames[3] = {first, (first + last) / 4, (first + last) / 2};
  std::set<std::string> placements;
  for (LONG f : frames) {
    ASSERT_TRUE(Export(doc.get(), scene, f, true));
    const std::string frameScene = dir.str("cube_frame" + std::to_string(f) + ".kys");
    EXPECT_EQ(Render(frameScene), 0) << ReadFile(frameScene + ".log");
    placements.insert(SceneText(frameScene, {"model", "rotation", "matrix"}) + " / " + SceneText(frameScene, {"model", "pos"}));
  }
  EXPECT_EQ(placements.size(), 3u);
}

TEST_F(TestModels, AModelWithACameraExportsThatCamera) {
  Doc doc = Open("Collada/duck.dae");
  BaseObject* cam = doc->GetRenderBaseDraw()->GetSceneCamera(doc.get());
  ASSERT_NE(cam, nullptr);
  TempDir dir("testmodels_camera");
  const std::string scene = dir.str("duck.kys");
  ASSERT_TRUE(Export(doc.get(), scene, 0, false));
  EXPECT_EQ(Render(scene), 0) << ReadFile(scene + ".log");
  // The file puts the camera at (400.113, 463.264, -431.078) cm, y up: the renderer (z up,
  // metres) sees it at (4.00113, 4.31078, 4.63264).
  const Vector p = cam->GetMg().off;
  EXPECT_EQ(SceneText(scene, {"camera", "pos"}), Triple(Vector(p.x, p.z, p.y)));
  EXPECT_EQ(SceneText(scene, {"camera", "pos"}), "4.001130 4.310780 4.632640");
}
