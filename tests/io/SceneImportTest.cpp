// Opening model files of other tools as host documents: files the tests write themselves
// (OBJ, glTF, Collada) read back through the real importer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/Evaluation.h"
#include "host/SceneImport.h"

using namespace testing_support;

namespace {

// Host light parameters.
const LONG kLightColor = 90000, kLightBrightness = 90001, kLightType = 90002;

struct DocFree {
  void operator()(BaseDocument* d) const { BaseDocument::Free(d); }
};
using Doc = std::unique_ptr<BaseDocument, DocFree>;

// Imports with the console captured; `console` holds the lines printed.
struct Imported {
  Doc doc;
  std::vector<std::string> console;
};

Imported Import(const std::string& path) {
  host::Console::Get().SetEcho(false);
  host::Console::Get().StartCapture();
  Imported r;
  try {
    r.doc.reset(host::ImportScene(path));
  } catch (...) {
    host::Console::Get().StopCapture();
    throw;
  }
  r.console = host::Console::Get().StopCapture();
  return r;
}

// The message of the DocumentError the import throws ("" when it does not throw).
std::string ImportError(const std::string& path) {
  try {
    Import(path);
  } catch (const host::DocumentError& e) {
    return e.what();
  }
  return "";
}

bool AnyLine(const std::vector<std::string>& lines, std::initializer_list<const char*> parts) {
  for (const std::string& l : lines) {
    bool all = true;
    for (const char* p : parts) all = all && l.find(p) != std::string::npos;
    if (all) return true;
  }
  return false;
}

void ExpectNear(const Vector& a, const Vector& b, Real tol = 1e-4f) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

// The renderer's axes are the host's with y and z exchanged (the exporter writes (x, z, y)
// and reverses each triangle's corners); seen from there, a file's right-handed y-up
// geometry must come out turned to z-up: (x, y, z) -> (x, -z, y).
Vector Renderer(const Vector& host) { return Vector(host.x, host.z, host.y); }
Vector RendererFromFile(const Vector& file) { return Vector(file.x, -file.z, file.y); }
Vector Cross(const Vector& a, const Vector& b) { return Vector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x); }

// The normals of the triangles the exporter makes of a polygon, in the renderer's axes
// (right-handed): (c, b, a) and, for a quad, (a, d, c).
std::vector<Vector> RendererNormals(const PolygonObject* op, LONG i, const Matrix& mg = Matrix()) {
  const CPolygon& p = op->GetPolygonR()[i];
  const Vector* pts = op->GetPointR();
  auto tri = [&](LONG x, LONG y, LONG z) {
    const Vector a = Renderer(mg * pts[x]), b = Renderer(mg * pts[y]), c = Renderer(mg * pts[z]);
    return Cross(b - a, c - a);
  };
  std::vector<Vector> n{tri(p.c, p.b, p.a)};
  if (p.c != p.d) n.push_back(tri(p.a, p.d, p.c));
  return n;
}

Real Area(const PolygonObject* op, LONG i) {
  Real sum = 0;
  for (const Vector& n : RendererNormals(op, i)) sum += Len(n) * 0.5f;
  return sum;
}

PolygonObject* Poly(BaseDocument* doc, const char* name) {
  BaseObject* op = doc->SearchObject(String(name));
  return op && op->GetType() == Opolygon ? static_cast<PolygonObject*>(op) : nullptr;
}

std::string Base64(const std::string& bytes) {
  static const char* t = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8 | (unsigned char)bytes[i + 2];
    out += {t[v >> 18], t[(v >> 12) & 63], t[(v >> 6) & 63], t[v & 63]};
  }
  if (i + 1 == bytes.size()) {
    const unsigned v = (unsigned char)bytes[i] << 16;
    out += {t[v >> 18], t[(v >> 12) & 63], '=', '='};
  } else if (i + 2 == bytes.size()) {
    const unsigned v = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8;
    out += {t[v >> 18], t[(v >> 12) & 63], t[(v >> 6) & 63], '='};
  }
  return out;
}

