// The About box: product name and version, and the credits of the plug-in and its icons.
#pragma once
#include "c4d.h"

class MyAboutDialog : public GeDialog {
 public:
  // The layout of dialog resource DLG_ABOUT: title, version line, the developer's credit, a
  // separator, the credits of the icons, and the OK button.
  Bool CreateLayout() override;
  // OK closes the dialog.
  Bool Command(LONG id, const BaseContainer& msg) override;
};
