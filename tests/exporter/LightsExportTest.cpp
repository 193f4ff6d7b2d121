// The light pass: host lights exported from real documents become emitting geometry, read
// back from the saved scene with TinyXML and from the mesh files byte by byte; and the sky.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "exporter/KyranoSceneExporter.h"
#include "exporter/SceneTestHelpers.h"
#include "geometry/KyranoMesh.h"
#include "host/DocumentIO.h"
#include "nodes/NodeFixture.h"

using namespace testing_support;

namespace {

// A document in centimetres without an environment, holding the given objects.
std::string InCentimetres(const std::string& objects, const std::string& scale = "\"RENDERSETTINGS_UNIT_CM\"") {
  return R"({"renderData": [{"videoPosts": [{"type": "oMyRenderSettings", "data": {"RENDERSETTINGS_UNIT": )" + scale +
         R"(, "RENDERSETTINGS_CUSTOM_SCALE": 0.0}}]}], "objects": [)" + objects + "]}";
}

// The plug-in loaded for its tags and render settings node.
class LightsExport : public PluginNodes {
 protected:

  // Writes the document beside the scene (so relative names resolve there), exports it into
  // `scene` in the test's folder and reads the scene back; the console lines in lines_.
  const TiXmlElement* Export(const std::string& json, const std::string& scene = "room.kys", int noGeometry = 0) {
    BaseDocument::Free(doc_);
    WriteFile(dir_.str("doc.json"), json);
    doc_ = host::LoadDocument(dir_.str("doc.json"));
    SetActiveDocument(doc_);
    AnimateDocument(doc_, TRUE, TRUE);  // generators build their polygons, as before any export
    fs::create_directories(fs::path(dir_.str(scene)).parent_path());
    KyranoSceneExporter ex;
    ex.initKYS(doc_, Filename(dir_.str(scene).c_str()), 0, noGeometry, 0, 0, 0, 0, 0, 0);
    host::Console::Get().StartCapture();
    EXPECT_TRUE(ex.exportKYS());
    lines_ = host::Console::Get().StopCapture();
    EXPECT_TRUE(xml_.LoadFile(dir_.str(scene).c_str()));
    return xml_.FirstChildElement("scene");
  }

  std::vector<std::string> Skipped() const {
    std::vector<std::string> out;
    for (const std::string& l : lines_)
      if (l.rfind("Light \"", 0) == 0) out.push_back(l);
    return out;
  }

  std::set<std::string> MeshFiles(const std::string& folder = "models.room") const {
    std::set<std::string> names;
    if (fs::exists(dir_.path() / folder))
      for (const auto& e : fs::directory_iterator(dir_.path() / folder)) names.insert(e.path().filename().string());
    return names;
  }

  Kyrano::KyranoMesh Mesh(const std::string& file, const std::string& folder = "models.room") const {
    Kyrano::KyranoMesh mesh;
    const Kyrano::MeshReadResult read = Kyrano::KyranoMesh::readFromFile(dir_.str(folder + "/" + file), mesh);
    EXPECT_TRUE(read) << read.error;
    return mesh;
  }

