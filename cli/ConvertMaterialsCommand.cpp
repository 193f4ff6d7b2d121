// tavrell convert-materials: runs the plug-in's Convert Materials command on a document (a
// material helper for each host material, under the group "Materials") and saves it.
#include <algorithm>
#include <iostream>

#include "ConvertMaterials.h"
#include "DocumentOutput.h"
#include "Subcommand.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginRegistry.h"

namespace cli {

namespace {

const LONG kConvertMaterialsCommand = 1021852;
// What the command asks when materials are selected, worded as the plug-in words it.
const char* const kSelectedQuestion = "Convert only selected materials?";

}  // namespace

void ConvertMaterials(BaseDocument* doc, bool selectedOnly) {
  const host::PluginRecord* record = host::PluginRegistry::Get().Find(kConvertMaterialsCommand);
  if (!record || !record->command)
    throw CommandError("the plug-in registered no Convert Materials command (" +
                       std::to_string(kConvertMaterialsCommand) + ")");
  host::Interaction::Get().questionAnswersByText[kSelectedQuestion] = selectedOnly;
  record->command->Execute(doc);
}

namespace {

void CollectHelpers(BaseObject* op, LONG helperType, std::vector<BaseObject*>& out) {
  for (; op; op = op->GetNext()) {
    if (op->GetType() == helperType) out.push_back(op);
    CollectHelpers(op->GetDown(), helperType, out);
  }
}

}  // namespace

std::vector<BaseObject*> MaterialHelpers(BaseDocument* doc) {
  const host::PluginRecord* helper = host::PluginRegistry::Get().FindByDescription("oMyMaterialHelper");
  if (!helper) throw CommandError("the plug-in registered no material helper");
  std::vector<BaseObject*> out;
  CollectHelpers(doc->GetFirstObject(), helper->id, out);
  return out;
}

namespace {

class ConvertMaterialsCommand : public Subcommand {
 public:
  const char* Name() const override { return "convert-materials"; }
  const char* Description() const override {
    return "make a material helper for each host material of a document (under \"Materials\") and save the document";
  }
  void Setup(CLI::App& app) override {
    app.add_option("DOC", docPath_, "the document (or a glTF, FBX, OBJ... file)")->required()->check(CLI::ExistingFile);
    app.add_option("-o,--output", output_, "where to save the document (JSON)")->required()->check(NonEmptyFileName());
    app.add_flag("--selected-only", selectedOnly_,
                 "when materials are selected, convert only those (the answer to \"Convert only selected materials?\")");
    app.add_option("--overwrite", overwrite_, "replace an existing output file: yes or no")
        ->capture_default_str()
        ->check(CLI::IsMember({"yes", "no"}));
  }

  int Run(Session& session) override {
    RefuseExistingOutput(output_, overwrite_);
    BaseDocument* doc = session.OpenDocument(docPath_);
    const std::vector<BaseObject*> before = MaterialHelpers(doc);
    ConvertMaterials(doc, selectedOnly_);
    // One line per new helper: its path.
    for (BaseObject* op : MaterialHelpers(doc))
      if (std::find(before.begin(), before.end(), op) == before.end()) std::cout << host::ObjectPath(op) << std::endl;
    SaveToOutput(session, output_);
    return 0;
  }

 private:
  std::string docPath_, output_, overwrite_ = "no";
  bool selectedOnly_ = false;
};

SubcommandRegistrar registrar([] { return std::make_unique<ConvertMaterialsCommand>(); });

}  // namespace
}  // namespace cli
