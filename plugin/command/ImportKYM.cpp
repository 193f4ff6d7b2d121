#include "command/ImportKYM.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "c4d_symbols.h"
#include "command/MaterialGroupObject.h"
#include "description/oMyMaterialHelper.h"
#include "kyrano_utils/KyranoSceneParseUtils.h"
#include "kyrano_utils/KyranoXmlFile.h"
#include "PluginIds.h"
#include "Registration.h"

using namespace Kyrano;
namespace Parse = Kyrano::KyranoSceneParseUtils;

namespace {

// The text of the child element, "" when it is absent or empty.
std::string ChildText(const TiXmlElement* parent, const char* name) { return Parse::parseStringWithDefault(*parent, name, ""); }

// The material types the import knows, in the order they are looked for.
const char* const kTypes[] = {"specular", "glossy_transparent", "diffuse", "diffuse_transmitter",
                              "oren_nayar", "phong",    "null_material", "blend"};

String Quoted(const String& text) { return String("\"") + text + String("\""); }

// The reader names no place when the text ends before its elements close: the place is then
// the end of the file. Empty for messages that name their place.
std::string EndOfTextPlace(const std::string& path, const std::string& error) {
  if (error.find("line ") != std::string::npos || error.find(" as XML: ") == std::string::npos) return "";
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t lastBreak = text.find_last_of('\n');
  const size_t line = std::count(text.begin(), text.end(), '\n') + 1;
  const size_t column = text.size() - (lastBreak == std::string::npos ? 0 : lastBreak + 1) + 1;
  return " (the file ends too early: line " + std::to_string(line) + ", column " + std::to_string(column) + ")";
}

}  // namespace

Bool ImportKYM::Execute(BaseDocument* doc) {
  doc_ = doc;
  file_ = Filename();
  const String title("Select .kym file");
  file_.FileSelect(FILESELECTTYPE_ANYTHING, FILESELECT_LOAD, &title);
  if (!doc_ || !file_.CheckSuffix("kym")) {
    GePrint("no kym");
  } else {
    TiXmlDocument xml;
    if (LoadFile(xml)) ImportAll(xml.FirstChildElement("scenedata"));
    xml.Clear();
    doc_->Message(MSG_UPDATE);
    EventAdd();
  }
  if (!warnings_.empty()) {
    String text("Import warnings:");
    for (const String& w : warnings_) text += String("\n- ") + w;
    MessageDialog(text);
  }
  warnings_.clear();
  return TRUE;
}

// A file that does not load whole, or is not a material file, imports nothing: TinyXML keeps
// what it parsed before an error, and a cut file would otherwise come in half.
bool ImportKYM::LoadFile(TiXmlDocument& xml) {
  std::string error;
  if (!loadXmlFile(file_.GetString().str(), xml, error)) {
    MessageDialog(String(error + EndOfTextPlace(file_.GetString().str(), error)));
    return false;
  }
  if (!xml.FirstChildElement("scenedata")) {
    MessageDialog(file_.GetString() + String(": not a material file (it has no \"scenedata\" element); nothing imported."));
    return false;
  }
  return true;
}

void ImportKYM::ImportAll(const TiXmlElement* scenedata) {
  group_ = FindOrMakeMaterialGroup(doc_, "Imported Materials");
  imported_ = AtomArray::Alloc();
  inProgress_.clear();
  done_.clear();
  if (group_ && imported_) {
    for (const TiXmlElement* m = scenedata->FirstChildElement("material"); m; m = m->NextSiblingElement("material"))
      ImportMaterial(m, scenedata);
  }
  AtomArray::Free(imported_);
}

void ImportKYM::ImportMaterial(const TiXmlElement* material, const TiXmlElement* scenedata) {
  // An input that a blend imported before its own turn in the file comes once.
  if (!done_.insert(material).second) return;
  Material* mat = Material::Alloc();
  if (!mat) return;
  // A material without a name keeps the host's name for new materials.
  const std::string nameText = ChildText(material, "name");
  if (!nameText.empty()) mat->SetName(String(nameText));
  const String name = mat->GetName();
  const TiXmlElement* typeElement = TypeElement(material, name);
  if (!typeElement || !NameIsFree(name, nameText.empty())) {
    BaseMaterial* dropped = mat;
    BaseMaterial::Free(dropped);
    return;
  }
  inProgress_.insert(name.str());
  BaseMaterial* last = doc_->GetFirstMaterial();
  while (last && last->GetNext()) last = last->GetNext();
  doc_->InsertMaterial(mat, last);
  if (BaseObject* helper = MakeHelperFor(doc_, group_, mat)) {
    const Reference<KyranoMaterial> model = Parse(typeElement);
    Target t{helper->GetDataInstance(), model.getPointer(), mat, typeElement,
             std::vector<bool>(model.getPointer() ? model->textures.size() : 0, false)};
    ImportType(t, scenedata);
    WarnUnusedTextures(t);
  }
  inProgress_.erase(name.str());
  imported_->Append(mat);
}

