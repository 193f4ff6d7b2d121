#include "HelperArguments.h"

#include "OutputFile.h"
#include "Session.h"
#include "host/DocumentIO.h"
#include "host/PluginRegistry.h"

namespace cli {

namespace fs = std::filesystem;

BaseObject* FindMaterialHelper(BaseDocument* doc, const std::string& docName, const std::string& helper) {
  BaseObject* op = helper[0] == '/' ? host::FindObjectByPath(doc, helper) : doc->SearchObject(String(helper));
  if (!op) throw CommandError(docName + ": no object '" + helper + "'");
  const host::PluginRecord* record = host::PluginRegistry::Get().FindByDescription("oMyMaterialHelper");
  if (!record || op->GetType() != record->id)
    throw CommandError(docName + ": " + host::ObjectPath(op) + " is not a material helper");
  return op;
}

fs::path PrepareAbsoluteOutput(const fs::path& output, const std::string& overwrite) {
  const fs::path file = fs::absolute(output).lexically_normal();
  PrepareOutputFile(file.string(), overwrite);
  return file;
}

}  // namespace cli
