#include "ThreeDsCameras.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace host {
namespace import {

namespace {

// Chunk ids of the 3DS format.
enum : uint16_t {
  kMain = 0x4D4D,
  kEditor = 0x3D3D,
  kObject = 0x4000,
  kCamera = 0x4700,
  kKeyframer = 0xB000,
  kCameraNode = 0xB003,
  kTargetNode = 0xB004,
  kNodeHeader = 0xB010,
  kPositionTrack = 0xB020,
  kRollTrack = 0xB024,
};

// A bounded little-endian reader over [at, end) of the file's bytes.
class Bytes {
 public:
  Bytes(const std::string& data, size_t at, size_t end) : data_(data), at_(at), end_(std::min(end, data.size())) {}
  bool Has(size_t n) const { return at_ <= end_ && end_ - at_ >= n; }
  size_t At() const { return at_; }
  void Skip(size_t n) { at_ = Has(n) ? at_ + n : end_; }
  uint16_t U16() { return uint16_t(Unsigned(2)); }
  uint32_t U32() { return uint32_t(Unsigned(4)); }
  float F32() {
    const uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  aiVector3D Vec() {
    const float x = F32(), y = F32(), z = F32();
    return aiVector3D(x, y, z);
  }
  std::string CString() {
    std::string s;
    while (at_ < end_ && data_[at_] != '\0') s += data_[at_++];
    Skip(1);
    return s;
  }

 private:
  uint64_t Unsigned(size_t n) {
    if (!Has(n)) {
      at_ = end_;
      return 0;
    }
    uint64_t v = 0;
    for (size_t k = 0; k < n; k++) v |= uint64_t((unsigned char)data_[at_ + k]) << (8 * k);
    at_ += n;
    return v;
  }
  const std::string& data_;
  size_t at_, end_;
};

struct Chunk {
  uint16_t id;
  size_t body, end;  // the body after the six-byte header, and the chunk's end
};

// The chunks inside [at, end), each within its parent.
std::vector<Chunk> Children(const std::string& data, size_t at, size_t end) {
  std::vector<Chunk> out;
  Bytes r(data, at, end);
  while (r.Has(6)) {
    const size_t start = r.At();
    const uint16_t id = r.U16();
    const uint32_t length = r.U32();
    if (length < 6 || length > end - start) break;
    out.push_back(Chunk{id, start + 6, start + length});
    r.Skip(length - 6);
  }
  return out;
}

// A track: flags, two unknown words, the key count, then per key its frame, spline flags
// (each of the five low bits adds a float: tension, continuity, bias, ease to, ease from)
// and `width` floats of value.
std::vector<ThreeDsKey> ReadTrack(const std::string& data, const Chunk& c, int width) {
  Bytes r(data, c.body, c.end);
  r.Skip(2 + 4 + 4);
  const uint32_t count = r.U32();
  std::vector<ThreeDsKey> keys;
  for (uint32_t k = 0; k < count && r.Has(6); k++) {
    ThreeDsKey key;
    key.frame = r.U32();
    const uint16_t spline = r.U16();
    for (int bit = 0; bit < 5; bit++)
      if (spline & (1 << bit)) r.Skip(4);
    if (!r.Has(4 * size_t(width))) break;
    key.value = width == 3 ? r.Vec() : aiVector3D(r.F32(), 0, 0);
    if (std::isfinite(key.value.x) && std::isfinite(key.value.y) && std::isfinite(key.value.z)) keys.push_back(key);
  }
  std::stable_sort(keys.begin(), keys.end(), [](const ThreeDsKey& a, const ThreeDsKey& b) { return a.frame < b.frame; });
  return keys;
}

void ReadEditor(const std::string& data, const Chunk& editor, std::map<std::string, ThreeDsCamera>& cameras) {
  for (const Chunk& object : Children(data, editor.body, editor.end)) {
    if (object.id != kObject) continue;
    Bytes r(data, object.body, object.end);
    const std::string name = r.CString();
    for (const Chunk& c : Children(data, r.At(), object.end)) {
      if (c.id != kCamera) continue;
      Bytes cam(data, c.body, c.end);
      if (!cam.Has(32)) continue;
      ThreeDsCamera& out = cameras[name];
      out.position = cam.Vec();
      out.target = cam.Vec();
      out.roll = cam.F32();
    }
  }
}

void ReadKeyframer(const std::string& data, const Chunk& keyframer, std::map<std::string, ThreeDsCamera>& cameras) {
  for (const Chunk& node : Children(data, keyframer.body, keyframer.end)) {
    if (node.id != kCameraNode && node.id != kTargetNode) continue;
    const std::vector<Chunk> parts = Children(data, node.body, node.end);
    std::string name;
    for (const Chunk& p : parts)
      if (p.id == kNodeHeader) name = Bytes(data, p.body, p.end).CString();
    const auto it = cameras.find(name);
    if (it == cameras.end()) continue;
    for (const Chunk& p : parts) {
      if (p.id == kPositionTrack) (node.id == kCameraNode ? it->second.positionKeys : it->second.targetKeys) = ReadTrack(data, p, 3);
      if (p.id == kRollTrack && node.id == kCameraNode) it->second.rollKeys = ReadTrack(data, p, 1);
    }
  }
}

}  // namespace

std::map<std::string, ThreeDsCamera> ReadThreeDsCameras(const std::string& path) {
  std::map<std::string, ThreeDsCamera> cameras;
  std::ifstream in(path, std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const Chunk& main : Children(data, 0, data.size())) {
    if (main.id != kMain) continue;
    const std::vector<Chunk> sections = Children(data, main.body, main.end);
    // Cameras are defined in the editor section; the keyframer animates them by name.
    for (const Chunk& s : sections)
      if (s.id == kEditor) ReadEditor(data, s, cameras);
    for (const Chunk& s : sections)
      if (s.id == kKeyframer) ReadKeyframer(data, s, cameras);
  }
  return cameras;
}

aiVector3D TrackValue(const std::vector<ThreeDsKey>& keys, double frame) {
  if (keys.empty()) return aiVector3D();
  if (frame <= keys.front().frame) return keys.front().value;
  if (frame >= keys.back().frame) return keys.back().value;
  const auto next = std::upper_bound(keys.begin(), keys.end(), frame, [](double f, const ThreeDsKey& k) { return f < k.frame; });
  const ThreeDsKey& a = *(next - 1);
  const ThreeDsKey& b = *next;
  const double t = b.frame > a.frame ? (frame - a.frame) / (b.frame - a.frame) : 0.0;
  return a.value + (b.value - a.value) * ai_real(t);
}

}  // namespace import
}  // namespace host