  TempDir dir_{"lights"};
  TiXmlDocument xml_;
  std::vector<std::string> lines_;
};

// The names of the scene's children from the first material on, a light material as
// "light", other materials by their name.
std::vector<std::string> Geometry(const TiXmlElement* scene) {
  std::vector<std::string> out;
  bool started = false;
  for (const TiXmlElement* e = scene->FirstChildElement(); e; e = e->NextSiblingElement()) {
    const std::string name = e->Value();
    started = started || name == "material";
    if (!started) continue;
    if (name != "material") out.push_back(name);
    else out.push_back(ChildText(e, "name") == "defaultLight" ? "light" : ChildText(e, "name"));
  }
  return out;
}

std::vector<const TiXmlElement*> All(const TiXmlElement* scene, const char* name) {
  std::vector<const TiXmlElement*> out;
  for (const TiXmlElement* e = scene->FirstChildElement(name); e; e = e->NextSiblingElement(name)) out.push_back(e);
  return out;
}

std::string Comment(const TiXmlElement* e) {
  const TiXmlNode* first = e->FirstChild();
  return first && first->ToComment() ? first->Value() : "<none>";
}

// The text below the element along a path of child names.
std::string Text(const TiXmlElement* e, std::initializer_list<const char*> path) {
  for (const char* name : path) e = e ? e->FirstChildElement(name) : nullptr;
  return e && e->GetText() ? e->GetText() : "<missing>";
}

// Largest and smallest coordinate of the mesh along each axis (renderer axes).
struct Extent {
  Kyrano::Vec3f lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
  float radius = 0;  // largest distance from the origin in the renderer's x-y plane
};

Extent Bounds(const Kyrano::KyranoMesh& mesh) {
  Extent b;
  for (const Kyrano::Vec3f& p : mesh.positions) {
    b.lo = {std::min(b.lo.x, p.x), std::min(b.lo.y, p.y), std::min(b.lo.z, p.z)};
    b.hi = {std::max(b.hi.x, p.x), std::max(b.hi.y, p.y), std::max(b.hi.z, p.z)};
    b.radius = std::max(b.radius, std::sqrt(p.x * p.x + p.z * p.z));
  }
  return b;
}

const std::string kDefaultIes = std::string(TAVRELL_PLUGIN_DIR) + "/presets/default.ies";

}  // namespace

