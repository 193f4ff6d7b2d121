#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

class ShowAbout : public CommandData {};

Bool RegisterMyAbout() { return RegisterNamedCommand(ID_MYABOUT, IDS_ABOUT, "About.tif", "About", new ShowAbout); }
