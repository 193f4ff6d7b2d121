// An IESNA LM-63 photometric file (.ies): the candela distribution of a luminaire over
// vertical angles (0 at the nadir, the luminaire's axis) and horizontal angles around it.
// The checks read it to tell a good file from a broken one; the drawing shapes an emitter's
// radiance with it.
#pragma once
#include <string>
#include <vector>

namespace renderer {

class IesProfile {
 public:
  // Reads the file. On failure returns false and sets error to one sentence saying what is
  // wrong and where (line of the file).
  bool Read(const std::string& path, std::string& error);
  // The same from text in memory; `name` stands for the file in messages.
  bool Parse(const std::string& text, const std::string& name, std::string& error);

  // Candela in the direction at vertical angle theta and horizontal angle phi (degrees),
  // interpolated bilinearly; the symmetries the file's horizontal angles imply are applied.
  double Candela(double thetaDegrees, double phiDegrees) const;
  double MaxCandela() const { return maxCandela_; }
  const std::vector<double>& VerticalAngles() const { return vertical_; }
  const std::vector<double>& HorizontalAngles() const { return horizontal_; }

 private:
  double Sample(std::size_t h, double theta) const;

  std::vector<double> vertical_, horizontal_;
  std::vector<double> candela_;  // horizontal-major: candela_[h * vertical_.size() + v]
  double maxCandela_ = 0;
};

}  // namespace renderer
