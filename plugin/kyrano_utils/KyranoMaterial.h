#pragma once

#include "KyranoMatParameter.h"
#include "KyranoTexture.h"
#include "utils/refcounted.h"

#include <string>
#include <vector>

namespace Kyrano
{

// Base of the material kinds; the kind is told apart with dynamic_cast. A material owns its
// textures by value and its parameters through References, so releasing the last Reference
// to it releases the whole tree. Optional parameters are null References.
class KyranoMaterial : public RefCounted
{
public:
    ~KyranoMaterial() override;

    std::string name;
    std::vector<KyranoTexture> textures; // Texture parameters index into this list.
};

class KyranoNullMaterial : public KyranoMaterial
{
public:
    ~KyranoNullMaterial() override;
};

class KyranoDiffuse : public KyranoMaterial
{
public:
    KyranoDiffuse() : random_triangle_colours(false), layer(0) {}
    ~KyranoDiffuse() override;

    Reference<KyranoWavelengthDependentParam> albedo;
    bool random_triangle_colours;
    Reference<KyranoDisplacementParam> bump;
    Reference<KyranoDisplacementParam> displacement;
    Reference<KyranoWavelengthDependentParam> base_emission;
    Reference<KyranoWavelengthDependentParam> emission;
    int layer;
};

class KyranoSpecularMaterial : public KyranoMaterial
{
public:
    KyranoSpecularMaterial() : transparent(false), layer(0) {}
    ~KyranoSpecularMaterial() override;

    std::string internal_medium_name;
    bool transparent;
    Reference<KyranoDisplacementParam> bump;
    Reference<KyranoDisplacementParam> displacement;
    Reference<KyranoWavelengthDependentParam> base_emission;
    Reference<KyranoWavelengthDependentParam> emission;
    int layer;
};

class KyranoDiffuseTransmitter : public KyranoMaterial
{
public:
    KyranoDiffuseTransmitter() : layer(0) {}
    ~KyranoDiffuseTransmitter() override;

    Reference<KyranoWavelengthDependentParam> albedo;
    Reference<KyranoDisplacementParam> bump;
    Reference<KyranoDisplacementParam> displacement;
    Reference<KyranoWavelengthDependentParam> base_emission;
    Reference<KyranoWavelengthDependentParam> emission;
    int layer;
};

class KyranoOrenNayarMaterial : public KyranoMaterial
{
public:
    KyranoOrenNayarMaterial() : layer(0) {}
    ~KyranoOrenNayarMaterial() override;

    Reference<KyranoWavelengthDependentParam> albedo;
    Reference<KyranoWavelengthIndependentParam> sigma;
    Reference<KyranoDisplacementParam> bump;
    Reference<KyranoDisplacementParam> displacement;
    Reference<KyranoWavelengthDependentParam> base_emission;
    Reference<KyranoWavelengthDependentParam> emission;
    int layer;
};

class KyranoGlossyTransparent : public KyranoMaterial
{
public:
    KyranoGlossyTransparent() : layer(0) {}
    ~KyranoGlossyTransparent() override;

    Reference<KyranoWavelengthIndependentParam> exponent;
    std::string internal_medium_name;
    Reference<KyranoDisplacementParam> bump;
    Reference<KyranoDisplacementParam> displacement;
    Reference<KyranoWavelengthDependentParam> base_emission;
    Reference<KyranoWavelengthDependentParam> emission;
    int layer;
};

class KyranoPhongMaterial : public KyranoMaterial
{
public:
    KyranoPhongMaterial() : layer(0), fresnel_scale(1), ior(1.5) {}
    ~KyranoPhongMaterial() override;

    Reference<KyranoWavelengthDependentParam> diffuse_albedo;
    Reference<KyranoWavelengthDependentParam> specular_reflectivity;
    Reference<KyranoWavelengthIndependentParam> exponent;
    Reference<KyranoDisplacementParam> bump;
    Reference<KyranoDisplacementParam> displacement;
    Reference<KyranoWavelengthDependentParam> base_emission;
    Reference<KyranoWavelengthDependentParam> emission;
    int layer;
    double fresnel_scale;
    double ior;
    std::string nk_data; // Path of measured n,k data; empty when the ior is used.
};

// Mixes the materials named a_name and b_name by the blend amount.
class KyranoBlendMaterial : public KyranoMaterial
{
public:
    KyranoBlendMaterial() : step_blend(false) {}
    ~KyranoBlendMaterial() override;

    std::string a_name;
    std::string b_name;
    Reference<KyranoDisplacementParam> blend;
    bool step_blend;
};

} // namespace Kyrano
