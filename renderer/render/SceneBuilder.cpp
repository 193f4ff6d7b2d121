#include "SceneBuilder.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "MaterialLibrary.h"
#include "Spectra.h"
#include "kyrano_utils/KyranoSceneParseUtils.h"
#include "kyrano_utils/KyranoXmlFile.h"

namespace renderer::render {

namespace fs = std::filesystem;

namespace {

// Luminance in cd/m^2 per unit of the scene's radiance.
constexpr float kCandelaPerUnit = 683.0f;

std::string Text(const TiXmlElement& parent, const char* name) {
  const TiXmlElement* child = parent.FirstChildElement(name);
  const char* text = child ? child->GetText() : nullptr;
  return text ? text : "";
}

float Number(const TiXmlElement& parent, const char* name, float fallback) {
  const std::string text = Text(parent, name);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return text.empty() || end == text.c_str() ? fallback : float(value);
}

Vec3 Vector(const TiXmlElement& parent, const char* name, const Vec3& fallback) {
  std::istringstream in(Text(parent, name));
  Vec3 v;
  return (in >> v.x >> v.y >> v.z) ? v : fallback;
}

// The keyframes of a model or the camera. The exporter writes each rotation's axis with its
// second and third components exchanged and its angle unchanged; exchanging two axes mirrors
// the frame, so the same turn in the scene's frame has the opposite angle.
std::vector<Keyframe> ReadKeyframes(const TiXmlElement& parent) {
  std::vector<Keyframe> keys;
  for (const TiXmlElement* k = parent.FirstChildElement("keyframe"); k; k = k->NextSiblingElement("keyframe")) {
    Keyframe key;
    key.time = Number(*k, "time", 0);
    key.pos = Vector(*k, "pos", Vec3(0.0f));
    if (const TiXmlElement* q = k->FirstChildElement("rotation_quaternion")) {
      key.axis = Vector(*q, "axis", Vec3(0, 0, 1));
      key.angle = -Number(*q, "angle", 0);
    }
    keys.push_back(key);
  }
  std::stable_sort(keys.begin(), keys.end(), [](const Keyframe& a, const Keyframe& b) { return a.time < b.time; });
  return keys;
}

// Luminance (cd/m^2) that an emission scale asks of a surface of this area.
float TargetLuminance(const std::string& measure, float value, float area) {
  if (measure == "luminance") return value;
  if (measure == "luminous_emittance") return value / kPi;                         // lm/m^2
  if (area <= 0) return 0;
  if (measure == "luminous_flux") return value / (kPi * area);                     // lm, Lambertian
  if (measure == "luminous_intensity") return 4 * value / area;                    // cd, as 4 pi cd in lm
  return 0;
}

class Builder {
 public:
  Builder(const std::string& scenePath, std::string& error)
      : path_(scenePath), folder_(fs::path(scenePath).parent_path().string()), error_(error) {}

  std::unique_ptr<RenderScene> Build() {
    TiXmlDocument doc;
    if (!Kyrano::loadXmlFile(path_, doc, error_)) return nullptr;
    const TiXmlElement* root = doc.RootElement();
    if (!root) {
      error_ = "'" + path_ + "' holds no scene";
      return nullptr;
    }
    scene_ = std::make_unique<RenderScene>();
    library_ = std::make_unique<MaterialLibrary>(*scene_, images_);
    library_->Collect(*root, folder_);
    ReadSettings(*root);
    ReadCamera(*root);
    ReadTonemapping(*root);
    if (!ReadEnvironment(*root)) return nullptr;
    for (const TiXmlElement* child = root->FirstChildElement(); child; child = child->NextSiblingElement())
      if (!ReadGeometry(*child)) return nullptr;
    scene_->Commit();
    BuildLights();
    if (!library_->error.empty()) {
      error_ = library_->error;
      return nullptr;
    }
    return std::move(scene_);
  }

 private:
  void ReadSettings(const TiXmlElement& root) {
    const TiXmlElement* s = root.FirstChildElement("renderer_settings");
    if (!s) return;
    scene_->settings.width = std::max(1, int(Number(*s, "width", 1)));
    scene_->settings.height = std::max(1, int(Number(*s, "height", 1)));
    ReadIncludedImageSize(root);
    if (s->FirstChildElement("render_region")) scene_->notDrawn.insert("render regions (the whole picture is drawn)");
    if (Text(*s, "aperture_diffraction") == "true" || Text(*s, "post_process_diffraction") == "true")
      scene_->notDrawn.insert("aperture diffraction");
  }

