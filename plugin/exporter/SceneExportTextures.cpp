#include <cstdio>

#include "PluginIds.h"
#include "description/oMyMaterialHelper.h"
#include "description/xtavrellislshader.h"
#include "exporter/KyranoSceneExporter.h"
#include "exporter/SceneExportText.h"

using SceneExportText::RelativePath;
using SceneExportText::ToStd;

namespace {

// A map: the helper's channel selection, its four texture numbers (with the defaults the
// helper's Init gives them) and the element that refers to the texture.
struct MapSpec {
  LONG channelId;
  LONG exponentId, aId, bId, cId;
  float exponent, a, b, c;
  const char* element;
};

const MapSpec kDiffuseMap = {MATHELPER_DIFFUSE_CHANNEL, MATHELPER_DIFFUSEMAP_EXPONENT, MATHELPER_DIFFUSEMAP_A,
                             MATHELPER_DIFFUSEMAP_B, MATHELPER_DIFFUSEMAP_C, 2.2f, 0, 1, 0, "albedo"};
const MapSpec kBlendMap = {MATHELPER_BLEND_CHANNEL, MATHELPER_BLENDMAP_EXPONENT, MATHELPER_BLENDMAP_A,
                           MATHELPER_BLENDMAP_B, MATHELPER_BLENDMAP_C, 1, 0, 1, 0, "blend"};
const MapSpec kExponentMap = {MATHELPER_EXPONENT_CHANNEL, MATHELPER_EXPMAP_EXPONENT, MATHELPER_EXPMAP_A,
                              MATHELPER_EXPMAP_B, MATHELPER_EXPMAP_C, 1, 0, 10000, 0, "exponent"};
const MapSpec kBumpMap = {MATHELPER_BUMP_CHANNEL, MATHELPER_BUMP_EXPONENT, MATHELPER_BUMP_A,
                          MATHELPER_BUMP_B, MATHELPER_BUMP_C, 1, 0, 0.001f, 0, "bump"};
const MapSpec kDisplacementMap = {MATHELPER_DISPLACEMENT_CHANNEL, MATHELPER_DISPLACEMENT_EXPONENT,
                                  MATHELPER_DISPLACEMENT_A, MATHELPER_DISPLACEMENT_B, MATHELPER_DISPLACEMENT_C,
                                  1, 0, 0.001f, 0, "displacement"};
const MapSpec kEmissionMap = {MATHELPER_EMISSION_CHANNEL, MATHELPER_EMISSIONMAP_EXPONENT, MATHELPER_EMISSIONMAP_A,
                              MATHELPER_EMISSIONMAP_B, MATHELPER_EMISSIONMAP_C, 1, 0, 1000, 0, "emission"};

// The shader linked into the channel the helper selects, when the host material is a
// standard one and that channel is switched on; null otherwise.
PluginShader* ChannelShader(BaseContainer* data, BaseMaterial* material, LONG channelId, BaseDocument* doc) {
  if (!data || !material || material->GetType() != Mmaterial) return nullptr;
  LONG channel = 0, link = 0;
  Helpers::GetChannelAndShader(data->GetLong(channelId, MATHELPER_CHANNEL_COLOR), channel, link);
  if (!link || !material->GetChannelState(channel)) return nullptr;
  return static_cast<PluginShader*>(material->GetDataInstance()->GetLink(link, doc, Xbase));
}

// A CDATA section may not hold "]]>": the text is split after each "]]" of one, so that the
// sections read back, joined, as the text.
void AppendCData(TiXmlElement* parent, const std::string& text) {
  size_t start = 0;
  for (size_t found = text.find("]]>"); found != std::string::npos; found = text.find("]]>", found + 2)) {
    TiXmlText* section = new TiXmlText(text.substr(start, found + 2 - start));
    section->SetCDATA(true);
    parent->LinkEndChild(section);
    start = found + 2;
  }
  TiXmlText* last = new TiXmlText(text.substr(start));
  last->SetCDATA(true);
  parent->LinkEndChild(last);
}

}  // namespace

// ---- textures ----

Bool KyranoSceneExporter::ExportTexture(PluginShader* bitmapShader, TiXmlElement* parent, float exponent, float a,
                                        float b, float c) {
  if (!bitmapShader) return FALSE;
  const Filename given = bitmapShader->GetDataInstance()->GetFilename(BITMAPSHADER_FILENAME, Filename());
  if (!given.Content()) {
    GePrint(String("--Texture left out: the bitmap shader '") + bitmapShader->GetName() + "' names no file");
    return FALSE;
  }
  const Filename found = Helpers::GetTexturePath(given, document ? document->GetDocumentPath() : Filename());
  // A texture the renderer cannot open would stop it; the input keeps its constant instead.
  if (!found.Content()) {
    GePrint(String("--Texture not found, left out: ") + given.GetString());
    return FALSE;
  }
  return ExportTexture(parent, found.GetString(), exponent, a, b, c);
}

