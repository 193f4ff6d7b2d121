#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "c4d_general.h"
#include "c4d_geometry.h"

// Where the host looks for a texture: an absolute name as given, then the name (and its file
// part alone) beside the document, then in the document's "tex" folder, then in the suggested
// folder; a relative name is tried against the working folder only after all of these, so a
// document's textures win over stray files where the command happens to run. Names written on
// other systems may use '\' between folders; they are searched for with '/'. When no candidate
// exists as named, a file whose name differs only in case is taken, with a warning.

namespace {

bool IsFile(const Filename& f) { return GeFExist(f) && !GeFExist(f, TRUE); }

bool IsAbsolute(const Filename& f) { return !f.str().empty() && f.str()[0] == '/'; }

std::vector<Filename> Candidates(const Filename& docpath, const Filename& src, const Filename& suggested) {
  std::string name = src.str();
  std::replace(name.begin(), name.end(), '\\', '/');
  const Filename given(name.c_str());
  const Filename file = given.GetFile();
  std::vector<Filename> out;
  if (IsAbsolute(given)) out.push_back(given);
  if (docpath.Content()) {
    const Filename tex = docpath + Filename("tex");
    if (!IsAbsolute(given)) {
      out.push_back(docpath + given);
      out.push_back(tex + given);
    }
    out.push_back(docpath + file);
    out.push_back(tex + file);
  }
  if (suggested.Content()) out.push_back(suggested + file);
  if (!IsAbsolute(given)) out.push_back(given);
  return out;
}

// A file in the candidate's folder whose name differs from the candidate's only in case
// (IMAGE1.JPG for IMAGE1.jpg): names written on systems that ignore case still find their file.
bool FindIgnoringCase(const Filename& candidate, Filename* found) {
  const std::string wanted = candidate.GetFile().str();
  const std::filesystem::path folder = candidate.GetDirectory().str().empty() ? "." : candidate.GetDirectory().str();
  auto lower = [](std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  const std::string key = lower(wanted);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != key.size() || lower(name) != key || !it->is_regular_file(ec)) continue;
    *found = Filename(it->path().string().c_str());
    return true;
  }
  return false;
}

// Said once per name and file, however often the name is looked up.
void WarnCaseDiffers(const Filename& given, const Filename& found) {
  static std::set<std::pair<std::string, std::string>> warned;
  if (!warned.insert({given.str(), found.str()}).second) return;
  GePrint(String(("Warning: texture '" + given.str() + "' found as " + found.str() + ", whose name differs in case").c_str()));
}

}  // namespace

Bool GenerateTexturePath(const Filename& docpath, const Filename& srcname, const Filename& suggestedpath, Filename* dstname) {
  if (dstname) *dstname = Filename();
  if (!srcname.Content()) return FALSE;
  const std::vector<Filename> candidates = Candidates(docpath, srcname, suggestedpath);
  for (const Filename& f : candidates) {
    if (!f.GetFile().Content() || !IsFile(f)) continue;
    if (dstname) *dstname = f;
    return TRUE;
  }
  for (const Filename& f : candidates) {
    Filename found;
    if (!f.GetFile().Content() || !FindIgnoringCase(f, &found)) continue;
    WarnCaseDiffers(srcname, found);
    if (dstname) *dstname = found;
    return TRUE;
  }
  return FALSE;
}
