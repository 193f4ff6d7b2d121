// Dialog layouts of a plug-in's resources (res/dialogs/*.res):
//
//   DIALOG DLG_EXPORT
//   {
//     NAME IDS_EXPORTDLG_TITLE;
//     GROUP { COLUMNS 2; CHECKBOX EXPORTDLG_EXPORT_AND_RUN { NAME IDS_...; VALUE 1; } ... }
//     COMBOBOX EXPORTDLG_PRIORITY { CHILDS { 1660, IDS_...; 1661, IDS_...; } }
//     DLGGROUP { OK; CANCEL; }
//   }
//
// Ids and names are symbols of the plug-in's symbol header (or numbers); texts come from its
// string table.
#pragma once
#include <string>
#include <vector>

#include "c4d.h"

namespace host {

enum class GadgetKind { Group, StaticText, CheckBox, Button, EditNumber, EditText, ComboBox, Separator, Other };

struct GadgetDef {
  GadgetKind kind = GadgetKind::Other;
  std::string keyword;  // as written: CHECKBOX, EDITNUMBERARROWS, ...
  bool hasId = false;
  LONG id = 0;
  std::string symbol;  // the id's symbol, empty when written as a number
  String name;
  GeData value;                // initial value (VALUE, or the kind's empty value)
  std::vector<LONG> childIds;  // entries of a combo box, in order
  std::vector<String> childNames;
  int line = 0;
};

struct DialogLayout {
  LONG id = 0;
  std::string file;
  String title;
  std::vector<GadgetDef> gadgets;  // in layout order, groups included
};

// Ids of the buttons of a DLGGROUP.
enum { DIALOG_OK_ID = 1, DIALOG_CANCEL_ID = 2 };

// Reads the layout of dialog `id` from the .res files of pluginDir/res/dialogs. Returns false
// with `error` naming the file, the line and what is wrong when no file declares the dialog
// or its layout cannot be read.
bool LoadDialogLayout(const Filename& pluginDir, LONG id, const GeResource& strings, DialogLayout* layout,
                      std::string* error);

}  // namespace host
