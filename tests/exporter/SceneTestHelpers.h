// Small builders and readers shared by the exporter's tests.
#pragma once
#include <tinyxml.h>

#include <string>

#include "c4d.h"

namespace testing_support {

// A polygon cube of 8 shared points and 6 outward quads, from -1 to 1 on every axis.
inline PolygonObject* MakePolygonCube(const char* name, const Vector& pos = Vector()) {
  PolygonObject* op = PolygonObject::Alloc(8, 6);
  op->SetName(name);
  op->SetPos(pos);
  const Vector corners[8] = {Vector(-1, -1, -1), Vector(1, -1, -1), Vector(1, 1, -1), Vector(-1, 1, -1),
                             Vector(-1, -1, 1),  Vector(1, -1, 1),  Vector(1, 1, 1),  Vector(-1, 1, 1)};
  for (int i = 0; i < 8; ++i) op->GetPointW()[i] = corners[i];
  const CPolygon faces[6] = {CPolygon(0, 3, 2, 1), CPolygon(4, 5, 6, 7), CPolygon(0, 4, 7, 3),
                             CPolygon(1, 2, 6, 5), CPolygon(3, 7, 6, 2), CPolygon(0, 1, 5, 4)};
  for (int i = 0; i < 6; ++i) op->GetPolygonW()[i] = faces[i];
  return op;
}

// The text of the parent's first child element of that name, or "<missing>".
inline std::string ChildText(const TiXmlElement* parent, const char* name) {
  const TiXmlElement* e = parent ? parent->FirstChildElement(name) : nullptr;
  return e && e->GetText() ? e->GetText() : "<missing>";
}

// The text of the element at a path of child elements such as "albedo/constant/rgb/rgb", or
// "(missing)".
inline std::string TextAtPath(const TiXmlElement* e, const std::string& path) {
  size_t start = 0;
  while (e && start <= path.size()) {
    const size_t slash = path.find('/', start);
    e = e->FirstChildElement(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start).c_str());
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return e && e->GetText() ? e->GetText() : "(missing)";
}

}  // namespace testing_support
