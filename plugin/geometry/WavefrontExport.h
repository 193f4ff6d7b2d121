// Turns one host polygon object into an indexed triangle mesh and writes it as a .kymesh file.
// One instance serves exactly one mesh.
#pragma once
#include <string>
#include <vector>

#include "c4d.h"
#include "exporter/TavrellMaterialList.h"
#include "geometry/KyranoMesh.h"

class WavefrontExport {
 public:
  // The key of a vertex: the converted, scaled position, then the converted normal (zero
  // when the mesh has no normals). Corners share a vertex exactly when all six floats are
  // equal; vertices are numbered in the order their keys are first seen. The distinct keys
  // are kept in the mesh itself, as its positions and normals.
  struct _MeshVertices {
    float px = 0.0f, py = 0.0f, pz = 0.0f;
    float nx = 0.0f, ny = 0.0f, nz = 0.0f;
  };

  WavefrontExport() = default;

  // Builds the mesh of `object` (a polygon object) and writes it into `directory` (created
  // when missing) under `fileName` with the suffix "kymesh", then prints one console line.
  // `materials` names the triangles' materials; without a list every triangle gets
  // "defaultLight". FALSE when there is no polygon object or the file could not be written
  // (the console line then names the file and the fault).
  Bool ExportObj(BaseDocument* document, const Filename& directory, Filename fileName, BaseObject* object, Real scale,
                 TavrellMaterialList* materials);
  // Fills `mesh` (material names, positions, normals with a Phong tag, UVs, triangles) and
  // the counts from the object. FALSE when the temporary UV tag cannot be made; nothing is
  // built then.
  Bool AddVerticesAndTris(PolygonObject* object, TavrellMaterialList* materials);
  // Fills `uvOut` (one entry per polygon) from the texture tags that apply to each polygon.
  Bool BakeUV(PolygonObject* object, UVWTag* uvOut, const std::vector<TextureTag*>& textureTags);

  // The material name of the triangles of a selection tag's pass (null: the pass over the
  // rest): that of the helper of the material of the texture tag for the selection,
  // "defaultMat" without one, "defaultLight" for every pass without a material list.
  static std::string PassMaterialName(const std::vector<TextureTag*>& textureTags, BaseTag* selectionTag,
                                      TavrellMaterialList* materials);

  BaseDocument* document = nullptr;
  LONG triangleCount = 0;
  LONG vertexCount = 0;
  LONG uvCount = 0;
  Bool hasPhong = FALSE;
  Real scale = 1.0f;
  Kyrano::KyranoMesh mesh;
  // When set, the console lines go here instead of the console, so that meshes built at the
  // same time on several threads can be reported in their order.
  std::vector<String>* consoleLines = nullptr;

 private:
  void Print(const String& line) const;
  // Console lines for what was mended while writing: names cut to fit the file.
  void ReportCutNames(const String& objectName, const std::vector<std::string>& cutNames) const;
};
