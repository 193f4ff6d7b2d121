// Runs the plug-in's Convert Materials command on a document, answering its question.
#pragma once
#include <vector>

#include "c4d.h"

namespace cli {

// A material helper for each standard material of the document (only the selected ones with
// selectedOnly, when some are selected). Throws CommandError when the plug-in has no such
// command.
void ConvertMaterials(BaseDocument* doc, bool selectedOnly);

// The document's material helpers, in hierarchy order. Throws CommandError when the plug-in
// has no material helper.
std::vector<BaseObject*> MaterialHelpers(BaseDocument* doc);

}  // namespace cli
