#pragma once

#include "KyranoVec3.h"
#include "utils/refcounted.h"

#include <vector>

namespace Kyrano
{

// Base of the spectrum kinds; the kind is told apart with dynamic_cast.
class KyranoSpectrum : public RefCounted
{
public:
    ~KyranoSpectrum() override;
};

class KyranoUniformSpectrum : public KyranoSpectrum
{
public:
    explicit KyranoUniformSpectrum(double value_ = 0) : value(value_) {}
    ~KyranoUniformSpectrum() override;

    double value;
};

class KyranoRGBSpectrum : public KyranoSpectrum
{
public:
    explicit KyranoRGBSpectrum(const Vec3& rgb_ = Vec3()) : rgb(rgb_) {}
    ~KyranoRGBSpectrum() override;

    Vec3 rgb; // Linear: the file's components already raised to its gamma.
};

class KyranoPeakSpectrum : public KyranoSpectrum
{
public:
    KyranoPeakSpectrum() : peak_min(0), peak_max(0), peak_value(0), base_value(0) {}
    ~KyranoPeakSpectrum() override;

    double peak_min;
    double peak_max;
    double peak_value;
    double base_value;
};

class KyranoBlackBodySpectrum : public KyranoSpectrum
{
public:
    KyranoBlackBodySpectrum() : temperature(0), gain(0) {}
    ~KyranoBlackBodySpectrum() override;

    double temperature; // Kelvin
    double gain;
};

// Values sampled at num_values evenly spaced wavelengths from start to end.
class KyranoRegularSpectrum : public KyranoSpectrum
{
public:
    KyranoRegularSpectrum() : start_wavelength(0), end_wavelength(0), num_values(0) {}
    ~KyranoRegularSpectrum() override;

    double start_wavelength; // nanometres
    double end_wavelength;   // nanometres
    int num_values;
    std::vector<double> values;
};

} // namespace Kyrano
