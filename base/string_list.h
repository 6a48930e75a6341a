// String list: ordered text lines, each able to carry an int32 (record positions).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace pel {

class StringList {
 public:
  struct Line {
    Text text;
    int32_t value = 0;
    bool operator==(const Line&) const = default;
  };

  int Count() const { return static_cast<int>(lines_.size()); }
  bool Empty() const { return lines_.empty(); }
  const Text& operator[](int i) const { return lines_[static_cast<size_t>(i)].text; }
  Text& operator[](int i) { return lines_[static_cast<size_t>(i)].text; }
  int32_t Value(int i) const { return lines_[static_cast<size_t>(i)].value; }
  void SetValue(int i, int32_t v) { lines_[static_cast<size_t>(i)].value = v; }
  const std::vector<Line>& Lines() const { return lines_; }

  // Appends and returns the new line's index.
  int Add(std::string_view text, int32_t value = 0);
  void Insert(int index, std::string_view text, int32_t value = 0);
  void Delete(int index);
  void Clear() { lines_.clear(); }

  // Text form: CR LF after every line, the last one included.
  Text GetText() const;
  // Replaces the lines by those of s, split at CR LF, CR or LF; a final line
  // end does not add an empty line. Values of the new lines are 0.
  void SetText(std::string_view s);

  // First line equal to s, case-insensitively; -1 when none.
  int IndexOf(std::string_view s) const;
  // First line whose part before its first "=" equals name, case-insensitively;
  // lines without "=" never match. -1 when none.
  int IndexOfName(std::string_view name) const;
  // The text after the first "=" of that line; empty when there is none.
  Text ValueOf(std::string_view name) const;
  // Sets name=value: replaces the first matching line, or appends one.
  void SetValueOf(std::string_view name, std::string_view value);

  bool operator==(const StringList&) const = default;

 private:
  std::vector<Line> lines_;
};

}  // namespace pel
