// The light files the plug-in folder ships: the default IES profile (and the example's) read
// by a small IESNA LM-63-2002 reader, and the IES preview scene checked by the stand-in
// renderer with everything it names.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

using namespace testing_support;

namespace {

const double kPi = 3.14159265358979323846;

// What an LM-63-2002 file with TILT=NONE holds, as far as the renderer needs it.
struct Photometry {
  std::vector<std::string> keywords;
  double lumensPerLamp = 0, multiplier = 0;
  int photometricType = 0;
  std::vector<double> vertical, horizontal;
  std::vector<std::vector<double>> candela;  // per horizontal angle, one value per vertical angle
};

// Reads the file; an empty text when it is a valid LM-63-2002 file of type C photometry,
// else what is wrong.
std::string ReadLm63(const std::string& text, Photometry& out) {
  std::istringstream in(text);
  std::string line;
  auto chomp = [](std::string& l) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
  };
  if (!std::getline(in, line)) return "empty file";
  chomp(line);
  if (line != "IESNA:LM-63-2002") return "first line is '" + line + "'";
  for (;;) {
    if (!std::getline(in, line)) return "no TILT line";
    chomp(line);
    if (line.size() > 256) return "line longer than 256 characters";
    if (line.rfind("TILT=", 0) == 0) {
      if (line != "TILT=NONE") return "only TILT=NONE is read";
      break;
    }
    const size_t close = line.find(']');
    if (line.empty() || line[0] != '[' || close == std::string::npos) return "not a keyword line: '" + line + "'";
    out.keywords.push_back(line.substr(1, close - 1));
  }
  for (const char* required : {"TEST", "TESTLAB", "ISSUEDATE", "MANUFAC"})
    if (std::find(out.keywords.begin(), out.keywords.end(), required) == out.keywords.end())
      return std::string("required keyword [") + required + "] missing";

  std::vector<double> v;
  std::string word;
  while (in >> word) {
    for (char& c : word)
      if (c == ',') c = ' ';
    std::istringstream w(word);
    double d;
    while (w >> d) v.push_back(d);
    if (!w.eof()) return "not a number: '" + word + "'";
  }
  if (v.size() < 13) return "the photometric header is cut short";
  const int lamps = int(v[0]), nv = int(v[3]), nh = int(v[4]);
  out.lumensPerLamp = v[1];
  out.multiplier = v[2];
  out.photometricType = int(v[5]);
  if (lamps < 1 || nv < 1 || nh < 1 || out.multiplier <= 0) return "bad lamp count, angle counts or multiplier";
  if (!(out.lumensPerLamp > 0 || out.lumensPerLamp == -1)) return "bad lumens per lamp";
  if (out.photometricType != 1) return "not type C photometry";
  if (v[6] != 1 && v[6] != 2) return "units are neither feet nor metres";
  if (v.size() != 13u + size_t(nv) + size_t(nh) + size_t(nv) * size_t(nh))
    return "expected " + std::to_string(13 + nv + nh + nv * nh) + " numbers, found " + std::to_string(v.size());
  size_t i = 13;
  out.vertical.assign(v.begin() + long(i), v.begin() + long(i) + nv);
  i += size_t(nv);
  out.horizontal.assign(v.begin() + long(i), v.begin() + long(i) + nh);
  i += size_t(nh);
  for (int h = 0; h < nh; ++h, i += size_t(nv)) out.candela.emplace_back(v.begin() + long(i), v.begin() + long(i) + nv);
  for (size_t k = 1; k < out.vertical.size(); ++k)
    if (out.vertical[k] <= out.vertical[k - 1]) return "vertical angles do not ascend";
  for (size_t k = 1; k < out.horizontal.size(); ++k)
    if (out.horizontal[k] <= out.horizontal[k - 1]) return "horizontal angles do not ascend";
  if ((out.vertical.front() != 0 && out.vertical.front() != 90) || (out.vertical.back() != 90 && out.vertical.back() != 180))
    return "type C vertical angles must run from 0 or 90 to 90 or 180";
  const double lastH = out.horizontal.back();
  if (out.horizontal.front() != 0 || (lastH != 0 && lastH != 90 && lastH != 180 && lastH != 360))
    return "type C horizontal angles must start at 0 and end at 0, 90, 180 or 360";
  for (const auto& row : out.candela)
    for (double c : row)
      if (c < 0) return "negative candela value";
  return "";
}

// The luminous flux of a rotationally symmetric distribution: 2 pi times the integral of
// I(theta) sin(theta), with I linear between the given angles.
double Flux(const Photometry& p) {
  double flux = 0;
  const std::vector<double>& a = p.vertical;
  const std::vector<double>& c = p.candela[0];
  for (size_t k = 0; k + 1 < a.size(); ++k)
    for (int s = 0; s < 100; ++s) {
      const double f = (s + 0.5) / 100, t = (a[k] + f * (a[k + 1] - a[k])) * kPi / 180;
      flux += (c[k] + f * (c[k + 1] - c[k])) * p.multiplier * std::sin(t) * (a[k + 1] - a[k]) / 100 * kPi / 180;
    }
  return 2 * kPi * flux;
}

}  // namespace

TEST(ShippedLightFiles, TheProfilesAreValidLm63Files) {
  for (const std::string& path : {std::string(TAVRELL_PLUGIN_DIR) + "/presets/default.ies",
                                 std::string(TAVRELL_SOURCE_DIR) + "/examples/narrow_spot.ies"}) {
    SCOPED_TRACE(path);
    Photometry p;
    ASSERT_EQ(ReadLm63(ReadFile(path), p), "");
    ASSERT_EQ(p.horizontal, std::vector<double>{0});  // the same all around the axis
    EXPECT_EQ(p.vertical.front(), 0);
    EXPECT_EQ(p.vertical.back(), 90);
    // Brightest on the axis, dark sideways, and the stated lamp lumens leave it.
    EXPECT_EQ(p.candela[0].front(), *std::max_element(p.candela[0].begin(), p.candela[0].end()));
    EXPECT_EQ(p.candela[0].back(), 0);
    EXPECT_NEAR(Flux(p), p.lumensPerLamp, 0.02 * p.lumensPerLamp);
  }
  // The reader refuses what is not such a file.
  Photometry p;
  EXPECT_EQ(ReadLm63("IESNA:LM-63-1995\n", p), "first line is 'IESNA:LM-63-1995'");
  EXPECT_EQ(ReadLm63("IESNA:LM-63-2002\n[TEST] x\nTILT=NONE\n", p), "required keyword [TESTLAB] missing");
}

TEST(ShippedLightFiles, TheIesPreviewSceneIsAcceptedWithWhatItNames) {
  TempDir dir("shipped_preview");
  const std::string plugin = CopyPluginFolder(dir);
  const std::string scene = plugin + "/preview/iespreview.kys";
  const std::string exe = std::string(TAVRELL_RENDERER_DIR) + "/Kyrano.app/Contents/MacOS/Kyrano";
  const int status = std::system(("'" + exe + "' '" + scene + "' > '" + dir.str("log") + "' 2>&1").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << ReadFile(dir.str("log"));
  const std::string report = ReadFile(dir.str("log"));
  EXPECT_NE(report.find("Mesh files read: 3,"), std::string::npos) << report;
  EXPECT_NE(ReadFile(scene).find("<path>../presets/default.ies</path>"), std::string::npos);
}
