#include "ImportContext.h"

#include "host/DocumentIO.h"

namespace host {
namespace import {

namespace {

std::string Message(const std::string& file, const std::string& where, const std::string& what) {
  return file + ": " + (where.empty() ? std::string() : where + ": ") + what;
}

}  // namespace

void ImportContext::Warn(const std::string& where, const std::string& what) const {
  GePrint(String("Warning: " + Message(file, where, what)));
}

void ImportContext::Fail(const std::string& where, const std::string& what) const {
  throw DocumentError(Message(file, where, what));
}

std::string NodeWhere(const std::string& name) { return "node \"" + name + "\""; }

std::string MaterialWhere(const std::string& name) { return "material \"" + name + "\""; }

namespace {

// Length of the well-formed UTF-8 sequence at s[i] (no overlong forms, no surrogates, at most
// U+10FFFF), or 0 when there is none.
size_t Utf8Length(const std::string& s, size_t i) {
  auto at = [&](size_t k) { return i + k < s.size() ? (unsigned char)s[i + k] : 0u; };
  auto cont = [](unsigned c, unsigned lo = 0x80, unsigned hi = 0xBF) { return c >= lo && c <= hi; };
  const unsigned c = at(0);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return cont(at(1)) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    const unsigned lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    return cont(at(1), lo, hi) && cont(at(2)) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const unsigned lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
    return cont(at(1), lo, hi) && cont(at(2)) && cont(at(3)) ? 4 : 0;
  }
  return 0;
}

}  // namespace

bool IsUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const size_t n = Utf8Length(text, i);
    if (!n) return false;
    i += n;
  }
  return true;
}

std::string Utf8Name(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size();) {
    const size_t n = Utf8Length(name, i);
    if (n) {
      out.append(name, i, n);
      i += n;
    } else {
      const unsigned char c = (unsigned char)name[i++];
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void AppendTag(BaseObject* op, BaseTag* tag) {
  op->InsertTag(tag, static_cast<BaseTag*>(op->GetTagRoot()->GetLast()));
}

}  // namespace import
}  // namespace host
