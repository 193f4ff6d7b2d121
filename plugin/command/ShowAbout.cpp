#include "c4d.h"
#include "c4d_symbols.h"
#include "command/MyAboutDialog.h"
#include "PluginIds.h"
#include "Registration.h"

// The "About" menu command: shows the About box until it is closed; changes nothing.
class ShowAbout : public CommandData {
 public:
  Bool Execute(BaseDocument*) override {
    MyAboutDialog dialog;
    return dialog.Open(FALSE, 0, -1, -1, 0, 0);
  }
};

Bool RegisterMyAbout() { return RegisterNamedCommand(ID_MYABOUT, IDS_ABOUT, "About.tif", "About", new ShowAbout); }