TEST_F(LightsExport, PointLightsAreSpheresAndASpotIsAMillimetrePlane) {
  const TiXmlElement* scene = Export(InCentimetres(R"(
    {"type": "Olight", "name": "Key", "position": [100, 200, 300], "data": {"90002": 0}},
    {"type": "Olight", "name": "Fill", "data": {"90002": 0}},
    {"type": "Olight", "name": "Spot", "position": [0, 300, 0], "rotation": [0, -90, 0], "data": {"90002": 1}})"));

  EXPECT_EQ(Geometry(scene), (std::vector<std::string>{"defaultMat", "nullMat", "light", "sphere", "light", "sphere",
                                                       "light", "mesh", "model"}));
  const std::vector<const TiXmlElement*> spheres = All(scene, "sphere");
  EXPECT_EQ(Comment(spheres[0]), "Key");
  EXPECT_EQ(ChildText(spheres[0], "center"), "1.000000 3.000000 2.000000");
  EXPECT_EQ(ChildText(spheres[0], "radius"), "0.010000");  // one centimetre, whatever the unit
  EXPECT_EQ(ChildText(spheres[1], "material_name"), "defaultLight");

  const TiXmlElement* mesh = scene->FirstChildElement("mesh");
  EXPECT_EQ(Comment(mesh), "Spot");
  EXPECT_EQ(ChildText(mesh, "name"), "lights-0.kymesh");
  EXPECT_EQ(Text(mesh, {"external", "path"}), dir_.str("models.room/lights-0.kymesh"));
  const TiXmlElement* model = scene->FirstChildElement("model");
  EXPECT_EQ(ChildText(model, "mesh_name"), "lights-0.kymesh");
  EXPECT_EQ(ChildText(model, "pos"), "0.000000 0.000000 3.000000");
  EXPECT_EQ(Text(model, {"ies_profile", "path"}), kDefaultIes);
  EXPECT_EQ(MeshFiles(), std::set<std::string>{"lights-0.kymesh"});

  // A square of 1 mm in the light's x-y plane: the host's z (the renderer's y) is 0.
  const Kyrano::KyranoMesh plane = Mesh("lights-0.kymesh");
  EXPECT_EQ(plane.materialNames, std::vector<std::string>{"defaultLight"});
  EXPECT_EQ(plane.triangles.size(), 2u);
  ASSERT_EQ(plane.positions.size(), 4u);
  for (const Kyrano::Vec3f& p : plane.positions) {
    EXPECT_NEAR(std::fabs(p.x), 0.0005f, 1e-9f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_NEAR(std::fabs(p.z), 0.0005f, 1e-9f);
  }
  EXPECT_TRUE(Skipped().empty());
}

TEST_F(LightsExport, TheEmissionComesFromTheLightOrItsTag) {
  const TiXmlElement* scene = Export(R"({"objects": [
    {"type": "Olight", "name": "Plain", "data": {"90000": [1, 0.5, 0], "90001": 2.0}},
    {"type": "Olight", "name": "Fresh", "tags": [{"type": "tMyLightTag"}]},
    {"type": "Olight", "name": "Hot", "tags": [{"type": "tMyLightTag", "data": {"LIGHTTAG_SPECTRUM": "LIGHTTAG_SPECTRUM_BLACKBODY",
      "LIGHTTAG_TEMPERATURE": 3200.0, "LIGHTTAG_BB_GAIN": 2.0, "LIGHTTAG_LAYER": 3}}]},
    {"type": "Olight", "name": "Flat", "tags": [{"type": "tMyLightTag", "data": {"LIGHTTAG_SPECTRUM": "LIGHTTAG_SPECTRUM_UNIFORM",
      "LIGHTTAG_UNIFORM_VALUE": 4.0}}]},
    {"type": "Olight", "name": "Laser", "tags": [{"type": "tMyLightTag", "data": {"LIGHTTAG_SPECTRUM": "LIGHTTAG_SPECTRUM_PEAK",
      "LIGHTTAG_PEAK_MIN": 400.0, "LIGHTTAG_PEAK_WIDTH": 100.0, "LIGHTTAG_BASE_VALUE": 0.5, "LIGHTTAG_PEAK_VALUE": 7.0}}]},
    {"type": "Olight", "name": "Tinted", "data": {"90001": 5.0}, "tags": [{"type": "tMyLightTag", "data": {
      "LIGHTTAG_SPECTRUM": 9999, "LIGHTTAG_COLOR": [0.2, 0.4, 0.6], "LIGHTTAG_GAMMA": 1.8}}]}]})");

  std::vector<const TiXmlElement*> lights;
  for (const TiXmlElement* m : All(scene, "material"))
    if (ChildText(m, "name") == "defaultLight") lights.push_back(m->FirstChildElement("diffuse"));
  ASSERT_EQ(lights.size(), 6u);
  for (const TiXmlElement* d : lights) EXPECT_EQ(Text(d, {"albedo", "constant", "rgb", "rgb"}), "0.000000 0.000000 0.000000");
  auto emission = [&](int i) { return lights[size_t(i)]->FirstChildElement("base_emission")->FirstChildElement("constant"); };

  // Without a tag: colour times brightness, gamma 2.2, layer 0.
  EXPECT_EQ(Text(emission(0), {"rgb", "rgb"}), "2.000000 1.000000 0.000000");
  EXPECT_EQ(Text(emission(0), {"rgb", "gamma"}), "2.200000");
  EXPECT_EQ(ChildText(lights[0], "layer"), "0");
  // A new tag emits white at gamma 2.2 on layer 0, and adds no emission scale.
  EXPECT_EQ(Text(emission(1), {"rgb", "rgb"}), "1.000000 1.000000 1.000000");
  EXPECT_EQ(Text(emission(1), {"rgb", "gamma"}), "2.200000");
  EXPECT_EQ(ChildText(lights[1], "layer"), "0");
  EXPECT_EQ(Text(emission(2), {"blackbody", "temperature"}), "3200.000000");
  EXPECT_EQ(Text(emission(2), {"blackbody", "gain"}), "2.000000");
  EXPECT_EQ(ChildText(lights[2], "layer"), "3");
  EXPECT_EQ(Text(emission(3), {"uniform", "value"}), "4.000000");
  const TiXmlElement* peak = emission(4)->FirstChildElement("peak");
  EXPECT_EQ(ChildText(peak, "peak_min"), "400.000000");
  EXPECT_EQ(ChildText(peak, "peak_width"), "100.000000");
  EXPECT_EQ(ChildText(peak, "base_value"), "0.500000");
  EXPECT_EQ(ChildText(peak, "peak_value"), "7.000000");
  // Any other spectrum choice is the tag's colour; the light's brightness no longer counts.
  EXPECT_EQ(Text(emission(5), {"rgb", "rgb"}), "0.200000 0.400000 0.600000");
  EXPECT_EQ(Text(emission(5), {"rgb", "gamma"}), "1.800000");
}

