// Lights. The renderer knows no point, spot or area lights: every light becomes emitting
// geometry (an analytic sphere, a small plane, a primitive of the area light's shape or the
// area light's own polygon object) whose material "defaultLight" emits.
#include <cmath>
#include <initializer_list>

#include "PluginIds.h"
#include "description/tMyLightTag.h"
#include "exporter/KyranoSceneExporter.h"
#include "geometry/WavefrontExport.h"

namespace {

const Real kPointLightRadius = 0.01f;  // metres
const Real kSpotLightSize = 0.001f;    // metres, each side of the spot's plane
const LONG kRoundSegments = 50;

void SkipLight(BaseObject* light, const String& why) {
  GePrint(String("Light \"") + light->GetName() + "\" not exported: " + why);
}

// While one light is written the scene scale must turn its sizes into finite lengths: a
// scale of zero, below zero or not a number (a custom scale typed as 0) is replaced by 1.0
// for that light, with a warning, and given back afterwards.
class UsableSceneScale {
 public:
  UsableSceneScale(Real& scale, BaseObject* light) : scale_(scale), saved_(scale) {
    if (scale > 0 && std::isfinite(scale)) return;
    GePrint(String("Light \"") + light->GetName() + "\": the scene scale " + RealToString(scale, -1, 6) +
            " is not usable; the light is sized with the scale 1.0.");
    scale_ = 1.0f;
  }
  ~UsableSceneScale() { scale_ = saved_; }
  UsableSceneScale(const UsableSceneScale&) = delete;
  UsableSceneScale& operator=(const UsableSceneScale&) = delete;

 private:
  Real& scale_;
  const Real saved_;
};

// A document of its own for a light's primitive, freed with it.
class TemporaryDocument {
 public:
  TemporaryDocument() : doc_(BaseDocument::Alloc()) {}
  ~TemporaryDocument() { BaseDocument::Free(doc_); }
  TemporaryDocument(const TemporaryDocument&) = delete;
  TemporaryDocument& operator=(const TemporaryDocument&) = delete;
  BaseDocument* get() const { return doc_; }

 private:
  BaseDocument* doc_;
};

struct Parameter {
  LONG id;
  GeData value;
};

// A new primitive object with the given parameters, or null.
BaseObject* MakePrimitive(LONG type, std::initializer_list<Parameter> parameters) {
  BaseObject* op = BaseObject::Alloc(type);
  if (!op) return nullptr;
  for (const Parameter& p : parameters) op->GetDataInstance()->SetData(p.id, p.value);
  return op;
}

// Planes, discs and cylinders face (stand along) the light's z axis; segment counts are
// whole numbers.
BaseObject* MakePlane(Real width, Real height) {
  return MakePrimitive(Oplane, {{PRIM_PLANE_WIDTH, width}, {PRIM_PLANE_HEIGHT, height}, {PRIM_PLANE_SUBW, LONG(1)},
                                {PRIM_PLANE_SUBH, LONG(1)}, {PRIM_AXIS, LONG(PRIM_AXIS_ZP)}});
}

BaseObject* MakeSphere(Real radius, bool hemisphere) {
  return MakePrimitive(Osphere, {{PRIM_SPHERE_RAD, radius}, {PRIM_SPHERE_SUB, kRoundSegments},
                                 {PRIM_SPHERE_TYPE, LONG(hemisphere ? PRIM_SPHERE_TYPE_HEMISPHERE : PRIM_SPHERE_TYPE_STANDARD)}});
}

bool Positive(Real v) { return v > 0 && std::isfinite(v); }

// The primitive of an area light's shape, sized from the light's area (host units), or null
// for a shape that has none. `flat` tells that the sizes leave the shape without area.
BaseObject* MakeAreaPrimitive(LONG shape, const Vector& size, bool* flat) {
  const Real round = (size.x + size.y) * 0.25f, ball = (size.x + size.y + size.z) / 6.0f;
  switch (shape) {
    case LIGHT_AREADETAILS_SHAPE_DISC:
      *flat = !Positive(round);
      return MakePrimitive(Odisc, {{PRIM_DISC_ORAD, round}, {PRIM_DISC_SUB, LONG(1)}, {PRIM_DISC_CSUB, kRoundSegments},
                                   {PRIM_AXIS, LONG(PRIM_AXIS_ZP)}});
    case LIGHT_AREADETAILS_SHAPE_RECTANGLE:
      *flat = !Positive(size.x) || !Positive(size.y);
      return MakePlane(size.x, size.y);
    case LIGHT_AREADETAILS_SHAPE_SPHERE:
    case LIGHT_AREADETAILS_SHAPE_HEMISPHERE:
      *flat = !Positive(ball);
      return MakeSphere(ball, shape == LIGHT_AREADETAILS_SHAPE_HEMISPHERE);
    case LIGHT_AREADETAILS_SHAPE_CYLINDER:
      *flat = !Positive(round) || !Positive(size.z);
      return MakePrimitive(Ocylinder, {{PRIM_CYLINDER_RADIUS, round}, {PRIM_CYLINDER_HEIGHT, size.z},
                                       {PRIM_CYLINDER_SEG, kRoundSegments}, {PRIM_AXIS, LONG(PRIM_AXIS_ZP)}});
    case LIGHT_AREADETAILS_SHAPE_CUBE:
      *flat = !Positive(size.x) || !Positive(size.y) || !Positive(size.z);
      return MakePrimitive(Ocube, {{PRIM_CUBE_LEN, size}, {PRIM_AXIS, LONG(PRIM_AXIS_ZP)}});
    default:
      return nullptr;
  }
}

// Writes a light's primitive (which it takes over) as polygons: made editable in a document
// of its own, named after the light.
Bool WritePrimitiveLight(KyranoSceneExporter& exporter, BaseObject* light, BaseObject* primitive,
                         const Matrix& globalMatrix, long index, int lightType) {
  TemporaryDocument temporary;
  if (!primitive || !temporary.get()) {
    BaseObject::Free(primitive);
    return FALSE;
  }
  primitive->SetName(light->GetName());
  temporary.get()->InsertObject(primitive, nullptr, nullptr);
  BaseObject* geometry = MakeObjectEditable(primitive, temporary.get());
  if (!geometry) {
    SkipLight(light, "its shape could not be made into polygons.");
    return FALSE;
  }
  return exporter.SceneExportLightGeometry(light, temporary.get(), geometry, globalMatrix, index, lightType);
}

String TypeWhy(LONG type) {
  switch (type) {
    case LIGHT_TYPE_DISTANT: return "the renderer has no distant lights.";
    case LIGHT_TYPE_PARALLEL: return "the renderer has no parallel lights.";
    default: return String("the renderer has no lights of type ") + LongToString(type) + ".";
  }
}

}  // namespace

