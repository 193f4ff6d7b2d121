// Console, timer, plug-in path, preferences, user interaction helpers of the host.
#pragma once
#include "c4d_basecontainer.h"

class BaseDocument;

// Writes one line to the host's console.
void GePrint(const String& str);
// Milliseconds since the host started.
LONG GeGetTimer();
void GeSleep(LONG milliseconds);
// The folder of the running plug-in.
Filename GeGetPluginPath();
// The host's world preferences; entry 10000 is the unit (1 km, 2 m, 3 cm, 4 mm, 5 um, 6 nm,
// 7 mi, 8 yd, 9 ft, 10 in).
BaseContainer* GetWorldContainerInstance();
BaseContainer GetWorldContainer();
enum { WPREF_UNITS_BASIC = 10000 };
LONG GeGetCPUCount();

BaseDocument* GetActiveDocument();
void EventAdd(LONG flags = 0);

// Message boxes. MessageDialog shows the text; QuestionDialog and the file selector take
// their answers from the host's interaction settings.
void MessageDialog(const String& str);
Bool QuestionDialog(const String& str);

// Status bar and mouse pointer: a progress line on standard error for long work.
void StatusSetText(const String& str);
void StatusSetBar(LONG percent);
void StatusSetSpin();
void StatusClear();
enum { MOUSE_HIDE = 0, MOUSE_SHOW = 1, MOUSE_NORMAL = 2, MOUSE_BUSY = 3 };
void GeShowMouse(LONG v);
void SetMousePointer(LONG l);

class Random {
 public:
  void Init(ULONG seed) { state_ = seed ? seed : 1; }
  // A value in [0, 1).
  Real Get01();
  Real Get11() { return Get01() * 2 - 1; }

 private:
  ULONG state_ = 1;
};
