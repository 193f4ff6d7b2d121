// Which points of a polygon object lie at one renderer position: corners of such points may
// share a vertex, and only those.
#pragma once
#include <cstdint>
#include <vector>

#include "c4d.h"
#include "geometry/KyranoMesh.h"

namespace geometry {

// The renderer's axes are the host's with y and z exchanged: (x, y, z) becomes (x, z, y).
// Positions are scaled, normals are not.
inline Kyrano::Vec3f RendererPosition(const Vector& p, Real scale) {
  return Kyrano::Vec3f{scale * p.x, scale * p.z, scale * p.y};
}

// For every point, the first point (in point order) at its renderer position, positions
// compared float by float (+0 equals -0). Empty when no two points share a position.
std::vector<uint32_t> FirstPointAtEachPosition(const Vector* points, LONG pointCount, Real scale);

}  // namespace geometry