TEST_F(LightsExport, EveryAreaShapeBecomesItsPrimitive) {
  auto area = [](const char* name, int shape, const char* size) {
    return std::string(R"({"type": "Olight", "name": ")") + name + R"(", "data": {"90002": 8, "100015": )" +
           std::to_string(shape) + R"(, "100010": )" + size + "}}";
  };
  auto sized = [](const char* x, const char* y, const char* z) {
    return std::string(x) + R"(, "100011": )" + y + R"(, "100012": )" + z;
  };
  const TiXmlElement* scene = Export(R"({"objects": [)" + area("Disc", 0, sized("200", "100", "50").c_str()) + "," +
                                     area("Line", 7, sized("10", "10", "10").c_str()) + "," +
                                     area("Rectangle", 1, sized("120", "80", "0").c_str()) + "," +
                                     area("Empty disc", 0, sized("0", "0", "50").c_str()) + "," +
                                     area("Sphere", 2, sized("60", "60", "60").c_str()) + "," +
                                     area("Cylinder", 3, sized("10", "10", "150").c_str()) + "," +
                                     area("Thin rectangle", 1, sized("0", "50", "50").c_str()) + "," +
                                     area("Cube", 4, sized("30", "50", "20").c_str()) + "," +
                                     area("Hemisphere", 5, sized("80", "80", "80").c_str()) + "," +
                                     area("Odd", 99, sized("10", "10", "10").c_str()) + "," +
                                     R"({"type": "Olight", "name": "Sun", "data": {"90002": 3}},
                                        {"type": "Olight", "name": "Beam", "data": {"90002": 4}}]})");

  EXPECT_EQ(Skipped(), (std::vector<std::string>{
                           "Light \"Line\" not exported: the renderer has no area lights of shape 7.",
                           "Light \"Empty disc\" not exported: its area has no size.",
                           "Light \"Thin rectangle\" not exported: its area has no size.",
                           "Light \"Odd\" not exported: the renderer has no area lights of shape 99.",
                           "Light \"Sun\" not exported: the renderer has no distant lights.",
                           "Light \"Beam\" not exported: the renderer has no parallel lights."}));
  // Skipped lights use no number.
  std::vector<std::string> names;
  for (const TiXmlElement* m : All(scene, "mesh")) names.push_back(Comment(m) + " " + ChildText(m, "name"));
  EXPECT_EQ(names, (std::vector<std::string>{"Disc lights-0.kymesh", "Rectangle lights-1.kymesh", "Sphere lights-2.kymesh",
                                             "Cylinder lights-3.kymesh", "Cube lights-4.kymesh",
                                             "Hemisphere lights-5.kymesh"}));
  EXPECT_EQ(All(scene, "model").size(), 6u);
  EXPECT_EQ(All(scene, "material").size(), 2u + 6u);

  // Sizes in host units; the scene is in metres. Host (x, y, z) is the renderer's (x, z, y).
  const Extent disc = Bounds(Mesh("lights-0.kymesh"));
  EXPECT_NEAR(std::max(disc.hi.x, disc.hi.z), 75.0f, 1e-3f);  // (200 + 100) / 4
  EXPECT_EQ(disc.lo.y, 0.0f);
  EXPECT_EQ(disc.hi.y, 0.0f);
  EXPECT_EQ(Mesh("lights-0.kymesh").triangles.size(), 50u);

  const Extent rect = Bounds(Mesh("lights-1.kymesh"));
  EXPECT_FLOAT_EQ(rect.hi.x, 60.0f);
  EXPECT_FLOAT_EQ(rect.hi.z, 40.0f);
  EXPECT_EQ(rect.hi.y, 0.0f);

  const Kyrano::KyranoMesh sphere = Mesh("lights-2.kymesh");
  float far = 0;
  for (const Kyrano::Vec3f& p : sphere.positions) far = std::max(far, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
  EXPECT_NEAR(far, 30.0f, 1e-3f);  // (60 + 60 + 60) / 6
  EXPECT_EQ(sphere.triangles.size(), 2u * 50u * 24u);  // 50 segments around, 25 bands

  // The cylinder stands along the light's z axis, the renderer's y.
  const Extent cylinder = Bounds(Mesh("lights-3.kymesh"));
  EXPECT_FLOAT_EQ(cylinder.lo.y, -75.0f);
  EXPECT_FLOAT_EQ(cylinder.hi.y, 75.0f);
  EXPECT_NEAR(cylinder.radius, 5.0f, 1e-4f);  // (10 + 10) / 4

  const Extent cube = Bounds(Mesh("lights-4.kymesh"));
  EXPECT_FLOAT_EQ(cube.hi.x, 15.0f);
  EXPECT_FLOAT_EQ(cube.hi.y, 10.0f);
  EXPECT_FLOAT_EQ(cube.hi.z, 25.0f);

  const Extent dome = Bounds(Mesh("lights-5.kymesh"));
  EXPECT_NEAR(dome.hi.z, 40.0f, 1e-3f);
  EXPECT_NEAR(dome.lo.z, 0.0f, 1e-3f);
}

