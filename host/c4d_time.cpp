#include "c4d_time.h"

#include <cmath>
#include <numeric>

BaseTime::BaseTime(LReal seconds) {
  // Times given in seconds are kept to a thousandth of a frame at common rates.
  den_ = 3000;
  num_ = std::floor(seconds * den_ + 0.5);
  Reduce();
}

LONG BaseTime::GetFrame(LReal fps) const { return LONG(std::floor(Get() * fps + 1e-9)); }

void BaseTime::Reduce() {
  if (num_ != std::floor(num_) || den_ != std::floor(den_) || den_ == 0) return;
  if (std::fabs(num_) > 9e15 || std::fabs(den_) > 9e15) return;
  long long n = (long long)num_, d = (long long)den_;
  long long g = std::gcd(n < 0 ? -n : n, d < 0 ? -d : d);
  if (g > 1) {
    num_ = LReal(n / g);
    den_ = LReal(d / g);
  }
  if (den_ < 0) {
    num_ = -num_;
    den_ = -den_;
  }
}