// Point lights use no number: they write no mesh file.
Bool KyranoSceneExporter::ExportLightObject(BaseObject* light, Matrix globalMatrix, long index) {
  if (!light) return FALSE;
  UsableSceneScale scale(sceneScale, light);
  const BaseContainer* data = light->GetDataInstance();
  const LONG type = data->GetLong(LIGHT_TYPE, LIGHT_TYPE_OMNI);
  switch (type) {
    case LIGHT_TYPE_OMNI: return SceneExportPointLight(light, globalMatrix);
    case LIGHT_TYPE_SPOT: return SceneExportSpotLight(light, globalMatrix, index);
    case LIGHT_TYPE_AREA:
      if (data->GetLong(LIGHT_AREADETAILS_SHAPE, LIGHT_AREADETAILS_SHAPE_RECTANGLE) == LIGHT_AREADETAILS_SHAPE_OBJECT)
        return SceneExportAreaLightCustom(light, globalMatrix, index);
      return SceneExportAreaLight(light, globalMatrix, index);
    default:
      SkipLight(light, TypeWhy(type));
      return FALSE;
  }
}

// An analytic sphere of one centimetre. Always FALSE: it uses no number.
Bool KyranoSceneExporter::SceneExportPointLight(BaseObject* light, const Matrix& globalMatrix) {
  BaseObject* sphere = MakeSphere(kPointLightRadius / sceneScale, false);
  if (!sphere) return FALSE;
  sphere->SetName(light->GetName());
  SceneExportDefaultLightMaterial(light);
  SceneExportModelSphere(sphere, globalMatrix, 1);
  BaseObject::Free(sphere);
  return FALSE;
}

// A plane of one millimetre facing the spot's z axis; its direction comes from the IES
// profile the model writer attaches (the tag's own, or the default profile).
Bool KyranoSceneExporter::SceneExportSpotLight(BaseObject* light, const Matrix& globalMatrix, long index) {
  const Real side = kSpotLightSize / sceneScale;
  return WritePrimitiveLight(*this, light, MakePlane(side, side), globalMatrix, index, LIGHT_SPOT);
}

Bool KyranoSceneExporter::SceneExportAreaLight(BaseObject* light, const Matrix& globalMatrix, long index) {
  const BaseContainer* data = light->GetDataInstance();
  const LONG shape = data->GetLong(LIGHT_AREADETAILS_SHAPE, LIGHT_AREADETAILS_SHAPE_RECTANGLE);
  const Vector size(data->GetReal(LIGHT_AREADETAILS_SIZEX, 200.0f), data->GetReal(LIGHT_AREADETAILS_SIZEY, 200.0f),
                    data->GetReal(LIGHT_AREADETAILS_SIZEZ, 200.0f));
  bool flat = false;
  BaseObject* primitive = MakeAreaPrimitive(shape, size, &flat);
  if (!primitive) {
    SkipLight(light, String("the renderer has no area lights of shape ") + LongToString(shape) + ".");
    return FALSE;
  }
  if (flat) {
    BaseObject::Free(primitive);
    SkipLight(light, "its area has no size.");
    return FALSE;
  }
  return WritePrimitiveLight(*this, light, primitive, globalMatrix, index, LIGHT_AREA);
}

