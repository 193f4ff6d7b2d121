#include "helpers/HelpersSettings.h"

#include <tinyxml.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "helpers/HelpersPaths.h"
#include "kyrano_utils/KyranoXmlFile.h"
#include "ReplaceFile.h"

namespace Helpers {

namespace {

const char* const kLastSettings = "last_settings";
const char* const kGlobalSettings = "global_settings";
const char* const kPath = "PATH";

// One export option: its element in the file, where it lives in the record, and whether it
// is a flag ("true"/"false") or a number ("%i").
struct SettingField {
  const char* element;
  LONG ExportSettings::*value;
  bool isFlag;
};

const SettingField kFields[] = {
    {"SPECIFY_RENDER_OUTPUT", &ExportSettings::SPECIFY_RENDER_OUTPUT, true},
    {"EXPORTANDRUN", &ExportSettings::EXPORTANDRUN, true},
    {"STARTMASTER", &ExportSettings::STARTMASTER, true},
    {"RENDERALPHA", &ExportSettings::RENDERALPHA, true},
    {"NOGEOMETRY", &ExportSettings::NOGEOMETRY, true},
    {"RENDERCLAY", &ExportSettings::RENDERCLAY, true},
    {"SEPERATE_MATS", &ExportSettings::SEPERATE_MATS, true},
    {"SEPERATE_SETTINGS", &ExportSettings::SEPERATE_SETTINGS, true},
    {"EXPORT_ANIMATION", &ExportSettings::EXPORT_ANIMATION, true},
    {"EXPORT_ANIMATION_STATIC", &ExportSettings::EXPORT_ANIMATION_STATIC, true},
    {"CONSOLEMODE", &ExportSettings::CONSOLEMODE, true},
    {"EXPORT_ANIMATION_START", &ExportSettings::EXPORT_ANIMATION_START, false},
    {"EXPORT_ANIMATION_END", &ExportSettings::EXPORT_ANIMATION_END, false},
    {"PRIORITY_ID", &ExportSettings::PRIORITY_ID, false},
    {"PORT_NUMBER", &ExportSettings::PORT_NUMBER, false},
};

std::string EightBit(const String& text) {
  std::unique_ptr<char[]> bytes(StringToChar(text));
  return std::string(bytes.get());
}

// TinyXML folds runs of white space in text while parsing, which would turn a folder such as
// "/Volumes/My  Disk" into another one. The settings are parsed with white space kept; the
// plug-in runs on the host's main thread only, so switching the library's flag for the
// length of one parse disturbs no other reader.
class KeepWhiteSpace {
 public:
  KeepWhiteSpace() : condensed_(TiXmlBase::IsWhiteSpaceCondensed()) { TiXmlBase::SetCondenseWhiteSpace(false); }
  ~KeepWhiteSpace() { TiXmlBase::SetCondenseWhiteSpace(condensed_); }

