// The medium of a specular or glossy material: read from the `medium` element the material
// names, text by text, into the helper's medium parameters.
#include "command/ImportKYM.h"
#include "description/oMyMaterialHelper.h"
#include "kyrano_utils/KyranoSceneParseUtils.h"

namespace Parse = Kyrano::KyranoSceneParseUtils;

// The helper's ids for one spectrum of the medium (0 where the helper has none).
struct ImportKYM::SpectrumIds {
  LONG type;
  LONG uniform, value;
  LONG blackbody, temperature, gain;
  LONG peak;
  LONG rgb, colour, rgbGain, gamma;
  LONG tabulated, start, end, values, count;
  bool complement;  // the helper holds the colour whose complement is the spectrum
};

namespace {

const ImportKYM::SpectrumIds kAbsorption = {
    MATHELPER_ABSORPTION_TYPE, MATHELPER_ABSORPTION_UNIFORM, MATHELPER_ABSORPTION_VALUE, MATHELPER_ABSORPTION_BLACKBODY,
    MATHELPER_ABSORPTION_TEMPERATURE, MATHELPER_ABSORPTION_BB_GAIN, MATHELPER_SPECTRUM_OTHER, MATHELPER_ABSORPTION_RGB,
    MATHELPER_ABSORPTION_COLOR, MATHELPER_ABSORPTION_GAIN, MATHELPER_ABSORPTION_GAMMA, MATHELPER_ABSORPTION_TABULATED,
    MATHELPER_ABSORPTION_TAB_START, MATHELPER_ABSORPTION_TAB_END, MATHELPER_ABSORPTION_TAB_VALUES,
    MATHELPER_ABSORPTION_TAB_COUNT, true};
const ImportKYM::SpectrumIds kScattering = {
    MATHELPER_SCATTERING_TYPE, MATHELPER_SCATTERING_UNIFORM, MATHELPER_SCATTERING_VALUE, MATHELPER_SCATTERING_BLACKBODY,
    MATHELPER_SCATTERING_TEMPERATURE, MATHELPER_SCATTERING_BB_GAIN, MATHELPER_SCATTERING_OTHER, MATHELPER_SCATTERING_RGB,
    MATHELPER_SCATTERING_COLOR, MATHELPER_SCATTERING_GAIN, MATHELPER_SCATTERING_GAMMA, MATHELPER_SCATTERING_TABULATED,
    MATHELPER_SCATTERING_TAB_START, MATHELPER_SCATTERING_TAB_END, MATHELPER_SCATTERING_TAB_VALUES,
    MATHELPER_SCATTERING_TAB_COUNT, false};
// The g of Henyey-Greenstein: uniform or rgb only, its colour in three reals, no gain.
const ImportKYM::SpectrumIds kG = {MATHELPER_G_TYPE, MATHELPER_G_UNIFORM, MATHELPER_G_VALUE, 0, 0, 0, 0,
                                   MATHELPER_G_RGB, 0, 0, MATHELPER_G_GAMMA, 0, 0, 0, 0, 0, false};

const TiXmlElement* Child(const TiXmlElement* parent, const char* name) {
  return parent ? parent->FirstChildElement(name) : nullptr;
}

// The text of the child element, "" when it is empty.
String TextOf(const TiXmlElement* parent, const char* name) { return String(Parse::parseStringWithDefault(*parent, name, "")); }

// A leaf present in the file sets its parameter; a missing one leaves it as it is.
void SetReal(BaseContainer* data, LONG id, const TiXmlElement* parent, const char* name) {
  if (Child(parent, name)) data->SetReal(id, TextOf(parent, name).StringToReal());
}
void SetLong(BaseContainer* data, LONG id, const TiXmlElement* parent, const char* name) {
  if (Child(parent, name)) data->SetLong(id, TextOf(parent, name).StringToLong());
}
void SetText(BaseContainer* data, LONG id, const TiXmlElement* parent, const char* name) {
  if (Child(parent, name)) data->SetString(id, TextOf(parent, name));
}

}  // namespace

