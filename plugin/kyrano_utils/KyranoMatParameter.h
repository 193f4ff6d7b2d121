#pragma once

#include "KyranoSpectrum.h"
#include "utils/refcounted.h"

#include <string>

namespace Kyrano
{

// Material parameters come in three families, each holding a constant, a reference to one of
// the owning material's textures (an index into its texture list) or a shader program text.
// The kind is told apart with dynamic_cast.

// Colour-like parameters, varying with wavelength.
class KyranoWavelengthDependentParam : public RefCounted
{
public:
    ~KyranoWavelengthDependentParam() override;
};

class KyranoConstantWavelengthDependentParam : public KyranoWavelengthDependentParam
{
public:
    explicit KyranoConstantWavelengthDependentParam(const Reference<KyranoSpectrum>& spectrum_ = Reference<KyranoSpectrum>()) : spectrum(spectrum_) {}
    ~KyranoConstantWavelengthDependentParam() override;

    Reference<KyranoSpectrum> spectrum;
};

class KyranoTextureWavelengthDependentParam : public KyranoWavelengthDependentParam
{
public:
    explicit KyranoTextureWavelengthDependentParam(int texture_index_ = 0) : texture_index(texture_index_) {}
    ~KyranoTextureWavelengthDependentParam() override;

    int texture_index; // Into the owning material's texture list.
};

class KyranoShaderWavelengthDependentParam : public KyranoWavelengthDependentParam
{
public:
    explicit KyranoShaderWavelengthDependentParam(const std::string& shader_ = std::string()) : shader(shader_) {}
    ~KyranoShaderWavelengthDependentParam() override;

    std::string shader; // Program text.
};

// Plain-number parameters.
class KyranoWavelengthIndependentParam : public RefCounted
{
public:
    ~KyranoWavelengthIndependentParam() override;
};

class KyranoConstantWavelengthIndependentParam : public KyranoWavelengthIndependentParam
{
public:
    explicit KyranoConstantWavelengthIndependentParam(double value_ = 0) : value(value_) {}
    ~KyranoConstantWavelengthIndependentParam() override;

    double value;
};

class KyranoTextureWavelengthIndependentParam : public KyranoWavelengthIndependentParam
{
public:
    explicit KyranoTextureWavelengthIndependentParam(int texture_index_ = 0) : texture_index(texture_index_) {}
    ~KyranoTextureWavelengthIndependentParam() override;

    int texture_index; // Into the owning material's texture list.
};

class KyranoShaderWavelengthIndependentParam : public KyranoWavelengthIndependentParam
{
public:
    explicit KyranoShaderWavelengthIndependentParam(const std::string& shader_ = std::string()) : shader(shader_) {}
    ~KyranoShaderWavelengthIndependentParam() override;

    std::string shader; // Program text.
};

// Bump, displacement and blend-amount parameters.
class KyranoDisplacementParam : public RefCounted
{
public:
    ~KyranoDisplacementParam() override;
};

class KyranoConstantDisplacementParam : public KyranoDisplacementParam
{
public:
    explicit KyranoConstantDisplacementParam(double value_ = 0) : value(value_) {}
    ~KyranoConstantDisplacementParam() override;

    double value;
};

class KyranoTextureDisplacementParam : public KyranoDisplacementParam
{
public:
    explicit KyranoTextureDisplacementParam(int texture_index_ = 0) : texture_index(texture_index_) {}
    ~KyranoTextureDisplacementParam() override;

    int texture_index; // Into the owning material's texture list.
};

class KyranoShaderDisplacementParam : public KyranoDisplacementParam
{
public:
    explicit KyranoShaderDisplacementParam(const std::string& shader_ = std::string()) : shader(shader_) {}
    ~KyranoShaderDisplacementParam() override;

    std::string shader; // Program text.
};

} // namespace Kyrano
