#include "helpers/HelpersPaths.h"

#include <cstring>
#include <utility>

#include "description/oMyMaterialHelper.h"

namespace Helpers {

namespace {

// Result buffers of the two path functions: MAX_PATH_CHARS characters and a NUL.
char relativeFilename[MAX_PATH_CHARS + 1];
char absoluteFilename[MAX_PATH_CHARS + 1];

// Copies `length` characters of `text` and a NUL into the buffer; the caller has checked
// that they fit.
char* Store(char* buffer, size_t at, const char* text, size_t length) {
  std::memcpy(buffer + at, text, length);
  buffer[at + length] = 0;
  return buffer;
}

// Folders of `dir` from index `from` on that a relative name must climb out of: the one
// that `from` lies in, and one more for every '/' followed by a name. A trailing '/' adds
// none.
int LevelsToClimb(const char* dir, size_t from, size_t dl) {
  int levels = 1;
  for (size_t k = from; k < dl; ++k) {
    if (dir[k] == '/' && dir[k + 1] != 0) {
      ++levels;
      ++k;
    }
  }
  return levels;
}

}  // namespace

char* StringToChar(const String& str) {
  const LONG len = str.GetCStringLen(St8bit);
  char* out = new char[size_t(len) + 1];
  str.GetCString(out, len + 1, St8bit);
  return out;
}

char* GetRelativeFilename(const char* currentDirectory, const char* absoluteFilenameIn) {
  if (!currentDirectory || !absoluteFilenameIn) return nullptr;
  const char* dir = currentDirectory;
  const char* abs = absoluteFilenameIn;
  const size_t dl = std::strlen(dir), al = std::strlen(abs);
  if (dl < 4 || al < 4 || dl > size_t(MAX_PATH_CHARS) || al > size_t(MAX_PATH_CHARS)) return nullptr;

  // Different first characters (another drive, or a name relative to something else): the
  // name is kept as it is.
  if (dir[0] != abs[0]) return Store(relativeFilename, 0, abs, al);

  // Both paths start alike: find where they part.
  size_t i = 1;
  while (i < al && i < dl && dir[i] == abs[i]) ++i;

  // The folder holds the file: the rest of the file name, without its leading '/'.
  if (i == dl && (abs[i] == '/' || abs[i - 1] == '/')) {
    if (abs[i] == '/') ++i;
    return Store(relativeFilename, 0, abs + i, al - i);
  }

  // Climb out of every folder of dir from the one where the paths part, and go down again
  // from the start of the file name's component in which they part.
  const int levels = LevelsToClimb(dir, i, dl);
  size_t m = i;
  while (m > 0 && abs[m - 1] != '/') --m;
  if (size_t(levels) * 3 + (al - m) > size_t(MAX_PATH_CHARS)) return nullptr;
  size_t at = 0;
  for (int l = 0; l < levels; ++l, at += 3) std::memcpy(relativeFilename + at, "../", 3);
  return Store(relativeFilename, at, abs + m, al - m);
}

char* GetAbsoluteFilename(const char* currentDirectory, char* relativeFilenameIn) {
  std::memset(absoluteFilename, 0, sizeof absoluteFilename);
  const char* dir = currentDirectory ? currentDirectory : "";
  char* rel = relativeFilenameIn;
  const size_t dl = std::strlen(dir), rl = rel ? std::strlen(rel) : 0;
  for (size_t k = 0; k < rl; ++k)
    if (rel[k] == '\\') rel[k] = '/';

  // The names of rel, each with its '/'. A "../" cancels the name before it, or, when there
  // is none, climbs one folder out of dir.
  std::vector<std::pair<size_t, size_t>> kept;
  size_t ups = 0;
  for (size_t i = 0; i < rl;) {
    size_t j = i;
    while (j < rl && rel[j] != '/') ++j;
    const bool slash = j < rl;
    if (slash && j - i == 2 && rel[i] == '.' && rel[i + 1] == '.') {
      if (kept.empty()) ++ups;
      else kept.pop_back();
    } else {
      kept.emplace_back(i, j - i + (slash ? 1 : 0));
    }
    i = j + 1;
  }

  // The folder without a trailing '/', then cut after as many folders as there are to climb;
  // climbing never goes above the start of the folder.
  size_t p = dl;
  while (p > 1 && dir[p - 1] == '/') --p;
  for (size_t up = 0; up < ups && p > 0; ++up) {
    --p;
    while (p > 0 && dir[p] != '/') --p;
  }

  size_t length = p + 1;
  for (const auto& span : kept) length += span.second;
  if (length > size_t(MAX_PATH_CHARS)) return nullptr;
  size_t at = 0;
  std::memcpy(absoluteFilename, dir, p);
  at = p;
  absoluteFilename[at++] = '/';
  for (const auto& span : kept) {
    std::memcpy(absoluteFilename + at, rel + span.first, span.second);
    at += span.second;
  }
  return absoluteFilename;
}

Filename GetTexturePath(const Filename& texture, const Filename& documentPath) {
  // A name with a drive letter is taken as it is.
  if (texture.GetString()[1] == ':') return texture;
  Filename found;
  if (!GenerateTexturePath(documentPath, texture, Filename(), &found)) return Filename();
  return found.Content() ? found : texture;
}

void GetChannelAndShader(LONG choice, LONG& channel, LONG& shaderLink) {
  // Host material channel numbers and the ids of their shader links in the material.
  struct Entry {
    LONG choice, channel, shaderLink;
  };
  static const Entry table[] = {
      {MATHELPER_CHANNEL_COLOR, 0, 8000},          {MATHELPER_CHANNEL_DIFFUSION, 12, 8001},
      {MATHELPER_CHANNEL_LUMINANCE, 1, 8002},      {MATHELPER_CHANNEL_TRANSPARENCY, 2, 8003},
      {MATHELPER_CHANNEL_REFLECTION, 3, 8004},     {MATHELPER_CHANNEL_ENVIRONMENT, 4, 8005},
      {MATHELPER_CHANNEL_BUMP, 6, 8006},           {MATHELPER_CHANNEL_NORMAL, 13, 8012},
      {MATHELPER_CHANNEL_ALPHA, 7, 8007},          {MATHELPER_CHANNEL_SPECULAR_COLOR, 9, 8008},
      {MATHELPER_CHANNEL_DISPLACEMENT, 11, 8009},
  };
  channel = 0;
  shaderLink = 0;
  for (const Entry& e : table) {
    if (e.choice == choice) {
      channel = e.channel;
      shaderLink = e.shaderLink;
      return;
    }
  }
}

TextureTag* GetTexTagWithSelection(const std::vector<TextureTag*>& tags, BaseTag* selectionTag) {
  if (tags.empty()) return nullptr;
  if (selectionTag) {
    const String selectionName = selectionTag->GetName();
    for (TextureTag* tag : tags)
      if (tag->GetDataInstance()->GetString(TEXTURETAG_RESTRICTION, String()) == selectionName) return tag;
  }
  for (TextureTag* tag : tags)
    if (!tag->GetDataInstance()->GetString(TEXTURETAG_RESTRICTION, String()).Content()) return tag;
  return nullptr;
}

std::vector<TextureTag*> GetAllTextureTags(BaseObject* op) {
  std::vector<TextureTag*> tags;
  for (BaseObject* o = op; o; o = o->GetUp() ? o->GetUp() : o->GetCacheParent()) {
    for (BaseTag* tag = o->GetFirstTag(); tag; tag = tag->GetNext()) {
      if (tag->GetType() != Ttexture) continue;
      TextureTag* texture = static_cast<TextureTag*>(tag);
      tags.push_back(texture);
      if (BaseMaterial* material = texture->GetMaterial()) GePrint(material->GetName());
    }
  }
  return tags;
}

}  // namespace Helpers