// The light's own polygon object emits, placed where it stands; the mesh pass leaves it out.
Bool KyranoSceneExporter::SceneExportAreaLightCustom(BaseObject* light, const Matrix&, long index) {
  BaseObject* linked = light->GetDataInstance()->GetObjectLink(LIGHT_AREADETAILS_OBJECT, document);
  if (!linked || linked->GetType() != Opolygon) {
    SkipLight(light, "its area shape is an object, but it names no polygon object.");
    return FALSE;
  }
  lightGeometry->Append(linked);
  if (static_cast<PolygonObject*>(linked)->GetPolygonCount() < 1) {
    SkipLight(light, String("its object \"") + linked->GetName() + "\" has no polygons.");
    return FALSE;
  }
  return SceneExportLightGeometry(light, document, linked, linked->GetMg(), index, LIGHT_AREA);
}

Bool KyranoSceneExporter::SceneExportLightGeometry(BaseObject* light, BaseDocument* owner, BaseObject* geometry,
                                                   const Matrix& placement, long index, int lightType) {
  const Filename meshFile = LightMeshFile(index);
  // Without a material list every triangle gets "defaultLight".
  if (!noGeometry && !WavefrontExport().ExportObj(owner, modelsDirectory, meshFile, geometry, sceneScale, nullptr)) {
    SkipLight(light, String("its mesh file ") + meshFile.GetString() + " could not be written.");
    return FALSE;
  }
  SceneExportDefaultLightMaterial(light);
  SceneExportMesh(geometry, index, meshFile);
  SceneExportModel(geometry, index, meshFile, placement, lightType, light);
  return TRUE;
}

// "lights-N.kymesh"; a scene itself named "lights" (in any case, for disks that ignore it)
// names its object meshes so, and its light meshes take another prefix.
Filename KyranoSceneExporter::LightMeshFile(long index) const {
  const char* prefix = sceneName.ToLower() == String("lights") ? "lightgeometry-" : "lights-";
  Filename file(String(prefix) + LongToString(LONG(index)));
  file.SetSuffix("kymesh");
  return file;
}

// The emitting material written before each light's geometry: black diffuse albedo, the
// emission from the light tag or, without one, the light's colour times its brightness.
Bool KyranoSceneExporter::SceneExportDefaultLightMaterial(BaseObject* light) {
  if (!light) return FALSE;
  TiXmlElement* material = AppendElement("material", sceneElement);
  SceneExportStringValue("name", "defaultLight", material);
  TiXmlElement* diffuse = AppendElement("diffuse", material);
  SceneExportSpectrumRGB(Vector(0, 0, 0), 2.2f, 1.0f, AppendElement("constant", AppendElement("albedo", diffuse)));
  TiXmlElement* emission = AppendElement("constant", AppendElement("base_emission", diffuse));

  BaseTag* tag = light->GetTag(ID_MYLIGHTTAG);
  if (!tag) {
    const BaseContainer* data = light->GetDataInstance();
    const Vector colour = data->GetVector(LIGHT_COLOR, Vector(1, 1, 1));
    const Real brightness = data->GetReal(LIGHT_BRIGHTNESS, 1.0f);
    SceneExportSpectrumRGB(colour * brightness, 2.2f, 1.0f, emission);
    SceneExportLongValue("layer", 0, diffuse);
    return TRUE;
  }
  const BaseContainer* lt = tag->GetDataInstance();
  switch (lt->GetLong(LIGHTTAG_SPECTRUM, LIGHTTAG_SPECTRUM_RGB)) {
    case LIGHTTAG_SPECTRUM_BLACKBODY:
      SceneExportSpectrumBlackbody(lt->GetReal(LIGHTTAG_TEMPERATURE, 6500.0f), lt->GetReal(LIGHTTAG_BB_GAIN, 1.0f), emission);
      break;
    case LIGHTTAG_SPECTRUM_UNIFORM:
      SceneExportSpectrumUniform(lt->GetReal(LIGHTTAG_UNIFORM_VALUE, 1.0f), emission);
      break;
    case LIGHTTAG_SPECTRUM_PEAK:
      SceneExportSpectrumPeak(lt->GetReal(LIGHTTAG_PEAK_MIN, 300.0f), lt->GetReal(LIGHTTAG_PEAK_WIDTH, 550.0f),
                              lt->GetReal(LIGHTTAG_BASE_VALUE, 0.0f), lt->GetReal(LIGHTTAG_PEAK_VALUE, 200.0f), emission);
      break;
    default:
      SceneExportSpectrumRGB(lt->GetVector(LIGHTTAG_COLOR, Vector(1, 1, 1)), lt->GetReal(LIGHTTAG_GAMMA, 2.2f), 1.0f, emission);
      break;
  }
  SceneExportLongValue("layer", lt->GetLong(LIGHTTAG_LAYER, 0), diffuse);
  return TRUE;
}
