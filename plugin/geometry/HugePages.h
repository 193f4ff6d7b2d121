// Large arrays that are filled once from start to end (the mesh's triangles, the lookup tables)
// take a page fault for every 4 KiB they grow by, and the faults cost as much as the filling.
// Backed by 2 MiB pages they take one fault per 2 MiB. The kernel honours the advice only
// where transparent huge pages are on "madvise" or "always"; elsewhere it changes nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace geometry {

// Advises huge pages for the whole 2 MiB pages inside [data, data + bytes), before they are
// touched. Blocks smaller than a few huge pages are left as they are.
inline void AdviseHugePages(const void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  const uintptr_t huge = uintptr_t(1) << 21;
  if (!data || bytes < 4 * huge) return;
  const uintptr_t begin = (uintptr_t(data) + huge - 1) & ~(huge - 1);
  const uintptr_t end = (uintptr_t(data) + bytes) & ~(huge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

// Reserves room for `count` elements (untouched yet) and advises huge pages for it.
template <typename T>
void ReserveLarge(std::vector<T>& v, size_t count) {
  v.reserve(count);
  AdviseHugePages(v.data(), v.capacity() * sizeof(T));
}

}  // namespace geometry
