// Lit scenes from outside: the lights of models from Debian's assimp-testmodels package and
// of the lit example document export to scenes the stand-in renderer accepts, one emitter per
// light it can show.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "exporter/SceneTestHelpers.h"
#include "geometry/KyranoMesh.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"
#include "host/SceneImport.h"

using namespace testing_support;

namespace {

std::string ModelFolder() {
  for (const char* dir : {"/usr/share/assimp/models", "/usr/share/assimp-testmodels", "/usr/share/assimp-testmodels/models"})
    if (fs::is_directory(dir)) return dir;
  return "";
}

struct DocFree {
  void operator()(BaseDocument* d) const { BaseDocument::Free(d); }
};
using Doc = std::unique_ptr<BaseDocument, DocFree>;

// What the light pass made of a scene: the emitters by kind, and the console's skip lines.
struct Emitters {
  std::vector<std::string> spheres, meshes;  // the lights' names, from the elements' comments
  std::vector<std::string> skipped;
  int rendererExit = -1;
  std::string report;
};

std::string Comment(const TiXmlElement* e) {
  const TiXmlNode* first = e->FirstChild();
  return first && first->ToComment() ? first->Value() : "<none>";
}

class ImportedLights : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Console::Get().SetEcho(false);
    ASSERT_TRUE(lib_.Load(TAVRELL_PLUGIN_DIR)) << lib_.error();
  }
  void TearDown() override { SetActiveDocument(nullptr); }

  // Exports into scene.kys, lets the stand-in renderer check it and gathers the emitters.
  Emitters ExportAndCheck(BaseDocument* doc) {
    SetActiveDocument(doc);
    AnimateDocument(doc, TRUE, TRUE);
    const std::string scene = dir_.str("scene.kys");
    KyranoSceneExporter ex;
    ex.initKYS(doc, Filename(scene.c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
    host::Console::Get().StartCapture();
    EXPECT_TRUE(ex.exportKYS());
    const std::vector<std::string> lines = host::Console::Get().StopCapture();
    SetActiveDocument(nullptr);

    Emitters out;
    for (const std::string& l : lines)
      if (l.rfind("Light \"", 0) == 0) out.skipped.push_back(l);
    TiXmlDocument xml;
    EXPECT_TRUE(xml.LoadFile(scene.c_str()));
    const TiXmlElement* root = xml.FirstChildElement("scene");
    for (const TiXmlElement* e = root ? root->FirstChildElement() : nullptr; e; e = e->NextSiblingElement()) {
      const std::string name = e->Value();
      if (name == "sphere" && ChildText(e, "material_name") == "defaultLight") out.spheres.push_back(Comment(e));
      if (name == "mesh" && ChildText(e, "name").rfind("lights-", 0) == 0) out.meshes.push_back(Comment(e));
    }
    const std::string exe = std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/Kyrano";
    const int status = std::system(("'" + exe + "' '" + scene + "' > '" + scene + ".log' 2>&1").c_str());
    out.rendererExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    out.report = ReadFile(scene + ".log");
    return out;
  }

  // A model of the package, imported quietly; null when the package is not installed.
  Doc Import(const std::string& model) {
    const std::string folder = ModelFolder();
    if (folder.empty()) return nullptr;
    host::Console::Get().StartCapture();
    Doc doc(host::ImportScene(folder + "/" + model));
    host::Console::Get().StopCapture();
    return doc;
  }

  TempDir dir_{"imported_lights"};
  host::PluginLibrary lib_;
};

// The light's parameters as the light pass reads them.
std::string Params(BaseObject* light) {
  const BaseContainer* bc = light->GetDataInstance();
  const Vector c = bc->GetVector(LIGHT_COLOR);
  char text[200];
  std::snprintf(text, sizeof text, "type %d colour %g %g %g brightness %g", int(bc->GetLong(LIGHT_TYPE)), c.x, c.y, c.z,
                bc->GetReal(LIGHT_BRIGHTNESS));
  std::string out = text;
  if (bc->GetLong(LIGHT_TYPE) == LIGHT_TYPE_AREA) {
    std::snprintf(text, sizeof text, " area %g x %g x %g shape %d", bc->GetReal(LIGHT_AREADETAILS_SIZEX),
                  bc->GetReal(LIGHT_AREADETAILS_SIZEY), bc->GetReal(LIGHT_AREADETAILS_SIZEZ),
                  int(bc->GetLong(LIGHT_AREADETAILS_SHAPE)));
    out += text;
  }
  return out;
}

}  // namespace

