// Dialogs. A dialog builds its layout (usually from a dialog resource of the plug-in), sets
// its gadgets' values, and hears of every change the user makes as an action message
// (BFM_ACTION) that GeDialog::Message turns into a call of Command with the gadget's id.
//
// The stand-in host has no windows: once a dialog is open it runs the steps of the host's
// interaction script (host/Console.h), each a gadget change or press delivered through
// Message and Command, until the dialog closes or the script ends.
#pragma once
#include <limits>
#include <memory>

#include "c4d_basecontainer.h"
#include "c4d_resource.h"

// The action message and its entries.
enum {
  BFM_ACTION = 0x62414354,  // 'bACT'
  BFM_ACTION_ID = 1,        // the gadget that changed or was pressed
  BFM_ACTION_VALUE = 2,     // its new value
};

// The buttons of a dialog group (DLGGROUP { OK; CANCEL; }).
enum { IDC_OK = 1, IDC_CANCEL = 2 };

class GeDialog;
namespace host {
struct DialogState;
// Opens a dialog and runs its script (c4d_gui.cpp).
bool RunDialog(GeDialog& dialog, bool modal);
}  // namespace host

class GeDialog {
 public:
  GeDialog();
  virtual ~GeDialog();
  GeDialog(const GeDialog&) = delete;
  GeDialog& operator=(const GeDialog&) = delete;

  // Builds the layout; the host's own layout is empty and always succeeds.
  virtual Bool CreateLayout();
  // Sets the gadgets' values after the layout exists. FALSE keeps the dialog from opening.
  virtual Bool InitValues();
  // A gadget was changed or pressed.
  virtual Bool Command(LONG id, const BaseContainer& msg);
  // Every message of the dialog; an action message with a gadget id goes on to Command.
  virtual LONG Message(const BaseContainer& msg, BaseContainer& result);

  // Opens a dialog; with async it does not block its caller. The stand-in host runs the
  // interaction script; an async dialog still open when it ends stays open, any other is
  // closed as a modal one is.
  Bool Open(Bool async, LONG pluginid, LONG xpos = -1, LONG ypos = -1, LONG defaultw = 0, LONG defaulth = 0);
  Bool Close();
  Bool IsOpen() const;

  // Adds the gadgets of dialog resource `id` from the plug-in's res/dialogs, with their
  // initial values; their texts come from `lr` (the plug-in's string table when null).
  Bool LoadDialogResource(LONG id, GeResource* lr = nullptr, LONG flags = 0);
  Bool SetTitle(const String& title);

  // Gadget values. A Set or Get on an id the layout does not hold returns FALSE.
  Bool SetBool(LONG id, Bool value);
  Bool GetBool(LONG id, Bool& value) const;
  Bool SetLong(LONG id, LONG value, LONG min = std::numeric_limits<LONG>::min(),
               LONG max = std::numeric_limits<LONG>::max(), LONG step = 1);
  Bool GetLong(LONG id, LONG& value) const;
  Bool SetReal(LONG id, Real value, Real min = -std::numeric_limits<Real>::max(),
               Real max = std::numeric_limits<Real>::max(), Real step = 1);
  Bool GetReal(LONG id, Real& value) const;
  Bool SetString(LONG id, const String& text);
  Bool GetString(LONG id, String& text) const;
  // A disabled gadget shows its value but takes no changes from the user.
  Bool Enable(LONG id, Bool enabled);
  // Sends a message concerning gadget `id` (0: the dialog as a whole); the stand-in's
  // gadgets have no handlers of their own, so the dialog's Message receives it.
  LONG SendMessage(LONG id, const BaseContainer& msg);

 private:
  friend bool host::RunDialog(GeDialog& dialog, bool modal);
  friend class GeModalDialog;
  std::unique_ptr<host::DialogState> state_;
};

// A dialog that blocks its caller until it closes with a result.
class GeModalDialog : public GeDialog {
 public:
  // Opens the dialog and returns when it has closed: TRUE when it opened.
  Bool Open(LONG xpos = -1, LONG ypos = -1, LONG defaultw = 0, LONG defaulth = 0);
  Bool Close(Bool result);
  Bool GetResult() const;
  // The OK and Cancel buttons of a dialog group close the dialog with TRUE and FALSE.
  Bool Command(LONG id, const BaseContainer& msg) override;
};
