// Delimited fields, walked from the front exactly as store paths are walked.
#include "sys/delimited_field.h"

namespace pel {

Text DelimitedField(int n, std::string_view text, std::string_view delimiter,
                    std::string_view def) {
  std::string_view rest = text;
  std::string_view field;
  for (int i = 0; i <= n; ++i) {
    do {
      size_t p = delimiter.empty() ? std::string_view::npos : rest.find(delimiter);
      if (p == std::string_view::npos) {
        field = rest;
        rest = {};
      } else {
        field = rest.substr(0, p);
        rest = rest.substr(p + delimiter.size());
      }
    } while (field.empty() && !rest.empty());
  }
  return Text(field.empty() ? def : field);
}

}  // namespace pel
