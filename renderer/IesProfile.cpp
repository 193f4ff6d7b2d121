#include "IesProfile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace renderer {

namespace {

// Far more angles than any measured luminaire has; a count beyond it is a broken file, not a
// reason to allocate gigabytes.
constexpr long kMaxAngles = 100000;

// The numbers after the TILT line, separated by white space or commas, each with its line.
class NumberReader {
 public:
  NumberReader(const std::string& text, std::size_t at, int line) : text_(text), at_(at), line_(line) {}

  bool Next(double& value, std::string& token) {
    while (at_ < text_.size() && (std::isspace(static_cast<unsigned char>(text_[at_])) || text_[at_] == ',')) {
      if (text_[at_] == '\n') ++line_;
      ++at_;
    }
    if (at_ >= text_.size()) return false;
    const std::size_t start = at_;
    while (at_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[at_])) && text_[at_] != ',') ++at_;
    token = text_.substr(start, at_ - start);
    errno = 0;
    char* end = nullptr;
    value = std::strtod(token.c_str(), &end);
    return *end == '\0' && errno != ERANGE && std::isfinite(value);
  }
  int Line() const { return line_; }

 private:
  const std::string& text_;
  std::size_t at_;
  int line_;
};

}  // namespace

bool IesProfile::Read(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open the IES file '" + path + "'";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return Parse(text.str(), path, error);
}

bool IesProfile::Parse(const std::string& text, const std::string& name, std::string& error) {
  // Header lines up to and including "TILT=...".
  std::size_t at = 0;
  int line = 1;
  std::string tilt;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string current = text.substr(at, end - at);
    if (!current.empty() && current.back() == '\r') current.pop_back();
    at = end + 1;
    if (current.rfind("TILT=", 0) == 0) {
      tilt = current.substr(5);
      break;
    }
    if (line == 1 && current.rfind("IESNA", 0) != 0 && current.rfind("[", 0) != 0) {
      error = "'" + name + "' is not an IESNA LM-63 file: its first line is neither 'IESNA...' nor a keyword";
      return false;
    }
    ++line;
  }
  if (tilt.empty()) {
    error = "'" + name + "' is not an IESNA LM-63 file: it has no 'TILT=' line";
    return false;
  }
  ++line;
  NumberReader numbers(text, std::min(at, text.size()), line);
  auto next = [&](const char* what, double& value) {
    std::string token;
    if (numbers.Next(value, token)) return true;
    error = token.empty() ? "'" + name + "' ends before " + what
                          : "'" + name + "', line " + std::to_string(numbers.Line()) + ": '" + token +
                                "' is not a finite number (" + what + ")";
    return false;
  };
  double value = 0;
  if (tilt == "INCLUDE") {
    // Lamp-to-luminaire geometry, then pairs of tilt angles and multiplying factors: read and
    // not used, since the lamp is taken as mounted the way it was measured.
    double pairs = 0;
    if (!next("the tilt geometry", value) || !next("the number of tilt angles", pairs)) return false;
    if (pairs < 0 || pairs > kMaxAngles) {
      error = "'" + name + "': the number of tilt angles " + std::to_string(long(pairs)) + " is out of range";
      return false;
    }
    for (long i = 0; i < 2 * long(pairs); ++i)
      if (!next("the tilt angles and factors", value)) return false;
  } else if (tilt != "NONE") {
    error = "'" + name + "': TILT=" + tilt + " names a separate tilt file, which is not supported (use NONE or INCLUDE)";
    return false;
  }
  double lamps, lumens, multiplier, verticalCount, horizontalCount, photometricType, units, w, l, h;
  if (!next("the number of lamps", lamps) || !next("the lumens per lamp", lumens) ||
      !next("the candela multiplier", multiplier) || !next("the number of vertical angles", verticalCount) ||
      !next("the number of horizontal angles", horizontalCount) || !next("the photometric type", photometricType) ||
      !next("the units type", units) || !next("the width", w) || !next("the length", l) || !next("the height", h))
    return false;
  for (double count : {verticalCount, horizontalCount})
    if (count < 1 || count > kMaxAngles || count != std::floor(count)) {
      error = "'" + name + "': an angle count of " + std::to_string(count) + " is out of range (1 to " +
              std::to_string(kMaxAngles) + ")";
      return false;
    }
  double ballast, future, watts;
  if (!next("the ballast factor", ballast) || !next("the ballast-lamp factor", future) || !next("the input watts", watts))
    return false;
  vertical_.assign(std::size_t(verticalCount), 0);
  horizontal_.assign(std::size_t(horizontalCount), 0);
  candela_.assign(vertical_.size() * horizontal_.size(), 0);
  for (double& angle : vertical_)
    if (!next("the vertical angles", angle)) return false;
  for (double& angle : horizontal_)
    if (!next("the horizontal angles", angle)) return false;
  for (double& c : candela_)
    if (!next("the candela values", c)) return false;
  for (const std::vector<double>* angles : {&vertical_, &horizontal_})
    if (!std::is_sorted(angles->begin(), angles->end()) || angles->front() < 0 || angles->back() > 360) {
      error = "'" + name + "': the " + (angles == &vertical_ ? "vertical" : "horizontal") +
              " angles must rise from 0 to at most 360 degrees";
      return false;
    }
  maxCandela_ = 0;
  for (double& c : candela_) {
    if (c < 0) {
      error = "'" + name + "': a candela value is negative (" + std::to_string(c) + ")";
      return false;
    }
    c *= multiplier * ballast;
    maxCandela_ = std::max(maxCandela_, c);
  }
  return true;
}

double IesProfile::Sample(std::size_t h, double theta) const {
  const std::size_t n = vertical_.size();
  const double* row = &candela_[h * n];
  if (theta <= vertical_.front()) return theta < vertical_.front() ? 0 : row[0];
  if (theta >= vertical_.back()) return theta > vertical_.back() ? 0 : row[n - 1];
  const std::size_t i = std::size_t(std::upper_bound(vertical_.begin(), vertical_.end(), theta) - vertical_.begin()) - 1;
  const double span = vertical_[i + 1] - vertical_[i];
  const double t = span > 0 ? (theta - vertical_[i]) / span : 0;
  return row[i] * (1 - t) + row[i + 1] * t;
}

double IesProfile::Candela(double theta, double phi) const {
  if (candela_.empty()) return 0;
  if (horizontal_.size() == 1) return Sample(0, theta);
  phi = std::fmod(std::fmod(phi, 360.0) + 360.0, 360.0);
  // Fold the angle into the range the file covers: a quadrant (0-90), a half (0-180) or all.
  const double last = horizontal_.back();
  if (last <= 90.0) {
    phi = std::fmod(phi, 180.0);
    if (phi > 90.0) phi = 180.0 - phi;
  } else if (last <= 180.0 && phi > 180.0) {
    phi = 360.0 - phi;
  }
  if (phi <= horizontal_.front()) return Sample(0, theta);
  if (phi >= last) return Sample(horizontal_.size() - 1, theta);
  const std::size_t i =
      std::size_t(std::upper_bound(horizontal_.begin(), horizontal_.end(), phi) - horizontal_.begin()) - 1;
  const double span = horizontal_[i + 1] - horizontal_[i];
  const double t = span > 0 ? (phi - horizontal_[i]) / span : 0;
  return Sample(i, theta) * (1 - t) + Sample(i + 1, theta) * t;
}

}  // namespace renderer
