// Matrix helpers of the scene export.
#pragma once
#include "c4d.h"

namespace Helpers {

// The inverse of the matrix's rotation with the axis lengths put back on its axes: for a
// rotation Q with axis scales S the result is Q transposed times S. Axes of length 0 count
// as zero vectors; linearly dependent axes give the identity scaled by the lengths. The
// offset of the result is zero.
Matrix GetCorrectInverse(const Matrix& m);

}  // namespace Helpers
