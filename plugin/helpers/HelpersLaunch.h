// Finding, choosing and starting the renderer, and the frame-range batch file.
#pragma once
#include "c4d.h"

namespace Helpers {

// The plug-in's write folder: its presets folder.
Filename GetWritePath();
// Sets the executable's folder (and, with withFile, its file: "KyranoConsole" in console
// mode, else "Kyrano") from the stored renderer folder. 1 when the folder is known, else 0.
int GetKyranoExe(Filename* exe, int withFile, int console);
// Asks the user for the renderer folder and stores it; a cancel stores nothing. Always 1.
int ChooseKyranoExe();
// Starts the renderer on a saved scene, detached from the host and without a shell: the
// scene path reaches the renderer as one argument, whatever characters it holds. 1 when the
// renderer was started, else 0. The renderer is told, in this order, a fresh "-seed", the
// scene, "-haltspp N" (not for -1), "-n wm -p PORT" when it is to start as network master,
// and "-o IMAGE" when an output is named (its suffix made ".png"). On macOS the bundle is
// opened with "open -a EXE --args" followed by these.
int LaunchKyrano(const Filename& scene, int unused1, int console, int unused2, int startMaster, LONG port,
                 const Filename& outputImage, LONG haltSpp);
// Writes "kyrano_run.cmd" in the presets folder, rendering the frames one after the other.
// The file is replaced only once it is written whole; a failure is reported on the console.
// A path holding a double quote or a line break cannot be quoted in a batch file: nothing is
// written then, and the result is an empty Filename. A '%' is written as "%%".
Filename WriteBatchFile(const Filename& scene, int belowNormal, const Filename& outputImage, int console,
                        int startMaster, LONG port, LONG haltSpp, LONG firstFrame, LONG lastFrame, int animation);

}  // namespace Helpers