  // A settings file the scene includes (its own renderer_settings under its root) sets the
  // picture's size over the scene's, side by side, the last include winning.
  void ReadIncludedImageSize(const TiXmlElement& root) {
    for (const TiXmlElement* include = root.FirstChildElement("include"); include;
         include = include->NextSiblingElement("include")) {
      const std::string text = Text(*include, "pathname");
      const fs::path path = fs::path(text).is_absolute() ? fs::path(text) : fs::path(folder_) / text;
      TiXmlDocument doc;
      std::string ignored;  // the checks have reported a file that does not load
      if (text.empty() || !Kyrano::loadXmlFile(path.string(), doc, ignored) || !doc.RootElement()) continue;
      const TiXmlElement* s = doc.RootElement()->FirstChildElement("renderer_settings");
      if (!s) continue;
      if (s->FirstChildElement("width")) scene_->settings.width = std::max(1, int(Number(*s, "width", 1)));
      if (s->FirstChildElement("height")) scene_->settings.height = std::max(1, int(Number(*s, "height", 1)));
    }
  }

  void ReadCamera(const TiXmlElement& root) {
    CameraSettings c;
    c.width = scene_->settings.width;
    c.height = scene_->settings.height;
    if (const TiXmlElement* e = root.FirstChildElement("camera")) {
      c.aspectRatio = Number(*e, "aspect_ratio", float(c.width) / float(c.height));
      c.pos = Vector(*e, "pos", Vec3(0.0f));
      c.up = Vector(*e, "up", Vec3(0, 0, 1));
      c.forwards = Vector(*e, "forwards", Vec3(0, 1, 0));
      c.keyframes = ReadKeyframes(*e);
      c.focusDistance = Number(*e, "focus_distance", 1);
      c.sensorWidth = Number(*e, "sensor_width", 0.036f);
      c.lensSensorDist = Number(*e, "lens_sensor_dist", 0.05f);
      if (!(c.lensSensorDist > 0)) c.lensSensorDist = 0.05f;
      c.apertureRadius = std::max(0.0f, Number(*e, "aperture_radius", 0));
      c.shiftUp = Number(*e, "lens_shift_up_distance", 0);
      c.shiftRight = Number(*e, "lens_shift_right_distance", 0);
      c.autofocus = e->FirstChildElement("autofocus") != nullptr;
      const TiXmlElement* shape = e->FirstChildElement("aperture_shape");
      if (shape && shape->FirstChildElement() && !shape->FirstChildElement("circular"))
        scene_->notDrawn.insert("aperture shapes other than circular (drawn circular)");
      if (e->FirstChildElement("obstacle_map")) scene_->notDrawn.insert("obstacle maps");
    }
    scene_->camera = std::make_unique<Camera>(c);
  }

  void ReadTonemapping(const TiXmlElement& root) {
    ToneMapping& t = scene_->settings.tone;
    const TiXmlElement* e = root.FirstChildElement("tonemapping");
    if (!e) return;
    if (const TiXmlElement* linear = e->FirstChildElement("linear")) {
      t.kind = ToneMapping::Kind::Linear;
      t.scale = Number(*linear, "scale", 1);
    } else if (const TiXmlElement* reinhard = e->FirstChildElement("reinhard")) {
      t.kind = ToneMapping::Kind::Reinhard;
      t.preScale = Number(*reinhard, "pre_scale", 3);
      t.postScale = Number(*reinhard, "post_scale", 1);
      t.burn = Number(*reinhard, "burn", 10);
    } else if (const TiXmlElement* camera = e->FirstChildElement("camera")) {
      t.kind = ToneMapping::Kind::Camera;
      t.filmIso = Number(*camera, "film_iso", 100);
      t.evAdjust = Number(*camera, "ev_adjust", 0);
      scene_->notDrawn.insert("camera response functions (drawn with a generic film curve)");
    }
  }

  bool ReadEnvironment(const TiXmlElement& root) {
    if (const TiXmlElement* bg = root.FirstChildElement("background")) {
      const TiXmlElement* spectrum = bg->FirstChildElement("spectrum");
      try {
        scene_->environment =
            Environment::Uniform(spectrum ? SpectrumToRgb(*Kyrano::KyranoSceneParseUtils::parseSpectrum(*spectrum)) : Rgb(1.0f));
      } catch (const std::exception& e) {
        error_ = std::string("the background's spectrum does not read: ") + e.what();
        return false;
      }
    } else if (const TiXmlElement* sky = root.FirstChildElement("skylight")) {
      scene_->environment = Environment::Sky(Vector(*sky, "sundir", Vec3(0, 0, 1)), Number(*sky, "turbidity", 2));
      if (Text(*sky, "extra_atmospheric") == "true") scene_->notDrawn.insert("the extra-atmospheric sun (drawn through air)");
    } else if (const TiXmlElement* settings = root.FirstChildElement("background_settings")) {
      return ReadBackgroundMaterial(*settings);
    }
    return true;
  }

