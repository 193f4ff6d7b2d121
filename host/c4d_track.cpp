#include "c4d_track.h"

#include <algorithm>

CTrack* CTrack::Alloc(BaseList2D* node, LONG target, LONG component) {
  CTrack* t = new CTrack(target, component);
  if (node) node->GetCTrackRoot()->InsertLast(t);
  return t;
}

void CTrack::AddKey(const BaseTime& t, Real value) {
  auto it = std::lower_bound(keys_.begin(), keys_.end(), t, [](const CKey& k, const BaseTime& x) { return k.time < x; });
  SetDirty(DIRTY_DATA);
  if (it != keys_.end() && it->time == t) {
    it->value = value;
    return;
  }
  keys_.insert(it, CKey{t, value});
}

Real CTrack::GetValue(const BaseTime& t) const {
  if (keys_.empty()) return 0;
  const LReal x = t.Get();
  if (x <= keys_.front().time.Get()) return keys_.front().value;
  if (x >= keys_.back().time.Get()) return keys_.back().value;
  for (size_t i = 1; i < keys_.size(); i++) {
    const LReal t1 = keys_[i].time.Get();
    if (x <= t1) {
      const LReal t0 = keys_[i - 1].time.Get();
      const LReal f = t1 > t0 ? (x - t0) / (t1 - t0) : 1.0;
      return Real(keys_[i - 1].value + (keys_[i].value - keys_[i - 1].value) * f);
    }
  }
  return keys_.back().value;
}
