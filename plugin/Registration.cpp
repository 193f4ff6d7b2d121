#include "Registration.h"

Bool RegisterNamedCommand(LONG id, LONG nameId, const char* icon, const char* help, CommandData* command) {
  const String name = GeLoadString(nameId);
  if (!name.Content()) {
    delete command;
    return TRUE;
  }
  return RegisterCommandPlugin(id, name, 0, icon, help, command);
}

Bool RegisterNamedTag(LONG id, LONG nameId, LONG info, DataAllocator* alloc, const char* description, const char* icon) {
  const String name = GeLoadString(nameId);
  if (!name.Content()) return TRUE;
  return RegisterTagPlugin(id, name, info, alloc, description, icon, 0);
}

Bool RegisterNamedObject(LONG id, LONG nameId, LONG info, DataAllocator* alloc, const char* description, const char* icon) {
  const String name = GeLoadString(nameId);
  if (!name.Content()) return TRUE;
  return RegisterObjectPlugin(id, name, info, alloc, description, icon, 0);
}
