// A model without a camera is rendered through the render view's editor camera, framed on
// every object at the render's aspect, and exported through it.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "host/Console.h"
#include "host/PluginLoader.h"
#include "host/SceneImport.h"

namespace {

struct DocFree {
  void operator()(BaseDocument* d) const { BaseDocument::Free(d); }
};
using Doc = std::unique_ptr<BaseDocument, DocFree>;

const char* kLine = "No render camera: the view renders through the editor camera, framed on every visible object";

std::string Truck() {
  for (const char* dir : {"/usr/share/assimp/models", "/usr/share/assimp-testmodels", "/usr/share/assimp-testmodels/models"}) {
    const std::string path = std::string(dir) + "/glTF/CesiumMilkTruck/CesiumMilkTruck.gltf";
    if (std::filesystem::is_regular_file(path)) return path;
  }
  return "";
}

// How far the projections of every point of every polygon object reach from the picture's
// middle, as fractions of half its width and height; -1 when a point is behind the camera.
struct Reach {
  double x = 0, y = 0;
};

void Measure(BaseObject* op, const BaseDraw& bd, Reach& reach) {
  const double hw = bd.GetFrameWidth() / 2.0, hh = bd.GetFrameHeight() / 2.0;
  for (; op; op = op->GetNext()) {
    if (op->GetType() == Opolygon) {
      const PolygonObject* poly = static_cast<PolygonObject*>(op);
      const Matrix mg = op->GetMg();
      for (LONG i = 0; i < poly->GetPointCount(); i++) {
        const Vector w = mg * poly->GetPointR()[i];
        if (!(bd.WC(w).z > BaseDraw::NearDepth())) {
          reach.x = reach.y = -1;
          return;
        }
        const Vector s = bd.WS(w);
        reach.x = std::max(reach.x, std::fabs(s.x - hw) / hw);
        reach.y = std::max(reach.y, std::fabs(s.y - hh) / hh);
      }
    }
    Measure(op->GetDown(), bd, reach);
    if (reach.x < 0) return;
  }
}

}  // namespace

TEST(EditorCamera, FramesAGltfWithoutACameraAtTheRenderAspect) {
  const std::string path = Truck();
  if (path.empty()) GTEST_SKIP() << "Debian's assimp-testmodels package is not installed";
  host::Console::Get().SetEcho(false);
  for (auto [width, height] : {std::pair<LONG, LONG>{800, 600}, {1600, 300}, {300, 1200}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    host::Console::Get().StartCapture();
    Doc doc(host::ImportScene(path));
    RenderData* rd = doc->GetActiveRenderData();
    rd->GetDataInstance()->SetLong(RDATA_XRES, width);
    rd->GetDataInstance()->SetLong(RDATA_YRES, height);
    doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE);
    BaseDraw* bd = doc->GetRenderBaseDraw();
    BaseObject* cam = bd->GetSceneCamera(doc.get());
    ASSERT_EQ(cam, bd->GetEditorCamera());
    const Matrix placed = cam->GetMg();
    // Evaluated again (another frame), the camera stays and says nothing more.
    doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE);
    const std::vector<std::string> lines = host::Console::Get().StopCapture();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kLine), 1);
    EXPECT_EQ(cam->GetMg().off, placed.off);

    // Every object's projection inside the picture, and the truck filling its width or its
    // height up to the margin.
    bd->SetFrameSize(width, height);
    Reach reach;
    Measure(doc->GetFirstObject(), *bd, reach);
    EXPECT_GT(reach.x, 0.0);
    EXPECT_LE(reach.x, 0.96);
    EXPECT_LE(reach.y, 0.96);
    EXPECT_GE(std::max(reach.x, reach.y), 0.93);
    // In focus at the truck: the focus distance is the depth of its middle.
    EXPECT_GT(cam->GetDataInstance()->GetReal(CAMERAOBJECT_TARGETDISTANCE, 0), 0.0f);
  }
}

TEST(EditorCamera, TheExporterWritesTheEditorCamera) {
  const std::string path = Truck();
  if (path.empty()) GTEST_SKIP() << "Debian's assimp-testmodels package is not installed";
  host::Console::Get().SetEcho(false);
  host::PluginLibrary lib;
  ASSERT_TRUE(lib.Load(TAVRELL_PLUGIN_DIR)) << lib.error();
  testing_support::TempDir dir("editorcamera");
  const std::string scene = dir.str("truck.kys");
  {
    host::Console::Get().StartCapture();
    Doc doc(host::ImportScene(path));
    SetActiveDocument(doc.get());
    AnimateDocument(doc.get(), TRUE, TRUE);
    KyranoSceneExporter exporter;
    exporter.initKYS(doc.get(), Filename(scene.c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
    ASSERT_TRUE(exporter.exportKYS());
    host::Console::Get().StopCapture();
    SetActiveDocument(nullptr);
    // The host's axes (x, y, z) are the renderer's (x, z, y); the document is in metres.
    const Matrix mg = doc->GetRenderBaseDraw()->GetEditorCamera()->GetMg();
    char pos[128], forwards[128];
    std::snprintf(pos, sizeof pos, "%08f %08f %08f", mg.off.x, mg.off.z, mg.off.y);
    std::snprintf(forwards, sizeof forwards, "%08f %08f %08f", mg.v3.x, mg.v3.z, mg.v3.y);
    TiXmlDocument xml;
    ASSERT_TRUE(xml.LoadFile(scene.c_str()));
    const TiXmlElement* camera = xml.FirstChildElement("scene")->FirstChildElement("camera");
    ASSERT_NE(camera, nullptr);
    EXPECT_STREQ(camera->FirstChildElement("pos")->GetText(), pos);
    EXPECT_STREQ(camera->FirstChildElement("forwards")->GetText(), forwards);
  }
  lib.Unload();
}
