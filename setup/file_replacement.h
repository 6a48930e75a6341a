// Files of one folder replaced so that each is wholly old or wholly new, and all of them can be put back.
#pragma once

#include <vector>

#include "base/text.h"
#include "sys/file_system.h"

namespace pel {

// Every copy goes to a temporary name in the destination folder and is then
// moved over its target, so a target is never a part of a file. What it
// replaced is kept under another temporary name until Commit, so RollBack can
// put the earlier files back exactly, attributes and all.
class FileReplacement {
 public:
  inline static constexpr std::string_view TempPrefix = "~PLset";
  inline static constexpr std::string_view TempExt = ".tmp";

  FileReplacement(FileSystem& fs, Text folder);  // folder ends in a backslash
  // Rolls back what was not committed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Copies source to folder + name; false, with the error in LastError() and
  // the target as it was, when it cannot. source_attributes, when known
  // (from a listing), spares asking for them.
  bool Put(const Text& source, const Text& name, uint32_t source_attributes = kNoAttributes);
  uint32_t LastError() const { return error_; }
  // The new files stay; the earlier ones go.
  void Commit();
  // The earlier files come back, the new ones and every temporary file go.
  void RollBack();
  // Removes temporary files a run that was stopped half-way left in folder.
  static void RemoveLeftovers(FileSystem& fs, const Text& folder);

 private:
  struct Done {
    Text target;
    Text backup;  // empty when nothing stood there before
  };
  // A fresh temporary name that op accepts (op fails with 80 or 183 while the
  // name is taken); empty, error kept, when op fails otherwise.
  template <class Op>
  Text ToFreshName(Op op);
  bool Fail();

  FileSystem& fs_;
  Text folder_;
  std::vector<Done> done_;
  uint32_t error_ = 0;
  int serial_ = 0;
};

}  // namespace pel