 private:
  bool condensed_;
};

bool LoadSettingsDocument(TiXmlDocument& doc) {
  KeepWhiteSpace keep;
  std::string error;
  return Kyrano::loadXmlFile(EightBit(GetSettingsFile().GetString()), doc, error);
}

// The element's text; an element without text (or whose first child is not text) reads as
// empty text.
String ElementText(const TiXmlElement& element) {
  const char* text = element.GetText();
  return String(text ? text : "");
}

// Text as TinyXML's default parse would give it at the ends: without surrounding white space.
String Trimmed(const String& text) {
  const std::string bytes = EightBit(text);
  const char* const space = " \t\r\n";
  const size_t first = bytes.find_first_not_of(space);
  if (first == std::string::npos) return String();
  return String(bytes.substr(first, bytes.find_last_not_of(space) - first + 1).c_str());
}

LONG ReadField(const TiXmlElement& element, bool isFlag) {
  const String text = ElementText(element);
  if (isFlag) return Trimmed(text).ToLower() == String("true") ? 1 : 0;
  return text.StringToLong();
}

TiXmlElement* TextElement(const char* name, const std::string& text) {
  TiXmlElement* element = new TiXmlElement(name);
  element->LinkEndChild(new TiXmlText(text.c_str()));
  return element;
}

TiXmlElement* LastSettingsBlock(const ExportSettings& settings) {
  TiXmlElement* block = new TiXmlElement(kLastSettings);
  for (const SettingField& field : kFields) {
    const LONG value = settings.*field.value;
    char number[16];
    std::snprintf(number, sizeof number, "%i", int(value));
    block->LinkEndChild(TextElement(field.element, field.isFlag ? (value ? "true" : "false") : number));
  }
  return block;
}

TiXmlElement* GlobalSettingsBlock(const GlobalSettings& settings) {
  TiXmlElement* block = new TiXmlElement(kGlobalSettings);
  block->LinkEndChild(TextElement(kPath, EightBit(settings.path)));
  return block;
}

// Removes the first top-level block of that name and appends the new one at the end.
void ReplaceBlock(TiXmlDocument& doc, const char* name, TiXmlElement* block) {
  if (TiXmlElement* old = doc.FirstChildElement(name)) doc.RemoveChild(old);
  doc.LinkEndChild(block);
}

// Writes the document to a temporary file beside the settings file, flushed to disk, and
// renames it over the settings file, so that the old settings stay whole until the new ones
// are. Returns an empty string, or what went wrong.
std::string WriteSettingsDocument(const TiXmlDocument& doc) {
  const std::string path = EightBit(GetSettingsFile().GetString());
  return replaceFile(path, [&doc](std::FILE* file) { return doc.SaveFile(file); }, true);
}

}  // namespace

Filename GetSettingsFile() { return GeGetPluginPath() + Filename("presets") + Filename("tavrellSettings.cfg"); }

ExportSettings* LoadSettings() {
  TiXmlDocument doc;
  if (!LoadSettingsDocument(doc)) return nullptr;
  const TiXmlElement* block = doc.FirstChildElement(kLastSettings);
  if (!block) return nullptr;
  ExportSettings* settings = new ExportSettings;
  for (const SettingField& field : kFields) {
    if (const TiXmlElement* element = block->FirstChildElement(field.element))
      settings->*field.value = ReadField(*element, field.isFlag);
  }
  return settings;
}

void SaveSettings(ExportSettings* exportSettings, GlobalSettings* globalSettings) {
  if (!exportSettings && globalSettings && globalSettings->path.GetCStringLen(St8bit) > MAX_RENDERER_FOLDER_LENGTH) {
    GePrint(String("Renderer folder not stored: it is longer than ") + LongToString(MAX_RENDERER_FOLDER_LENGTH) +
            " characters. Move the renderer to a shorter path and choose it again.");
    return;
  }
  TiXmlDocument doc;
  const bool loaded = LoadSettingsDocument(doc);
  if (!loaded) doc.Clear();
  if (exportSettings)
    ReplaceBlock(doc, kLastSettings, LastSettingsBlock(*exportSettings));
  else if (globalSettings)
    ReplaceBlock(doc, kGlobalSettings, GlobalSettingsBlock(*globalSettings));
  else if (!loaded)
    return;  // nothing to store and nothing read: leave whatever is there alone
  const std::string error = WriteSettingsDocument(doc);
  if (!error.empty()) GePrint(String("Settings not stored: ") + error.c_str());
}

Bool GetRendererFolder(String* folder) {
  TiXmlDocument doc;
  if (!folder || !LoadSettingsDocument(doc)) return FALSE;
  const TiXmlElement* block = doc.FirstChildElement(kGlobalSettings);
  const TiXmlElement* path = block ? block->FirstChildElement(kPath) : nullptr;
  if (!path) return FALSE;
  const String text = ElementText(*path);
  if (!text.Content()) return FALSE;
  *folder = text;
  return TRUE;
}

}  // namespace Helpers
