// Actions of the library entry point c4d_main(action, p1, p2, p3).
#pragma once
#include "ge_math.h"

enum {
  C4DMAIN_START = 1,    // PluginStart()
  C4DMAIN_END = 2,      // PluginEnd()
  C4DMAIN_MESSAGE = 3,  // PluginMessage(id = p1, data = p2)
};
typedef LONG C4DMainFunction(LONG action, void* p1, void* p2, void* p3);
