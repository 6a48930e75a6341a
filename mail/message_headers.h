// TMessageHeaders: header lookup over a message held as a list of lines.
#pragma once

#include <string_view>

#include "base/string_list.h"
#include "base/text.h"

namespace pel {

// Never owns its list. Each call may re-attach it to another list first (when
// lines is not null); a null list reads as an empty message.
class TMessageHeaders {
 public:
  explicit TMessageHeaders(const StringList* lines) : lines_(lines) {}

  // Index of the header's first line inside the header block (the lines before
  // the first empty one), matched as a case-insensitive prefix of the whole
  // name, blank after the colon included ("From: "); -1 when missing.
  int IndexOfHeader(std::string_view name, const StringList* lines = nullptr);
  // The header line and its continuation lines (those starting with a blank or
  // a tab) joined with CR LF; empty when missing.
  Text GetHeaderText(std::string_view name, const StringList* lines = nullptr);
  // The header text after the name, untrimmed, at most 1024 characters.
  Text GetHeaderValue(std::string_view name, const StringList* lines = nullptr);

 private:
  const StringList* lines_;
};

inline constexpr size_t kMaxHeaderValue = 1024;

}  // namespace pel
