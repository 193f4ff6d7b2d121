#include "exporter/KyranoSceneExporter.h"

// Colours are written as spectra; the gain multiplies the colour, there is no gain element.
Bool KyranoSceneExporter::SceneExportSpectrumRGB(const Vector& colour, float gamma, float gain, TiXmlElement* parent) {
  TiXmlElement* rgb = AppendElement("rgb", parent);
  SceneExportVectorValue("rgb", colour * gain, rgb, 0);
  SceneExportRealValue("gamma", gamma, rgb);
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportSpectrumBlackbody(float temperature, float gain, TiXmlElement* parent) {
  TiXmlElement* bb = AppendElement("blackbody", parent);
  SceneExportRealValue("temperature", temperature, bb);
  SceneExportRealValue("gain", gain, bb);
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportSpectrumUniform(float value, TiXmlElement* parent) {
  SceneExportRealValue("value", value, AppendElement("uniform", parent));
  return TRUE;
}

Bool KyranoSceneExporter::SceneExportSpectrumPeak(float peakMin, float peakWidth, float baseValue, float peakValue, TiXmlElement* parent) {
  TiXmlElement* peak = AppendElement("peak", parent);
  SceneExportRealValue("peak_min", peakMin, peak);
  SceneExportRealValue("peak_width", peakWidth, peak);
  SceneExportRealValue("base_value", baseValue, peak);
  SceneExportRealValue("peak_value", peakValue, peak);
  return TRUE;
}

// The texts are written as the user typed them; the renderer checks the wavelengths.
Bool KyranoSceneExporter::SceneExportSpectrumTabulated(const String& start, const String& end, long count,
                                                       const String& values, TiXmlElement* parent) {
  TiXmlElement* tab = AppendElement("regular_tabulated", parent);
  SceneExportStringValue("start_wavelength", start, tab);
  SceneExportStringValue("end_wavelength", end, tab);
  SceneExportLongValue("num_values", count, tab);
  SceneExportStringValue("values", values, tab);
  return TRUE;
}
