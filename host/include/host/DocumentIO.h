// Host documents as JSON files: reading (with symbolic parameter names) and writing.
#pragma once
#include <stdexcept>
#include <string>
#include "c4d.h"

namespace host {

// A document that cannot be read: the message names the file, the JSON path and the fault.
struct DocumentError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads a document file. Throws DocumentError; never returns a half-built document.
BaseDocument* LoadDocument(const std::string& path);
BaseDocument* ParseDocument(const std::string& jsonText, const std::string& nameForMessages);
// Writes the document to a temporary file beside path and renames it over path, so a failed
// write never leaves a half-written document. Throws DocumentError.
void SaveDocument(BaseDocument* doc, const std::string& path);
std::string SerializeDocument(BaseDocument* doc);

// The path made absolute and normal ("a/../b.json" from /w is /w/b.json): the name a document
// opened from that path carries. An empty path stays empty.
std::string AbsoluteDocumentPath(const std::string& path);

// "/Parent/Child" path of an object ("Name#2" for the second sibling of that name), and back.
std::string ObjectPath(BaseObject* op);
BaseObject* FindObjectByPath(BaseDocument* doc, const std::string& path);

}  // namespace host
