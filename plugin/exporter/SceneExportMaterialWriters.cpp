#include "description/oMyMaterialHelper.h"
#include "exporter/KyranoSceneExporter.h"
#include "exporter/SceneExportText.h"
#include "kyrano_utils/KyranoSceneParseUtils.h"

// Each writer appends one type element to the material element and fills it from the helper.
// Textures and maps exist only for standard host materials; another material gets the parts
// every type needs, so the renderer (and our reader) accept it.

namespace {

BaseMaterial* LinkedMaterial(BaseContainer* data, BaseDocument* doc) {
  return data ? static_cast<BaseMaterial*>(data->GetLink(MATHELPER_MATERIAL, doc, Mbase)) : nullptr;
}

bool IsStandard(const BaseMaterial* material) { return material && material->GetType() == Mmaterial; }

void Exported(const char* kind, BaseMaterial* material) {
  GePrint(String("--Exported ") + kind + " Material: " + material->GetName());
}

// A spectrum the user typed (a tabulated one) is checked with the renderer's own reader; one
// it would refuse is taken out again, with the reader's reason on the console.
bool SpectrumAccepted(TiXmlElement* holder, const String& what) {
  try {
    Kyrano::KyranoSceneParseUtils::parseSpectrum(*holder);
    return true;
  } catch (const Kyrano::KyranoSceneParseUtilsExcep& e) {
    GePrint(String("--Warning: ") + what + " left out: " + e.what());
    return false;
  }
}

void NoSpectrum(const String& what, LONG choice) {
  GePrint(String("--Warning: ") + what + " left out: spectrum choice " + LongToString(choice) + " has no spectrum");
}

// A spectrum the helper lets the user choose: the choice's parameter, the values of its four
// kinds and the parameters of each kind (with the defaults the helper's Init gives them).
struct ChosenSpectrum {
  LONG choice, rgb, blackbody, uniform, tabulated;
  LONG colour, gamma, gain;
  Vector colourDefault;
  LONG temperature, blackbodyGain, value;
  LONG tabStart, tabEnd, tabCount, tabValues;
  bool complement;  // the colour says what passes, the spectrum what is taken away
};

const ChosenSpectrum kEmission = {MATHELPER_EMISSION_TYPE, MATHELPER_EMISSION_RGB, MATHELPER_EMISSION_BLACKBODY,
                                  MATHELPER_EMISSION_UNIFORM, MATHELPER_EMISSION_TABULATED, MATHELPER_EMISSION_COLOR,
                                  MATHELPER_EMISSION_GAMMA, MATHELPER_EMISSION_GAIN, Vector(1, 1, 1),
                                  MATHELPER_EMISSION_TEMPERATURE, MATHELPER_EMISSION_BB_GAIN, MATHELPER_EMISSION_VALUE,
                                  MATHELPER_EMISSION_TAB_START, MATHELPER_EMISSION_TAB_END, MATHELPER_EMISSION_TAB_COUNT,
                                  MATHELPER_EMISSION_TAB_VALUES, false};
const ChosenSpectrum kAbsorption = {MATHELPER_ABSORPTION_TYPE, MATHELPER_ABSORPTION_RGB, MATHELPER_ABSORPTION_BLACKBODY,
                                    MATHELPER_ABSORPTION_UNIFORM, MATHELPER_ABSORPTION_TABULATED, MATHELPER_ABSORPTION_COLOR,
                                    MATHELPER_ABSORPTION_GAMMA, MATHELPER_ABSORPTION_GAIN, Vector(1, 1, 1),
                                    MATHELPER_ABSORPTION_TEMPERATURE, MATHELPER_ABSORPTION_BB_GAIN, MATHELPER_ABSORPTION_VALUE,
                                    MATHELPER_ABSORPTION_TAB_START, MATHELPER_ABSORPTION_TAB_END, MATHELPER_ABSORPTION_TAB_COUNT,
                                    MATHELPER_ABSORPTION_TAB_VALUES, true};
const ChosenSpectrum kScattering = {MATHELPER_SCATTERING_TYPE, MATHELPER_SCATTERING_RGB, MATHELPER_SCATTERING_BLACKBODY,
                                    MATHELPER_SCATTERING_UNIFORM, MATHELPER_SCATTERING_TABULATED, MATHELPER_SCATTERING_COLOR,
                                    MATHELPER_SCATTERING_GAMMA, MATHELPER_SCATTERING_GAIN, Vector(0, 0, 0),
                                    MATHELPER_SCATTERING_TEMPERATURE, MATHELPER_SCATTERING_BB_GAIN, MATHELPER_SCATTERING_VALUE,
                                    MATHELPER_SCATTERING_TAB_START, MATHELPER_SCATTERING_TAB_END, MATHELPER_SCATTERING_TAB_COUNT,
                                    MATHELPER_SCATTERING_TAB_VALUES, false};

// Writes the chosen spectrum into holder; false (with a warning) when there is none the
// renderer would read, and the caller leaves the holder out.
bool ExportChosenSpectrum(KyranoSceneExporter& ex, const BaseContainer* data, const ChosenSpectrum& s, TiXmlElement* holder,
                          const String& what) {
  const LONG kind = data->GetLong(s.choice, s.rgb);
  if (kind == s.rgb) {
    Vector c = data->GetVector(s.colour, s.colourDefault);
    if (s.complement) c = Vector(1 - c.x, 1 - c.y, 1 - c.z);
    ex.SceneExportSpectrumRGB(c, data->GetReal(s.gamma, 1.0f), data->GetReal(s.gain, 1.0f), holder);
  } else if (kind == s.blackbody) {
    ex.SceneExportSpectrumBlackbody(data->GetReal(s.temperature, 6500.0f), data->GetReal(s.blackbodyGain, 1.0f), holder);
  } else if (kind == s.uniform) {
    ex.SceneExportSpectrumUniform(data->GetReal(s.value, 1.0f), holder);
  } else if (kind == s.tabulated) {
    ex.SceneExportSpectrumTabulated(data->GetString(s.tabStart), data->GetString(s.tabEnd), data->GetLong(s.tabCount, 0),
                                    data->GetString(s.tabValues), holder);
    return SpectrumAccepted(holder, what);
  } else {
    NoSpectrum(what, kind);
    return false;
  }
  return true;
}

// Appends a child made apart to the parent when it was written, else discards it.
void Keep(TiXmlElement* parent, TiXmlElement* child, bool written) {
  if (written)
    parent->LinkEndChild(child);
  else
    delete child;
}

}  // namespace

