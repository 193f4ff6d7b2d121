#include "FileFrame.h"

#include <assimp/scene.h>

#include <cctype>
#include <cmath>
#include <cstdio>

namespace host {
namespace import {

namespace {

std::string LowerSuffix(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  std::string s = path.substr(dot + 1);
  for (char& c : s) c = char(std::tolower((unsigned char)c));
  return s;
}

// A number of the scene's metadata, whatever numeric type the reader stored it as.
bool MetaNumber(const aiScene& scene, const char* key, double* value) {
  const aiMetadata* md = scene.mMetaData;
  if (!md) return false;
  for (unsigned i = 0; i < md->mNumProperties; i++) {
    if (std::string(md->mKeys[i].C_Str()) != key) continue;
    const aiMetadataEntry& e = md->mValues[i];
    if (!e.mData) return false;
    switch (e.mType) {
      case AI_INT32: *value = *static_cast<const int32_t*>(e.mData); return true;
      case AI_UINT64: *value = double(*static_cast<const uint64_t*>(e.mData)); return true;
      case AI_FLOAT: *value = *static_cast<const float*>(e.mData); return true;
      case AI_DOUBLE: *value = *static_cast<const double*>(e.mData); return true;
      default: return false;
    }
  }
  return false;
}

std::string MetaString(const aiScene& scene, const char* key) {
  aiString value;
  return scene.mMetaData && scene.mMetaData->Get(key, value) ? std::string(value.C_Str()) : std::string();
}

int MetaInt(const aiScene& scene, const char* key, int fallback) {
  double v = 0;
  return MetaNumber(scene, key, &v) && std::isfinite(v) ? int(v) : fallback;
}

// FBX global settings: which file axis is up, which points to the front and which to the
// right, each with a sign. The matrix maps them to +y, +z and +x.
aiMatrix4x4 FbxAxes(const aiScene& scene) {
  const int up = MetaInt(scene, "UpAxis", 1), upSign = MetaInt(scene, "UpAxisSign", 1);
  const int front = MetaInt(scene, "FrontAxis", 2), frontSign = MetaInt(scene, "FrontAxisSign", 1);
  const int coord = MetaInt(scene, "CoordAxis", 0), coordSign = MetaInt(scene, "CoordAxisSign", 1);
  aiMatrix4x4 m;
  const bool valid = up >= 0 && up < 3 && front >= 0 && front < 3 && coord >= 0 && coord < 3 && up != front &&
                     up != coord && front != coord && std::abs(upSign) == 1 && std::abs(frontSign) == 1 &&
                     std::abs(coordSign) == 1;
  if (!valid) return m;
  for (unsigned r = 0; r < 3; r++)
    for (unsigned c = 0; c < 3; c++) m[r][c] = 0;
  m[0][coord] = ai_real(coordSign);
  m[1][up] = ai_real(upSign);
  m[2][front] = ai_real(frontSign);
  return m;
}

}  // namespace

FileFrame ReadFileFrame(const aiScene& scene, const std::string& path) {
  FileFrame f;
  const std::string suffix = LowerSuffix(path);
  if (suffix == "gltf" || suffix == "glb" || suffix == "x3d" || suffix == "x3db") {
    f.source = "metres (the format's unit)";
  } else if (suffix == "dae" || suffix == "zae") {
    f.source = "metres (the file's unit, applied by the reader)";
  } else if (suffix == "3mf" || suffix == "amf") {
    f.metresPerUnit = 0.001f;
    f.source = "millimetres (the format's unit)";
  } else if (suffix == "fbx") {
    double cm = 1;
    if (MetaNumber(scene, "UnitScaleFactor", &cm) && std::isfinite(cm) && cm > 0) {
      f.metresPerUnit = Real(cm * 0.01);
      char text[64];
      std::snprintf(text, sizeof text, "1 unit = %g cm (the file's unit)", cm);
      f.source = text;
    } else {
      f.metresPerUnit = 0.01f;
      f.source = "centimetres (the format's unit)";
    }
    f.axes = FbxAxes(scene);
  } else {
    f.source = "metres (the file names no unit)";
  }
  f.viewsAtNodeOrigin = suffix == "gltf" || suffix == "glb" || suffix == "3ds";
  f.fovIsVerticalTimesAspect = MetaString(scene, "SourceAsset_Format") == "glTF2 Importer";
  return f;
}

}  // namespace import
}  // namespace host
