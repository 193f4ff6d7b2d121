#include <algorithm>

#include "c4d_geometry.h"

// The ranges are kept sorted, disjoint and never touching ([1,2] and [3,4] are held as [1,4]),
// so a selection has exactly one representation and GetRange hands out maximal runs.

namespace {

typedef std::pair<LONG, LONG> Range;

// Adds [a, b] to sorted, merged ranges, keeping them sorted and merged.
void AddRange(std::vector<Range>& ranges, LONG a, LONG b) {
  auto it = std::lower_bound(ranges.begin(), ranges.end(), a, [](const Range& r, LONG x) { return r.second < x; });
  // Ranges before it end before a; the previous one may still touch a.
  if (it != ranges.begin() && LLONG(std::prev(it)->second) + 1 == a) --it;
  LONG lo = a, hi = b;
  auto last = it;
  while (last != ranges.end() && LLONG(last->first) <= LLONG(hi) + 1) {
    lo = std::min(lo, last->first);
    hi = std::max(hi, last->second);
    ++last;
  }
  it = ranges.erase(it, last);
  ranges.insert(it, Range(lo, hi));
}

// Removes [a, b] from sorted, merged ranges.
void RemoveRange(std::vector<Range>& ranges, LONG a, LONG b) {
  std::vector<Range> out;
  out.reserve(ranges.size() + 1);
  for (const Range& r : ranges) {
    if (r.second < a || r.first > b) {
      out.push_back(r);
      continue;
    }
    if (r.first < a) out.push_back(Range(r.first, a - 1));
    if (r.second > b) out.push_back(Range(b + 1, r.second));
  }
  ranges.swap(out);
}

}  // namespace

LONG BaseSelect::GetCount() const {
  LLONG n = 0;
  for (const Range& r : ranges_) n += LLONG(r.second) - r.first + 1;
  return LONG(std::min<LLONG>(n, 0x7fffffff));
}

Bool BaseSelect::Select(LONG num) { return SelectAll(num, num); }

Bool BaseSelect::SelectAll(LONG min, LONG max) {
  if (min < 0 || max < min) return FALSE;
  AddRange(ranges_, min, max);
  return TRUE;
}

Bool BaseSelect::Deselect(LONG num) {
  if (num < 0) return FALSE;
  RemoveRange(ranges_, num, num);
  return TRUE;
}

Bool BaseSelect::DeselectAll() {
  ranges_.clear();
  return TRUE;
}

Bool BaseSelect::ToggleAll(LONG min, LONG max) {
  if (min < 0 || max < min) return FALSE;
  // The gaps of the selection inside [min, max] become its selected part there.
  std::vector<Range> gaps;
  LLONG next = min;
  for (const Range& r : ranges_) {
    if (r.second < min) continue;
    if (r.first > max) break;
    if (r.first > next) gaps.push_back(Range(LONG(next), r.first - 1));
    next = std::max<LLONG>(next, LLONG(r.second) + 1);
  }
  if (next <= max) gaps.push_back(Range(LONG(next), max));
  RemoveRange(ranges_, min, max);
  for (const Range& g : gaps) AddRange(ranges_, g.first, g.second);
  return TRUE;
}

Bool BaseSelect::IsSelected(LONG num) const {
  auto it = std::lower_bound(ranges_.begin(), ranges_.end(), num, [](const Range& r, LONG x) { return r.second < x; });
  return it != ranges_.end() && it->first <= num;
}

Bool BaseSelect::GetRange(LONG seg, LONG* a, LONG* b) const {
  if (seg < 0 || seg >= GetSegments() || !a || !b) return FALSE;
  *a = ranges_[size_t(seg)].first;
  *b = ranges_[size_t(seg)].second;
  return TRUE;
}

Bool BaseSelect::Merge(const BaseSelect* src) {
  if (!src) return FALSE;
  if (src == this) return TRUE;
  for (const Range& r : src->ranges_) AddRange(ranges_, r.first, r.second);
  return TRUE;
}

Bool BaseSelect::CopyTo(BaseSelect* dest) const {
  if (!dest) return FALSE;
  dest->ranges_ = ranges_;
  return TRUE;
}
