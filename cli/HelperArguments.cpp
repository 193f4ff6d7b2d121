#include "HelperArguments.h"

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

fs::path PrepareOutputFile(const fs::path& output, const std::string& overwrite) {
  const fs::path file = fs::absolute(output).lexically_normal();
  if (fs::exists(file) && overwrite != "yes") throw CommandError(file.string() + " exists: give --overwrite yes to replace it");
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  if (ec || !fs::is_directory(file.parent_path()))
    throw CommandError("cannot create the output folder " + file.parent_path().string() + ": " + ec.message());
  return file;
}

}  // namespace cli