TEST_F(LightsExport, ACustomAreaLightWritesItsObjectOnce) {
  const TiXmlElement* scene = Export(R"({"objects": [
    {"type": "Onull", "name": "Shelf", "position": [0, 100, 0], "children": [
      {"type": "Opolygon", "name": "Strip", "position": [10, 0, 0],
       "points": [[0, 0, 0], [50, 0, 0], [50, 5, 0], [0, 5, 0]], "polygons": [[0, 3, 2, 1]]}]},
    {"type": "Opolygon", "name": "Nothing"},
    {"type": "Ocube", "name": "Box"},
    {"type": "Olight", "name": "Neon", "position": [500, 0, 0], "data": {"90002": 8, "100015": 6, "100014": {"link": "/Shelf/Strip"}}},
    {"type": "Olight", "name": "Hollow", "data": {"90002": 8, "100015": 6, "100014": {"link": "/Nothing"}}},
    {"type": "Olight", "name": "Boxed", "data": {"90002": 8, "100015": 6, "100014": {"link": "/Box"}}},
    {"type": "Olight", "name": "Unlinked", "data": {"90002": 8, "100015": 6}}]})");

  EXPECT_EQ(Skipped(), (std::vector<std::string>{
                           "Light \"Hollow\" not exported: its object \"Nothing\" has no polygons.",
                           "Light \"Boxed\" not exported: its area shape is an object, but it names no polygon object.",
                           "Light \"Unlinked\" not exported: its area shape is an object, but it names no polygon object."}));
  // The strip once, as light geometry placed where the strip stands (not where the light
  // does); the mesh pass then numbers the cube from 0, the emitter-less object kept out too.
  std::vector<std::string> meshes;
  for (const TiXmlElement* m : All(scene, "mesh")) meshes.push_back(Comment(m) + " " + ChildText(m, "name"));
  EXPECT_EQ(meshes, (std::vector<std::string>{"Strip lights-0.kymesh", "Box room-0.kymesh"}));
  const TiXmlElement* strip = scene->FirstChildElement("model");
  EXPECT_EQ(ChildText(strip, "pos"), "10.000000 0.000000 100.000000");
  EXPECT_EQ(Mesh("lights-0.kymesh").materialNames, std::vector<std::string>{"defaultLight"});
  EXPECT_EQ(Geometry(scene),
            (std::vector<std::string>{"defaultMat", "nullMat", "light", "mesh", "model", "mesh", "model"}));
}

