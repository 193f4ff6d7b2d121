#include "c4d_geometry.h"

SelectionTag* SelectionTag::Alloc(LONG type) {
  if (type != Tpolygonselection && type != Tpointselection) return nullptr;
  return new SelectionTag(type);
}
