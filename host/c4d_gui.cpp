#include "c4d_gui.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "c4d_general.h"
#include "host/Console.h"
#include "host/DialogResource.h"
#include "host/PluginRegistry.h"

namespace host {

struct Gadget {
  GadgetDef def;
  GeData value;
  bool enabled = true;
  bool limited = false;
  double min = 0, max = 0;
};

struct DialogState {
  LONG resourceId = 0;
  String title;
  std::vector<Gadget> gadgets;
  bool open = false;
  bool result = false;

  Gadget* Find(LONG id) {
    for (Gadget& g : gadgets)
      if (g.def.hasId && g.def.id == id) return &g;
    return nullptr;
  }
  const Gadget* Find(LONG id) const { return const_cast<DialogState*>(this)->Find(id); }
  template <typename F>
  bool ForEach(LONG id, F f) {
    bool found = false;
    for (Gadget& g : gadgets) {
      if (!g.def.hasId || g.def.id != id) continue;
      f(g);
      found = true;
    }
    return found;
  }
  std::string Name() const {
    return title.Content() ? "\"" + title.str() + "\"" : "with layout " + std::to_string(resourceId);
  }
};

namespace {

// A script step the dialog cannot take; it ends the script.
struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void ReportDialogError(const std::string& what) {
  Interaction::Get().errors.push_back(what);
  // A command that reports the errors itself shows each once, as its own line.
  if (Interaction::Get().showMessages) Console::Get().Print(what);
}

std::string GadgetName(const Gadget& g) {
  return g.def.symbol.empty() ? std::to_string(g.def.id) : g.def.symbol + " (" + std::to_string(g.def.id) + ")";
}

bool ParseWhole(const std::string& text, LONG* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (*end || errno || v < std::numeric_limits<LONG>::min() || v > std::numeric_limits<LONG>::max()) return false;
  *value = LONG(v);
  return true;
}

// A gadget by number, by the host's own symbols (the buttons of a dialog group) or by a
// symbol of the plug-in's resources.
LONG ResolveGadgetId(const std::string& gadget) {
  LONG id = 0;
  if (gadget == "IDC_OK") return IDC_OK;
  if (gadget == "IDC_CANCEL") return IDC_CANCEL;
  if (ParseWhole(gadget, &id) || PluginRegistry::Get().LookupSymbol(gadget, &id)) return id;
  throw ScriptError("Unknown gadget '" + gadget + "': neither a number nor a symbol of the plug-in's resources.");
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

GeData CheckBoxValue(const std::string& text, const std::string& where) {
  const std::string t = Lower(text);
  if (t == "1" || t == "true" || t == "on" || t == "yes") return GeData(LONG(1));
  if (t == "0" || t == "false" || t == "off" || t == "no") return GeData(LONG(0));
  throw ScriptError(where + " is a check box: give on or off (true/false, yes/no, 1/0), not '" + text + "'.");
}

// A whole number stays whole; anything else is kept as a real number, as a number field
// holds it. Limits the dialog set are applied as the field would.
GeData NumberValue(const Gadget& g, const std::string& text, const std::string& where) {
  LONG whole = 0;
  if (ParseWhole(text, &whole)) {
    if (g.limited) whole = LONG(std::clamp<double>(whole, g.min, g.max));
    return GeData(whole);
  }
  char* end = nullptr;
  const double v = text.empty() ? NAN : std::strtod(text.c_str(), &end);
  if (text.empty() || *end || !std::isfinite(v))
    throw ScriptError(where + " is a number field: '" + text + "' is not a number.");
  // A field's value is read back as a whole number too, so it stays within that range.
  if (std::fabs(v) >= 2147483647.0)
    throw ScriptError(where + " is a number field: '" + text + "' is out of its range (-2147483647 to 2147483647).");
  return GeData(Real(g.limited ? std::clamp(v, g.min, g.max) : v));
}

GeData ComboValue(const Gadget& g, const std::string& text, const std::string& where) {
  LONG id = 0;
  const bool known = ParseWhole(text, &id) || PluginRegistry::Get().LookupSymbol(text, &id);
  if (known && std::find(g.def.childIds.begin(), g.def.childIds.end(), id) != g.def.childIds.end()) return GeData(id);
  std::string entries;
  for (LONG child : g.def.childIds) entries += (entries.empty() ? "" : ", ") + std::to_string(child);
  throw ScriptError(where + " has no entry '" + text + "' (its entries: " + entries + ").");
}

GeData ParseValue(const Gadget& g, const std::string& text, const std::string& where) {
  switch (g.def.kind) {
    case GadgetKind::CheckBox: return CheckBoxValue(text, where);
    case GadgetKind::EditNumber: return NumberValue(g, text, where);
    case GadgetKind::ComboBox: return ComboValue(g, text, where);
    case GadgetKind::EditText: return GeData(String(text));
    default:
      throw ScriptError(where + " is a " + g.def.keyword +
                        " and takes no value; it can only be pressed if it is a button.");
  }
}

// Delivers a change or press as the host does: an action message to the dialog's Message,
// which hands it on to Command.
void SendAction(GeDialog& dialog, const Gadget& g) {
  BaseContainer action(BFM_ACTION);
  action.SetLong(BFM_ACTION_ID, g.def.id);
  action.SetData(BFM_ACTION_VALUE, g.value);
  BaseContainer result;
  dialog.Message(action, result);
}

void ApplyStep(GeDialog& dialog, DialogState& st, const GadgetStep& step) {
  const LONG id = ResolveGadgetId(step.gadget);
  Gadget* g = st.Find(id);
  if (!g) throw ScriptError("The dialog " + st.Name() + " has no gadget " + step.gadget + ".");
  const std::string where = "The gadget " + GadgetName(*g) + " of the dialog " + st.Name();
  if (!g->enabled) {
    throw ScriptError(where + " is disabled: it cannot be " +
                      (step.kind == GadgetStep::Set ? "set to '" + step.value + "'." : std::string("pressed.")));
  }
  if (step.kind == GadgetStep::Set) {
    const GeData value = ParseValue(*g, step.value, where);
    st.ForEach(id, [&](Gadget& each) { each.value = value; });
  } else if (g->def.kind == GadgetKind::CheckBox) {
    const GeData toggled(LONG(g->value.GetLong() ? 0 : 1));
    st.ForEach(id, [&](Gadget& each) { each.value = toggled; });
  } else if (g->def.kind != GadgetKind::Button) {
    throw ScriptError(where + " is a " + g->def.keyword + ": only buttons and check boxes can be pressed.");
  }
  SendAction(dialog, *st.Find(id));
}

void RunScript(GeDialog& dialog, DialogState& st, bool modal) {
  Interaction& in = Interaction::Get();
  while (st.open && !in.gadgetScript.empty()) {
    const GadgetStep step = in.gadgetScript.front();
    in.gadgetScript.pop_front();
    ApplyStep(dialog, st, step);
  }
  if (modal && st.open)
    ReportDialogError("The dialog " + st.Name() +
                      " was still open when its script ended; it was closed with result FALSE.");
}

DialogRecord Snapshot(const DialogState& st, bool opened) {
  DialogRecord r;
  r.resourceId = st.resourceId;
  r.title = st.title.str();
  r.opened = opened;
  r.result = st.result;
  for (const Gadget& g : st.gadgets) {
    if (!g.def.hasId) continue;
    r.gadgets.push_back({g.def.id, g.def.symbol, g.def.keyword, g.value, g.enabled});
  }
  return r;
}

}  // namespace

// No exception leaves here: a refused step, an unanswered question or a failure inside the
// dialog is reported on the console and in the interaction's errors, and the dialog closes.
bool RunDialog(GeDialog& dialog, bool modal) {
  DialogState& st = *dialog.state_;
  st = DialogState();
  Interaction& in = Interaction::Get();
  bool opened = false;
  try {
    if (dialog.CreateLayout() && dialog.InitValues()) {
      st.open = opened = true;
      RunScript(dialog, st, modal);
    }
  } catch (const ScriptError& e) {
    ReportDialogError(e.what());
    in.gadgetScript.clear();
  } catch (const UnansweredQuestion& e) {
    ReportDialogError(std::string(e.what()) + " while the dialog " + st.Name() + " was open.");
    in.gadgetScript.clear();
  } catch (const std::exception& e) {
    ReportDialogError("The dialog " + st.Name() + " failed: " + e.what());
    in.gadgetScript.clear();
  }
  if (modal && st.open) {
    st.open = false;
    st.result = false;
  }
  in.dialogs.push_back(Snapshot(st, opened));
  return opened;
}

}  // namespace host

using host::Gadget;

GeDialog::GeDialog() : state_(std::make_unique<host::DialogState>()) {}
GeDialog::~GeDialog() = default;

Bool GeDialog::CreateLayout() { return TRUE; }
Bool GeDialog::InitValues() { return TRUE; }
Bool GeDialog::Command(LONG, const BaseContainer&) { return TRUE; }

LONG GeDialog::Message(const BaseContainer& msg, BaseContainer&) {
  if (msg.GetId() == BFM_ACTION && msg.GetDataPointer(BFM_ACTION_ID)) return Command(msg.GetLong(BFM_ACTION_ID), msg);
  return FALSE;
}

// Without async the dialog blocks its caller until it closes, as a modal one does.
Bool GeDialog::Open(Bool async, LONG, LONG, LONG, LONG, LONG) { return host::RunDialog(*this, !async); }

Bool GeDialog::Close() {
  state_->open = false;
  return TRUE;
}

Bool GeDialog::IsOpen() const { return state_->open; }

Bool GeDialog::LoadDialogResource(LONG id, GeResource* lr, LONG) {
  host::DialogLayout layout;
  std::string error;
  if (!host::LoadDialogLayout(GeGetPluginPath(), id, lr ? *lr : resource, &layout, &error)) {
    host::ReportDialogError("The dialog layout " + std::to_string(id) + " could not be loaded: " + error);
    return FALSE;
  }
  state_->resourceId = id;
  if (layout.title.Content()) state_->title = layout.title;
  for (host::GadgetDef& def : layout.gadgets) {
    Gadget g;
    g.value = def.value;
    g.def = std::move(def);
    state_->gadgets.push_back(std::move(g));
  }
  return TRUE;
}

Bool GeDialog::SetTitle(const String& title) {
  state_->title = title;
  return TRUE;
}

Bool GeDialog::SetBool(LONG id, Bool value) {
  return state_->ForEach(id, [&](Gadget& g) { g.value = GeData(LONG(value ? 1 : 0)); });
}

Bool GeDialog::GetBool(LONG id, Bool& value) const {
  const Gadget* g = state_->Find(id);
  if (g) value = g->value.GetBool();
  return g != nullptr;
}

Bool GeDialog::SetLong(LONG id, LONG value, LONG min, LONG max, LONG) {
  return state_->ForEach(id, [&](Gadget& g) {
    g.limited = min != std::numeric_limits<LONG>::min() || max != std::numeric_limits<LONG>::max();
    g.min = min;
    g.max = max;
    g.value = GeData(value);
  });
}

Bool GeDialog::GetLong(LONG id, LONG& value) const {
  const Gadget* g = state_->Find(id);
  if (g) value = g->value.GetLong();
  return g != nullptr;
}

Bool GeDialog::SetReal(LONG id, Real value, Real min, Real max, Real) {
  return state_->ForEach(id, [&](Gadget& g) {
    g.limited = min != -std::numeric_limits<Real>::max() || max != std::numeric_limits<Real>::max();
    g.min = min;
    g.max = max;
    g.value = GeData(value);
  });
}

Bool GeDialog::GetReal(LONG id, Real& value) const {
  const Gadget* g = state_->Find(id);
  if (g) value = g->value.GetReal();
  return g != nullptr;
}

Bool GeDialog::SetString(LONG id, const String& text) {
  return state_->ForEach(id, [&](Gadget& g) { g.value = GeData(text); });
}

Bool GeDialog::GetString(LONG id, String& text) const {
  const Gadget* g = state_->Find(id);
  if (g) text = g->value.GetString();
  return g != nullptr;
}

Bool GeDialog::Enable(LONG id, Bool enabled) {
  return state_->ForEach(id, [&](Gadget& g) { g.enabled = enabled != FALSE; });
}

LONG GeDialog::SendMessage(LONG, const BaseContainer& msg) {
  BaseContainer result;
  return Message(msg, result);
}

Bool GeModalDialog::Open(LONG, LONG, LONG, LONG) { return host::RunDialog(*this, true); }

Bool GeModalDialog::Close(Bool result) {
  state_->result = result != FALSE;
  state_->open = false;
  return TRUE;
}

Bool GeModalDialog::GetResult() const { return state_->result; }

Bool GeModalDialog::Command(LONG id, const BaseContainer&) {
  if (id == IDC_OK)
    Close(TRUE);
  else if (id == IDC_CANCEL)
    Close(FALSE);
  return TRUE;
}
