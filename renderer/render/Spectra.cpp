#include "Spectra.h"

#include <cmath>

namespace renderer::render {

namespace {

float Lobe(float x, float mu, float sigmaLow, float sigmaHigh) {
  const float t = (x - mu) / (x < mu ? sigmaLow : sigmaHigh);
  return std::exp(-0.5f * t * t);
}

// The RGB of a flat spectrum of 1 before normalisation (white point E).
Rgb FlatWhite() {
  static const Rgb white = [] {
    Vec3 xyz(0.0f);
    float ySum = 0;
    for (int nm = 360; nm <= 830; ++nm) {
      const Vec3 cmf = CieXyzMatching(float(nm));
      xyz += cmf;
      ySum += cmf.y;
    }
    xyz = xyz / ySum;
    return Rgb(3.2404542f * xyz.x - 1.5371385f * xyz.y - 0.4985314f * xyz.z,
               -0.9692660f * xyz.x + 1.8760108f * xyz.y + 0.0415560f * xyz.z,
               0.0556434f * xyz.x - 0.2040259f * xyz.y + 1.0572252f * xyz.z);
  }();
  return white;
}

}  // namespace

Vec3 CieXyzMatching(float nm) {
  const float x = 1.056f * Lobe(nm, 599.8f, 37.9f, 31.0f) + 0.362f * Lobe(nm, 442.0f, 16.0f, 26.7f) -
                  0.065f * Lobe(nm, 501.1f, 20.4f, 26.2f);
  const float y = 0.821f * Lobe(nm, 568.8f, 46.9f, 40.5f) + 0.286f * Lobe(nm, 530.9f, 16.3f, 31.1f);
  const float z = 1.217f * Lobe(nm, 437.0f, 11.8f, 36.0f) + 0.681f * Lobe(nm, 459.0f, 26.0f, 13.8f);
  return {x, y, z};
}

Rgb XyzToRgb(const Vec3& xyz) {
  const Rgb rgb(3.2404542f * xyz.x - 1.5371385f * xyz.y - 0.4985314f * xyz.z,
                -0.9692660f * xyz.x + 1.8760108f * xyz.y + 0.0415560f * xyz.z,
                0.0556434f * xyz.x - 0.2040259f * xyz.y + 1.0572252f * xyz.z);
  return rgb / FlatWhite();
}

double Planck(double nm, double kelvin) {
  const double c = 299792458.0, h = 6.62607015e-34, kb = 1.380649e-23;
  const double l = nm * 1e-9;
  return (2 * h * c * c) / (std::pow(l, 5) * (std::exp(h * c / (l * kb * kelvin)) - 1));
}

Rgb SpectrumToRgb(const Kyrano::KyranoSpectrum& spectrum) {
  if (const auto* rgb = dynamic_cast<const Kyrano::KyranoRGBSpectrum*>(&spectrum))
    return Rgb(float(rgb->rgb.x), float(rgb->rgb.y), float(rgb->rgb.z));
  if (const auto* uniform = dynamic_cast<const Kyrano::KyranoUniformSpectrum*>(&spectrum))
    return Rgb(float(uniform->value));
  if (const auto* body = dynamic_cast<const Kyrano::KyranoBlackBodySpectrum*>(&spectrum)) {
    if (!(body->temperature > 0)) return Rgb(0.0f);
    const Rgb colour = IntegrateSpectrum([&](double nm) { return Planck(nm, body->temperature); });
    const float y = Luminance(colour);
    return y > 0 ? colour * float(body->gain / y) : Rgb(0.0f);
  }
  if (const auto* peak = dynamic_cast<const Kyrano::KyranoPeakSpectrum*>(&spectrum)) {
    // Wavelengths written in metres are taken as such; anything larger is nanometres.
    const double scale = peak->peak_max < 1e-3 ? 1e9 : 1.0;
    const double low = peak->peak_min * scale, high = peak->peak_max * scale;
    return IntegrateSpectrum([&](double nm) { return nm >= low && nm <= high ? peak->peak_value : peak->base_value; });
  }
  if (const auto* table = dynamic_cast<const Kyrano::KyranoRegularSpectrum*>(&spectrum)) {
    const auto& v = table->values;
    if (v.size() < 2 || !(table->end_wavelength > table->start_wavelength)) return Rgb(0.0f);
    const double step = (table->end_wavelength - table->start_wavelength) / double(v.size() - 1);
    return IntegrateSpectrum([&](double nm) {
      const double at = (nm - table->start_wavelength) / step;
      if (at <= 0) return v.front();
      if (at >= double(v.size() - 1)) return v.back();
      const auto i = std::size_t(at);
      const double t = at - double(i);
      return v[i] * (1 - t) + v[i + 1] * t;
    });
  }
  return Rgb(0.0f);
}

}  // namespace renderer::render
