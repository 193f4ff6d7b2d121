#include "exporter/KyranoSceneExporter.h"

Bool KyranoSceneExporter::SceneExportPosAndMatrix(TiXmlElement*, const Matrix&) { return TRUE; }
Bool KyranoSceneExporter::SceneExportMoBlurMatrix(TiXmlElement*, const Matrix&) { return TRUE; }
void KyranoSceneExporter::SceneExportKeyframe(Real, TiXmlElement*, Real, const Vector&, const Vector&) {}
Bool KyranoSceneExporter::SceneExportObjectMotionBlur(TiXmlElement*, BaseObject*) { return FALSE; }
Bool KyranoSceneExporter::ObjectHasMotionBlurTag(BaseObject*, Real&) { return FALSE; }
BaseObject* KyranoSceneExporter::GetTopmostAnimated(BaseObject*) { return nullptr; }
