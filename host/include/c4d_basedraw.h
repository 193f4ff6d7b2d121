// A view of the document: its camera, frame and drawing.
#pragma once
#include <vector>
#include "c4d_baseobject.h"

class BaseDraw {
 public:
  // The camera the view looks through, or null when it uses the editor camera.
  BaseObject* GetSceneCamera(const BaseDocument* doc) const;
  void SetSceneCamera(BaseObject* op) { camera_ = op ? op->GetUniqueId() : 0; }
  // The editor camera: a camera object owned by the view.
  BaseObject* GetEditorCamera() const { return nullptr; }

 private:
  uint64_t camera_ = 0;
};