Bool KyranoSceneExporter::ExportTexture(TiXmlElement* parent, const String& path, float exponent, float a, float b,
                                        float c) {
  TiXmlElement* texture = AppendElement("texture", parent);
  SceneExportStringValue("uv_set", "default", texture);
  SceneExportStringValue("path", RelativePath(outputDirectory, path), texture);
  SceneExportRealValue("exponent", exponent, texture);
  SceneExportRealValue("a", a, texture);
  SceneExportRealValue("b", b, texture);
  SceneExportRealValue("c", c, texture);
  return TRUE;
}

void KyranoSceneExporter::ExportTextureIndex(TiXmlElement* parent, int index) {
  SceneExportLongValue("texture_index", index, AppendElement("texture", parent));
}

// ---- shader programs ----

std::string KyranoSceneExporter::ReplaceShaderString(std::string text, const std::string& placeholder,
                                                     const std::string& replacement) {
  if (placeholder.empty()) return text;
  // The search goes on after the inserted text, so a replacement holding the placeholder
  // is not replaced again.
  for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + replacement.size()))
    text.replace(at, placeholder.size(), replacement);
  return text;
}

Bool KyranoSceneExporter::ExportShader(TiXmlElement* typeElement, TiXmlElement* target, PluginShader* islShader,
                                       int& counter) {
  if (!islShader) return FALSE;
  TiXmlElement* outer = AppendElement("shader", target);
  const BaseContainer* data = islShader->GetDataInstance();
  std::string program = ToStd(data->GetString(ISLSHADER_PROGRAM, "no shader"));
  static const struct {
    LONG id;
    const char* placeholder;
  } kSlots[] = {{ISLSHADER_TEXTURE1, "$tex01$"}, {ISLSHADER_TEXTURE2, "$tex02$"}, {ISLSHADER_TEXTURE3, "$tex03$"}};
  const Filename documentPath = document ? document->GetDocumentPath() : Filename();
  for (const auto& slot : kSlots) {
    const Filename file = data->GetFilename(slot.id, Filename());
    if (!file.Content()) continue;
    // Found the way the host finds textures, so a name relative to the document works too.
    const Filename found = Helpers::GetTexturePath(file, documentPath);
    if (!found.Content()) {
      GePrint(String("--Texture not found, left out: ") + file.GetString());
      continue;
    }
    ExportTexture(typeElement, found.GetString(), 2.2f, 0, 1, 0);
    char index[16];
    std::snprintf(index, sizeof index, "%i", counter);
    program = ReplaceShaderString(program, slot.placeholder, index);
    counter++;
  }
  AppendCData(AppendElement("shader", outer), program);
  return TRUE;
}

// ---- maps ----

namespace {

// Writes one map of the helper: a bitmap texture and the input referring to it, or the ISL
// shader; false for no shader, a switched-off channel or a shader of another kind.
Bool ExportMap(KyranoSceneExporter& ex, const MapSpec& map, const char* element, BaseContainer* data,
               BaseMaterial* material, TiXmlElement* typeElement, int& counter) {
  PluginShader* shader = ChannelShader(data, material, map.channelId, ex.document);
  if (!shader) return FALSE;
  if (shader->GetType() == Xbitmap) {
    if (!ex.ExportTexture(shader, typeElement, data->GetReal(map.exponentId, map.exponent), data->GetReal(map.aId, map.a),
                          data->GetReal(map.bId, map.b), data->GetReal(map.cId, map.c)))
      return FALSE;
    ex.ExportTextureIndex(ex.AppendElement(element, typeElement), counter);
    counter++;
    return TRUE;
  }
  if (shader->GetType() == ID_ISLSHADER) return ex.ExportShader(typeElement, ex.AppendElement(element, typeElement), shader, counter);
  return FALSE;
}

}  // namespace

Bool KyranoSceneExporter::SceneExportDiffuseTexture(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement,
                                                    int& counter, int asPhong) {
  return ExportMap(*this, kDiffuseMap, asPhong ? "diffuse_albedo" : kDiffuseMap.element, data, material, typeElement, counter);
}

Bool KyranoSceneExporter::SceneExportBlendMap(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement,
                                              int& counter) {
  return ExportMap(*this, kBlendMap, kBlendMap.element, data, material, typeElement, counter);
}

Bool KyranoSceneExporter::SceneExportExponentMap(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement,
                                                 int& counter) {
  return ExportMap(*this, kExponentMap, kExponentMap.element, data, material, typeElement, counter);
}

Bool KyranoSceneExporter::SceneExportBumpMap(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement,
                                             int& counter) {
  return ExportMap(*this, kBumpMap, kBumpMap.element, data, material, typeElement, counter);
}

Bool KyranoSceneExporter::SceneExportDisplacementMap(BaseContainer* data, BaseMaterial* material,
                                                     TiXmlElement* typeElement, int& counter) {
  return ExportMap(*this, kDisplacementMap, kDisplacementMap.element, data, material, typeElement, counter);
}

Bool KyranoSceneExporter::SceneExportEmissionMap(BaseContainer* data, BaseMaterial* material, TiXmlElement* typeElement,
                                                 int& counter) {
  return ExportMap(*this, kEmissionMap, kEmissionMap.element, data, material, typeElement, counter);
}