void ImportKYM::ImportMedium(Target& t, const TiXmlElement* scenedata, const std::string& mediumName) {
  const TiXmlElement* medium = scenedata->FirstChildElement("medium");
  while (medium && Parse::parseStringWithDefault(*medium, "name", "") != mediumName) medium = medium->NextSiblingElement("medium");
  if (!medium) return;
  BaseContainer* data = t.data;
  if (!Child(medium, "precedence")) return;
  SetLong(data, MATHELPER_PRECEDENCE, medium, "precedence");
  const TiXmlElement* basic = Child(medium, "basic");
  if (!basic) {
    if (Child(medium, "dermis")) Warn("Dermis medium", t.material);
    if (Child(medium, "epidermis")) Warn("Epidermis medium", t.material);
    return;
  }
  data->SetLong(MATHELPER_MEDIUM_TYPE, MATHELPER_MEDIUM_BASIC);
  SetReal(data, MATHELPER_MEDIUM_IOR, basic, "ior");
  SetReal(data, MATHELPER_CAUCHY_B, basic, "cauchy_b_coeff");
  ImportMediumSpectrum(t, Child(basic, "absorption_coefficient_spectrum"), kAbsorption);

  const TiXmlElement* subsurface = Child(basic, "subsurface_scattering");
  if (!subsurface) return;
  data->SetBool(MATHELPER_SUBSURFACE, TRUE);
  ImportMediumSpectrum(t, Child(subsurface, "scattering_coefficient_spectrum"), kScattering);
  const TiXmlElement* phase = Child(subsurface, "phase_function");
  if (!phase) return;
  if (Child(phase, "uniform")) data->SetLong(MATHELPER_PHASE_FUNCTION, MATHELPER_PHASE_UNIFORM);
  const TiXmlElement* hg = Child(phase, "henyey_greenstein");
  if (!hg) return;
  data->SetLong(MATHELPER_PHASE_FUNCTION, MATHELPER_PHASE_HENYEY_GREENSTEIN);
  ImportMediumSpectrum(t, Child(hg, "g_spectrum"), kG);
}

// The kinds are tested one after the other, so a later one overrides the type an earlier one
// set (the reader allows only one).
void ImportKYM::ImportMediumSpectrum(Target& t, const TiXmlElement* spectrum, const SpectrumIds& ids) {
  if (!spectrum) return;
  BaseContainer* data = t.data;
  if (const TiXmlElement* e = Child(spectrum, "uniform")) {
    data->SetLong(ids.type, ids.uniform);
    SetReal(data, ids.value, e, "value");
  }
  if (const TiXmlElement* e = ids.blackbody ? Child(spectrum, "blackbody") : nullptr) {
    data->SetLong(ids.type, ids.blackbody);
    SetReal(data, ids.temperature, e, "temperature");
    SetReal(data, ids.gain, e, "gain");
  }
  if (ids.peak && Child(spectrum, "peak")) data->SetLong(ids.type, ids.peak);
  if (const TiXmlElement* e = Child(spectrum, "rgb")) {
    data->SetLong(ids.type, ids.rgb);
    Vector colour;
    Real gain = 1.0f;
    if (StringToVector(t, e, colour, gain)) {
      if (ids.colour == 0) {
        data->SetReal(MATHELPER_G_RED, colour.x);
        data->SetReal(MATHELPER_G_GREEN, colour.y);
        data->SetReal(MATHELPER_G_BLUE, colour.z);
      } else {
        data->SetVector(ids.colour, ids.complement ? Vector(1.0f - colour.x, 1.0f - colour.y, 1.0f - colour.z) : colour);
        data->SetReal(ids.rgbGain, gain);
      }
    }
    SetReal(data, ids.gamma, e, "gamma");
  }
  if (const TiXmlElement* e = ids.tabulated ? Child(spectrum, "regular_tabulated") : nullptr) {
    // Copied as written: wavelengths in metres, as the writers write them.
    data->SetLong(ids.type, ids.tabulated);
    SetText(data, ids.start, e, "start_wavelength");
    SetText(data, ids.end, e, "end_wavelength");
    SetText(data, ids.values, e, "values");
    SetLong(data, ids.count, e, "num_values");
  }
}

bool ImportKYM::StringToVector(Target& t, const TiXmlElement* rgb, Vector& colour, Real& gain) {
  if (!Child(rgb, "rgb")) return false;
  try {
    const Kyrano::Vec3 v = Parse::parseVec3(*rgb, "rgb");
    colour = ColorVectorConversion(Vector(Real(v.x), Real(v.y), Real(v.z)), gain);
    return true;
  } catch (const Kyrano::KyranoSceneParseUtilsExcep& ex) {
    warnings_.push_back(String("Medium colour of Material \"") + t.material->GetName() + String("\" not read: ") +
                        String(ex.message()));
    return false;
  }
}
