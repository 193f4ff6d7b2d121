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
    {"Mmaterial", Mmaterial, false}, {"Mplugin", Mplugin, false}, {"Xbitmap", Xbitmap, false},
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
      bc->SetReal(CAMERA_FOCUS, 36.0f);                  // mm
      bc->SetReal(CAMERAOBJECT_APERTURE, 36.0f);         // film width, mm
      bc->SetReal(CAMERAOBJECT_TARGETDISTANCE, 2000.0f);
      bc->SetReal(CAMERAOBJECT_FILM_OFFSET_X, 0.0f);
      bc->SetReal(CAMERAOBJECT_FILM_OFFSET_Y, 0.0f);
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
      bc->SetReal(PRIM_SPHERE_RAD, 100.0f);
      bc->SetLong(PRIM_SPHERE_SUB, 24);
      bc->SetLong(PRIM_SPHERE_TYPE, PRIM_SPHERE_TYPE_STANDARD);
      break;
    case Ocube:
      bc->SetVector(PRIM_CUBE_LEN, Vector(200, 200, 200));
      bc->SetLong(PRIM_CUBE_SUBX, 1);
      bc->SetLong(PRIM_CUBE_SUBY, 1);
      bc->SetLong(PRIM_CUBE_SUBZ, 1);
      break;
    case Oplane:
      bc->SetReal(PRIM_PLANE_WIDTH, 400.0f);
      bc->SetReal(PRIM_PLANE_HEIGHT, 400.0f);
      bc->SetLong(PRIM_PLANE_SUBW, 20);
      bc->SetLong(PRIM_PLANE_SUBH, 20);
      bc->SetLong(PRIM_AXIS, PRIM_AXIS_YP);
      break;
    case Odisc:
      bc->SetReal(PRIM_DISC_IRAD, 0.0f);
      bc->SetReal(PRIM_DISC_ORAD, 100.0f);
      bc->SetLong(PRIM_DISC_SUB, 1);
      bc->SetLong(PRIM_DISC_CSUB, 36);
      bc->SetLong(PRIM_AXIS, PRIM_AXIS_YP);
      break;
    case Ocylinder:
      bc->SetReal(PRIM_CYLINDER_RADIUS, 50.0f);
      bc->SetReal(PRIM_CYLINDER_HEIGHT, 200.0f);
      bc->SetLong(PRIM_CYLINDER_HSUB, 1);
      bc->SetLong(PRIM_CYLINDER_SEG, 36);
      bc->SetLong(PRIM_AXIS, PRIM_AXIS_YP);
      break;
    default:
      break;
  }
}

}  // namespace host
