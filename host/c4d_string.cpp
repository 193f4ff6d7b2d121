#include "c4d_string.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void String::GetCString(CHAR* buf, LONG max, STRINGENCODING) const {
  if (!buf || max <= 0) return;
  size_t n = std::min(text_.size(), size_t(max - 1));
  std::memcpy(buf, text_.data(), n);
  buf[n] = 0;
}

void String::SetCString(const CHAR* s, LONG count, STRINGENCODING) {
  if (!s) {
    text_.clear();
    return;
  }
  text_ = count < 0 ? std::string(s) : std::string(s, strnlen(s, size_t(count)));
}

String String::SubStr(LONG start, LONG count) const {
  if (start < 0) {
    count += start;
    start = 0;
  }
  if (count <= 0 || start >= GetLength()) return String();
  return String(text_.substr(size_t(start), size_t(count)));
}

Bool String::FindFirst(const String& what, LONG* pos, LONG start) const {
  size_t p = text_.find(what.text_, size_t(std::max<LONG>(start, 0)));
  if (p == std::string::npos) return FALSE;
  if (pos) *pos = LONG(p);
  return TRUE;
}

Bool String::FindLast(const String& what, LONG* pos, LONG start) const {
  size_t p = text_.rfind(what.text_, start < 0 ? std::string::npos : size_t(start));
  if (p == std::string::npos) return FALSE;
  if (pos) *pos = LONG(p);
  return TRUE;
}

String String::ToLower() const {
  std::string s = text_;
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return String(s);
}

String String::ToUpper() const {
  std::string s = text_;
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  return String(s);
}

LONG String::StringToLong(LONG* err) const {
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text_.c_str(), &end, 10);
  bool bad = end == text_.c_str();
  if (err) *err = bad ? 1 : 0;
  if (bad) return 0;
  // Out-of-range text saturates rather than wrapping.
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return LONG(v);
}

Real String::StringToReal(LONG* err) const {
  char* end = nullptr;
  double v = std::strtod(text_.c_str(), &end);
  bool bad = end == text_.c_str();
  if (err) *err = bad ? 1 : 0;
  return bad ? 0 : Real(v);
}

String LongToString(LONG v) { return String(std::to_string(v)); }
String LLongToString(LLONG v) { return String(std::to_string(v)); }

String RealToString(Real v, LONG digits, LONG decimals, Bool exponent, UWORD fill) {
  char buf[512];
  if (decimals < 0) decimals = 0;
  if (decimals > 60) decimals = 60;
  std::snprintf(buf, sizeof buf, exponent ? "%.*e" : "%.*f", int(decimals), double(v));
  std::string s = buf;
  if (digits > 0 && LONG(s.size()) < digits) s.insert(0, size_t(digits) - s.size(), char(fill));
  return String(s);
}