TEST_F(LightsExport, NoGeometryWritesNoLightMeshButItsElements) {
  const TiXmlElement* scene = Export(R"({"objects": [
    {"type": "Olight", "name": "Spot", "data": {"90002": 1}},
    {"type": "Olight", "name": "Panel", "data": {"90002": 8, "100015": 1}}]})",
                                     "room.kys", 1);
  EXPECT_TRUE(MeshFiles().empty());
  std::vector<std::string> named;
  for (const TiXmlElement* m : All(scene, "model")) named.push_back(ChildText(m, "mesh_name"));
  EXPECT_EQ(named, (std::vector<std::string>{"lights-0.kymesh", "lights-1.kymesh"}));
  EXPECT_EQ(Text(scene->FirstChildElement("mesh"), {"external", "path"}), dir_.str("models.room/lights-0.kymesh"));
}

TEST_F(LightsExport, ASceneNamedLightsKeepsObjectAndLightMeshesApart) {
  for (const char* name : {"lights", "Lights"}) {
    SCOPED_TRACE(name);
    const std::string folder = std::string("models.") + name;
    const TiXmlElement* scene = Export(R"({"objects": [{"type": "Ocube", "name": "Box"},
      {"type": "Olight", "name": "Spot", "data": {"90002": 1}}]})",
                                       std::string(name) + ".kys");
    std::vector<std::string> meshes;
    for (const TiXmlElement* m : All(scene, "mesh")) meshes.push_back(ChildText(m, "name"));
    EXPECT_EQ(meshes, (std::vector<std::string>{"lightgeometry-0.kymesh", std::string(name) + "-0.kymesh"}));
    EXPECT_EQ(Mesh("lightgeometry-0.kymesh", folder).materialNames, std::vector<std::string>{"defaultLight"});
    EXPECT_EQ(Mesh(std::string(name) + "-0.kymesh", folder).materialNames, std::vector<std::string>{"defaultMat"});
    fs::remove_all(dir_.path() / folder);
  }
}

TEST_F(LightsExport, AnUnusableSceneScaleSizesLightsWithOne) {
  for (const char* scale : {"0.0", "-2.0"}) {
    SCOPED_TRACE(scale);
    const std::string custom = std::string(R"("RENDERSETTINGS_UNIT_CUSTOM", "RENDERSETTINGS_CUSTOM_SCALE": )") + scale;
    const TiXmlElement* scene = Export(R"({"renderData": [{"videoPosts": [{"type": "oMyRenderSettings", "data": {
      "RENDERSETTINGS_UNIT": )" + custom + R"(}}]}], "objects": [
      {"type": "Olight", "name": "Bulb", "position": [1, 2, 3]},
      {"type": "Olight", "name": "Spot", "data": {"90002": 1}}]})");
    const std::string warning = std::string("the scene scale ") + (scale[0] == '-' ? "-2.000000" : "0.000000") +
                                " is not usable; the light is sized with the scale 1.0.";
    EXPECT_EQ(Skipped(), (std::vector<std::string>{"Light \"Bulb\": " + warning, "Light \"Spot\": " + warning}));
    const TiXmlElement* sphere = scene->FirstChildElement("sphere");
    EXPECT_EQ(ChildText(sphere, "radius"), "0.010000");
    EXPECT_EQ(ChildText(sphere, "center"), "1.000000 3.000000 2.000000");
    for (const Kyrano::Vec3f& p : Mesh("lights-0.kymesh").positions) EXPECT_NEAR(std::fabs(p.x), 0.0005f, 1e-9f);
  }
}

