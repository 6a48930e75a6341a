// Files of one folder replaced so that each is wholly old or wholly new, and all of them can be put back.
#pragma once

#include <vector>

#include "base/text.h"
#include "sys/file_system.h"

namespace pel {

// Every copy goes to a temporary name in the destination folder's own work
// folder and is then moved over its target, so a target is never a part of a
// file. What it replaced is kept there until Commit, so RollBack can put the
// earlier files back exactly, attributes and all. (A small work folder also
// spares the system a search of a large destination for each new name.)
class FileReplacement {
 public:
  // The work folder in the destination, and the prefix of temporary files
  // where no work folder can be made.
  inline static constexpr std::string_view WorkFolder = "~PLset.tmp";
  inline static constexpr std::string_view TempPrefix = "~PLset";
  inline static constexpr std::string_view TempExt = ".tmp";

  // folder ends in a backslash. Removes what a run stopped half-way left.
  FileReplacement(FileSystem& fs, Text folder);
  // Rolls back what was not committed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Copies source to folder + name; false, with the error in LastError() and
  // the target as it was, when it cannot. source_attributes, when known
  // (from a listing), spares asking for them.
  bool Put(const Text& source, const Text& name, uint32_t source_attributes = kNoAttributes);
  uint32_t LastError() const { return error_; }
  // The new files stay; the earlier ones and the work folder go.
  void Commit();
  // The earlier files come back, the new ones and every temporary file go.
  void RollBack();

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
  void RemoveLeftovers();
  void RemoveWorkFolder();

  FileSystem& fs_;
  Text folder_;
  Text temp_;  // where temporary names go: the work folder, or folder_ itself
  std::vector<Text> existing_;  // the folder's entries at the start, lower-cased and sorted
  std::vector<Done> done_;
  uint32_t error_ = 0;
  int serial_ = 0;
};

}  // namespace pel
