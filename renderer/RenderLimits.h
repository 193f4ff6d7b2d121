// What the renderer agrees to draw: larger pictures or sample counts are refused with a
// message rather than left to run for days or to exhaust memory.
#pragma once

namespace renderer {

constexpr long kMaxImageSide = 16384;          // pixels per side
constexpr long kMaxSamplesPerPixel = 1 << 16;  // -haltspp
constexpr long kDefaultSamplesPerPixel = 16;   // without -haltspp: a clean preview in seconds

}  // namespace renderer
