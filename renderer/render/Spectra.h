// Spectra of the scene file turned into linear sRGB once, when the render scene is built:
// each is integrated against the CIE 1931 colour matching functions and the resulting XYZ
// turned into linear sRGB, normalised so that a flat spectrum of 1 gives (1, 1, 1).
#pragma once
#include "Vec3.h"
#include "kyrano_utils/KyranoSpectrum.h"

namespace renderer::render {

// rgb: the already linear components (the file's gamma was applied on reading); uniform: the
// value on all three; blackbody: the colour of the temperature with luminance equal to its
// gain; peak: base value outside [peak_min, peak_max] nanometres, peak value inside; regular
// tabulated: the values linearly interpolated between their wavelengths (edge values beyond).
Rgb SpectrumToRgb(const Kyrano::KyranoSpectrum& spectrum);

// The CIE 1931 2-degree matching functions at a wavelength in nanometres (the multi-lobe
// Gaussian fit of Wyman, Sloan and Shirley, within about 1% of the tables).
Vec3 CieXyzMatching(float nanometres);

// Linear sRGB of a spectrum given as a function of nanometres, normalised as above.
template <class F>
Rgb IntegrateSpectrum(F spectrum);

Rgb XyzToRgb(const Vec3& xyz);

// Radiance of a black body (Planck), in arbitrary but consistent units.
double Planck(double nanometres, double kelvin);

template <class F>
Rgb IntegrateSpectrum(F spectrum) {
  Vec3 xyz(0.0f);
  float ySum = 0;
  for (int nm = 360; nm <= 830; ++nm) {
    const Vec3 cmf = CieXyzMatching(float(nm));
    xyz += cmf * float(spectrum(double(nm)));
    ySum += cmf.y;
  }
  return XyzToRgb(xyz / ySum);
}

}  // namespace renderer::render
