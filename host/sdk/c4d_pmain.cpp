// The entry point every plug-in library exports; the host calls it to reach the plug-in's
// PluginStart, PluginEnd and PluginMessage.
#include "c4d.h"
#include "c4d_pmain.h"

extern "C" __attribute__((visibility("default"))) LONG c4d_main(LONG action, void* p1, void* p2, void*) {
  switch (action) {
    case C4DMAIN_START: return PluginStart() ? 1 : 0;
    case C4DMAIN_END: PluginEnd(); return 1;
    case C4DMAIN_MESSAGE: return PluginMessage(LONG(reinterpret_cast<intptr_t>(p1)), p2) ? 1 : 0;
    default: return 0;
  }
}
