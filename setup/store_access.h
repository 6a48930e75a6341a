// The record-store operations the installer uses, behind a seam so its steps run on any file system.
#pragma once

#include <string_view>

#include "base/string_list.h"
#include "base/text.h"
#include "store/stream.h"

namespace pel {

// The same contracts as the store operations of the same names: the file is
// opened and closed by each call. A file that cannot be opened or created
// gives kOpenError (ReadSetting: def), is neither read nor written, and
// openFailure says why ("Cannot open file <path>" / "Cannot create file <path>").
class StoreAccess {
 public:
  virtual ~StoreAccess() = default;
  virtual int ReadSection(StringList& list, std::string_view path, const Text& file,
                          StoreFileError& openFailure) = 0;
  virtual int WriteSection(std::string_view path, const StringList* list, const Text& file,
                           StoreFileError& openFailure) = 0;
  virtual Text ReadSetting(std::string_view name, std::string_view def, const Text& file,
                           StoreFileError& openFailure) = 0;
};

// Store files on the real disk.
StoreAccess& DiskStore();

}  // namespace pel