// ---- shared parts ----

namespace {

// The albedo: the diffuse map, or the helper's colour.
void ExportAlbedo(KyranoSceneExporter& ex, BaseContainer* data, BaseMaterial* material, TiXmlElement* type, int& counter,
                  int asPhong) {
  if (ex.SceneExportDiffuseTexture(data, material, type, counter, asPhong)) return;
  TiXmlElement* albedo = ex.AppendElement(asPhong ? "diffuse_albedo" : "albedo", type);
  ex.SceneExportSpectrumRGB(data->GetVector(MATHELPER_COLOR, Vector(0.8f, 0.8f, 0.8f)), data->GetReal(MATHELPER_GAMMA, 2.2f),
                            1.0f, ex.AppendElement("constant", albedo));
}

// The exponent: its map, or the helper's value.
void ExportExponent(KyranoSceneExporter& ex, BaseContainer* data, BaseMaterial* material, TiXmlElement* type, int& counter) {
  if (ex.SceneExportExponentMap(data, material, type, counter)) return;
  ex.SceneExportRealValue("constant", data->GetReal(MATHELPER_EXPONENT, 1000.0f), ex.AppendElement("exponent", type));
}

// The emission block comes last in the type element: emission, then its map.
void ExportEmissionBlock(KyranoSceneExporter& ex, BaseContainer* data, BaseMaterial* material, TiXmlElement* type,
                         int& counter) {
  if (!data->GetBool(MATHELPER_EMISSION, FALSE)) return;
  ex.SceneExportEmission(data, type);
  ex.SceneExportEmissionMap(data, material, type, counter);
}

void ExportBumpAndDisplacement(KyranoSceneExporter& ex, BaseContainer* data, BaseMaterial* material, TiXmlElement* type,
                               int& counter) {
  ex.SceneExportBumpMap(data, material, type, counter);
  ex.SceneExportDisplacementMap(data, material, type, counter);
}

// What the albedo types (diffuse, diffuse transmitter, oren-nayar) take from a standard
// material: the albedo, bump and displacement maps and the emission block.
void ExportAlbedoSurface(KyranoSceneExporter& ex, BaseContainer* data, BaseMaterial* material, TiXmlElement* type) {
  if (!IsStandard(material)) return;
  int counter = 0;
  ExportAlbedo(ex, data, material, type, counter, 0);
  ExportBumpAndDisplacement(ex, data, material, type, counter);
  ExportEmissionBlock(ex, data, material, type, counter);
}

// A blend component: the name of its entry, or "nullMat" for no material, a material no
// helper describes, or a component that leads back to a blend being written.
String ComponentName(TavrellMaterialList& list, BaseContainer* data, LONG id, BaseDocument* doc) {
  BaseMaterial* component = static_cast<BaseMaterial*>(data->GetLink(id, doc, Mbase));
  TavrellMaterial* entry = component ? list.FindMaterialWithPointer(component) : nullptr;
  return entry && !entry->writing ? entry->name : String("nullMat");
}

}  // namespace

