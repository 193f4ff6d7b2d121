// One SVG document made of several drawn on their own (by Cairo, which cannot name what it
// draws): each becomes a group with an id and a title. Cairo's own ids ("surface1", "clip1")
// repeat from one document to the next, so every document's ids and the references to them
// get a prefix of their own.
#pragma once
#include <string>
#include <vector>

namespace cli {

struct SvgGroup {
  std::string id;     // a valid XML id, unique among the groups
  std::string title;  // any text
  std::string svg;    // a whole SVG document
};

// The documents must share their size; the first one's root attributes (size, view box,
// namespaces) are kept. Throws std::runtime_error when a document cannot be read.
std::string MergeSvgGroups(const std::vector<SvgGroup>& groups);

}  // namespace cli
