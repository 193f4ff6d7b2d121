#include <algorithm>

#include "c4d.h"
#include "c4d_symbols.h"
#include "command/MaterialGroupObject.h"
#include "description/oMyMaterialHelper.h"
#include "PluginIds.h"
#include "Registration.h"

// "Convert Materials": a material helper for each standard host material (or for the selected
// ones, when the user wants only those), with a renderer material type and values read from
// the host material's channels, gathered under the material group "Materials".
class ConvertMats : public CommandData {
 public:
  Bool Execute(BaseDocument* doc) override;

 private:
  static void CollectMaterials(BaseDocument* doc, AtomArray* materials);
  static void Convert(BaseDocument* doc, BaseObject* group, BaseMaterial* material);
  static void ChooseTypeAndValues(BaseMaterial* material, BaseContainer* helper);
};

namespace {

// The host's blurriness (0 to 1) as an exponent: sharp 5025 down to 25 for the blurriest.
Real BlurrinessExponent(Real blurriness) { return 5025.0f - 5000.0f * blurriness; }

Real Clamp01(Real v) { return std::min(1.0f, std::max(0.0f, v)); }

void SetExponent(BaseContainer* helper, Real exponent) {
  helper->SetReal(MATHELPER_EXPONENT, exponent);
  helper->SetReal(MATHELPER_EXPMAP_B, exponent);
}

}  // namespace

Bool ConvertMats::Execute(BaseDocument* doc) {
  if (!doc) return TRUE;
  AtomArray* materials = AtomArray::Alloc();
  if (!materials) return TRUE;
  CollectMaterials(doc, materials);
  if (materials->GetCount() == 0) {
    AtomArray::Free(materials);
    return TRUE;
  }
  BaseObject* group = FindOrMakeMaterialGroup(doc, "Materials");
  // Walking backwards while inserting each helper first keeps the materials' order.
  for (LONG i = materials->GetCount() - 1; group && i >= 0; i--) {
    BaseMaterial* material = static_cast<BaseMaterial*>(materials->GetIndex(i));
    if (material && material->GetType() == Mmaterial) Convert(doc, group, material);
  }
  doc->Message(MSG_UPDATE);
  EventAdd();
  AtomArray::Free(materials);
  return TRUE;
}

// The selected materials when there are some and the user wants only those; else all.
void ConvertMats::CollectMaterials(BaseDocument* doc, AtomArray* materials) {
  for (BaseMaterial* m = doc->GetFirstMaterial(); m; m = m->GetNext())
    if (m->GetBit(BIT_ACTIVE) || m == doc->GetActiveMaterial()) materials->Append(m);
  if (materials->GetCount() > 0 && QuestionDialog("Convert only selected materials?")) return;
  materials->Flush();
  for (BaseMaterial* m = doc->GetFirstMaterial(); m; m = m->GetNext()) materials->Append(m);
}

void ConvertMats::Convert(BaseDocument* doc, BaseObject* group, BaseMaterial* material) {
  BaseObject* helper = MakeHelperFor(doc, group, material);
  if (!helper) return;
  BaseContainer data = helper->GetData();
  data.SetLink(MATHELPER_MATERIAL, material);
  ChooseTypeAndValues(material, &data);
  data.SetBool(MATHELPER_SYNC_MATERIAL, FALSE);
  helper->SetData(data);
}

// Transparent materials become glass (blurry ones glossy), reflecting ones metal-like phong,
// ones with a highlight plastic-like phong, and the rest diffuse.
void ConvertMats::ChooseTypeAndValues(BaseMaterial* material, BaseContainer* helper) {
  const BaseContainer* mat = material->GetDataInstance();
  const Vector colour = mat->GetVector(MATERIAL_COLOR_COLOR) * mat->GetReal(MATERIAL_COLOR_BRIGHTNESS, 1.0f);
  if (material->GetChannelState(CHANNEL_TRANSPARENCY)) {
    const Real blurriness = mat->GetReal(MATERIAL_TRANSPARENCY_DISPERSION, 0.0f);
    helper->SetLong(MATHELPER_TYPE, blurriness > 0 ? MATHELPER_TYPE_GLOSSY : MATHELPER_TYPE_SPECULAR);
    if (blurriness > 0) SetExponent(helper, BlurrinessExponent(blurriness));
    helper->SetReal(MATHELPER_MEDIUM_IOR, mat->GetReal(MATERIAL_TRANSPARENCY_REFRACTION, 0.0f));
    // The writer absorbs the colour's complement: a colour over 100 % must not turn into a
    // negative absorption, which would add light.
    helper->SetVector(MATHELPER_ABSORPTION_COLOR, Vector(Clamp01(colour.x), Clamp01(colour.y), Clamp01(colour.z)));
    helper->SetReal(MATHELPER_ABSORPTION_GAIN, 10.0f);
  } else if (material->GetChannelState(CHANNEL_REFLECTION)) {
    const Real r = mat->GetReal(MATERIAL_REFLECTION_BRIGHTNESS, 0.0f);
    const Real blurriness = mat->GetReal(MATERIAL_REFLECTION_DISPERSION, 0.0f);
    helper->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_PHONG);
    helper->SetReal(MATHELPER_IOR, r * r * 10.0f + 1.0f);
    SetExponent(helper, blurriness > 0 ? BlurrinessExponent(blurriness) : 100000.0f);
    helper->SetVector(MATHELPER_COLOR, colour);
  } else if (!material->GetChannelState(CHANNEL_SPECULAR)) {
    helper->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_DIFFUSE);
    helper->SetVector(MATHELPER_COLOR, colour);
  } else {
    const Real width = mat->GetReal(MATERIAL_SPECULAR_WIDTH, 0.0f) * 100.0f;
    helper->SetLong(MATHELPER_TYPE, MATHELPER_TYPE_PHONG);
    helper->SetReal(MATHELPER_IOR, mat->GetReal(MATERIAL_SPECULAR_HEIGHT, 0.0f) * 100.0f / 142.0f + 1.0f);
    SetExponent(helper, width * width * 0.025f);
    helper->SetVector(MATHELPER_COLOR, colour);
  }
  if (material->GetChannelState(CHANNEL_BUMP))
    helper->SetReal(MATHELPER_BUMP_B, mat->GetReal(MATERIAL_BUMP_STRENGTH, 0.0f) * 0.02f);
}

Bool RegisterConvertMats() { return RegisterNamedCommand(ID_CONVERTMATS, IDS_CONVERTMATS, "ConvertMats.tif", "Convert Materials", new ConvertMats); }
