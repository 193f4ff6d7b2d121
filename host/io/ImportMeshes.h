// Assimp meshes as host polygon objects: merged points, polygons that keep their quads, the
// first UV channel as a UVW tag and the file's smoothing as a Phong tag.
#pragma once
#include <string>
#include <vector>

#include <assimp/types.h>

#include "ImportContext.h"

struct aiMesh;

namespace host {
namespace import {

// How a polygon object is smoothed: no Phong tag (flat), or a Phong tag with or without an
// angle limit.
struct Smoothing {
  bool phong = false;
  bool angleLimit = true;
  Real angle = Rad(80.0f);
};

// A mesh converted to the host's axes and polygon conventions, before it becomes an object
// (one converted mesh serves every node that uses it).
struct ConvertedMesh {
  std::string name;  // the file's name of the mesh
  std::vector<Vector> points;
  std::vector<CPolygon> polygons;
  std::vector<UVWStruct> uvs;  // one per polygon; empty when the mesh has no UVs
  Smoothing smoothing;
  unsigned material = 0;
  Vector boundsMin, boundsMax;  // of the points, in the object's own axes
  // What had to change, for the warnings.
  size_t splitPolygons = 0;    // polygons with more than four corners, split
  size_t skippedFaces = 0;     // points and lines, which hold no surface
  size_t invalidPolygons = 0;  // polygons with a corner that is not a number, left out
  size_t invalidUVs = 0;       // UV coordinates that are not numbers, set to 0
};

// Throws (through ctx.Fail, naming `where`) when a face refers to a vertex the mesh does not
// have.
ConvertedMesh ConvertMesh(const aiMesh& mesh, Real unit, const ImportContext& ctx, const std::string& where);
// Prints the warnings for what ConvertMesh had to change.
void WarnAboutMesh(const ConvertedMesh& m, const ImportContext& ctx, const std::string& where);
// A new polygon object with the mesh's points, polygons, UVW tag and Phong tag.
PolygonObject* MakePolygonObject(const ConvertedMesh& m);

// The file's normals at the polygons' corners, without a copy: for each corner (four per
// polygon, in the polygons' corner order) the file vertex it came from, whose normal it has.
// When each point came from one vertex, the point's vertex serves for all its corners.
struct CornerNormals {
  const aiVector3D* normals = nullptr;  // the file's, one per vertex
  size_t vertexCount = 0;
  bool onePointPerVertex = false;  // no two vertices of the file were merged into one point
  std::vector<unsigned> vertexOfCorner;  // without one point per vertex
  std::vector<unsigned> vertexOfPoint;   // with one point per vertex
  const std::vector<CPolygon>* polygons = nullptr;
  // The normal of corner `corner` (polygon * 4 + slot) in the host's axes.
  Vector Of(size_t corner) const;
};

// The Phong tag that reproduces the file's normals best: the corner normals tell which edges
// the file draws smooth; the angle limit is the one that misjudges the fewest shared edges.
// Without normals, the host's default tag.
Smoothing ChooseSmoothing(const std::vector<Vector>& points, const std::vector<CPolygon>& polygons,
                          const CornerNormals* cornerNormals);

// Splits a polygon of more than four corners (their positions, in the file's order) into
// quads when it is convex and into triangles (ear clipping) when it is not, keeping its
// orientation. Each piece lists three or four positions of `corners` by index.
std::vector<std::vector<unsigned>> SplitPolygon(const std::vector<Vector>& corners);

}  // namespace import
}  // namespace host
