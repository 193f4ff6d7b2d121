#include "c4d.h"
#include "c4d_symbols.h"
#include "PluginIds.h"
#include "Registration.h"

class CreateInstances : public CommandData {};

Bool RegisterCreateInstances() { return RegisterNamedCommand(ID_CREATEINSTANCES, IDS_INSTANCE, "instance.tif", "Creates Instances", new CreateInstances); }
