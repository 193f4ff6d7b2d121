// The user's settings kept between runs of the host: the last export options and the
// renderer's folder, in "tavrellSettings.cfg" in the plug-in's presets folder.
#pragma once
#include "c4d.h"

namespace Helpers {

// The fifteen export options, in the order the settings file stores them. The first eleven
// are flags (0 or 1), the last four numbers.
struct ExportSettings {
  LONG SPECIFY_RENDER_OUTPUT = 0;
  LONG EXPORTANDRUN = 0;
  LONG STARTMASTER = 0;
  LONG RENDERALPHA = 0;
  LONG NOGEOMETRY = 0;
  LONG RENDERCLAY = 0;
  LONG SEPERATE_MATS = 0;
  LONG SEPERATE_SETTINGS = 0;
  LONG EXPORT_ANIMATION = 0;
  LONG EXPORT_ANIMATION_STATIC = 0;
  LONG CONSOLEMODE = 0;
  LONG EXPORT_ANIMATION_START = 0;
  LONG EXPORT_ANIMATION_END = 0;
  LONG PRIORITY_ID = 0;
  LONG PORT_NUMBER = 0;
};

// The renderer's folder (the folder that holds Kyrano.app).
struct GlobalSettings {
  String path;
};

// The longest renderer folder the settings file stores, in 8-bit characters. A longer folder
// is refused (and said so on the console), never cut.
const LONG MAX_RENDERER_FOLDER_LENGTH = 999;

// The settings file: the presets folder of the plug-in, "tavrellSettings.cfg".
Filename GetSettingsFile();
// The last export options, or null when the file is missing, not XML or has no
// "last_settings". The caller owns the result.
ExportSettings* LoadSettings();
// Stores the export options when given, otherwise the renderer folder; the other block and
// anything else in the file are kept. The file is written beside itself and renamed over
// the old one, so a failed save leaves the previous settings as they were; a failure is
// reported on the console.
void SaveSettings(ExportSettings* exportSettings, GlobalSettings* globalSettings);
// The stored renderer folder, exactly as written. FALSE when the file, "global_settings" or
// its "PATH" is missing, or the folder is empty (a cancelled folder chooser stores that).
Bool GetRendererFolder(String* folder);

}  // namespace Helpers
