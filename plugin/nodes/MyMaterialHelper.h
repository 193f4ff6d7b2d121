// The material helper: the renderer's material settings for one host material. The exporter
// writes one renderer material per helper; the attribute view shows what fits the chosen
// material type, reports which host channels feed the helper's maps, and keeps the host
// material's viewport look in step.
#pragma once
#include "c4d.h"

class MyMaterialHelper : public ObjectData {
 public:
  static NodeData* Alloc() { return new MyMaterialHelper; }

  Bool Init(GeListNode* node) override;
  Bool Message(GeListNode* node, LONG type, void* data) override;
  Bool GetDDescription(GeListNode* node, Description* description, LONG& flags) override;
  Bool GetDParameter(GeListNode* node, const DescID& id, GeData& t_data, LONG& flags) override;
  Bool SetDParameter(GeListNode* node, const DescID& id, const GeData& t_data, LONG& flags) override;

  // Stores how the host material's channel, chosen by the helper's selection, feeds a map
  // ("Texture", "ISL Shader", ...) under statusTextId, and shows the map's texture numbers
  // (groupId, 0 for none) only for a bitmap texture.
  void SetChannelStatus(Material* material, BaseContainer* materialData, BaseContainer* helperData,
                        LONG channelSelectionId, LONG statusTextId, LONG groupId, Description* description);

 private:
  Bool SaveMaterialFile(BaseObject* helper);
  Bool NamePreview(BaseObject* helper);
};

// Opens the material preview of a helper, rendering into the image file named. The preview
// dialog sets it when the plug-in starts; until then the preview button only says so.
using PreviewOpener = Bool (*)(BaseObject* helper, const Filename& image);
void SetPreviewOpener(PreviewOpener opener);

// The host material the helper describes, or null.
BaseMaterial* HelperMaterial(BaseObject* helper);
