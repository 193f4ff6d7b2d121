#include "AnimationImporter.h"

#include <assimp/anim.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ImportAxes.h"

namespace host {
namespace import {

namespace {

// Longest animation imported, in frames; longer ones are cut with a warning.
const LONG kMaxFrames = 100000;

bool Finite(const aiVector3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool Finite(const aiQuaternion& q) {
  return std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) &&
         (q.w != 0 || q.x != 0 || q.y != 0 || q.z != 0);
}

// The keys of one kind, sorted by time, without the ones that are not numbers.
template <typename Key>
std::vector<Key> CleanKeys(const Key* keys, unsigned count, size_t* dropped) {
  std::vector<Key> out;
  if (!keys) return out;
  out.reserve(count);
  for (unsigned i = 0; i < count; i++) {
    if (std::isfinite(keys[i].mTime) && Finite(keys[i].mValue)) out.push_back(keys[i]);
    else (*dropped)++;
  }
  std::stable_sort(out.begin(), out.end(), [](const Key& a, const Key& b) { return a.mTime < b.mTime; });
  return out;
}

// The segment [i - 1, i] holding time t, and how far along it t lies.
template <typename Key>
size_t Segment(const std::vector<Key>& keys, double t, double* f) {
  const auto it = std::upper_bound(keys.begin(), keys.end(), t, [](double x, const Key& k) { return x < k.mTime; });
  const size_t i = size_t(it - keys.begin());
  const double t0 = keys[i - 1].mTime, t1 = keys[i].mTime;
  *f = t1 > t0 ? (t - t0) / (t1 - t0) : 1.0;
  return i;
}

aiVector3D SampleVector(const std::vector<aiVectorKey>& keys, double t, const aiVector3D& rest) {
  if (keys.empty()) return rest;
  if (t <= keys.front().mTime) return keys.front().mValue;
  if (t >= keys.back().mTime) return keys.back().mValue;
  double f;
  const size_t i = Segment(keys, t, &f);
  return keys[i - 1].mValue + (keys[i].mValue - keys[i - 1].mValue) * ai_real(f);
}

aiQuaternion SampleRotation(const std::vector<aiQuatKey>& keys, double t, const aiQuaternion& rest) {
  if (keys.empty()) return rest;
  if (t <= keys.front().mTime) return keys.front().mValue;
  if (t >= keys.back().mTime) return keys.back().mValue;
  double f;
  const size_t i = Segment(keys, t, &f);
  aiQuaternion q;
  aiQuaternion::Interpolate(q, keys[i - 1].mValue, keys[i].mValue, ai_real(f));
  return q.Normalize();
}

Real Component(const Vector& v, int c) { return c == 0 ? v.x : c == 1 ? v.y : v.z; }

// Keys of one component: the first and last frame, and every frame between whose value a
// straight line from the previous key to the next frame would not give.
void AddKeys(CTrack* track, const std::vector<Real>& values, LONG first, LONG fps) {
  const size_t n = values.size();
  Real lo = values[0], hi = values[0];
  for (Real v : values) lo = std::min(lo, v), hi = std::max(hi, v);
  const Real tolerance = 1e-5f * std::max(1.0f, std::max(std::fabs(lo), std::fabs(hi)));
  auto key = [&](size_t i) {
    BaseTime t{LReal(first + LONG(i)), LReal(fps)};
    t.Reduce();
    track->AddKey(t, values[i]);
  };
  key(0);
  size_t last = 0;
  for (size_t i = 1; i + 1 < n; i++) {
    const Real f = Real(i - last) / Real(i + 1 - last);
    const Real line = values[last] + (values[i + 1] - values[last]) * f;
    if (std::fabs(values[i] - line) > tolerance) {
      key(i);
      last = i;
    }
  }
  if (n > 1) key(n - 1);
}

}  // namespace

AnimationImporter::AnimationImporter(const ImportContext& ctx) : ctx_(ctx) {
  const aiScene& scene = *ctx.scene;
  if (scene.mNumAnimations == 0 || !scene.mAnimations || !scene.mAnimations[0]) return;
  const aiAnimation* anim = scene.mAnimations[0];
  if (scene.mNumAnimations > 1)
    ctx.Warn("", "the file holds " + std::to_string(scene.mNumAnimations) + " animations; only the first (\"" +
                     std::string(anim->mName.C_Str()) + "\") is imported");
  if (anim->mNumMeshChannels || anim->mNumMorphMeshChannels)
    ctx.Warn("", "mesh and morph animation is not imported; only the motion of the nodes");
  double lo = 0, hi = 0;
  bool any = false;
  auto take = [&](double t) {
    if (!std::isfinite(t)) return;
    lo = any ? std::min(lo, t) : t;
    hi = any ? std::max(hi, t) : t;
    any = true;
  };
  for (unsigned i = 0; i < anim->mNumChannels && anim->mChannels; i++) {
    const aiNodeAnim* ch = anim->mChannels[i];
    if (!ch) continue;
    channels_.emplace(ch->mNodeName.C_Str(), ch);
    for (unsigned k = 0; ch->mPositionKeys && k < ch->mNumPositionKeys; k++) take(ch->mPositionKeys[k].mTime);
    for (unsigned k = 0; ch->mRotationKeys && k < ch->mNumRotationKeys; k++) take(ch->mRotationKeys[k].mTime);
    for (unsigned k = 0; ch->mScalingKeys && k < ch->mNumScalingKeys; k++) take(ch->mScalingKeys[k].mTime);
  }
  if (!any) return;
  anim_ = anim;
  // Files that give no rate count ticks in frames of 25 per second.
  ticksPerSecond_ = std::isfinite(anim->mTicksPerSecond) && anim->mTicksPerSecond > 0 ? anim->mTicksPerSecond : 25.0;
  // A rate that is a plausible frame rate becomes the document's; ticks of seconds or
  // milliseconds keep the host's 30 frames per second.
  const double r = ticksPerSecond_;
  fps_ = r >= 10 && r <= 120 && std::floor(r) == r ? LONG(r) : 30;
  const double f0 = std::floor(lo / ticksPerSecond_ * fps_ + 1e-6), f1 = std::ceil(hi / ticksPerSecond_ * fps_ - 1e-6);
  if (f0 < -1e9 || f1 > 1e9) ctx.Fail("", "the animation's key times are out of range");
  first_ = LONG(f0);
  last_ = std::max(first_, LONG(f1));
  if (last_ - first_ > kMaxFrames) {
    ctx.Warn("", "the animation is " + std::to_string(last_ - first_) + " frames long; only the first " +
                     std::to_string(kMaxFrames) + " are imported");
    last_ = first_ + kMaxFrames;
  }
}

const aiNodeAnim* AnimationImporter::ChannelFor(const std::string& nodeName) const {
  if (!anim_) return nullptr;
  const auto it = channels_.find(nodeName);
  return it == channels_.end() ? nullptr : it->second;
}

void AnimationImporter::Animate(BaseObject* op, const aiNodeAnim& ch, const aiMatrix4x4& rest,
                                const aiMatrix4x4& before, Real unit, const Matrix& after,
                                const std::string& where) const {
  size_t dropped = 0;
  const std::vector<aiVectorKey> positions = CleanKeys(ch.mPositionKeys, ch.mNumPositionKeys, &dropped);
  const std::vector<aiQuatKey> rotations = CleanKeys(ch.mRotationKeys, ch.mNumRotationKeys, &dropped);
  const std::vector<aiVectorKey> scalings = CleanKeys(ch.mScalingKeys, ch.mNumScalingKeys, &dropped);
  if (dropped) ctx_.Warn(where, std::to_string(dropped) + " animation key(s) that are not numbers left out");
  aiVector3D restScale, restPos;
  aiQuaternion restRot;
  rest.Decompose(restScale, restRot, restPos);

  const size_t frames = size_t(last_ - first_) + 1;
  std::vector<Placement> samples(frames);
  bool sheared = false;
  for (size_t i = 0; i < frames; i++) {
    const double t = double(first_ + LONG(i)) / fps_ * ticksPerSecond_;
    const aiMatrix4x4 local(SampleVector(scalings, t, restScale), SampleRotation(rotations, t, restRot),
                            SampleVector(positions, t, restPos));
    const Matrix m = HostMatrix(before * local, unit) * after;
    samples[i] = i == 0 ? Decompose(m) : Decompose(m, samples[i - 1].rot);
    sheared = sheared || samples[i].sheared;
  }
  if (sheared) ctx_.Warn(where, "the animated transform shears; its shear is not kept");
  ApplyPlacement(op, samples[0]);

  const LONG targets[3] = {CTRACK_POSITION, CTRACK_ROTATION, CTRACK_SCALE};
  std::vector<Real> values(frames);
  for (int kind = 0; kind < 3; kind++) {
    for (int c = 0; c < 3; c++) {
      for (size_t i = 0; i < frames; i++) {
        const Placement& p = samples[i];
        values[i] = Component(kind == 0 ? p.pos : kind == 1 ? p.rot : p.scale, c);
      }
      const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
      if (*hi - *lo <= 1e-6f * std::max(1.0f, std::fabs(*lo))) continue;  // constant: the placement holds it
      AddKeys(CTrack::Alloc(op, targets[kind], c), values, first_, fps_);
    }
  }
}

void AnimationImporter::SetDocumentTime(BaseDocument* doc) const {
  if (!anim_) return;
  doc->SetFps(fps_);
  BaseTime t0{LReal(first_), LReal(fps_)}, t1{LReal(last_), LReal(fps_)};
  t0.Reduce();
  t1.Reduce();
  doc->SetMinTime(t0);
  doc->SetMaxTime(t1);
  doc->SetTime(t0);
}

}  // namespace import
}  // namespace host
