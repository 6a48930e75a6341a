// Files of one folder replaced so that each is wholly old or wholly new, and all of them can be put back.
#pragma once

#include <functional>
#include <vector>

#include "base/text.h"
#include "sys/set_aside_record.h"
#include "sys/file_system.h"

namespace pel {

// Every copy goes to a temporary name in the destination folder's own work
// folder and is then moved over its target, so a target is never a part of a
// file. What it replaced is kept there until Commit, so RollBack can put the
// earlier files back exactly, attributes and all. (A small work folder also
// spares the system a search of a large destination for each new name.)
//
// Before anything in the folder changes, a record of the change is on the
// disk beside the set-aside files; so a run that is killed leaves what the
// next run needs to put every earlier file back, and an earlier file is gone
// only once the record is (Commit).
class FileReplacement {
 public:
  // The work folder in the destination, and the prefix of temporary files
  // where no work folder can be made.
  inline static constexpr std::string_view WorkFolder = "~PLset.tmp";
  inline static constexpr std::string_view TempPrefix = "~PLset";
  inline static constexpr std::string_view TempExt = ".tmp";
  // The record, in the work folder (or beside the files without one).
  inline static constexpr std::string_view RecordName = "~PLset.rec";
  // A file that cannot be put back is tried this often, this far apart (a
  // virus scanner holds a new file for a moment).
  inline static constexpr int RestoreTries = 15;
  inline static constexpr int RestorePauseMs = 200;

  using Sleep = std::function<void(int ms)>;

  // What became of an earlier run's record.
  struct Recovery {
    enum class Outcome {
      None,      // there was none
      Restored,  // every earlier file is back and the record is gone
      Refused,   // damaged, or of another folder: nothing done, the record stays
      Stuck,     // a file could not be put back: it and the record stay
    };
    Outcome outcome = Outcome::None;
    Text record;  // its path
    Text why;     // Refused: what is wrong with it
    Text file;    // Stuck: the product file that could not be put back
    uint32_t error = 0;
    bool ok() const { return outcome == Outcome::None || outcome == Outcome::Restored; }
  };
  // Finishes what a run that never committed left in folder (which ends in a
  // backslash): every earlier file it set aside goes back, every file it
  // added goes, and then its record. A record that is damaged, names a file
  // outside the folder or belongs to another folder is never applied. Once
  // nothing is recorded, the temporary files and the work folder go too.
  static Recovery FinishInterrupted(FileSystem& fs, const Text& folder, const Sleep& sleep);
  // Whether a run that never committed left its record in folder (which ends
  // in a backslash): the record FinishInterrupted would take up.
  static bool Interrupted(FileSystem& fs, const Text& folder);

  // folder ends in a backslash. Removes the temporary files a run stopped
  // half-way left, unless a record still claims them.
  FileReplacement(FileSystem& fs, Text folder, Sleep sleep = {});
  // Rolls back what was not committed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Copies source to folder + name; false, with the error in LastError() and
  // the target as it was, when it cannot. source_attributes, when known
  // (from a listing), spares asking for them.
  bool Put(const Text& source, const Text& name, uint32_t source_attributes = kNoAttributes);
  uint32_t LastError() const { return error_; }
  // The new files stay; the record, the earlier files and the work folder go.
  // False when the record cannot be removed: then everything is rolled back.
  bool Commit();
  // The earlier files come back, the new ones and every temporary file go.
  // False when a file could not be put back: StuckFile() names it, and it
  // stays set aside under the record for the next run.
  bool RollBack();
  const Text& StuckFile() const { return stuck_; }

 private:
  template <class Op>
  Text ToFreshName(Op op);
  bool Fail();
  bool WriteRecord();
  // The temporary files in folder and its work folder, and the work folder;
  // nothing while a record claims them.
  static void RemoveLeftovers(FileSystem& fs, const Text& folder);
  void RemoveWorkFolder();

  FileSystem& fs_;
  Text folder_;
  Sleep sleep_;
  Text temp_;  // where temporary names go: the work folder, or folder_ itself
  std::vector<Text> existing_;  // the folder's entries at the start, lower-cased and sorted
  SetAsideRecord record_;  // what is set aside now, as on the disk
  bool recorded_ = false;  // a record file stands
  uint32_t error_ = 0;
  int serial_ = 0;
  Text stuck_;
};

}  // namespace pel
