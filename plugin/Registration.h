// Registration functions of every command and node, called by PluginStart in this order.
#pragma once
#include "c4d.h"
#include "InstanceSuppresser.h"

Bool RegisterMyLightTag();
Bool RegisterMyExitPortal();
Bool RegisterCameraTag();
Bool RegisterAnimationTag();
Bool RegisterMySubdivision();
Bool RegisterMyExportAndRun(InstanceSuppresser* suppresser);
Bool RegisterMyAbout();
Bool RegisterConvertMats();
Bool RegisterImportKYM();
Bool RegisterQuickRender(InstanceSuppresser* suppresser);
Bool RegisterCreateInstances();
Bool RegisterKyranoInstance(InstanceSuppresser* suppresser);
Bool RegisterMaterialGroup();
Bool RegisterMyMaterialHelper();
// Gives the material helper's preview button its dialog.
Bool RegisterPreviewDialog();
Bool RegisterRenderSettingsVP();
Bool RegisterSeparators();
Bool RegisterISL();
// Registers the light-normalisation tag; not called at start-up (the tag is not offered).
Bool RegisterLightNorm();

// Shared by the Register functions: load the name from the string table; with no text the
// node is skipped and loading goes on (TRUE).
Bool RegisterNamedCommand(LONG id, LONG nameId, const char* icon, const char* help, CommandData* command);
Bool RegisterNamedTag(LONG id, LONG nameId, LONG info, DataAllocator* alloc, const char* description, const char* icon);
Bool RegisterNamedObject(LONG id, LONG nameId, LONG info, DataAllocator* alloc, const char* description, const char* icon);
