// Case mapping for the Windows build: the system's own ANSI mapping and comparison.
#include <windows.h>

#include "base/text.h"

namespace pel {

char AnsiLowerChar(char c) {
  CharLowerBuffA(&c, 1);
  return c;
}

Text AnsiLowerCase(std::string_view s) {
  Text r(s);
  if (!r.empty()) CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

Text AnsiUpperCase(std::string_view s) {
  Text r(s);
  if (!r.empty()) CharUpperBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return a.size() == b.size();
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace pel
