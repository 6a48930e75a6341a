// The process seam: whether a program runs from a given file, or holds a file open to itself.
#pragma once

#include <string_view>

namespace pel {

// Asks only; never ends or disturbs another program.
class Processes {
 public:
  virtual ~Processes() = default;
  // True when a running process other than this one was started from the file
  // at image: the same file however the path spells it (letter case, short
  // names, "." and ".."). False when no file is there.
  virtual bool RunsFrom(std::string_view image) = 0;
  // True when another handle holds the existing file at path so that it
  // cannot be opened without sharing (a store file being worked on). False
  // for a missing file.
  virtual bool HeldOpen(std::string_view path) = 0;
};

}  // namespace pel