// A glTF buffer built piece by piece; each piece is one buffer view.
class GltfBuffer {
 public:
  template <typename T>
  size_t Add(const std::vector<T>& values) {
    while (bytes_.size() % 4) bytes_.push_back('\0');
    const size_t offset = bytes_.size();
    bytes_.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
    views_ += std::string(views_.empty() ? "" : ",") + "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
              ",\"byteLength\":" + std::to_string(values.size() * sizeof(T)) + "}";
    return count_++;
  }
  std::string Json() const {
    return "\"buffers\":[{\"byteLength\":" + std::to_string(bytes_.size()) +
           ",\"uri\":\"data:application/octet-stream;base64," + Base64(bytes_) + "\"}],\"bufferViews\":[" + views_ + "]";
  }

 private:
  std::string bytes_, views_;
  size_t count_ = 0;
};

// A cube of one metre around the origin, 24 corners with flat normals, faces turned outward
// (counter-clockwise seen from outside, as glTF wants).
void MetreCube(std::vector<float>* pos, std::vector<float>* nrm, std::vector<uint16_t>* idx) {
  const float axes[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (int f = 0; f < 6; f++) {
    const Vector n(axes[f][0], axes[f][1], axes[f][2]);
    // Two axes in the face, u x v = n.
    const Vector u = std::fabs(n.x) > 0 ? Vector(0, 1, 0) : Vector(1, 0, 0);
    const Vector v = Cross(n, u);
    const Vector c = n * 0.5f;
    const Vector corners[4] = {c - u * 0.5f - v * 0.5f, c + u * 0.5f - v * 0.5f, c + u * 0.5f + v * 0.5f, c - u * 0.5f + v * 0.5f};
    const uint16_t base = uint16_t(pos->size() / 3);
    for (const Vector& p : corners) {
      pos->insert(pos->end(), {p.x, p.y, p.z});
      nrm->insert(nrm->end(), {n.x, n.y, n.z});
    }
    idx->insert(idx->end(), {base, uint16_t(base + 1), uint16_t(base + 2), base, uint16_t(base + 2), uint16_t(base + 3)});
  }
}

}  // namespace

