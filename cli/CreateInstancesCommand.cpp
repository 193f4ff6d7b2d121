// tavrell create-instances: selects the named objects, runs the plug-in's Create Instances
// command on them (an instance object beside each, linked to it; one unlinked instance at the
// top when none is named) and saves the document.
#include <filesystem>
#include <iostream>
#include <set>

#include "Subcommand.h"
#include "host/DocumentIO.h"
#include "host/PluginRegistry.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

const LONG kCreateInstancesCommand = 1023984;
const LONG kInstanceObject = 1022273;

void Deselect(BaseObject* op) {
  for (; op; op = op->GetNext()) {
    op->DelBit(BIT_ACTIVE);
    Deselect(op->GetDown());
  }
}

void CollectInstances(BaseObject* op, std::vector<BaseObject*>& out) {
  for (; op; op = op->GetNext()) {
    if (op->GetType() == kInstanceObject) out.push_back(op);
    CollectInstances(op->GetDown(), out);
  }
}

class CreateInstancesCommand : public Subcommand {
 public:
  const char* Name() const override { return "create-instances"; }
  const char* Description() const override {
    return "put a Kyrano instance beside each named object (one unlinked instance when none is named) and save the "
           "document";
  }
  void Setup(CLI::App& app) override {
    app.add_option("DOC", docPath_, "the document")->required()->check(CLI::ExistingFile);
    app.add_option("OBJECT", objects_, "the objects to instance: paths such as /Room/Box, or names");
    app.add_option("-o,--output", output_, "where to save the document (JSON)")->required();
    app.add_option("--overwrite", overwrite_, "replace an existing output file: yes or no")
        ->capture_default_str()
        ->check(CLI::IsMember({"yes", "no"}));
  }

  int Run(Session& session) override {
    if (fs::exists(output_) && overwrite_ != "yes")
      throw CommandError(output_ + " exists: give --overwrite yes to replace it");
    BaseDocument* doc = session.OpenDocument(docPath_);
    Select(doc);
    const host::PluginRecord* record = host::PluginRegistry::Get().Find(kCreateInstancesCommand);
    if (!record || !record->command)
      throw CommandError("the plug-in registered no Create Instances command (" +
                         std::to_string(kCreateInstancesCommand) + ")");

    std::vector<BaseObject*> before;
    CollectInstances(doc->GetFirstObject(), before);
    record->command->Execute(doc);
    ReportNew(doc, before);

    std::error_code ec;
    const fs::path folder = fs::absolute(output_).parent_path();
    fs::create_directories(folder, ec);
    if (ec) throw CommandError("cannot create the output folder " + folder.string() + ": " + ec.message());
    session.SaveDocument(output_);
    return 0;
  }

 private:
  // The selection becomes exactly the named objects.
  void Select(BaseDocument* doc) const {
    Deselect(doc->GetFirstObject());
    doc->SetActiveObject(nullptr);
    for (const std::string& name : objects_) {
      BaseObject* op = !name.empty() && name[0] == '/' ? host::FindObjectByPath(doc, name) : doc->SearchObject(String(name));
      if (!op) throw CommandError(docPath_ + ": no object '" + name + "'");
      op->SetBit(BIT_ACTIVE);
    }
  }

  // One line per instance object the command inserted: its path and what it shows.
  static void ReportNew(BaseDocument* doc, const std::vector<BaseObject*>& before) {
    LONG linkId = 0;
    if (!host::PluginRegistry::Get().LookupSymbol("INSTANCE_LINK", &linkId))
      throw CommandError("the plug-in's resources declare no INSTANCE_LINK");
    const std::set<BaseObject*> old(before.begin(), before.end());
    std::vector<BaseObject*> after;
    CollectInstances(doc->GetFirstObject(), after);
    for (BaseObject* op : after) {
      if (old.count(op)) continue;
      BaseObject* linked = op->GetDataInstance()->GetObjectLink(linkId, doc);
      std::cout << host::ObjectPath(op) << "\t" << (linked ? host::ObjectPath(linked) : "(no link)") << std::endl;
    }
  }

  std::string docPath_, output_, overwrite_ = "no";
  std::vector<std::string> objects_;
};

SubcommandRegistrar registrar([] { return std::make_unique<CreateInstancesCommand>(); });

}  // namespace
}  // namespace cli
