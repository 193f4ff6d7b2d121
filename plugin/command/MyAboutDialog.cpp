#include "command/MyAboutDialog.h"

#include "c4d_symbols.h"

Bool MyAboutDialog::CreateLayout() { return GeDialog::CreateLayout() && LoadDialogResource(DLG_ABOUT, nullptr, 0); }

Bool MyAboutDialog::Command(LONG id, const BaseContainer&) {
  if (id == IDC_OK) Close();
  return TRUE;
}
