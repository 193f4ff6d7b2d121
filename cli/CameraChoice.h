// The view a command looks through and the time it shows: --camera and --frame of view and
// export.
#pragma once
#include <string>

#include "c4d.h"

namespace cli {

// The camera object named by an object path (/Group/Camera) or, without a leading slash, by
// its name. Throws CommandError naming the document when there is none or it is no camera.
BaseObject* FindCameraObject(BaseDocument* doc, const std::string& docPath, const std::string& camera);

// Sets the document's time to the frame, at the document's frame rate.
void SetDocumentFrame(BaseDocument* doc, LONG frame);

}  // namespace cli
