#include <algorithm>

#include "c4d_geometry.h"

// Where the host looks for a texture: an absolute name as given, then the name (and its file
// part alone) beside the document, then in the document's "tex" folder, then in the suggested
// folder; a relative name is tried against the working folder only after all of these, so a
// document's textures win over stray files where the command happens to run. Names written on
// other systems may use '\' between folders; they are searched for with '/'.

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

}  // namespace

Bool GenerateTexturePath(const Filename& docpath, const Filename& srcname, const Filename& suggestedpath, Filename* dstname) {
  if (dstname) *dstname = Filename();
  if (!srcname.Content()) return FALSE;
  for (const Filename& f : Candidates(docpath, srcname, suggestedpath)) {
    if (!f.GetFile().Content() || !IsFile(f)) continue;
    if (dstname) *dstname = f;
    return TRUE;
  }
  return FALSE;
}