  bool ReadBackgroundMaterial(const TiXmlElement& settings) {
    const TiXmlElement* holder = settings.FirstChildElement("background_material");
    const TiXmlElement* material = holder ? holder->FirstChildElement("material") : nullptr;
    if (!material) return true;
    const Reference<Kyrano::KyranoMaterial> model = library_->Parse(*material);
    const auto* diffuse = dynamic_cast<const Kyrano::KyranoDiffuse*>(model.getPointer());
    if (!diffuse) {
      scene_->notDrawn.insert("background materials other than diffuse emitters");
      return true;
    }
    Rgb radiance(0.0f);
    std::shared_ptr<const Texture> texture;
    Transform rotation;
    const auto* param = diffuse->base_emission.getPointer();
    if (const auto* constant = dynamic_cast<const Kyrano::KyranoConstantWavelengthDependentParam*>(param)) {
      radiance = SpectrumToRgb(*constant->spectrum);
    }
    const auto* map = dynamic_cast<const Kyrano::KyranoTextureWavelengthDependentParam*>(diffuse->emission.getPointer());
    if (!map) map = dynamic_cast<const Kyrano::KyranoTextureWavelengthDependentParam*>(param);
    if (map) {
      const Kyrano::KyranoTexture& t = model->textures[std::size_t(map->texture_index)];
      const std::string file = fs::path(t.path).is_absolute() ? t.path : (fs::path(folder_) / t.path).string();
      auto image = images_.Load(file, error_);
      if (!image) return false;
      texture = std::make_shared<Texture>(image, TextureCurve{float(t.exponent), float(t.a), float(t.b), float(t.c)});
      if (IsBlack(radiance)) radiance = Rgb(1.0f);
      if (const auto* spherical =
              dynamic_cast<const Kyrano::KyranoSphericalTexCoordGenerator*>(t.tex_coord_generation.getPointer()))
        if (const auto* axis = dynamic_cast<const Kyrano::KyranoAxisRotation*>(spherical->rotation.getPointer()))
          rotation = Transform::Rotation(Vec3(float(axis->axis.x), float(axis->axis.y), float(axis->axis.z)),
                                         float(axis->angle));
    }
    scene_->environment = Environment::Map(radiance, texture, rotation);
    if (const TiXmlElement* scale = settings.FirstChildElement("emission_scale")) {
      const float target = TargetLuminance(Text(*scale, "measure"), Number(*scale, "value", 0), 4 * kPi);
      const float now = Luminance(radiance);
      if (now > 0) scene_->environment.Scale(target / kCandelaPerUnit / now);
    }
    return true;
  }

  bool ReadGeometry(const TiXmlElement& e) {
    const std::string& kind = e.ValueStr();
    if (kind == "mesh") {
      const TiXmlElement* external = e.FirstChildElement("external");
      meshFiles_[Text(e, "name")] = {external ? Text(*external, "path") : "", Text(e, "normal_smoothing") == "true"};
      if (e.FirstChildElement("max_num_subdivisions")) scene_->notDrawn.insert("subdivision");
      if (Text(e, "merge_vertices_with_same_pos_and_normal") == "true")
        scene_->notDrawn.insert("vertex merging (meshes drawn as stored)");
    } else if (kind == "model") {
      return ReadModel(e);
    } else if (kind == "sphere") {
      Sphere s;
      s.centre = Vector(e, "center", Vec3(0.0f));
      s.radius = Number(e, "radius", 0);
      s.material = library_->Resolve(Text(e, "material_name"), library_->DefinitionsBefore(e));
      if (s.material < 0) s.material = DefaultMaterial();
      if (s.radius > 0) scene_->spheres.push_back(s);
    } else if (kind == "exit_portal") {
      scene_->notDrawn.insert("exit portals (invisible)");
    }
    return true;
  }

  int DefaultMaterial() {
    if (defaultMaterial_ < 0) {
      scene_->materials.push_back(Material());
      defaultMaterial_ = int(scene_->materials.size() - 1);
    }
    return defaultMaterial_;
  }