Bool KyranoSceneExporter::SceneExportEmission(BaseContainer* data, TiXmlElement* parent) {
  TiXmlElement* emission = new TiXmlElement("base_emission");
  const String what = String("emission of '") + materialName + "'";
  Keep(parent, emission, ExportChosenSpectrum(*this, data, kEmission, AppendElement("constant", emission), what));
  SceneExportLongValue("layer", data->GetLong(MATHELPER_EMISSION_LAYER, 0), parent);
  return TRUE;
}

// ---- the material types ----

Bool KyranoSceneExporter::SceneExportDiffuseMaterial(BaseContainer* data, TiXmlElement* parent) {
  BaseMaterial* material = LinkedMaterial(data, document);
  if (!material) return FALSE;
  TiXmlElement* type = AppendElement("diffuse", parent);
  SceneExportBoolValue("random_triangle_colours", data->GetBool(MATHELPER_RANDOM_TRIANGLE_COLOURS, FALSE), type);
  ExportAlbedoSurface(*this, data, material, type);
  Exported("Diffuse", material);
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportPhongMaterial(BaseContainer* data, TiXmlElement* parent) {
  BaseMaterial* material = LinkedMaterial(data, document);
  if (!material) return FALSE;
  TiXmlElement* type = AppendElement("phong", parent);
  if (data->GetBool(MATHELPER_USE_NK, FALSE))
    SceneExportStringValue("nk_data", String("nkdata/") + data->GetString(MATHELPER_NK_FILE, "Al.nk"), type);
  SceneExportRealValue("ior", data->GetReal(MATHELPER_IOR, 1.0f), type);
  if (data->GetBool(MATHELPER_SPECULAR_REFLECTIVITY, FALSE))
    SceneExportSpectrumRGB(data->GetVector(MATHELPER_COLOR, Vector(0.8f, 0.8f, 0.8f)), data->GetReal(MATHELPER_GAMMA, 2.2f),
                           1.0f, AppendElement("constant", AppendElement("specular_reflectivity", type)));
  int counter = 0;
  if (IsStandard(material)) {
    ExportAlbedo(*this, data, material, type, counter, 1);
    SceneExportBumpMap(data, material, type, counter);
    ExportExponent(*this, data, material, type, counter);
    SceneExportDisplacementMap(data, material, type, counter);
    ExportEmissionBlock(*this, data, material, type, counter);
  } else {
    ExportExponent(*this, data, nullptr, type, counter);
  }
  Exported("Phong", material);
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportSpecularMaterial(BaseContainer* data, TiXmlElement* parent) {
  BaseMaterial* material = LinkedMaterial(data, document);
  if (!material) return FALSE;
  TiXmlElement* type = AppendElement("specular", parent);
  SceneExportStringValue("internal_medium_name", String("Med") + materialName, type);
  SceneExportBoolValue("transparent", data->GetBool(MATHELPER_TRANSPARENT, FALSE), type);
  if (IsStandard(material)) {
    int counter = 0;
    ExportBumpAndDisplacement(*this, data, material, type, counter);
    ExportEmissionBlock(*this, data, material, type, counter);
  }
  Exported("Specular", material);
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportGlossyMaterial(BaseContainer* data, TiXmlElement* parent) {
  BaseMaterial* material = LinkedMaterial(data, document);
  if (!material) return FALSE;
  TiXmlElement* type = AppendElement("glossy_transparent", parent);
  SceneExportStringValue("internal_medium_name", String("Med") + materialName, type);
  int counter = 0;
  if (IsStandard(material)) {
    ExportBumpAndDisplacement(*this, data, material, type, counter);
    ExportExponent(*this, data, material, type, counter);
    ExportEmissionBlock(*this, data, material, type, counter);
  } else {
    ExportExponent(*this, data, nullptr, type, counter);
  }
  Exported("Glossy Transparen", material);
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportDiffuseTransMaterial(BaseContainer* data, TiXmlElement* parent) {
  BaseMaterial* material = LinkedMaterial(data, document);
  if (!material) return FALSE;
  TiXmlElement* type = AppendElement("diffuse_transmitter", parent);
  ExportAlbedoSurface(*this, data, material, type);
  Exported("Diffuse Transmitter", material);
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportOrenNayarMaterial(BaseContainer* data, TiXmlElement* parent) {
  BaseMaterial* material = LinkedMaterial(data, document);
  if (!material) return FALSE;
  TiXmlElement* type = AppendElement("oren_nayar", parent);
  SceneExportRealValue("constant", data->GetReal(MATHELPER_ROUGHNESS, 0.2f), AppendElement("sigma", type));
  ExportAlbedoSurface(*this, data, material, type);
  Exported("Oren Nayar", material);
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportBlendMat(BaseContainer* data, TiXmlElement* parent) {
  BaseMaterial* material = LinkedMaterial(data, document);
  if (!material) return FALSE;
  TiXmlElement* type = AppendElement("blend", parent);
  SceneExportStringValue("a_name", ComponentName(materialList, data, MATHELPER_BLEND_A, document), type);
  SceneExportStringValue("b_name", ComponentName(materialList, data, MATHELPER_BLEND_B, document), type);
  SceneExportBoolValue("step_blend", data->GetBool(MATHELPER_STEP_BLEND, FALSE), type);
  int counter = 0;
  // The blend factor is itself named "blend", inside the blend type element.
  if (!IsStandard(material) || !SceneExportBlendMap(data, material, type, counter))
    SceneExportRealValue("constant", data->GetReal(MATHELPER_BLEND_AMOUNT, 0.5f), AppendElement("blend", type));
  Exported("Blend", material);
  return TRUE;
}

// ---- the medium of specular and glossy materials ----

namespace {

void ExportPhaseFunction(KyranoSceneExporter& ex, BaseContainer* data, TiXmlElement* phase, const String& what) {
  if (data->GetLong(MATHELPER_PHASE_FUNCTION, MATHELPER_PHASE_UNIFORM) != MATHELPER_PHASE_HENYEY_GREENSTEIN) {
    ex.AppendElement("uniform", phase);
    return;
  }
  TiXmlElement* g = new TiXmlElement("g_spectrum");
  const LONG kind = data->GetLong(MATHELPER_G_TYPE, MATHELPER_G_UNIFORM);
  if (kind == MATHELPER_G_UNIFORM) {
    ex.SceneExportSpectrumUniform(data->GetReal(MATHELPER_G_VALUE, 0.9f), g);
  } else if (kind == MATHELPER_G_RGB) {
    const Vector rgb(data->GetReal(MATHELPER_G_RED, 0.9f), data->GetReal(MATHELPER_G_GREEN, 0.9f),
                     data->GetReal(MATHELPER_G_BLUE, 0.9f));
    ex.SceneExportSpectrumRGB(rgb, data->GetReal(MATHELPER_G_GAMMA, 1.0f), 1.0f, g);
  } else {
    NoSpectrum(what + " g", kind);
    delete g;
    g = nullptr;
  }
  TiXmlElement* hg = ex.AppendElement("henyey_greenstein", phase);
  if (g) hg->LinkEndChild(g);
}

}  // namespace

Bool KyranoSceneExporter::SceneExportMedium(BaseContainer* data) {
  TiXmlElement* medium = AppendElement("medium", sceneElement);
  SceneExportStringValue("name", String("Med") + materialName, medium);
  SceneExportLongValue("precedence", data->GetLong(MATHELPER_PRECEDENCE, 1), medium);
  const String what = String("medium of '") + materialName + "':";
  switch (data->GetLong(MATHELPER_MEDIUM_TYPE, MATHELPER_MEDIUM_BASIC)) {
    case MATHELPER_MEDIUM_DERMIS:
      SceneExportRealValue("hemoglobin_fraction", data->GetReal(MATHELPER_HEMOGLOBIN, 0.01f), AppendElement("dermis", medium));
      break;
    case MATHELPER_MEDIUM_EPIDERMIS: {
      TiXmlElement* epidermis = AppendElement("epidermis", medium);
      SceneExportRealValue("melanin_fraction", data->GetReal(MATHELPER_MELANIN, 0.25f), epidermis);
      SceneExportRealValue("melanin_type_blend", data->GetReal(MATHELPER_MELANIN_BLEND, 0.5f), epidermis);
      break;
    }
    case MATHELPER_MEDIUM_BASIC: {
      TiXmlElement* basic = AppendElement("basic", medium);
      SceneExportRealValue("ior", data->GetReal(MATHELPER_MEDIUM_IOR, 1.0f), basic);
      SceneExportRealValue("cauchy_b_coeff", data->GetReal(MATHELPER_CAUCHY_B, 0.0f), basic);
      TiXmlElement* absorption = new TiXmlElement("absorption_coefficient_spectrum");
      // The absorption is the colour's complement, so white absorbs nothing.
      Keep(basic, absorption, ExportChosenSpectrum(*this, data, kAbsorption, absorption, what + " absorption"));
      if (!data->GetBool(MATHELPER_SUBSURFACE, FALSE)) break;
      TiXmlElement* subsurface = AppendElement("subsurface_scattering", basic);
      TiXmlElement* scattering = new TiXmlElement("scattering_coefficient_spectrum");
      Keep(subsurface, scattering, ExportChosenSpectrum(*this, data, kScattering, scattering, what + " scattering"));
      ExportPhaseFunction(*this, data, AppendElement("phase_function", subsurface), what + " phase function");
      break;
    }
    default:
      break;
  }
  return TRUE;
}
