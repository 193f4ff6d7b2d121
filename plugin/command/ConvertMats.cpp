#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

class ConvertMats : public CommandData {};

Bool RegisterConvertMats() { return RegisterNamedCommand(ID_CONVERTMATS, IDS_CONVERTMATS, "ConvertMats.tif", "Convert Materials", new ConvertMats); }