// Each name is imported once per run; a later material of a name already taken is dropped.
bool ImportKYM::NameIsFree(const String& name, bool unnamed) {
  if (!FindImportedMat(name) && !inProgress_.count(name.str())) return true;
  if (unnamed) warnings_.push_back(String("A material without a name after the first one is not imported."));
  else warnings_.push_back(String("Material ") + Quoted(name) + String(" appears more than once; only the first is imported."));
  return false;
}

const TiXmlElement* ImportKYM::TypeElement(const TiXmlElement* material, const String& name) {
  for (const char* type : kTypes) {
    const TiXmlElement* e = material->FirstChildElement(type);
    if (!e) continue;
    return std::string(type) == "null_material" ? nullptr : e;
  }
  const TiXmlElement* other = material->FirstChildElement();
  while (other && other->ValueStr() == "name") other = other->NextSiblingElement();
  const String kind = other ? String("Material type ") + Quoted(String(other->ValueStr())) : String("Material without a type");
  warnings_.push_back(kind + String(" in Material ") + Quoted(name) + String(" not supported."));
  return nullptr;
}

// The model of the type element; none (after a message) when the reader refuses it.
Reference<KyranoMaterial> ImportKYM::Parse(const TiXmlElement* e) {
  const std::string type = e->ValueStr();
  try {
    if (type == "specular") return Parse::parseSpecular(*e);
    if (type == "glossy_transparent") return Parse::parseGlossyTransparent(*e);
    if (type == "diffuse") return Parse::parseDiffuse(*e);
    if (type == "diffuse_transmitter") return Parse::parseDiffuseTransmitter(*e);
    if (type == "oren_nayar") return Parse::parseOrenNayar(*e);
    if (type == "phong") return Parse::parsePhong(*e);
    if (type == "blend") return Parse::parseBlendMaterial(*e);
  } catch (const KyranoSceneParseUtilsExcep& ex) {
    MessageDialog(String(ex.message()));
  }
  return Reference<KyranoMaterial>();
}

void ImportKYM::ImportType(Target& t, const TiXmlElement* scenedata) {
  const std::string type = t.typeElement->ValueStr();
  if (type == "diffuse") ImportDiffuse(t);
  else if (type == "diffuse_transmitter") ImportDiffuseTrans(t);
  else if (type == "oren_nayar") ImportOrenNayar(t);
  else if (type == "specular") ImportSpecular(t, scenedata);
  else if (type == "glossy_transparent") ImportGlossyTrans(t, scenedata);
  else if (type == "phong") ImportPhong(t);
  else if (type == "blend") ImportBlendMat(t, scenedata);
}

void ImportKYM::ImportDiffuse(Target& t) {
  t.data->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_DIFFUSE);
  const KyranoDiffuse* m = dynamic_cast<const KyranoDiffuse*>(t.model);
  if (!m) return;
  ImportAlbedo(t, m->albedo.getPointer());
  t.data->SetBool(MATHELPER_RANDOM_TRIANGLE_COLOURS, m->random_triangle_colours);
  ImportSurface(t, m->bump, m->displacement, m->layer, m->base_emission, m->emission);
}

void ImportKYM::ImportDiffuseTrans(Target& t) {
  t.data->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_DIFFUSE_TRANSMITTER);
  const KyranoDiffuseTransmitter* m = dynamic_cast<const KyranoDiffuseTransmitter*>(t.model);
  if (!m) return;
  ImportAlbedo(t, m->albedo.getPointer());
  ImportSurface(t, m->bump, m->displacement, m->layer, m->base_emission, m->emission);
}

void ImportKYM::ImportOrenNayar(Target& t) {
  t.data->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_OREN_NAYAR);
  const KyranoOrenNayarMaterial* m = dynamic_cast<const KyranoOrenNayarMaterial*>(t.model);
  if (!m) return;
  ImportAlbedo(t, m->albedo.getPointer());
  ImportSigma(t, m->sigma.getPointer());
  ImportSurface(t, m->bump, m->displacement, m->layer, m->base_emission, m->emission);
}

void ImportKYM::ImportSpecular(Target& t, const TiXmlElement* scenedata) {
  t.data->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_SPECULAR);
  const KyranoSpecularMaterial* m = dynamic_cast<const KyranoSpecularMaterial*>(t.model);
  if (!m) return;
  t.data->SetBool(MATHELPER_TRANSPARENT, m->transparent);
  ImportMedium(t, scenedata, m->internal_medium_name);
  ImportSurface(t, m->bump, m->displacement, m->layer, m->base_emission, m->emission);
}

