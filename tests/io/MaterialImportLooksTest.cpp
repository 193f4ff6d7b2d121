// Imported models keep their look: the host channels the import sets are the ones Convert
// Materials reads, so glass comes out specular, metal phong with its roughness as blur, and a
// textured colour a diffuse texture.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "c4d.h"
#include "description/oMyMaterialHelper.h"
#include "host/Console.h"
#include "host/PluginLoader.h"
#include "host/PluginRegistry.h"
#include "host/SceneImport.h"

using namespace testing_support;

namespace {

const LONG kConvertMats = 1021852;

// One triangle per material, in a glTF file with its buffer inline.
std::string Gltf(const std::string& materials, int count) {
  std::string meshes, nodes;
  for (int i = 0; i < count; i++) {
    meshes += std::string(i ? "," : "") + "{\"primitives\": [{\"attributes\": {\"POSITION\": 0, \"TEXCOORD_0\": 2}, \"indices\": 1, \"material\": " +
              std::to_string(i) + "}]}";
    nodes += std::string(i ? "," : "") + "{\"mesh\": " + std::to_string(i) + ", \"name\": \"N" + std::to_string(i) + "\"}";
  }
  std::string sceneNodes;
  for (int i = 0; i < count; i++) sceneNodes += std::string(i ? "," : "") + std::to_string(i);
  return R"({"asset": {"version": "2.0"}, "extensionsUsed": ["KHR_materials_transmission", "KHR_materials_ior"],
    "buffers": [{"byteLength": 44, "uri": "data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAAAAABAAIAAAA="}],
    "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 36}, {"buffer": 0, "byteOffset": 36, "byteLength": 6}],
    "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [0, 0, 0], "max": [1, 1, 0]},
                  {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"},
                  {"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC2"}],
    "images": [{"uri": "wood.png"}], "textures": [{"source": 0}],
    "materials": [)" + materials + R"(], "meshes": [)" + meshes + R"(], "nodes": [)" + nodes +
         R"(], "scenes": [{"nodes": [)" + sceneNodes + R"(]}], "scene": 0})";
}

}  // namespace

TEST(MaterialImportLooks, GlassMetalAndTextureConvertToTheirRendererTypes) {
  TempDir dir("import_looks");
  WriteFile(dir.str("wood.png"), "only its existence matters");
  WriteFile(dir.str("looks.gltf"),
            Gltf(R"({"name": "Glass", "pbrMetallicRoughness": {"metallicFactor": 0, "roughnessFactor": 0},
                     "extensions": {"KHR_materials_transmission": {"transmissionFactor": 1}, "KHR_materials_ior": {"ior": 1.5}}},
                    {"name": "Steel", "pbrMetallicRoughness": {"baseColorFactor": [0.6, 0.6, 0.6, 1], "metallicFactor": 1, "roughnessFactor": 0.5}},
                    {"name": "Mirror", "pbrMetallicRoughness": {"metallicFactor": 1, "roughnessFactor": 0}},
                    {"name": "Wood", "pbrMetallicRoughness": {"baseColorTexture": {"index": 0}, "metallicFactor": 0, "roughnessFactor": 1}})",
                 4));
  host::Console::Get().SetEcho(false);
  host::PluginLibrary lib;
  ASSERT_TRUE(lib.Load(TAVRELL_PLUGIN_DIR)) << lib.error();
  BaseDocument* doc = host::ImportScene(dir.str("looks.gltf"));
  ASSERT_NE(doc, nullptr);
  host::Interaction::Get().Reset();
  host::PluginRegistry::Get().Find(kConvertMats)->command->Execute(doc);

  auto helper = [&](const char* name) {
    BaseObject* op = doc->SearchObject("Materials");
    for (op = op ? op->GetDown() : nullptr; op; op = op->GetNext())
      if (op->GetName() == String(name)) return op->GetData();
    ADD_FAILURE() << "no helper " << name;
    return BaseContainer();
  };
  const BaseContainer glass = helper("Glass");
  EXPECT_EQ(glass.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_SPECULAR);
  EXPECT_FLOAT_EQ(glass.GetReal(MATHELPER_MEDIUM_IOR), 1.5f);
  const BaseContainer steel = helper("Steel");
  EXPECT_EQ(steel.GetLong(MATHELPER_TYPE), MATHELPER_TYPE_PHONG);
  EXPECT_FLOAT_EQ(steel.GetReal(MATHELPER_EXPONENT), 2525.0f);
  EXPECT_FLOAT_EQ(steel.GetReal(MATHELPER_IOR), 11.0f);
  EXPECT_NEAR(steel.GetVector(MATHELPER_COLOR).x, 0.6f, 1e-5f);
  EXPECT_FLOAT_EQ(helper("Mirror").GetReal(MATHELPER_EXPONENT), 100000.0f);
  // The wood's colour comes from its texture: the helper's diffuse map reads the colour
  // channel, which holds the file.
  BaseMaterial* wood = doc->SearchMaterial("Wood");
  ASSERT_NE(wood, nullptr);
  EXPECT_TRUE(wood->GetChannelState(CHANNEL_COLOR));
  EXPECT_EQ(wood->GetChannel(CHANNEL_COLOR)->GetData().GetString(BASECHANNEL_TEXTURE).str(), "wood.png");
  EXPECT_EQ(helper("Wood").GetLong(MATHELPER_DIFFUSE_CHANNEL), MATHELPER_CHANNEL_COLOR);
  EXPECT_NE(helper("Wood").GetLong(MATHELPER_TYPE), MATHELPER_TYPE_SPECULAR);
  EXPECT_FALSE(wood->GetChannelState(CHANNEL_REFLECTION));
  BaseDocument::Free(doc);
  lib.Unload();
}