TEST(SceneImport, ObjKeepsQuadsUVsTexturesAndSplitsLargePolygons) {
  TempDir dir("import_obj");
  std::filesystem::create_directories(dir.path() / "tex");
  WriteFile(dir.str("tex/wood.png"), "not really a picture; only its existence matters");
  WriteFile(dir.str("plate.mtl"),
            "newmtl Wood\nKd 0.5 0.25 1.0\nKs 1 1 1\nNs 100\nd 0.25\nNi 1.5\nmap_Kd tex/wood.png\nmap_bump missing.png\n");
  WriteFile(dir.str("plate.obj"),
            "mtllib plate.mtl\n"
            "o Plate\nv 0 0 0\nv 2 0 0\nv 2 1 0\nv 0 1 0\n"
            "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
            "usemtl Wood\nf 1/1 2/2 3/3 4/4\n"
            // An L-shaped hexagon (concave, area 3) in the plane y = 5.
            "o Ell\nv 0 5 0\nv 2 5 0\nv 2 5 -1\nv 1 5 -1\nv 1 5 -2\nv 0 5 -2\n"
            "f 5 6 7 8 9 10\n");
  const std::string path = dir.str("plate.obj");
  Imported im = Import(path);
  BaseDocument* doc = im.doc.get();

  // A quad stays a quad; the file's points come out unchanged in metres (z mirrored).
  PolygonObject* plate = Poly(doc, "Plate");
  ASSERT_NE(plate, nullptr);
  ASSERT_EQ(plate->GetPointCount(), 4);
  ASSERT_EQ(plate->GetPolygonCount(), 1);
  const CPolygon q = plate->GetPolygonR()[0];
  EXPECT_NE(q.c, q.d);
  const Vector file[4] = {Vector(0, 0, 0), Vector(2, 0, 0), Vector(2, 1, 0), Vector(0, 1, 0)};
  for (LONG i = 0; i < 4; i++) ExpectNear(Renderer(plate->GetPointR()[i]), RendererFromFile(file[i]));
  // Facing: the file's quad faces +z; the renderer must see it face the same way.
  for (const Vector& n : RendererNormals(plate, 0)) EXPECT_GT(n * RendererFromFile(Vector(0, 0, 1)), 0);

  // UVs follow the corners; the host's v runs downwards.
  UVWTag* uvw = static_cast<UVWTag*>(plate->GetTag(Tuvw));
  ASSERT_NE(uvw, nullptr);
  ASSERT_EQ(uvw->GetDataCount(), 1);
  UVWStruct uv;
  uvw->Get(0, uv);
  const LONG corners[4] = {q.a, q.b, q.c, q.d};
  const Vector uvs[4] = {uv.a, uv.b, uv.c, uv.d};
  const Vector fileUV[4] = {Vector(0, 0, 0), Vector(1, 0, 0), Vector(1, 1, 0), Vector(0, 1, 0)};
  for (int k = 0; k < 4; k++) {
    const Vector p = plate->GetPointR()[corners[k]];
    const int v = p.x > 1 ? (p.y > 0.5f ? 2 : 1) : (p.y > 0.5f ? 3 : 0);
    EXPECT_NEAR(uvs[k].x, fileUV[v].x, 1e-6f);
    EXPECT_NEAR(uvs[k].y, 1.0f - fileUV[v].y, 1e-6f);
  }
  EXPECT_EQ(plate->GetTag(Tphong) != nullptr, true);  // no normals in the file: the host's smoothing

  // Material: colour, texture as a bitmap shader with the path as the file gives it,
  // transparency with its refraction index, a highlight; the missing bump map is left out.
  TextureTag* tt = static_cast<TextureTag*>(plate->GetTag(Ttexture));
  ASSERT_NE(tt, nullptr);
  EXPECT_EQ(tt->GetDataInstance()->GetLong(TEXTURETAG_PROJECTION, -1), P_UVW);
  BaseMaterial* mat = tt->GetMaterial();
  ASSERT_NE(mat, nullptr);
  EXPECT_EQ(mat->GetType(), Mmaterial);
  EXPECT_EQ(mat->GetName().str(), "Wood");
  const BaseContainer* bc = mat->GetDataInstance();
  ExpectNear(bc->GetVector(MATERIAL_COLOR_COLOR), Vector(0.5f, 0.25f, 1.0f));
  EXPECT_FLOAT_EQ(bc->GetReal(MATERIAL_COLOR_BRIGHTNESS), 1.0f);
  BaseList2D* shader = bc->GetLink(MATERIAL_COLOR_SHADER, nullptr);
  ASSERT_NE(shader, nullptr);
  EXPECT_EQ(shader->GetType(), Xbitmap);
  EXPECT_EQ(shader->GetDataInstance()->GetFilename(BITMAPSHADER_FILENAME).GetString().str(), "tex/wood.png");
  EXPECT_EQ(mat->GetFirstShader(), shader);
  EXPECT_TRUE(bc->GetBool(MATERIAL_USE_TRANSPARENCY));
  EXPECT_NEAR(bc->GetReal(MATERIAL_TRANSPARENCY_BRIGHTNESS), 0.75f, 1e-5f);
  EXPECT_NEAR(bc->GetReal(MATERIAL_TRANSPARENCY_REFRACTION), 1.5f, 1e-5f);
  EXPECT_TRUE(bc->GetBool(MATERIAL_USE_SPECULAR));
  EXPECT_FALSE(bc->GetBool(MATERIAL_USE_BUMP));
  EXPECT_EQ(bc->GetLink(MATERIAL_BUMP_SHADER, nullptr), nullptr);
  EXPECT_TRUE(AnyLine(im.console, {"Warning: ", path.c_str(), "material \"Wood\"", "missing.png", "not found"}));

  // The concave hexagon becomes triangles that cover the L exactly, all facing the file's way.
  PolygonObject* ell = Poly(doc, "Ell");
  ASSERT_NE(ell, nullptr);
  Real area = 0;
  for (LONG i = 0; i < ell->GetPolygonCount(); i++) {
    area += Area(ell, i);
    for (const Vector& n : RendererNormals(ell, i)) EXPECT_GT(n * RendererFromFile(Vector(0, 1, 0)), 0);
  }
  EXPECT_NEAR(area, 3.0f, 1e-4f);
  EXPECT_TRUE(AnyLine(im.console, {"Warning: ", path.c_str(), "node \"Ell\"", "more than four corners"}));

  // Texture paths are found from the document's folder; one host unit is a metre.
  EXPECT_EQ(doc->GetDocumentPath().GetString().str(), dir.str());
  EXPECT_EQ(GetWorldContainerInstance()->GetLong(WPREF_UNITS_BASIC), 2);
  EXPECT_TRUE(AnyLine(im.console, {"Imported ", path.c_str(), "2 polygon objects", "1 materials"}));
}

