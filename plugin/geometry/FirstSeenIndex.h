// Exact float keys and the table that numbers them in first-seen order, for the mesh builder.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "geometry/HugePages.h"
#include "geometry/KyranoMesh.h"

namespace geometry {

// Keys are equal when their floats compare equal one by one, as an ordered map with exact
// float comparison sees them: +0 and -0 are one key. NaNs (which such a map cannot order)
// are equal only to the same bits.
inline uint32_t KeyBits(float f) {
  if (f == 0.0f) return 0;
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

inline bool SameFloat(float a, float b) { return a == b || (a != a && b != b && KeyBits(a) == KeyBits(b)); }

// Three floats compared one by one as above.
inline bool SameVec3(const Kyrano::Vec3f& a, const Kyrano::Vec3f& b) {
  return SameFloat(a.x, b.x) && SameFloat(a.y, b.y) && SameFloat(a.z, b.z);
}

// The same float bits: what a stored value must match to be written in its place.
inline bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return h;
}

inline uint64_t Pair(float a, float b) { return (uint64_t(KeyBits(a)) << 32) | KeyBits(b); }

// Hands out indices in first-seen order for the keys of a store: a key seen before gets its
// index again, a new key is appended to the store and gets the next one. The store holds the
// keys themselves (`At`, `Append`) and says how to hash and compare them (`Hash`, `Same`).
// Open addressing with linear probing; each slot holds the upper half of the key's hash and
// its index + 1 (0 marks a free slot), so most probes that miss never touch the store.
template <typename Store>
class FirstSeenIndex {
 public:
  using Key = typename Store::Key;

  FirstSeenIndex(Store store, size_t expected) : store_(store) {
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    ReserveLarge(slots_, capacity);
    slots_.assign(capacity, 0);
  }

  // Brings the slot where `hash` starts probing into the cache ahead of its Find. The
  // compiler drops a __builtin_prefetch whose loop does nothing else it can see, so on x86
  // the instruction is written out.
  void Prefetch(uint64_t hash) const {
    const uint64_t* slot = &slots_[size_t(hash) & (slots_.size() - 1)];
#if defined(__x86_64__) || defined(__i386__)
    asm volatile("prefetcht0 %0" : : "m"(*slot));
#else
    __builtin_prefetch(slot);
#endif
  }

  uint32_t Find(const Key& key) { return Find(key, Store::Hash(key)); }

  // `hash` is Store::Hash(key).
  uint32_t Find(const Key& key, uint64_t hash) {
    const uint64_t tag = hash >> 32;
    const size_t mask = slots_.size() - 1;
    for (size_t slot = size_t(hash) & mask;; slot = (slot + 1) & mask) {
      const uint64_t s = slots_[slot];
      if (s == 0) {
        const uint32_t index = store_.Append(key);
        slots_[slot] = (tag << 32) | (uint64_t(index) + 1);
        if (++count_ * 2 > slots_.size()) Grow();
        return index;
      }
      if ((s >> 32) == tag && Store::Same(store_.At(uint32_t(s) - 1), key)) return uint32_t(s) - 1;
    }
  }

  Store& store() { return store_; }

 private:
  void Grow() {
    std::vector<uint64_t> old;
    old.swap(slots_);
    ReserveLarge(slots_, old.size() * 2);
    slots_.assign(old.size() * 2, 0);
    const size_t mask = slots_.size() - 1;
    for (uint64_t s : old) {
      if (s == 0) continue;
      size_t slot = size_t(Store::Hash(store_.At(uint32_t(s) - 1))) & mask;
      while (slots_[slot] != 0) slot = (slot + 1) & mask;
      slots_[slot] = s;
    }
  }

  Store store_;
  std::vector<uint64_t> slots_;
  size_t count_ = 0;
};

}  // namespace geometry