void ImportKYM::ImportGlossyTrans(Target& t, const TiXmlElement* scenedata) {
  t.data->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_GLOSSY);
  const KyranoGlossyTransparent* m = dynamic_cast<const KyranoGlossyTransparent*>(t.model);
  if (!m) return;
  ImportExponent(t, m->exponent.getPointer());
  ImportMedium(t, scenedata, m->internal_medium_name);
  ImportSurface(t, m->bump, m->displacement, m->layer, m->base_emission, m->emission);
}

void ImportKYM::ImportPhong(Target& t) {
  t.data->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_PHONG);
  const KyranoPhongMaterial* m = dynamic_cast<const KyranoPhongMaterial*>(t.model);
  if (!m) return;
  ImportAlbedo(t, m->diffuse_albedo.getPointer());
  if (m->specular_reflectivity.getPointer()) {
    // The helper has one colour for both: the reflectivity's wins.
    t.data->SetBool(MATHELPER_SPECULAR_REFLECTIVITY, TRUE);
    ImportAlbedo(t, m->specular_reflectivity.getPointer());
  }
  ImportExponent(t, m->exponent.getPointer());
  if (!m->nk_data.empty()) {
    // The helper holds the file's name inside the renderer's "nkdata/" folder, where the
    // writer puts it back.
    const std::string folder = "nkdata/";
    const bool inFolder = m->nk_data.compare(0, folder.size(), folder) == 0;
    t.data->SetBool(MATHELPER_USE_NK, TRUE);
    t.data->SetString(MATHELPER_NK_FILE, String(inFolder ? m->nk_data.substr(folder.size()) : m->nk_data));
  }
  t.data->SetReal(MATHELPER_IOR, Real(m->ior));
  ImportSurface(t, m->bump, m->displacement, m->layer, m->base_emission, m->emission);
}

void ImportKYM::ImportBlendMat(Target& t, const TiXmlElement* scenedata) {
  t.data->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_BLEND);
  const KyranoBlendMaterial* m = dynamic_cast<const KyranoBlendMaterial*>(t.model);
  if (!m) return;
  t.data->SetLink(MATHELPER_BLEND_A, BlendInput(t, m->a_name, scenedata));
  t.data->SetLink(MATHELPER_BLEND_B, BlendInput(t, m->b_name, scenedata));
  t.data->SetBool(MATHELPER_STEP_BLEND, m->step_blend);
  ImportBlend(t, m->blend.getPointer());
}

// The material of that name, imported first when it comes later in the file. A name whose
// import is under way leads back to this blend: it gets no link.
BaseMaterial* ImportKYM::BlendInput(Target& t, const std::string& name, const TiXmlElement* scenedata) {
  if (inProgress_.count(name)) {
    Warn(String("Blend input ") + Quoted(String(name)) + String(" that leads back to itself"), t.material);
    return nullptr;
  }
  for (const TiXmlElement* e = scenedata->FirstChildElement("material"); e; e = e->NextSiblingElement("material"))
    if (ChildText(e, "name") == name && !FindImportedMat(String(name))) ImportMaterial(e, scenedata);
  BaseMaterial* input = FindImportedMat(String(name));
  // "nullMat" is the writers' name for no material.
  if (!input && name != "nullMat") Warn(String("Blend input ") + Quoted(String(name)) + String(" missing"), t.material);
  return input;
}

void ImportKYM::ImportSurface(Target& t, const Reference<KyranoDisplacementParam>& bump,
                              const Reference<KyranoDisplacementParam>& displacement, int layer,
                              const Reference<KyranoWavelengthDependentParam>& baseEmission,
                              const Reference<KyranoWavelengthDependentParam>& emission) {
  ImportBump(t, bump.getPointer());
  ImportDisplacement(t, displacement.getPointer());
  t.data->SetLong(MATHELPER_EMISSION_LAYER, layer);
  ImportBaseEmission(t, baseEmission.getPointer());
  ImportEmission(t, emission.getPointer());
}

BaseMaterial* ImportKYM::FindImportedMat(const String& name) const {
  for (LONG i = 0; imported_ && i < imported_->GetCount(); i++) {
    BaseMaterial* m = static_cast<BaseMaterial*>(imported_->GetIndex(i));
    if (m && m->GetName() == name) return m;
  }
  return nullptr;
}

void ImportKYM::Warn(const String& kind, const Material* material) {
  warnings_.push_back(kind + String(" in Material ") + Quoted(material->GetName()) + String(" not supported."));
}

// Textures that no parameter used are a shader's: the ISL shader node made for it does not
// carry them.
void ImportKYM::WarnUnusedTextures(const Target& t) {
  for (size_t i = 0; i < t.texturesUsed.size(); i++)
    if (!t.texturesUsed[i]) Warn(String("Shader texture ") + Quoted(String(t.model->textures[i].path)), t.material);
}

Bool RegisterImportKYM() { return RegisterNamedCommand(ID_IMPORTKYM, IDS_IMPORTKYM, "Export.tif", "Import .kym", new ImportKYM); }
