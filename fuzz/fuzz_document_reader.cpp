// Fuzz target: any bytes as a host document. A text the reader refuses must be refused with a
// DocumentError; a document it accepts must save, and what is saved must open again to the
// same document: saving that gives the very same text.
#include "host/DocumentIO.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// Reads, then saves; an empty text when the reader refused the input.
std::string OpenAndSave(const std::string& text) {
  BaseDocument* doc = nullptr;
  try {
    doc = host::ParseDocument(text, "fuzz.json");
  } catch (const host::DocumentError&) {
    return std::string();
  }
  std::string saved;
  try {
    saved = host::SerializeDocument(doc);
  } catch (const host::DocumentError&) {
    // An accepted document that cannot be saved.
    __builtin_trap();
  }
  BaseDocument::Free(doc);
  return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string saved = OpenAndSave(std::string(reinterpret_cast<const char*>(data), size));
  if (saved.empty()) return 0;
  if (OpenAndSave(saved) != saved) __builtin_trap();
  return 0;
}
