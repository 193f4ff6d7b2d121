// Node animation as host position, rotation and scale tracks, sampled at the document's
// frame rate over the animation's frame range.
#pragma once
#include <string>
#include <unordered_map>

#include <assimp/types.h>

#include "ImportContext.h"

struct aiAnimation;
struct aiNodeAnim;

namespace host {
namespace import {

class AnimationImporter {
 public:
  // Takes the file's first animation (with a warning when there are more).
  explicit AnimationImporter(const ImportContext& ctx);
  bool Active() const { return anim_ != nullptr; }
  // The channel that moves the node, or null.
  const aiNodeAnim* ChannelFor(const std::string& nodeName) const;
  // Gives op its placement at the first frame and tracks, keyed per frame where the values
  // change, that reproduce the node's motion: op's local matrix at time t is the host form of
  // before * (the channel's transform at t, with `rest`'s parts for what the channel does not
  // animate), times `after`.
  void Animate(BaseObject* op, const aiNodeAnim& channel, const aiMatrix4x4& rest, const aiMatrix4x4& before, Real unit,
               const Matrix& after, const std::string& where) const;
  // Frame rate, frame range and current time of the document.
  void SetDocumentTime(BaseDocument* doc) const;
  LONG Fps() const { return fps_; }
  LONG FirstFrame() const { return first_; }
  LONG LastFrame() const { return last_; }

 private:
  const ImportContext& ctx_;
  const aiAnimation* anim_ = nullptr;
  double ticksPerSecond_ = 25;
  LONG fps_ = 30, first_ = 0, last_ = 0;
  std::unordered_map<std::string, const aiNodeAnim*> channels_;
};

}  // namespace import
}  // namespace host
