// Code page 1252 case tables, and the text helpers built on the case mapping.
#include "base/text.h"

namespace pel {

unsigned char TableLower(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  switch (c) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return c;
  }
}

unsigned char TableUpper(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

static Text InBase(unsigned long long value, int width, unsigned base) {
  char digits[64];
  int n = 0;
  do {
    digits[n++] = "0123456789ABCDEF"[value % base];
    value /= base;
  } while (value != 0);
  Text out(width > n ? width - n : 0, '0');
  while (n > 0) out += digits[--n];
  return out;
}

Text ZeroPadded(unsigned long long value, int width) { return InBase(value, width, 10); }
Text UpperHex(unsigned long long value, int width) { return InBase(value, width, 16); }

bool AnsiStartsText(std::string_view prefix, std::string_view s) {
  return s.size() >= prefix.size() && AnsiSameText(prefix, s.substr(0, prefix.size()));
}

}  // namespace pel
