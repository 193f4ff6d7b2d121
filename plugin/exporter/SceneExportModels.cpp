#include "exporter/KyranoSceneExporter.h"

Bool KyranoSceneExporter::ExportPolygonObject(BaseObject*, const Matrix&, long) { return TRUE; }
Bool KyranoSceneExporter::SceneExportMesh(BaseObject*, long, const Filename&) { return TRUE; }
Bool KyranoSceneExporter::SceneExportModel(BaseObject*, long, const Filename&, const Matrix&, int, BaseObject*) { return FALSE; }
Bool KyranoSceneExporter::SceneExportExitPortal(BaseObject*, long, const Filename&, const Matrix&) { return TRUE; }
Bool KyranoSceneExporter::SceneExportModelSphere(BaseObject*, const Matrix&, int) { return TRUE; }
BaseObject* MakeObjectEditable(BaseObject*, BaseDocument*) { return nullptr; }