  int MeshIndex(const std::string& name) {
    const auto known = meshIndex_.find(name);
    if (known != meshIndex_.end()) return known->second;
    const auto file = meshFiles_.find(name);
    if (file == meshFiles_.end()) return -1;
    std::string path = file->second.first;
    if (!fs::path(path).is_absolute()) path = (fs::path(folder_) / path).string();
    auto geometry = std::make_unique<MeshGeometry>();
    geometry->name = name;
    geometry->smooth = file->second.second;
    const Kyrano::MeshReadResult read = Kyrano::KyranoMesh::readFromFile(path, geometry->mesh);
    if (!read) {
      error_ = read.error;
      return -1;
    }
    const Kyrano::KyranoMesh& mesh = geometry->mesh;
    geometry->scene = rtcNewScene(scene_->Device());
    RTCGeometry triangles = rtcNewGeometry(scene_->Device(), RTC_GEOMETRY_TYPE_TRIANGLE);
    auto* vertices = static_cast<float*>(rtcSetNewGeometryBuffer(triangles, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                                                                 3 * sizeof(float), mesh.positions.size()));
    for (std::size_t i = 0; i < mesh.positions.size(); ++i) {
      vertices[3 * i] = mesh.positions[i].x;
      vertices[3 * i + 1] = mesh.positions[i].y;
      vertices[3 * i + 2] = mesh.positions[i].z;
    }
    auto* indices = static_cast<unsigned*>(rtcSetNewGeometryBuffer(triangles, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                                                                   3 * sizeof(unsigned), mesh.triangles.size()));
    for (std::size_t i = 0; i < mesh.triangles.size(); ++i)
      for (int c = 0; c < 3; ++c) indices[3 * i + std::size_t(c)] = mesh.triangles[i].vertexIndices[c];
    rtcCommitGeometry(triangles);
    rtcAttachGeometry(geometry->scene, triangles);
    rtcReleaseGeometry(triangles);
    rtcCommitScene(geometry->scene);
    scene_->triangleCount += mesh.triangles.size();
    scene_->meshes.push_back(std::move(geometry));
    return meshIndex_[name] = int(scene_->meshes.size() - 1);
  }

  // Rows of the model's matrix, then its position; keyframed models move over the exposure.
  std::vector<Transform> Placement(const TiXmlElement& e) {
    Transform base;
    if (const TiXmlElement* rotation = e.FirstChildElement("rotation")) {
      std::istringstream in(Text(*rotation, "matrix"));
      for (auto& row : base.m)
        for (float& v : row) in >> v;
    }
    const float scale = Number(e, "scale", 1);
    for (auto& row : base.m)
      for (float& v : row) v *= scale;
    const std::vector<Keyframe> keys = ReadKeyframes(e);
    if (keys.empty()) {
      base.offset = Vector(e, "pos", Vec3(0.0f));
      return {base};
    }
    const std::size_t steps = std::max<std::size_t>(2, 2 * keys.size());
    std::vector<Transform> placement;
    for (std::size_t i = 0; i < steps; ++i) placement.push_back(InterpolateKeyframes(keys, float(i) / float(steps - 1)) * base);
    return placement;
  }

  bool ReadModel(const TiXmlElement& e) {
    const int mesh = MeshIndex(Text(e, "mesh_name"));
    if (mesh < 0) return error_.empty();
    Instance instance;
    instance.mesh = mesh;
    instance.steps = Placement(e);
    const std::size_t limit = library_->DefinitionsBefore(e);
    const auto& names = scene_->meshes[std::size_t(mesh)]->mesh.materialNames;
    for (const std::string& name : names) {
      const int material = library_->Resolve(name, limit);
      instance.materials.push_back(material < 0 ? DefaultMaterial() : material);
    }
    instance.emissionScale.assign(names.size(), 1.0f);
    instance.ies.assign(names.size(), IesShape());
    const Transform& t = instance.steps.front();
    for (const TiXmlElement* p = e.FirstChildElement("ies_profile"); p; p = p->NextSiblingElement("ies_profile")) {
      auto profile = std::make_shared<IesProfile>();
      std::string path = Text(*p, "path");
      if (!fs::path(path).is_absolute()) path = (fs::path(folder_) / path).string();
      if (!profile->Read(path, error_)) return false;
      for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == Text(*p, "material_name")) {
          // The profile's axis is the light's own beam axis (the host's z, the scene's y).
          instance.ies[i].profile = profile;
          instance.ies[i].axis = Normalize(t.Vector(Vec3(0, 1, 0)));
          instance.ies[i].across = Normalize(t.Vector(Vec3(1, 0, 0)));
        }
    }
    for (const TiXmlElement* s = e.FirstChildElement("emission_scale"); s; s = s->NextSiblingElement("emission_scale"))
      scales_.push_back({scene_->instances.size(), Text(*s, "material_name"), Text(*s, "measure"), Number(*s, "value", 0)});
    scene_->instances.push_back(std::move(instance));
    return true;
  }

