// The material preview: renders one material helper's material on the preview sphere of the
// scene that ships in the plug-in's "preview" folder, into the image the helper chose.
#pragma once
#include "c4d.h"

class PreviewDialog : public GeModalDialog {
 public:
  // The host's layout, then dialog resource DLG_PREVIEW; FALSE if either fails.
  Bool CreateLayout() override;
  // Sets the gadgets' starting values and finds the renderer, asking for its folder once
  // when it is unknown; FALSE (the dialog does not open) when it is still unknown.
  Bool InitValues() override;
  // Render, Cancel and Choose Renderer. Always TRUE.
  Bool Command(LONG id, const BaseContainer& msg) override;

  // Writes the subdivision settings into the preview sphere's mesh element of "preview.kys":
  // the four elements are removed and, when enabled, appended anew. The file is replaced
  // only when it loaded and holds the sphere. TRUE.
  Bool AddSubdivisionOption(Bool enable, LONG maxSubdivisions, Real pixelThreshold, Real curvatureThreshold,
                            Bool smoothing);
  // Makes the picture of "settings.kys" size × size pixels. The file is replaced only when it
  // loaded, holds scenedata/renderer_settings and the size differs from the one it holds. TRUE.
  Bool ChangeResolution(LONG size);

  Filename rendererPath;
  // Set by the opener before the dialog opens.
  Filename previewImage;
  BaseObject* materialHelper = nullptr;

 private:
  void Render();
  void ShowRendererPath();
};

// The preview dialog for the helper's button; set as the helper's preview opener.
Bool RegisterPreviewDialog();