// A Phong file whose reflective colour is black reflects nothing, whatever its reflectivity.
TEST(MaterialImportLooks, BlackReflectiveColourReflectsNothing) {
  TempDir dir("import_reflective");
  WriteFile(dir.str("a.dae"), R"(<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
 <library_effects>
  <effect id="dull-fx"><profile_COMMON><technique sid="common"><blinn>
   <diffuse><color>0.5 0.5 0.5 1</color></diffuse><reflective><color>0 0 0 1</color></reflective>
   <reflectivity><float>0.5</float></reflectivity></blinn></technique></profile_COMMON></effect>
  <effect id="shiny-fx"><profile_COMMON><technique sid="common"><blinn>
   <diffuse><color>0.5 0.5 0.5 1</color></diffuse><reflective><color>1 1 1 1</color></reflective>
   <reflectivity><float>0.5</float></reflectivity></blinn></technique></profile_COMMON></effect>
 </library_effects>
 <library_materials><material id="dull" name="dull"><instance_effect url="#dull-fx"/></material>
  <material id="shiny" name="shiny"><instance_effect url="#shiny-fx"/></material></library_materials>
 <library_geometries><geometry id="tri"><mesh>
  <source id="p"><float_array id="pa" count="9">0 0 0 1 0 0 0 1 0</float_array>
   <technique_common><accessor source="#pa" count="3" stride="3"><param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
  <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
  <triangles count="1" material="m"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1 2</p></triangles>
 </mesh></geometry></library_geometries>
 <library_visual_scenes><visual_scene id="s">
  <node id="a"><instance_geometry url="#tri"><bind_material><technique_common><instance_material symbol="m" target="#dull"/></technique_common></bind_material></instance_geometry></node>
  <node id="b"><instance_geometry url="#tri"><bind_material><technique_common><instance_material symbol="m" target="#shiny"/></technique_common></bind_material></instance_geometry></node>
 </visual_scene></library_visual_scenes>
 <scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)");
  host::Console::Get().SetEcho(false);
  std::unique_ptr<BaseDocument, void (*)(BaseDocument*)> doc(host::ImportScene(dir.str("a.dae")),
                                                             [](BaseDocument* d) { BaseDocument::Free(d); });
  ASSERT_NE(doc, nullptr);
  BaseMaterial* dull = doc->SearchMaterial("dull");
  BaseMaterial* shiny = doc->SearchMaterial("shiny");
  ASSERT_NE(dull, nullptr);
  ASSERT_NE(shiny, nullptr);
  EXPECT_FALSE(dull->GetChannelState(CHANNEL_REFLECTION));
  EXPECT_TRUE(shiny->GetChannelState(CHANNEL_REFLECTION));
  EXPECT_FLOAT_EQ(shiny->GetDataInstance()->GetReal(MATERIAL_REFLECTION_BRIGHTNESS), 0.5f);
  EXPECT_FLOAT_EQ(shiny->GetDataInstance()->GetReal(MATERIAL_REFLECTION_DISPERSION, -1.0f), 0.0f);
}
