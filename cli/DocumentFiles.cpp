#include "DocumentFiles.h"

#include <filesystem>

#include "c4d_geometry.h"
#include "host/DocumentIO.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

class FileNameRebase {
 public:
  FileNameRebase(const Filename& oldFolder, const fs::path& newFolder) : oldFolder_(oldFolder), newFolder_(newFolder) {}

  void Container(BaseContainer& bc) {
    for (LONG i = 0; bc.GetIndexId(i) != NOTOK; i++) {
      const GeData* data = bc.GetIndexData(i);
      if (!data || data->GetType() != DA_FILENAME) continue;
      const std::string name = data->GetFilename().str();
      if (name.empty() || fs::path(name).is_absolute()) continue;
      Filename found;
      if (!GenerateTexturePath(oldFolder_, data->GetFilename(), Filename(), &found)) continue;
      bc.SetFilename(bc.GetIndexId(i), Filename(NewName(fs::absolute(found.str())).c_str()));
      rewritten++;
    }
  }

  void Shaders(BaseShader* sh) {
    for (; sh; sh = sh->GetNext()) {
      Container(*sh->GetDataInstance());
      Shaders(static_cast<BaseShader*>(sh->GetDown()));
    }
  }

  void Objects(BaseObject* op) {
    for (; op; op = op->GetNext()) {
      Container(*op->GetDataInstance());
      for (BaseTag* tag = op->GetFirstTag(); tag; tag = tag->GetNext()) Container(*tag->GetDataInstance());
      Objects(op->GetDown());
    }
  }

  int rewritten = 0;

 private:
  // Relative to the new folder when the file lies inside it, absolute otherwise.
  std::string NewName(const fs::path& file) const {
    const fs::path relative = file.lexically_normal().lexically_relative(newFolder_);
    if (!relative.empty() && *relative.begin() != "..") return relative.string();
    return file.lexically_normal().string();
  }

  Filename oldFolder_;
  fs::path newFolder_;
};

}  // namespace

int RebaseFileNames(BaseDocument* doc, const std::string& newPath) {
  const std::string absolute = host::AbsoluteDocumentPath(newPath);
  FileNameRebase rebase(doc->GetDocumentPath(), fs::path(absolute).parent_path());
  rebase.Objects(doc->GetFirstObject());
  for (BaseMaterial* mat = doc->GetFirstMaterial(); mat; mat = mat->GetNext()) {
    rebase.Container(*mat->GetDataInstance());
    rebase.Shaders(mat->GetFirstShader());
  }
  for (RenderData* rd = doc->GetFirstRenderData(); rd; rd = rd->GetNext()) {
    rebase.Container(*rd->GetDataInstance());
    for (BaseVideoPost* vp = rd->GetFirstVideoPost(); vp; vp = vp->GetNext()) rebase.Container(*vp->GetDataInstance());
  }
  doc->SetDocumentName(Filename(absolute.c_str()));
  return rebase.rewritten;
}

}  // namespace cli
