#include "c4d.h"
#include "PluginIds.h"
#include "Registration.h"

// Two menu separators; the "#$4" and "#$8" prefixes place them among the commands.
Bool RegisterSeparators() {
  if (!RegisterCommandPlugin(ID_SEPARATOR_1, "#$4 --", 0, "", "", new CommandData)) return FALSE;
  return RegisterCommandPlugin(ID_SEPARATOR_2, "#$8 --", 0, "", "", new CommandData);
}
