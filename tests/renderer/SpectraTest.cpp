// Spectra to linear RGB: flat spectra stay grey at their value, a black body keeps the
// luminance its gain asks for, and a peak or table lands where its wavelengths say.
#include <gtest/gtest.h>

#include "render/Spectra.h"

using namespace renderer::render;

TEST(Spectra, FlatSpectraAreGreyAndNamedColoursLandInTheirChannel) {
  const Rgb flat = SpectrumToRgb(Kyrano::KyranoUniformSpectrum(0.5));
  EXPECT_NEAR(flat.x, 0.5f, 1e-4f);
  EXPECT_NEAR(flat.y, 0.5f, 1e-4f);
  EXPECT_NEAR(flat.z, 0.5f, 1e-4f);

  Kyrano::KyranoRegularSpectrum table;
  table.start_wavelength = 400;
  table.end_wavelength = 700;
  table.num_values = 2;
  table.values = {0.25, 0.25};
  EXPECT_NEAR(SpectrumToRgb(table).y, 0.25f, 1e-3f);
  table.values = {0.0, 1.0};  // rising towards the red
  const Rgb rising = SpectrumToRgb(table);
  EXPECT_GT(rising.x, rising.y);
  EXPECT_GT(rising.y, rising.z);

  Kyrano::KyranoPeakSpectrum green;
  green.peak_min = 520e-9;  // metres, as the light writer gives them
  green.peak_max = 560e-9;
  green.peak_value = 1;
  const Rgb peak = SpectrumToRgb(green);
  EXPECT_GT(peak.y, 3 * std::max(peak.x, peak.z));

  Kyrano::KyranoBlackBodySpectrum warm, hot;
  warm.temperature = 2700;
  hot.temperature = 9000;
  warm.gain = hot.gain = 2;
  EXPECT_NEAR(Luminance(SpectrumToRgb(warm)), 2.0f, 1e-3f);
  EXPECT_NEAR(Luminance(SpectrumToRgb(hot)), 2.0f, 1e-3f);
  EXPECT_GT(SpectrumToRgb(warm).x, SpectrumToRgb(warm).z);
  EXPECT_LT(SpectrumToRgb(hot).x, SpectrumToRgb(hot).z);

  const Rgb rgb = SpectrumToRgb(Kyrano::KyranoRGBSpectrum(Kyrano::Vec3(0.1, 0.2, 0.3)));
  EXPECT_FLOAT_EQ(rgb.z, 0.3f);
}