TEST(SceneImport, GltfMetreCubeCameraAndAnimation) {
  std::vector<float> pos, nrm;
  std::vector<uint16_t> idx;
  MetreCube(&pos, &nrm, &idx);
  GltfBuffer buf;
  const size_t vPos = buf.Add(pos), vNrm = buf.Add(nrm), vIdx = buf.Add(idx);
  const size_t vTime = buf.Add(std::vector<float>{0, 1});
  const size_t vMove = buf.Add(std::vector<float>{0, 0, 0, 2, 0, 0});
  const float h = std::sqrt(0.5f);
  const size_t vTurn = buf.Add(std::vector<float>{0, 0, 0, 1, 0, h, 0, h});  // quaternions x, y, z, w: 0 and 90 degrees about y
  auto acc = [](size_t view, const char* type, int comp, size_t count, const std::string& extra = "") {
    return "{\"bufferView\":" + std::to_string(view) + ",\"componentType\":" + std::to_string(comp) + ",\"count\":" +
           std::to_string(count) + ",\"type\":\"" + type + "\"" + extra + "}";
  };
  const std::string gltf =
      "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0,1]}],"
      "\"nodes\":[{\"name\":\"Cube\",\"mesh\":0},{\"name\":\"Eye\",\"camera\":0,\"translation\":[0,0,3]}],"
      "\"cameras\":[{\"type\":\"perspective\",\"perspective\":{\"yfov\":0.6,\"aspectRatio\":1.5,\"znear\":0.1,\"zfar\":100}}],"
      "\"meshes\":[{\"name\":\"CubeMesh\",\"primitives\":[{\"attributes\":{\"POSITION\":0,\"NORMAL\":1},\"indices\":2}]}],"
      "\"animations\":[{\"name\":\"Go\",\"samplers\":[{\"input\":3,\"output\":4,\"interpolation\":\"LINEAR\"},"
      "{\"input\":3,\"output\":5,\"interpolation\":\"LINEAR\"}],\"channels\":["
      "{\"sampler\":0,\"target\":{\"node\":0,\"path\":\"translation\"}},{\"sampler\":1,\"target\":{\"node\":0,\"path\":\"rotation\"}}]}],"
      "\"accessors\":[" +
      acc(vPos, "VEC3", 5126, 24, ",\"min\":[-0.5,-0.5,-0.5],\"max\":[0.5,0.5,0.5]") + "," + acc(vNrm, "VEC3", 5126, 24) + "," +
      acc(vIdx, "SCALAR", 5123, 36) + "," + acc(vTime, "SCALAR", 5126, 2, ",\"min\":[0],\"max\":[1]") + "," +
      acc(vMove, "VEC3", 5126, 2) + "," + acc(vTurn, "VEC4", 5126, 2) + "]," + buf.Json() + "}";
  TempDir dir("import_gltf");
  const std::string path = dir.str("cube.gltf");
  WriteFile(path, gltf);
  Imported im = Import(path);
  BaseDocument* doc = im.doc.get();

  // One metre in the file is one metre in the scene: a host unit is a metre.
  PolygonObject* cube = Poly(doc, "Cube");
  ASSERT_NE(cube, nullptr);
  EXPECT_EQ(cube->GetPointCount(), 8);  // the 24 corners share 8 points
  EXPECT_EQ(cube->GetPolygonCount(), 12);
  Vector lo(1e9f), hi(-1e9f);
  for (LONG i = 0; i < cube->GetPointCount(); i++) {
    const Vector p = cube->GetPointR()[i];
    lo = Vector(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
    hi = Vector(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
  }
  ExpectNear(hi - lo, Vector(1, 1, 1));
  EXPECT_EQ(GetWorldContainerInstance()->GetLong(WPREF_UNITS_BASIC), 2);
  // Every face still faces outward once the exporter has turned it into renderer triangles.
  for (LONG i = 0; i < cube->GetPolygonCount(); i++) {
    const CPolygon& p = cube->GetPolygonR()[i];
    const Vector centre = Renderer((cube->GetPointR()[p.a] + cube->GetPointR()[p.b] + cube->GetPointR()[p.c]) / 3.0f);
    for (const Vector& n : RendererNormals(cube, i)) EXPECT_GT(n * centre, 0) << "polygon " << i;
  }
  // Flat normals in the file: no smoothing.
  EXPECT_EQ(cube->GetTag(Tphong), nullptr);

  // The camera: placed with z mirrored, looking along its +z at the cube, and rendering the
  // document; the file's angle of view as a focal length on 36 mm film.
  BaseObject* eye = doc->SearchObject(String("Eye"));
  ASSERT_NE(eye, nullptr);
  EXPECT_EQ(eye->GetType(), Ocamera);
  EXPECT_EQ(doc->GetRenderBaseDraw()->GetSceneCamera(doc), eye);
  const Matrix cm = eye->GetMg();
  ExpectNear(cm.off, Vector(0, 0, -3));
  ExpectNear(cm.v3, Vector(0, 0, 1));
  ExpectNear(cm.v2, Vector(0, 1, 0));
  const BaseContainer* cd = eye->GetDataInstance();
  EXPECT_FLOAT_EQ(cd->GetReal(CAMERAOBJECT_APERTURE), 36.0f);
  EXPECT_NEAR(cd->GetReal(CAMERA_FOCUS), 18.0f / (1.5f * std::tan(0.3f)), 1e-2f);
  EXPECT_NEAR(cd->GetReal(CAMERAOBJECT_TARGETDISTANCE), 3.0f, 1e-4f);
  EXPECT_EQ(doc->GetActiveRenderData()->GetDataInstance()->GetLong(RDATA_YRES), 533);

  // The animation: one second at the document's 30 frames per second.
  EXPECT_EQ(doc->GetFps(), 30);
  EXPECT_EQ(doc->GetMinTime().GetFrame(30), 0);
  EXPECT_EQ(doc->GetMaxTime().GetFrame(30), 30);
  bool moves = false;
  for (CTrack* t = cube->GetFirstCTrack(); t; t = t->GetNext())
    moves = moves || (t->GetTarget() == CTRACK_POSITION && t->GetComponent() == 0);
  EXPECT_TRUE(moves);
  host::AnimateTree(doc->GetFirstObject(), BaseTime(15, 30));
  ExpectNear(cube->GetMg().off, Vector(1, 0, 0));
  // Half way the cube has turned 45 degrees about y: the file's +x goes to (cos, 0, -sin),
  // which the host sees with z mirrored.
  ExpectNear(cube->GetMg().Rotate(Vector(1, 0, 0)), Vector(h, 0, h), 1e-3f);
  host::AnimateTree(doc->GetFirstObject(), BaseTime(30, 30));
  ExpectNear(cube->GetMg().off, Vector(2, 0, 0));
  ExpectNear(cube->GetMg().Rotate(Vector(1, 0, 0)), Vector(0, 0, 1), 1e-3f);
}

TEST(SceneImport, ColladaLightsInCentimetresWithZUp) {
  TempDir dir("import_dae");
  const std::string path = dir.str("lamps.dae");
  WriteFile(path,
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
            "<asset><unit meter=\"0.01\" name=\"centimeter\"/><up_axis>Z_UP</up_axis></asset>\n"
            "<library_lights>\n"
            "<light id=\"lamp\" name=\"lamp\"><technique_common><point><color>2 1 0.5</color>"
            "<constant_attenuation>1</constant_attenuation></point></technique_common></light>\n"
            "<light id=\"spot\" name=\"spot\"><technique_common><spot><color>1 1 1</color>"
            "<falloff_angle>45</falloff_angle></spot></technique_common></light>\n"
            "</library_lights>\n"
            "<library_visual_scenes><visual_scene id=\"Scene\" name=\"Scene\">\n"
            "<node id=\"Lamp\" name=\"Lamp\"><translate>100 0 200</translate><instance_light url=\"#lamp\"/></node>\n"
            "<node id=\"Spot\" name=\"Spot\"><translate>0 0 300</translate><instance_light url=\"#spot\"/></node>\n"
            "</visual_scene></library_visual_scenes>\n"
            "<scene><instance_visual_scene url=\"#Scene\"/></scene>\n"
            "</COLLADA>\n");
  Imported im = Import(path);
  BaseDocument* doc = im.doc.get();

  // Centimetres become metres, and the file's z-up becomes the host's y-up.
  BaseObject* lamp = doc->SearchObject(String("Lamp"));
  ASSERT_NE(lamp, nullptr);
  EXPECT_EQ(lamp->GetType(), Olight);
  ExpectNear(lamp->GetMg().off, Vector(1, 2, 0));
  ExpectNear(lamp->GetScale(), Vector(1, 1, 1));
  const BaseContainer* lc = lamp->GetDataInstance();
  EXPECT_EQ(lc->GetLong(kLightType, -1), 0);
  ExpectNear(lc->GetVector(kLightColor), Vector(1, 0.5f, 0.25f));
  EXPECT_FLOAT_EQ(lc->GetReal(kLightBrightness), 2.0f);

  // A spot light shines along the host light's +z: down, here.
  BaseObject* spot = doc->SearchObject(String("Spot"));
  ASSERT_NE(spot, nullptr);
  EXPECT_EQ(spot->GetDataInstance()->GetLong(kLightType, -1), 1);
  ExpectNear(spot->GetMg().off, Vector(0, 3, 0));
  ExpectNear(!spot->GetMg().v3, Vector(0, -1, 0));
  EXPECT_TRUE(AnyLine(im.console, {"Imported ", path.c_str(), "2 lights"}));
}

TEST(SceneImport, SmoothingFollowsTheFileNormals) {
  TempDir dir("import_smooth");
  // Three strips joined along y: folded by 20 degrees with shared normals (smooth), then by
  // 60 degrees with separate normals (hard).
  const double r = 3.14159265358979 / 180;
  const double c20 = std::cos(20 * r), s20 = std::sin(20 * r), c80 = std::cos(80 * r), s80 = std::sin(80 * r);
  const double x2 = 1 + c20, z2 = s20, x3 = x2 + c80, z3 = z2 + s80;
  auto v = [](double x, double y, double z) {
    return "v " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z) + "\n";
  };
  auto vn = [](double x, double z) { return "vn " + std::to_string(x) + " 0 " + std::to_string(z) + "\n"; };
  std::string obj = "o Fold\n" + v(0, 0, 0) + v(1, 0, 0) + v(1, 1, 0) + v(0, 1, 0) + v(x2, 0, z2) + v(x2, 1, z2) +
                    v(x3, 0, z3) + v(x3, 1, z3);
  obj += vn(0, 1) + vn(-std::sin(10 * r), std::cos(10 * r)) + vn(-s20, c20) + vn(-s80, c80);
  obj += "f 1//1 2//2 3//2 4//1\nf 2//2 5//3 6//3 3//2\nf 5//4 7//4 8//4 6//4\n";
  // A cube with one normal per corner: smooth everywhere.
  obj += "o Round\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n";
  obj += "vn -1 -1 -1\nvn 1 -1 -1\nvn 1 1 -1\nvn -1 1 -1\nvn -1 -1 1\nvn 1 -1 1\nvn 1 1 1\nvn -1 1 1\n";
  obj += "f 9//5 12//8 11//7 10//6\nf 13//9 14//10 15//11 16//12\nf 9//5 10//6 14//10 13//9\n"
         "f 10//6 11//7 15//11 14//10\nf 11//7 12//8 16//12 15//11\nf 12//8 9//5 13//9 16//12\n";
  WriteFile(dir.str("fold.obj"), obj);
  Imported im = Import(dir.str("fold.obj"));

  BaseTag* fold = Poly(im.doc.get(), "Fold")->GetTag(Tphong);
  ASSERT_NE(fold, nullptr);
  EXPECT_TRUE(fold->GetDataInstance()->GetBool(PHONGTAG_PHONG_ANGLELIMIT));
  EXPECT_NEAR(Deg(fold->GetDataInstance()->GetReal(PHONGTAG_PHONG_ANGLE)), 40.0f, 0.1f);
  BaseTag* round = Poly(im.doc.get(), "Round")->GetTag(Tphong);
  ASSERT_NE(round, nullptr);
  EXPECT_FALSE(round->GetDataInstance()->GetBool(PHONGTAG_PHONG_ANGLELIMIT, TRUE));
}

TEST(SceneImport, BadInputIsRefusedOrWarnedNeverHalfBuilt) {
  TempDir dir("import_bad");
  {
    const std::string path = dir.str("nothing.obj");
    const std::string err = ImportError(path);
    EXPECT_EQ(err, path + ": cannot open the scene file: no such file");
  }
  {
    const std::string path = dir.str("garbage.dae");
    WriteFile(path, std::string("\x01\x02not a scene at all\xff", 22));
    const std::string err = ImportError(path);
    EXPECT_EQ(err.rfind(path + ": cannot read the scene: ", 0), 0u) << err;
  }
  {
    // Points only: nothing to render.
    const std::string path = dir.str("points.obj");
    WriteFile(path, "v 0 0 0\nv 1 0 0\nv 0 1 0\n");
    const std::string err = ImportError(path);
    EXPECT_EQ(err.rfind(path + ": ", 0), 0u) << err;
    EXPECT_FALSE(err.empty());
  }
  {
    // A face that refers to a vertex far beyond the file's: refused, or left out; never read.
    const std::string path = dir.str("index.obj");
    WriteFile(path, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 4000000000\n");
    std::string err;
    try {
      Imported im = Import(path);
      for (BaseObject* op = im.doc->GetFirstObject(); op; op = op->GetNext()) {
        if (op->GetType() != Opolygon) continue;
        const PolygonObject* p = static_cast<PolygonObject*>(op);
        for (LONG i = 0; i < p->GetPolygonCount(); i++) {
          const CPolygon& c = p->GetPolygonR()[i];
          for (LONG k : {c.a, c.b, c.c, c.d}) EXPECT_TRUE(k >= 0 && k < p->GetPointCount());
        }
      }
    } catch (const host::DocumentError& e) {
      err = e.what();
      EXPECT_EQ(err.rfind(path + ": ", 0), 0u) << err;
    }
  }
  {
    // A quad with a corner that is not a number is left out, with a warning naming the node;
    // the triangle beside it stays.
    GltfBuffer buf;
    const float nan = std::nanf("");
    const size_t vPos = buf.Add(std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, nan, 1, 0, 2, 0, 0, 2, 1, 0});
    const size_t vIdx = buf.Add(std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 1, 4, 5, 0});
    const std::string gltf =
        "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
        "\"nodes\":[{\"name\":\"Broken\",\"mesh\":0}],"
        "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0},\"indices\":1}]}],"
        "\"accessors\":[{\"bufferView\":" + std::to_string(vPos) + ",\"componentType\":5126,\"count\":6,\"type\":\"VEC3\"},"
        "{\"bufferView\":" + std::to_string(vIdx) + ",\"componentType\":5123,\"count\":9,\"type\":\"SCALAR\"}]," + buf.Json() + "}";
    const std::string path = dir.str("nan.gltf");
    WriteFile(path, gltf);
    Imported im = Import(path);
    PolygonObject* broken = Poly(im.doc.get(), "Broken");
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->GetPolygonCount(), 2);
    for (LONG i = 0; i < broken->GetPointCount(); i++) EXPECT_TRUE(std::isfinite(broken->GetPointR()[i].x));
    EXPECT_TRUE(AnyLine(im.console, {"Warning: ", path.c_str(), "node \"Broken\"", "not numbers"}));
  }
  {
    // A hierarchy nested deeper than any real scene is refused, not followed into a crash.
    std::string nodes;
    const int depth = 1200;
    for (int i = 0; i < depth; i++)
      nodes += "{\"name\":\"n" + std::to_string(i) + "\"" + (i + 1 < depth ? ",\"children\":[" + std::to_string(i + 1) + "]" : "") + "},";
    nodes.pop_back();
    const std::string path = dir.str("deep.gltf");
    WriteFile(path, "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],\"nodes\":[" + nodes + "]}");
    EXPECT_EQ(ImportError(path), path + ": node \"n1001\": the hierarchy is more than 1000 levels deep");
  }
  {
    // Names in an older 8-bit encoding come in as the host's UTF-8 text, so the document
    // can be saved.
    const std::string path = dir.str("latin1.obj");
    WriteFile(path, "o Caf\xe9\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    Imported im = Import(path);
    EXPECT_NE(Poly(im.doc.get(), "Caf\xc3\xa9"), nullptr);
    EXPECT_NO_THROW(host::SerializeDocument(im.doc.get()));
  }
  {
    // An object of lines only is left out with a warning; the rest of the file comes in.
    const std::string path = dir.str("lines.obj");
    WriteFile(path, "o Wire\nv 0 0 0\nv 1 0 0\nv 1 1 0\nl 1 2 3\no Face\nv 0 0 1\nv 1 0 1\nv 0 1 1\nf 4 5 6\n");
    Imported im = Import(path);
    EXPECT_NE(Poly(im.doc.get(), "Face"), nullptr);
    EXPECT_EQ(Poly(im.doc.get(), "Wire"), nullptr);
    EXPECT_TRUE(AnyLine(im.console, {"Warning: ", path.c_str(), "node \"Wire\"", "no faces"}));
  }
}

TEST(SceneImport, OnlyHostDocumentsAreNotForeign) {
  EXPECT_FALSE(host::IsForeignScene("/a/room.json"));
  EXPECT_FALSE(host::IsForeignScene("/a/ROOM.JSON"));
  EXPECT_FALSE(host::IsForeignScene("/a.b/room"));
  EXPECT_TRUE(host::IsForeignScene("/a/duck.dae"));
  EXPECT_TRUE(host::IsForeignScene("model.GLB"));
}
