// A node's parameter description: what the attribute view shows and hides.
#pragma once
#include <string>
#include <vector>
#include "c4d_basecontainer.h"
#include "c4d_baselist.h"

// Entries of a parameter's description container.
enum {
  DESC_NAME = 1,         // String: the label
  DESC_SHORT_NAME = 2,   // String
  DESC_MIN = 5,          // Real
  DESC_MAX = 6,          // Real
  DESC_STEP = 9,         // Real
  DESC_PARENTGROUP = 13, // LONG: the id of the group the parameter sits in, 0 at the top
  DESC_CYCLE = 14,       // container: value id -> label of a cycle's entries
  DESC_HIDE = 15,        // Bool: the attribute view leaves the parameter (or group) out
  DESC_DEFAULT = 16,
  DESC_CUSTOMGUI = 21,   // LONG: the gadget that edits the value
};

// Data types of description elements: the id of an element's description container.
enum {
  DTYPE_NONE = 0,
  DTYPE_GROUP = 1,
  DTYPE_BUTTON = 8,
  DTYPE_SEPARATOR = 11,
  DTYPE_STATICTEXT = 12,
  DTYPE_LONG = 15,
  DTYPE_REAL = 19,
  DTYPE_VECTOR = 23,
  DTYPE_STRING = 130,
  DTYPE_FILENAME = 131,
  DTYPE_BASELISTLINK = 133,
  DTYPE_BOOL = 400006001,
};

// Gadgets of DESC_CUSTOMGUI.
enum { CUSTOMGUI_CYCLE = 200000281 };

// The description container of a new element of the given data type.
BaseContainer GetCustomDataTypeDefault(LONG type);

// One level of a parameter address: the parameter's id, data type and creator.
struct DescLevel {
  LONG id;
  LONG dtype;
  LONG creator;
  DescLevel(LONG id_, LONG dtype_ = 0, LONG creator_ = 0) : id(id_), dtype(dtype_), creator(creator_) {}
  operator DescID() const { return DescID(id); }
};

// Messages the attribute view sends a node about its description (GeListNode::Message).
enum {
  MSG_DESCRIPTION_COMMAND = 18,    // a button was pressed: DescriptionCommand
  MSG_DESCRIPTION_GETBITMAP = 27,  // a bitmap button asks for its image: DescriptionGetBitmap
};
struct DescriptionCommand {
  DescID id;
};
class BaseBitmap;
// The node hands over a new bitmap, or leaves bmp null; the host owns and frees it.
struct DescriptionGetBitmap {
  DescID id;
  BaseBitmap* bmp = nullptr;
};

// The value of a bitmap button parameter: the node and the parameter whose image it shows,
// and a count that changes when the image does.
enum { CUSTOMDATATYPE_BITMAPBUTTON = 1001053 };
struct BitmapButtonStruct : CustomDataType {
  BitmapButtonStruct(BaseList2D* op_, const DescID& id_, LONG dirty_) : op(op_), id(id_), dirty(dirty_) {}
  CustomDataType* Clone() const override { return new BitmapButtonStruct(*this); }
  BaseList2D* op;
  DescID id;
  LONG dirty;
};

class Description {
 public:
  // Loads the description resource registered for a node type; FALSE when there is none.
  // Every element starts shown.
  Bool LoadDescription(LONG type);
  // The description container of a parameter, or null when the description has none.
  BaseContainer* GetParameterI(const DescID& id, AtomArray* ar = nullptr);
  // Adds a parameter's description, or replaces the one with the same id in its place. A
  // non-zero groupid sets the parameter's parent group. FALSE for the id 0, which names no
  // parameter.
  Bool SetParameter(const DescID& id, const BaseContainer& param, const DescID& groupid);

  // Host side.
  LONG GetParameterCount() const { return LONG(params_.size()); }
  // The parameters in layout order.
  const std::vector<std::pair<LONG, BaseContainer>>& GetParameters() const { return params_; }
  LONG GetLoadedType() const { return loaded_; }
  // The symbol the resource gives the parameter ("CAMERATAG_BURN"), or "#" and the id.
  std::string GetSymbol(LONG id) const;
  // The symbol of a cycle value of the parameter, or an empty string when the resource
  // names no such value.
  std::string GetCycleSymbol(LONG id, LONG value) const;
  // Whether the attribute view shows the parameter: neither it nor a group it sits in is
  // hidden.
  bool IsShown(LONG id) const;
  // How deep the parameter sits in groups (0 at the top).
  int GetGroupDepth(LONG id) const;

 private:
  const BaseContainer* Find(LONG id) const;
  std::vector<std::pair<LONG, BaseContainer>> params_;
  LONG loaded_ = 0;
};
