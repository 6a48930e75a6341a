// Case mapping for the native build: the code page 1252 table stands in for the system.
#include "base/text.h"

namespace pel {

char AnsiLowerChar(char c) {
  return static_cast<char>(TableLower(static_cast<unsigned char>(c)));
}

Text AnsiLowerCase(std::string_view s) {
  Text r(s);
  for (char& c : r) c = AnsiLowerChar(c);
  return r;
}

Text AnsiUpperCase(std::string_view s) {
  Text r(s);
  for (char& c : r) c = static_cast<char>(TableUpper(static_cast<unsigned char>(c)));
  return r;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AnsiLowerChar(a[i]) != AnsiLowerChar(b[i])) return false;
  return true;
}

}  // namespace pel