TEST_F(LightsExport, ASpotKeepsAProfileAndProfilePathsAreFoundFromTheDocument) {
  const TiXmlElement* scene = Export(R"({"objects": [
    {"type": "Olight", "name": "Switched on, no file", "data": {"90002": 1},
     "tags": [{"type": "tMyLightTag", "data": {"LIGHTTAG_USE_IES": true}}]},
    {"type": "Olight", "name": "Own profile", "data": {"90002": 1},
     "tags": [{"type": "tMyLightTag", "data": {"LIGHTTAG_USE_IES": true, "LIGHTTAG_IES_FILE": "profiles/wide.ies",
       "LIGHTTAG_USE_SCALE": true, "LIGHTTAG_SCALE_MEASURE": "LIGHTTAG_LUMINOUS_FLUX", "LIGHTTAG_SCALE_VALUE": 1000.0}}]},
    {"type": "Olight", "name": "Short path", "data": {"90002": 8},
     "tags": [{"type": "tMyLightTag", "data": {"LIGHTTAG_USE_IES": true, "LIGHTTAG_IES_FILE": "/ab"}}]}]})",
                                     "out/room.kys");
  const std::vector<const TiXmlElement*> models = All(scene, "model");
  ASSERT_EQ(models.size(), 3u);
  EXPECT_EQ(Text(models[0], {"ies_profile", "path"}), kDefaultIes);
  // Named relative to the document's folder, written relative to the scene's.
  EXPECT_EQ(Text(models[1], {"ies_profile", "path"}), "../profiles/wide.ies");
  EXPECT_EQ(models[1]->FirstChildElement("ies_profile")->NextSiblingElement("ies_profile"), nullptr);
  EXPECT_EQ(Text(models[1], {"emission_scale", "material_name"}), "defaultLight");
  EXPECT_EQ(Text(models[1], {"emission_scale", "measure"}), "luminous_flux");
  EXPECT_EQ(Text(models[1], {"emission_scale", "value"}), "1000.000000");
  // A path without a relative form is written as it is.
  EXPECT_EQ(Text(models[2], {"ies_profile", "path"}), "/ab");
}

TEST_F(LightsExport, TheSunShinesFromItsPlaceInTheScene) {
  auto sky = [](const std::string& objects, const std::string& sun) {
    return R"({"renderData": [{"videoPosts": [{"type": "oMyRenderSettings", "data": {
      "RENDERSETTINGS_ENVIRONMENT": "RENDERSETTINGS_ENVIRONMENT_SKY")" +
           (sun.empty() ? "" : R"(, "RENDERSETTINGS_SUN": {"link": ")" + sun + "\"}") + R"(}}]}], "objects": [)" +
           objects + "]}";
  };
  // Under a parent turned by 90 degrees of heading and moved up, a sun at (0, 0, 4) below it
  // stands at (-4, 3, 0) in the scene (heading turns +z towards -x).
  const std::string moved = R"({"type": "Onull", "name": "Rig", "position": [0, 3, 0], "rotation": [90, 0, 0],
    "children": [{"type": "Onull", "name": "Sun", "position": [0, 0, 4]}]})";
  float x, y, z;
  ASSERT_EQ(std::sscanf(Text(Export(sky(moved, "/Rig/Sun")), {"skylight", "sundir"}).c_str(), "%f %f %f", &x, &y, &z), 3);
  EXPECT_NEAR(x, -0.8f, 1e-6f);
  EXPECT_NEAR(y, 0.0f, 1e-6f);
  EXPECT_NEAR(z, 0.6f, 1e-6f);
  const std::string origin = R"({"type": "Onull", "name": "Sun"})";
  EXPECT_EQ(Text(Export(sky(origin, "/Sun")), {"skylight", "sundir"}), "0.000000 0.000000 1.000000");
  EXPECT_EQ(Text(Export(sky(origin, "")), {"skylight", "sundir"}), "0.000000 0.000000 1.000000");
}
