#include "host/DialogResource.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "host/PluginRegistry.h"
#include "host/ResourceFiles.h"

namespace host {
namespace {

namespace fs = std::filesystem;

struct LayoutError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

GadgetKind KindOfKeyword(const std::string& w) {
  if (w == "GROUP" || w == "DLGGROUP" || w == "SCROLLGROUP" || w == "TAB" || w == "RADIOGROUP")
    return GadgetKind::Group;
  if (w == "STATICTEXT") return GadgetKind::StaticText;
  if (w == "CHECKBOX") return GadgetKind::CheckBox;
  if (w == "BUTTON") return GadgetKind::Button;
  if (w == "EDITNUMBER" || w == "EDITNUMBERARROWS" || w == "EDITSLIDER" || w == "SLIDER") return GadgetKind::EditNumber;
  if (w == "EDITTEXT" || w == "MULTILINEEDIT") return GadgetKind::EditText;
  if (w == "COMBOBOX" || w == "POPUPBUTTON") return GadgetKind::ComboBox;
  if (w == "SEPARATOR") return GadgetKind::Separator;
  return GadgetKind::Other;
}

GeData EmptyValue(GadgetKind kind) {
  switch (kind) {
    case GadgetKind::CheckBox:
    case GadgetKind::EditNumber:
    case GadgetKind::ComboBox: return GeData(LONG(0));
    case GadgetKind::StaticText:
    case GadgetKind::EditText: return GeData(String());
    default: return GeData();
  }
}

bool IsNumber(const std::string& w) {
  if (w.empty()) return false;
  size_t i = (w[0] == '-' || w[0] == '+') ? 1 : 0;
  return i < w.size() && std::all_of(w.begin() + long(i), w.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Walks the tokens of one .res file. Every failure names the file and line.
class LayoutParser {
 public:
  LayoutParser(std::string file, std::vector<ResToken> toks, const GeResource& strings)
      : file_(std::move(file)), toks_(std::move(toks)), strings_(strings) {}

  // The dialog's id as its DIALOG line declares it, or false when the file declares none.
  bool PeekDialogId(LONG* id) const {
    if (toks_.size() < 2 || toks_[0].text != "DIALOG") return false;
    return Resolve(toks_[1].text, id);
  }

  void Parse(DialogLayout* layout) {
    Expect("DIALOG");
    layout->id = ResolveOrFail(NextWord("the dialog's id"));
    layout->file = file_;
    Expect("{");
    layout_ = layout;
    ParseBlock(kDialog);
    if (pos_ < toks_.size()) Fail("unexpected '" + toks_[pos_].text + "' after the dialog's closing '}'");
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    const int line = pos_ < toks_.size() ? toks_[pos_].line : (toks_.empty() ? 1 : toks_.back().line);
    throw LayoutError(file_ + ":" + std::to_string(line) + ": " + what);
  }

  const ResToken& Peek(size_t ahead = 0) const {
    static const ResToken end{ResToken::Punct, "<end of file>", 0};
    return pos_ + ahead < toks_.size() ? toks_[pos_ + ahead] : end;
  }

  void Expect(const std::string& text) {
    if (Peek().text != text) Fail("expected '" + text + "', found '" + Peek().text + "'");
    pos_++;
  }

  std::string NextWord(const std::string& what) {
    if (pos_ >= toks_.size() || Peek().kind != ResToken::Word)
      Fail("expected " + what + ", found '" + Peek().text + "'");
    return toks_[pos_++].text;
  }

  bool Resolve(const std::string& word, LONG* value) const {
    if (IsNumber(word)) {
      *value = LONG(std::strtol(word.c_str(), nullptr, 10));
      return true;
    }
    return PluginRegistry::Get().LookupSymbol(word, value);
  }

  LONG ResolveOrFail(const std::string& word) {
    LONG value = 0;
    if (!Resolve(word, &value))
      Fail("unknown symbol '" + word + "' (the plug-in's res/c4d_symbols.h does not declare it)");
    return value;
  }

  String Text(const std::string& word) { return strings_.LoadString(ResolveOrFail(word)); }

  // The items and properties of one block, up to and including its closing '}'. The
  // properties belong to the gadget at `owner` (kDialog: the dialog itself); gadgets are
  // named by index because nested ones grow the list.
  static constexpr size_t kDialog = size_t(-1);

  GadgetDef* Owner(size_t owner) { return owner == kDialog ? nullptr : &layout_->gadgets[owner]; }

  void ParseBlock(size_t owner) {
    while (true) {
      const ResToken& t = Peek();
      if (pos_ >= toks_.size()) Fail("the block is not closed with '}'");
      if (t.text == "}") {
        pos_++;
        return;
      }
      if (t.kind != ResToken::Word) Fail("unexpected '" + t.text + "'");
      if (t.text == "CHILDS" && Peek(1).text == "{") {
        if (owner == kDialog) Fail("CHILDS outside a gadget");
        pos_ += 2;
        ParseChildren(owner);
      } else if (Peek(1).text == "{" || (Peek(1).kind == ResToken::Word && Peek(2).text == "{")) {
        ParseGadget();
      } else {
        ParseProperty(Owner(owner));
      }
    }
  }

  void ParseGadget() {
    GadgetDef g;
    g.line = Peek().line;
    g.keyword = NextWord("a gadget");
    g.kind = KindOfKeyword(g.keyword);
    if (Peek().kind == ResToken::Word) {
      const std::string id = NextWord("the gadget's id");
      g.hasId = true;
      g.id = ResolveOrFail(id);
      if (!IsNumber(id)) g.symbol = id;
    }
    g.value = EmptyValue(g.kind);
    Expect("{");
    layout_->gadgets.push_back(std::move(g));
    ParseBlock(layout_->gadgets.size() - 1);
  }

  // NAME, VALUE and the OK/CANCEL buttons of a DLGGROUP mean something to the host; the
  // others (SIZE, COLUMNS, SCALE_H, ...) only place the gadget.
  void ParseProperty(GadgetDef* owner) {
    const int line = Peek().line;
    const std::string key = NextWord("a property");
    std::vector<std::string> args;
    while (Peek().text != ";") {
      if (pos_ >= toks_.size() || Peek().text == "{" || Peek().text == "}") Fail("expected ';' after " + key);
      args.push_back(toks_[pos_++].text);
    }
    pos_++;
    if (key == "NAME") {
      if (args.size() != 1) Fail("NAME takes one string id");
      if (owner) {
        owner->name = Text(args[0]);
        // A static text's value is the text it shows.
        if (owner->kind == GadgetKind::StaticText) owner->value = GeData(owner->name);
      } else
        layout_->title = Text(args[0]);
    } else if (key == "VALUE") {
      if (!owner || args.size() != 1 || !IsNumber(args[0])) Fail("VALUE takes one whole number inside a gadget");
      owner->value = GeData(LONG(std::strtol(args[0].c_str(), nullptr, 10)));
    } else if ((key == "OK" || key == "CANCEL") && owner && owner->keyword == "DLGGROUP") {
      GadgetDef button;
      button.kind = GadgetKind::Button;
      button.keyword = "BUTTON";
      button.hasId = true;
      button.id = key == "OK" ? DIALOG_OK_ID : DIALOG_CANCEL_ID;
      button.symbol = key == "OK" ? "IDC_OK" : "IDC_CANCEL";
      button.name = String(key == "OK" ? "OK" : "Cancel");
      button.line = line;
      layout_->gadgets.push_back(std::move(button));
    }
  }

  // "id, IDS_TEXT;" entries of a combo box.
  void ParseChildren(size_t ownerIndex) {
    while (Peek().text != "}") {
      if (pos_ >= toks_.size()) Fail("CHILDS is not closed with '}'");
      const LONG id = ResolveOrFail(NextWord("an entry's id"));
      Expect(",");
      const String name = Text(NextWord("an entry's string id"));
      Expect(";");
      GadgetDef& owner = layout_->gadgets[ownerIndex];
      owner.childIds.push_back(id);
      owner.childNames.push_back(name);
    }
    pos_++;
    GadgetDef& owner = layout_->gadgets[ownerIndex];
    if (!owner.childIds.empty()) owner.value = GeData(owner.childIds.front());
  }

  std::string file_;
  std::vector<ResToken> toks_;
  const GeResource& strings_;
  size_t pos_ = 0;
  DialogLayout* layout_ = nullptr;
};

std::vector<fs::path> ResourceFiles(const fs::path& dir) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().extension() == ".res") files.push_back(it->path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

bool LoadDialogLayout(const Filename& pluginDir, LONG id, const GeResource& strings, DialogLayout* layout,
                      std::string* error) {
  const fs::path dir = fs::path(pluginDir.str()) / "res" / "dialogs";
  for (const fs::path& file : ResourceFiles(dir)) {
    std::string text;
    if (!ReadTextFile(file.string(), &text)) continue;
    LayoutParser parser(file.string(), Tokenize(text), strings);
    LONG declared = 0;
    if (!parser.PeekDialogId(&declared) || declared != id) continue;
    try {
      *layout = DialogLayout();
      parser.Parse(layout);
      return true;
    } catch (const LayoutError& e) {
      *error = e.what();
      return false;
    }
  }
  *error = "no dialog layout with id " + std::to_string(id) + " in " + dir.string();
  return false;
}

}  // namespace host
