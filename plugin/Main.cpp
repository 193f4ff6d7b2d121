// The plug-in's entry functions: registration at start, the banner, resources, shutdown.
#include "c4d.h"
#include "Registration.h"

InstanceSuppresser* instSuppress = nullptr;

static const char* const kRule =
    ".__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--._.-._.-.__.--._.-.__.--.";

static void PrintBanner() {
  GePrint(String("\n") + kRule);
  GePrint("._.-. Tavrell 2.0.5");
  GePrint("._.-. Developed by: the Tavrell team");
  GePrint("._.-. For more information go to: https://tavrell.example.org/docs");
  GePrint(String(kRule) + "\n");
}

Bool PluginStart() {
  instSuppress = new InstanceSuppresser();
  // Registration stops at the first failure; what follows it is not registered.
  if (!RegisterMyLightTag()) return FALSE;
  if (!RegisterMyExitPortal()) return FALSE;
  if (!RegisterCameraTag()) return FALSE;
  if (!RegisterAnimationTag()) return FALSE;
  if (!RegisterMySubdivision()) return FALSE;
  if (!RegisterMyExportAndRun(instSuppress)) return FALSE;
  if (!RegisterMyAbout()) return FALSE;
  if (!RegisterConvertMats()) return FALSE;
  if (!RegisterImportKYM()) return FALSE;
  if (!RegisterQuickRender(instSuppress)) return FALSE;
  if (!RegisterCreateInstances()) return FALSE;
  if (!RegisterKyranoInstance(instSuppress)) return FALSE;
  if (!RegisterMaterialGroup()) return FALSE;
  if (!RegisterMyMaterialHelper()) return FALSE;
  if (!RegisterPreviewDialog()) return FALSE;
  if (!RegisterRenderSettingsVP()) return FALSE;
  if (!RegisterSeparators()) return FALSE;
  if (!RegisterISL()) return FALSE;
  PrintBanner();
  return TRUE;
}

void PluginEnd() {
  delete instSuppress;
  instSuppress = nullptr;
}

Bool PluginMessage(LONG id, void*) {
  switch (id) {
    case C4DPL_INIT_PRIORITY: return TRUE;
    case C4DPL_INIT_SYS: return resource.Init();
    default: return FALSE;
  }
}
