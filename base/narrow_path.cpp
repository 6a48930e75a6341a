// The rule that takes a Unicode path into the 8-bit core, and the code page 1252 model.
#include "base/narrow_path.h"

namespace pel {

NarrowedPath NarrowPath(const CodePage& code_page, std::u16string_view path,
                        FunctionRef<std::u16string(std::u16string_view)> short_form) {
  NarrowedPath result;
  if (code_page.Narrow(path, &result.shown)) {
    result.path = result.shown;
    result.form = PathForm::Exact;
    return result;
  }
  std::u16string alternative = short_form(path);
  Text bytes;
  if (!alternative.empty() && code_page.Narrow(alternative, &bytes)) {
    result.path = bytes;
    result.form = PathForm::Short;
  }
  return result;
}

namespace {

// Bytes 0x80 to 0x9F of code page 1252; the unassigned ones keep their own value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool ByteOf(char16_t c, char* out) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    *out = static_cast<char>(c);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == c) {
      *out = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

}  // namespace

bool WesternCodePage::Narrow(std::u16string_view wide, Text* out) const {
  out->clear();
  bool exact = true;
  for (size_t i = 0; i < wide.size(); ++i) {
    char byte = '?';
    if (!ByteOf(wide[i], &byte)) {
      exact = false;
      byte = '?';
      // A pair of surrogates is one character, and one '?'.
      if (wide[i] >= 0xD800 && wide[i] < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
          wide[i + 1] < 0xE000)
        ++i;
    }
    out->push_back(byte);
  }
  return exact;
}

std::u16string WesternCodePage::Widen(std::string_view bytes) const {
  std::u16string out;
  out.reserve(bytes.size());
  for (char b : bytes) {
    unsigned char c = static_cast<unsigned char>(b);
    out.push_back(c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : static_cast<char16_t>(c));
  }
  return out;
}

std::u16string Utf16FromUtf8(std::string_view s) {
  std::u16string out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    char32_t cp = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
    bool good = extra >= 0;
    for (int k = 1; good && k <= extra; ++k) {
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
        good = false;
      } else {
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
      }
    }
    if (!good || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += extra + 1;
  }
  return out;
}

std::string Utf8FromUtf16(std::u16string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace pel
