#include "KyranoTexture.h"

// Out-of-line destructors anchor each class's virtual table and type information here.
namespace Kyrano
{

KyranoMatrixRotation::KyranoMatrixRotation()
{
    for(int r = 0; r < 3; ++r)
        for(int c = 0; c < 3; ++c)
            matrix[r][c] = (r == c) ? 1.0 : 0.0;
}

KyranoRotation::~KyranoRotation() {}
KyranoMatrixRotation::~KyranoMatrixRotation() {}
KyranoAxisRotation::~KyranoAxisRotation() {}

KyranoTexCoordGenerator::~KyranoTexCoordGenerator() {}
KyranoUVTexCoordGenerator::~KyranoUVTexCoordGenerator() {}
KyranoSphericalTexCoordGenerator::~KyranoSphericalTexCoordGenerator() {}
KyranoSphericalEnvTexCoordGenerator::~KyranoSphericalEnvTexCoordGenerator() {}

} // namespace Kyrano
