// The host's time: a reduced fraction of seconds.
#pragma once
#include "ge_math.h"

class BaseTime {
 public:
  BaseTime() = default;
  BaseTime(LReal seconds);
  BaseTime(LReal numerator, LReal denominator) : num_(numerator), den_(denominator) {}
  LReal Get() const { return den_ == 0 ? 0 : num_ / den_; }
  LReal GetNumerator() const { return num_; }
  LReal GetDenominator() const { return den_; }
  void SetNumerator(LReal n) { num_ = n; }
  void SetDenominator(LReal d) { den_ = d; }
  // The frame at the given frame rate, rounded down.
  LONG GetFrame(LReal fps) const;
  // Divides numerator and denominator by their greatest common divisor.
  void Reduce();
  bool operator==(const BaseTime& o) const { return num_ * o.den_ == o.num_ * den_; }
  bool operator!=(const BaseTime& o) const { return !(*this == o); }
  bool operator<(const BaseTime& o) const { return Get() < o.Get(); }

 private:
  LReal num_ = 0, den_ = 1;
};