TEST_F(ImportedLights, ColladaLightsGiveOneEmitterPerPointOrSpotLight) {
  Doc doc = Import("Collada/lights.dae");
  if (!doc) GTEST_SKIP() << "Debian's assimp-testmodels package is not installed";
  // The file's "Area" lamp is a point light in Collada; its "Hemi" lamp is ambient, which the
  // host has no object for.
  EXPECT_EQ(Params(doc->SearchObject("Lamp")), "type 0 colour 1 1 1 brightness 1");
  EXPECT_EQ(Params(doc->SearchObject("Spot")), "type 1 colour 1 1 1 brightness 1");
  EXPECT_EQ(Params(doc->SearchObject("Area")), "type 0 colour 1 1 1 brightness 1");
  EXPECT_EQ(Params(doc->SearchObject("Sun")), "type 3 colour 1 1 1 brightness 1");
  // A host light shines along its z axis; the file's spot shines down (its -z, the file being
  // z-up), so the host spot's z axis points down its y axis.
  const Vector shines = !doc->SearchObject("Spot")->GetMg().v3;
  EXPECT_NEAR(shines.y, -1.0f, 1e-5f);

  const Emitters e = ExportAndCheck(doc.get());
  EXPECT_EQ(e.spheres, (std::vector<std::string>{"Lamp", "Area"}));
  EXPECT_EQ(e.meshes, std::vector<std::string>{"Spot"});
  EXPECT_EQ(e.skipped, std::vector<std::string>{"Light \"Sun\" not exported: the renderer has no distant lights."});
  EXPECT_EQ(e.rendererExit, 0) << e.report;
}

TEST_F(ImportedLights, BlenderAreaLightsBecomeRectanglesOfTheirSize) {
  Doc doc = Import("BLEND/AreaLight_269.blend");
  if (!doc) GTEST_SKIP() << "Debian's assimp-testmodels package is not installed";
  EXPECT_EQ(Params(doc->SearchObject("Bar")), "type 8 colour 1 1 1 brightness 42 area 0.5 x 2 x 0 shape 1");
  EXPECT_EQ(Params(doc->SearchObject("Foo")), "type 8 colour 1 1 1 brightness 1 area 1 x 1 x 0 shape 1");

  const Emitters e = ExportAndCheck(doc.get());
  EXPECT_EQ(e.spheres, std::vector<std::string>{"Baz"});
  EXPECT_EQ(e.meshes, (std::vector<std::string>{"Bar", "Foo"}));
  EXPECT_TRUE(e.skipped.empty());
  EXPECT_EQ(e.rendererExit, 0) << e.report;
  // The renderer's axes exchange the host's y and z: the 0.5 m by 2 m rectangle spans x and z.
  Kyrano::KyranoMesh bar;
  ASSERT_TRUE(Kyrano::KyranoMesh::readFromFile(dir_.str("models.scene/lights-0.kymesh"), bar));
  float x = 0, z = 0;
  for (const Kyrano::Vec3f& p : bar.positions) {
    x = std::max(x, p.x);
    z = std::max(z, p.z);
    EXPECT_EQ(p.y, 0.0f);
  }
  EXPECT_FLOAT_EQ(x, 0.25f);
  EXPECT_FLOAT_EQ(z, 1.0f);
}

TEST_F(ImportedLights, TheLitExampleIsAcceptedWithEveryLight) {
  // The example names its profile beside itself; the export finds it from the document.
  Doc doc(host::LoadDocument(std::string(TAVRELL_SOURCE_DIR) + "/examples/lights.json"));
  const Emitters e = ExportAndCheck(doc.get());
  EXPECT_EQ(e.spheres, (std::vector<std::string>{"Bulb", "Warm bulb"}));
  EXPECT_EQ(e.meshes, (std::vector<std::string>{"Narrow spot", "Default spot", "Disc panel", "Softbox", "Globe", "Tube",
                                                "Lantern", "Dome", "Neon shape"}));
  EXPECT_TRUE(e.skipped.empty());
  EXPECT_EQ(e.rendererExit, 0) << e.report;
  EXPECT_NE(ReadFile(dir_.str("scene.kys")).find("narrow_spot.ies</path>"), std::string::npos);
}
