#pragma once

#include "KyranoVec3.h"
#include "utils/refcounted.h"

#include <string>

namespace Kyrano
{

// Base of the rotations of a texture coordinate generator.
class KyranoRotation : public RefCounted
{
public:
    ~KyranoRotation() override;
};

// A 3 x 3 matrix, row by row as read; the identity by default.
class KyranoMatrixRotation : public KyranoRotation
{
public:
    KyranoMatrixRotation();
    ~KyranoMatrixRotation() override;

    double matrix[3][3]; // [row][column]
};

class KyranoAxisRotation : public KyranoRotation
{
public:
    KyranoAxisRotation() : angle(0) {}
    ~KyranoAxisRotation() override;

    Vec3 axis;
    double angle;
};

// Base of the ways a texture's coordinates are generated.
class KyranoTexCoordGenerator : public RefCounted
{
public:
    ~KyranoTexCoordGenerator() override;
};

// The mesh's own UV coordinates.
class KyranoUVTexCoordGenerator : public KyranoTexCoordGenerator
{
public:
    ~KyranoUVTexCoordGenerator() override;
};

class KyranoSphericalTexCoordGenerator : public KyranoTexCoordGenerator
{
public:
    ~KyranoSphericalTexCoordGenerator() override;

    Reference<KyranoRotation> rotation;
};

class KyranoSphericalEnvTexCoordGenerator : public KyranoTexCoordGenerator
{
public:
    ~KyranoSphericalEnvTexCoordGenerator() override;

    Reference<KyranoRotation> rotation;
};

// One bitmap of a material, held by value in the material's texture list. a, b, c and exponent
// are the curve numbers with which the renderer maps its texel values.
struct KyranoTexture
{
    KyranoTexture() : a(0), b(1), c(0), exponent(1) {}

    std::string path;
    double a, b, c;
    std::string uv_set;
    double exponent;
    Reference<KyranoTexCoordGenerator> tex_coord_generation;
};

} // namespace Kyrano
