// The Export and Run dialog: the export options, the scene file, a frame range, and whether
// and how the renderer is started on the result. The options are remembered between runs.
#pragma once
#include "c4d.h"
#include "InstanceSuppresser.h"

class KyranoSceneExporter;

class MyExportDialog : public GeModalDialog {
 public:
  Bool CreateLayout() override;
  Bool InitValues() override;
  Bool Command(LONG id, const BaseContainer& msg) override;
  LONG Message(const BaseContainer& msg, BaseContainer& result) override;

  // Stores the fifteen options of the dialog in the settings file.
  Bool SaveLastSettings();
  // Sets the gadgets from the settings file; nothing changes when it holds none.
  void LoadLastSettings();

  // The frame of the document's time: floor(numerator * fps) / floor(denominator), truncated
  // toward zero (0 for a time without a denominator).
  static LONG GetDocumentFrame(BaseDocument* doc);
  // A number field's or setting's value as a whole number: truncated toward zero, held
  // inside the range of LONG.
  static LONG TruncateToLong(LReal value);
  // What the user is told when the exporter could not save `scene`.
  static String FailureMessage(const KyranoSceneExporter& exporter, const Filename& scene);

  Filename rendererExecutable;
  Filename sceneFile;
  InstanceSuppresser* suppresser = nullptr;

 private:
  struct FrameRange {
    LONG first = 0;
    LONG last = 0;
    LONG exportStatic = 1;
  };

  Bool Checked(LONG id) const;
  LONG Number(LONG id) const;
  void UpdateEnabledStates();
  void SendActionMessage();
  Bool FindRenderer();
  void ShowRenderer();
  void ChooseRenderer();

  void Export();
  Bool AskOutputImage(Filename* outputImage);
  FrameRange GetFrameRange(BaseDocument* doc) const;
  Bool ConfirmOverwrite(KyranoSceneExporter& exporter, const FrameRange& range);
  // Exports the range; the first scene written, or an empty name when none was. A scene
  // that could not be saved ends the export and is named in `failed`.
  Filename ExportFrames(KyranoSceneExporter& exporter, BaseDocument* doc, const FrameRange& range, Filename* failed);
  void ShowFrameProgress(LLONG done, LLONG count, LONG elapsedMs);
  void SetSuppressed(UCHAR value);
  void LaunchRenderer(const Filename& scene, const Filename& outputImage);
};
