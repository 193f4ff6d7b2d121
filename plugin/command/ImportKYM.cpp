#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

class ImportKYM : public CommandData {};

Bool RegisterImportKYM() { return RegisterNamedCommand(ID_IMPORTKYM, IDS_IMPORTKYM, "Export.tif", "Import .kym", new ImportKYM); }
