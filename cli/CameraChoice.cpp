#include "CameraChoice.h"

#include "Session.h"
#include "host/DocumentIO.h"

namespace cli {

BaseObject* FindCameraObject(BaseDocument* doc, const std::string& docPath, const std::string& camera) {
  BaseObject* op = camera.empty()        ? nullptr
                   : camera[0] == '/' ? host::FindObjectByPath(doc, camera)
                                      : doc->SearchObject(String(camera.c_str()));
  if (!op) throw CommandError(docPath + ": no object '" + camera + "'");
  if (op->GetType() != Ocamera) throw CommandError(docPath + ": " + camera + " is not a camera");
  return op;
}

void SetDocumentFrame(BaseDocument* doc, LONG frame) {
  BaseTime time(LReal(frame), LReal(doc->GetFps() > 0 ? doc->GetFps() : 30));
  time.Reduce();
  doc->SetTime(time);
}

}  // namespace cli