  void BuildLights() {
    auto& lights = scene_->lights;
    for (std::size_t i = 0; i < scene_->instances.size(); ++i) {
      Instance& instance = scene_->instances[i];
      const Kyrano::KyranoMesh& mesh = scene_->meshes[std::size_t(instance.mesh)]->mesh;
      const Transform t = instance.steps.front();
      std::vector<float> area(instance.materials.size(), 0.0f);
      for (std::size_t k = 0; k < mesh.triangles.size(); ++k) {
        const Kyrano::Triangle& tri = mesh.triangles[k];
        if (!scene_->materials[std::size_t(instance.materials[tri.materialIndex])].emits) continue;
        if (instance.lightOfTriangle.empty()) instance.lightOfTriangle.assign(mesh.triangles.size(), -1);
        EmitterLight light;
        Vec3 p[3];
        for (int c = 0; c < 3; ++c) {
          const Kyrano::Vec3f& v = mesh.positions[tri.vertexIndices[c]];
          p[c] = t.Point(Vec3(v.x, v.y, v.z));
          if (!mesh.uvs.empty()) {
            light.uv[c][0] = mesh.uvs[tri.uvIndices[c]].x;
            light.uv[c][1] = mesh.uvs[tri.uvIndices[c]].y;
          }
        }
        light.p0 = p[0];
        light.e1 = p[1] - p[0];
        light.e2 = p[2] - p[0];
        auto corner = [&](int c) {
          const Kyrano::Vec3f& v = mesh.positions[tri.vertexIndices[c]];
          return Vec3(v.x, v.y, v.z);
        };
        const Vec3 objectNormal = Cross(corner(1) - corner(0), corner(2) - corner(0));
        light.n = t.Normal(objectNormal);
        light.area = 0.5f * Length(Cross(light.e1, light.e2));
        if (!(light.area > 0)) continue;
        light.material = instance.materials[tri.materialIndex];
        light.ies = instance.ies[tri.materialIndex].profile ? &instance.ies[tri.materialIndex] : nullptr;
        area[tri.materialIndex] += light.area;
        instance.lightOfTriangle[k] = int(lights.size());
        lights.push_back(light);
        lightInstance_.push_back({i, tri.materialIndex});
      }
      instanceArea_.push_back(area);
    }
    for (const ScaleRequest& request : scales_) {
      Instance& instance = scene_->instances[request.instance];
      const auto& names = scene_->meshes[std::size_t(instance.mesh)]->mesh.materialNames;
      for (std::size_t m = 0; m < names.size(); ++m) {
        if (names[m] != request.material) continue;
        const Material& material = scene_->materials[std::size_t(instance.materials[m])];
        const float now = material.emission.texture >= 0 ? 1.0f : Luminance(material.emission.constant);
        const float target = TargetLuminance(request.measure, request.value, instanceArea_[request.instance][m]);
        if (now > 0) instance.emissionScale[m] = target / kCandelaPerUnit / now;
      }
    }
    for (std::size_t l = 0; l < lights.size(); ++l)
      lights[l].scale = scene_->instances[lightInstance_[l].first].emissionScale[lightInstance_[l].second];
    for (std::size_t s = 0; s < scene_->spheres.size(); ++s) {
      Sphere& sphere = scene_->spheres[s];
      if (!scene_->materials[std::size_t(sphere.material)].emits) continue;
      EmitterLight light;
      light.sphere = true;
      light.centre = sphere.centre;
      light.radius = sphere.radius;
      light.area = 4 * kPi * sphere.radius * sphere.radius;
      light.material = sphere.material;
      sphere.light = int(lights.size());
      lights.push_back(light);
    }
  }

  struct ScaleRequest {
    std::size_t instance;
    std::string material, measure;
    float value;
  };

  const std::string path_, folder_;
  std::string& error_;
  std::unique_ptr<RenderScene> scene_;
  ImageCache images_;
  std::unique_ptr<MaterialLibrary> library_;
  std::map<std::string, std::pair<std::string, bool>> meshFiles_;
  std::map<std::string, int> meshIndex_;
  std::vector<ScaleRequest> scales_;
  std::vector<std::vector<float>> instanceArea_;
  std::vector<std::pair<std::size_t, std::uint32_t>> lightInstance_;
  int defaultMaterial_ = -1;
};

}  // namespace

std::unique_ptr<RenderScene> BuildRenderScene(const std::string& scenePath, std::string& error) {
  return Builder(scenePath, error).Build();
}

}  // namespace renderer::render
