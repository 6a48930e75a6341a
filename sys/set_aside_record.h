// The record of the files a copy has set aside until it commits: its text form, read back strictly.
#pragma once

#include <string_view>
#include <vector>

#include "base/text.h"

namespace pel {

// One change a run made in the product folder that a run which never
// committed must undo.
struct SetAside {
  Text backup;  // the earlier file's name beside the record; empty: nothing stood there
  Text target;  // the file's name in the product folder
  bool operator==(const SetAside&) const = default;
};

struct SetAsideRecord {
  Text folder;  // the product folder, as the run that wrote it spelled it
  std::vector<SetAside> entries;  // in the order made; undone last first
  bool operator==(const SetAsideRecord&) const = default;
};

// Lines with CR LF: a header, "folder=" and the folder, one "set|backup|target"
// or "new|target" per entry, and "end", which a record cut short lacks.
Text RecordText(const SetAsideRecord& record);
// False, with why, for anything but a whole record of that form whose names
// are plain file names (no folder part, no "." or "..", nothing a file name
// cannot hold): such a record leads nowhere outside its folder.
bool ParseRecord(std::string_view text, SetAsideRecord* out, Text* why);
// A name of one file in its folder: no separator, drive, wildcard or control
// character, not "." or "..".
bool IsPlainFileName(std::string_view name);

}  // namespace pel
