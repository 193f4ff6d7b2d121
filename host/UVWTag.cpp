#include "c4d_geometry.h"

#include <new>

UVWTag* UVWTag::Alloc(LONG count) {
  UVWTag* tag = new UVWTag();
  if (!tag->Resize(count)) UVWTag::Free(tag);
  return tag;
}

// Out-of-range entries read as all zero and are not written: a stale index never reaches
// memory outside the tag.
void UVWTag::Get(LONG i, UVWStruct& res) const {
  res = i >= 0 && i < GetDataCount() ? uvw_[size_t(i)] : UVWStruct();
}

void UVWTag::Set(LONG i, const UVWStruct& s) {
  if (i < 0 || i >= GetDataCount()) return;
  uvw_[size_t(i)] = s;
  SetDirty(DIRTY_DATA);
}

// Memory that cannot be had is a FALSE result, never an exception through the plug-in.
Bool UVWTag::Resize(LONG count) {
  if (count < 0) return FALSE;
  SetDirty(DIRTY_DATA);
  try {
    uvw_.resize(size_t(count));
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}
