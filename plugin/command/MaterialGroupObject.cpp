#include "MaterialGroupObject.h"

#include "PluginIds.h"
#include "description/oMyMaterialHelper.h"

BaseObject* FindOrMakeMaterialGroup(BaseDocument* doc, const String& name) {
  BaseObject* group = doc->SearchObject(name);
  if (group && group->GetType() == ID_MATERIALGROUP) return group;
  group = BaseObject::Alloc(ID_MATERIALGROUP);
  if (!group) return nullptr;
  group->SetName(name);
  doc->InsertObject(group, nullptr, nullptr);
  return group;
}

BaseObject* MakeHelperFor(BaseDocument* doc, BaseObject* group, BaseMaterial* material) {
  BaseObject* helper = BaseObject::Alloc(ID_MYMATERIALHELPER);
  if (!helper) return nullptr;
  helper->SetName(material->GetName());
  doc->InsertObject(helper, group, nullptr);
  if (TextureTag* tag = static_cast<TextureTag*>(helper->MakeTag(Ttexture))) tag->SetMaterial(material);
  helper->GetDataInstance()->SetLink(MATHELPER_MATERIAL, material);
  return helper;
}
