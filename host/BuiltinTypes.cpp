#include "host/BuiltinTypes.h"

#include <map>

namespace host {

namespace {

struct TypeName {
  const char* name;
  LONG type;
  bool object;
};

const TypeName kTypes[] = {
    {"Opolygon", Opolygon, true}, {"Ospline", Ospline, true},   {"Olight", Olight, true},
    {"Ocamera", Ocamera, true},   {"Onull", Onull, true},       {"Ocube", Ocube, true},
    {"Osphere", Osphere, true},   {"Oplatonic", Oplatonic, true}, {"Ocone", Ocone, true},
    {"Otorus", Otorus, true},     {"Odisc", Odisc, true},       {"Otube", Otube, true},
    {"Opyramid", Opyramid, true}, {"Oplane", Oplane, true},     {"Ofigure", Ofigure, true},
    {"Ocylinder", Ocylinder, true},
    {"Tphong", Tphong, false},    {"Ttexture", Ttexture, false}, {"Tuvw", Tuvw, false},
    {"Tpolygonselection", Tpolygonselection, false}, {"Tpointselection", Tpointselection, false},
    {"Tmotionblur", Tmotionblur, false}, {"Tcompositing", Tcompositing, false},
    {"Ttarget", Ttarget, false},
    {"Mmaterial", Mmaterial, false}, {"Xbitmap", Xbitmap, false},
};

}  // namespace

bool IsBuiltinObjectType(LONG type) {
  for (const TypeName& t : kTypes)
    if (t.object && t.type == type) return true;
  return false;
}

bool IsBuiltinTagType(LONG type) {
  for (const TypeName& t : kTypes)
    if (!t.object && t.name[0] == 'T' && t.type == type) return true;
  return false;
}

bool LookupBuiltinType(const std::string& name, LONG* type) {
  for (const TypeName& t : kTypes)
    if (name == t.name) {
      *type = t.type;
      return true;
    }
  return false;
}

std::string BuiltinTypeName(LONG type) {
  for (const TypeName& t : kTypes)
    if (t.type == type) return t.name;
  return std::string();
}

void InitBuiltinObject(BaseObject* op) {
  BaseContainer* bc = op->GetDataInstance();
  switch (op->GetType()) {
    case Ocamera:
      bc->SetReal(500, 36.0f);    // focal length, mm
      bc->SetReal(1006, 36.0f);   // film width, mm
      bc->SetReal(1010, 2000.0f); // focus distance
      bc->SetReal(1118, 0.0f);    // horizontal film offset
      bc->SetReal(1119, 0.0f);    // vertical film offset
      break;
    case Olight:
      bc->SetVector(90000, Vector(1, 1, 1));  // colour
      bc->SetReal(90001, 1.0f);               // brightness
      bc->SetLong(90002, 0);                  // type: omni
      bc->SetReal(100010, 200.0f);            // area size x, y, z
      bc->SetReal(100011, 200.0f);
      bc->SetReal(100012, 200.0f);
      bc->SetLong(100015, 1);                 // area shape: rectangle
      break;
    case Osphere:
      bc->SetReal(1110, 100.0f);  // radius
      bc->SetLong(1111, 24);      // segments
      bc->SetLong(1112, 0);       // sphere type
      break;
    case Ocube:
      bc->SetVector(1100, Vector(200, 200, 200));
      break;
    case Oplane:
      bc->SetReal(1230, 400.0f);
      bc->SetReal(1231, 400.0f);
      bc->SetLong(1232, 20);
      bc->SetLong(1233, 20);
      bc->SetLong(1300, 2);  // orientation +Y
      break;
    case Odisc:
      bc->SetReal(1160, 0.0f);    // inner radius
      bc->SetReal(1161, 100.0f);  // outer radius
      bc->SetLong(1162, 1);
      bc->SetLong(1163, 36);
      bc->SetLong(1300, 2);
      break;
    case Ocylinder:
      bc->SetReal(5000, 50.0f);
      bc->SetReal(5005, 200.0f);
      bc->SetLong(5008, 36);
      bc->SetLong(1300, 2);
      break;
    default:
      break;
  }
}

}  // namespace host
