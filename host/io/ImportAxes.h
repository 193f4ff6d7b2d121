// From the axes of a model file to the host's: Assimp hands every file out right-handed with
// y up; the host is left-handed with y up. Mirroring the z axis turns one into the other, so a
// point (x, y, z) becomes (x, y, -z) and a matrix M becomes S M S with S = diag(1, 1, -1).
// Positions are also multiplied by the file's unit (metres per file unit).
#pragma once
#include <string>

#include <assimp/types.h>

#include "c4d.h"

struct aiScene;

namespace host {
namespace import {

// The name of the Assimp reader that read the scene ("Blender 3D Importer ..."), found from
// the file's content whatever its suffix; empty when the reader gives none.
std::string ReaderOf(const aiScene& scene);

// Blender's reader hands the file's own axes out, z up, where every other reader turns them
// y up. Turns such a scene's root as a y-up exporter from Blender does (its FBX export, for
// one): (x, y, z) -> (x, z, -y). Returns whether it turned the scene.
bool TurnZUpSceneToYUp(aiScene& scene);

Vector HostPoint(const aiVector3D& p, Real unit);
Vector HostDirection(const aiVector3D& d);
Matrix HostMatrix(const aiMatrix4x4& m, Real unit);
bool IsFinite(const aiMatrix4x4& m);
bool IsIdentity(const Matrix& m, Real tolerance = 1e-6f);

// A host object's local placement: position, heading/pitch/bank in radians and scale.
struct Placement {
  Vector pos, rot, scale{1, 1, 1};
  // The matrix's axes were not perpendicular; the placement keeps their directions as
  // closely as position, rotation and scale can.
  bool sheared = false;
};

// A mirroring matrix gets a negative z scale. Of the rotations that give the same matrix,
// the overload with `previous` picks the one closest to it, so that animation tracks, which
// interpolate the angles, never jump by a full turn between two frames.
Placement Decompose(const Matrix& m);
Placement Decompose(const Matrix& m, const Vector& previous);
void ApplyPlacement(BaseObject* op, const Placement& p);

}  // namespace import
}  // namespace host
