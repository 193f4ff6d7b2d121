// The value of a bitmap button parameter: which node's picture the button shows. The host
// asks the node for the picture itself with MSG_DESCRIPTION_GETBITMAP.
#pragma once
#include "c4d_baselist.h"

enum { CUSTOMDATATYPE_BITMAPBUTTON = 1001053 };

struct BitmapButtonStruct {
  BitmapButtonStruct(BaseList2D* op_ = nullptr, LONG id_ = 0, LONG dirty_ = 0) : op(op_), id(id_), dirty(dirty_) {}
  BaseList2D* op;
  LONG id;
  LONG dirty;  // raised to make the view fetch a new picture
};

// The button as a parameter value: a container of the custom data type holding the node (1),
// the parameter id (2) and the dirty count (3).
inline GeData BitmapButtonData(const BitmapButtonStruct& bb) {
  BaseContainer bc(CUSTOMDATATYPE_BITMAPBUTTON);
  bc.SetLink(1, bb.op);
  bc.SetLong(2, bb.id);
  bc.SetLong(3, bb.dirty);
  return GeData(bc);
}

// The button held in a parameter value; a button without a node when the value holds none.
inline BitmapButtonStruct GetBitmapButton(const GeData& data) {
  const BaseContainer* bc = data.GetContainer();
  if (!bc || bc->GetId() != CUSTOMDATATYPE_BITMAPBUTTON) return BitmapButtonStruct();
  return BitmapButtonStruct(bc->GetLink(1, nullptr), bc->GetLong(2), bc->GetLong(3));
}
