// The host's string. Text is held as UTF-8; the 8-bit conversion hands out those bytes.
#pragma once
#include <string>
#include "ge_math.h"

enum STRINGENCODING {
  St7bit = 0,
  St8bit = 1,  // the host's 8-bit encoding, used by every conversion of the plug-in
  StUTF8 = 2,
};

class String {
 public:
  String() = default;
  String(const char* s) : text_(s ? s : "") {}
  String(const std::string& s) : text_(s) {}
  String(LONG count, char fill) : text_(count > 0 ? count : 0, fill) {}

  LONG GetLength() const { return LONG(text_.size()); }
  Bool Content() const { return !text_.empty(); }
  // Length in bytes of the 8-bit form, without the terminator.
  LONG GetCStringLen(STRINGENCODING = St8bit) const { return LONG(text_.size()); }
  // Copies at most max-1 bytes and a terminating NUL into buf.
  void GetCString(CHAR* buf, LONG max, STRINGENCODING = St8bit) const;
  void SetCString(const CHAR* s, LONG count = -1, STRINGENCODING = St8bit);

  String operator+(const String& o) const { return String(text_ + o.text_); }
  String& operator+=(const String& o) { text_ += o.text_; return *this; }
  bool operator==(const String& o) const { return text_ == o.text_; }
  bool operator!=(const String& o) const { return text_ != o.text_; }
  bool operator<(const String& o) const { return text_ < o.text_; }

  String SubStr(LONG start, LONG count) const;
  String Left(LONG count) const { return SubStr(0, count); }
  String Right(LONG count) const { return SubStr(GetLength() - count, count); }
  Bool FindFirst(const String& what, LONG* pos, LONG start = 0) const;
  Bool FindLast(const String& what, LONG* pos, LONG start = -1) const;
  String ToLower() const;
  String ToUpper() const;
  // Leading white space skipped, then an optional sign and digits; anything else stops the
  // conversion. err (when given) is non-zero when no digit was read.
  LONG StringToLong(LONG* err = nullptr) const;
  Real StringToReal(LONG* err = nullptr) const;
  UWORD operator[](LONG i) const { return i >= 0 && i < GetLength() ? UCHAR(text_[i]) : 0; }

  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

String LongToString(LONG v);
String LLongToString(LLONG v);
// Fixed-point text with `decimals` digits after the point, padded on the left to `digits`
// characters with the fill character (no padding when digits is -1).
String RealToString(Real v, LONG digits = -1, LONG decimals = 3, Bool exponent = FALSE, UWORD fill = ' ');
