#include "c4d_time.h"

#include <cmath>
#include <limits>
#include <numeric>

BaseTime::BaseTime(LReal seconds) {
  // Times given in seconds are kept to a thousandth of a frame at common rates.
  den_ = 3000;
  num_ = std::floor(seconds * den_ + 0.5);
  Reduce();
}

namespace {

LONG ClampToLong(long double frame) {
  if (frame <= std::numeric_limits<LONG>::min()) return std::numeric_limits<LONG>::min();
  if (frame >= std::numeric_limits<LONG>::max()) return std::numeric_limits<LONG>::max();
  return LONG(frame);
}

bool Whole(LReal value, LReal limit) { return value == std::floor(value) && std::fabs(value) < limit; }

}  // namespace

LONG BaseTime::GetFrame(LReal fps) const {
  if (den_ == 0) return 0;
  // A time of whole numbers at a whole frame rate gives its frame exactly: the quotient in
  // double precision drifts for large frames (2116709110 at 30 fps is kept as 1058354555/15,
  // and num / den * fps falls just short of it).
  if (Whole(num_, 9e15) && Whole(den_, 9e15) && Whole(fps, 1e6)) {
    __int128 n = __int128(static_cast<long long>(num_)) * static_cast<long long>(fps);
    __int128 d = static_cast<long long>(den_);
    if (d < 0) {
      n = -n;
      d = -d;
    }
    __int128 q = n / d;
    if (n % d != 0 && n < 0) q -= 1;
    return ClampToLong(static_cast<long double>(q));
  }
  return ClampToLong(std::floor(Get() * fps + 1e-9));
}

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
