// Files of one folder replaced so that each is wholly old or wholly new, and all of them can be put back.
#include "sys/file_replacement.h"

#include <algorithm>
#include <string>

#include "app/constants.h"
#include "sys/paths.h"

namespace pel {
namespace {

using Sleep = FileReplacement::Sleep;

// Only names of the form this step makes (prefix, serial, extension) are its
// leftovers: the mask also matches others, the work folder's name among them.
bool IsTempName(std::string_view name) {
  std::string_view prefix = FileReplacement::TempPrefix, ext = FileReplacement::TempExt;
  if (name.size() <= prefix.size() + ext.size() ||
      !AnsiSameText(name.substr(0, prefix.size()), prefix) ||
      !AnsiSameText(name.substr(name.size() - ext.size()), ext))
    return false;
  std::string_view serial = name.substr(prefix.size(), name.size() - prefix.size() - ext.size());
  return std::all_of(serial.begin(), serial.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Quiet tries of op, a pause between them; true once it succeeded.
template <class Op>
bool Retried(const Sleep& sleep, Op op) {
  for (int i = 0; i < FileReplacement::RestoreTries; ++i) {
    if (i > 0 && sleep) sleep(FileReplacement::RestorePauseMs);
    if (op()) return true;
  }
  return false;
}

// Undoes one change: the earlier file back over the target, or the added
// file gone. Nothing to do counts as done: the change never happened or was
// undone before.
bool Undo(FileSystem& fs, const Text& folder, const Text& place, const SetAside& e) {
  const Text target = folder + e.target;
  if (e.backup.empty()) return !fs.FileExists(target) || fs.Delete(target);
  const Text backup = place + e.backup;
  return fs.Attributes(backup) == kNoAttributes || fs.Move(backup, target, true);
}

// Undoes the record's changes, last first; those undone leave it. False when
// one stays: *stuck names the first such target, *error says why.
bool UndoAll(FileSystem& fs, const Text& folder, const Text& place, SetAsideRecord& record,
             const Sleep& sleep, Text* stuck, uint32_t* error) {
  std::vector<SetAside> left;
  for (auto it = record.entries.rbegin(); it != record.entries.rend(); ++it) {
    if (Retried(sleep, [&] { return Undo(fs, folder, place, *it); })) continue;
    if (stuck->empty()) {
      *stuck = folder + it->target;
      *error = fs.LastError();
    }
    left.insert(left.begin(), *it);
  }
  record.entries = std::move(left);
  return record.entries.empty();
}

// The same folder, however spelled: short forms compared without case.
bool SameFolder(FileSystem& fs, std::string_view a, std::string_view b) {
  Text x = WithoutTrailingBackslash(AnsiLowerCase(ShortPathName(fs, a)));
  return !x.empty() && x == WithoutTrailingBackslash(AnsiLowerCase(ShortPathName(fs, b)));
}

// Where a run keeps its record and temporary files: the work folder, and the
// folder itself (which ends in a backslash). A link at the work folder's name
// leads elsewhere: what it holds is not a run's of this folder.
std::vector<Text> RunPlaces(FileSystem& fs, const Text& folder) {
  const Text work = folder + Text(FileReplacement::WorkFolder);
  if (!IsPlainFolder(fs.Attributes(work))) return {folder};
  return {work + "\\", folder};
}

}  // namespace

bool FileReplacement::Interrupted(FileSystem& fs, const Text& folder) {
  for (const Text& place : RunPlaces(fs, folder)) {
    if (fs.FileExists(place + Text(RecordName))) return true;
  }
  return false;
}

FileReplacement::Recovery FileReplacement::FinishInterrupted(FileSystem& fs, const Text& folder,
                                                             const Sleep& sleep) {
  Recovery r;
  for (const Text& place : RunPlaces(fs, folder)) {
    const Text path = place + Text(RecordName);
    if (!fs.FileExists(path)) continue;
    r = Recovery{Recovery::Outcome::Refused, path};
    Text text;
    SetAsideRecord record;
    if (!fs.ReadWholeFile(path, &text)) {
      r.why = "it cannot be read";
      r.error = fs.LastError();
      return r;
    }
    if (!ParseRecord(text, &record, &r.why)) return r;
    if (!SameFolder(fs, record.folder, folder)) {
      r.why = "it belongs to the folder " + record.folder;
      return r;
    }
    for (const SetAside& e : record.entries) {
      if (!e.backup.empty() && !IsTempName(e.backup)) {
        r.why = "it names " + e.backup + ", a file it did not make";
        return r;
      }
    }
    r.outcome = Recovery::Outcome::Stuck;
    if (!UndoAll(fs, folder, place, record, sleep, &r.file, &r.error)) {
      // What was put back leaves the record; the rest waits for the next run.
      fs.WriteFileDurably(path, RecordText(record));
      return r;
    }
    if (!Retried(sleep, [&] { return fs.Delete(path); })) {
      r.file = path;
      r.error = fs.LastError();
      return r;
    }
    r.outcome = Recovery::Outcome::Restored;
  }
  RemoveLeftovers(fs, folder);
  return r;
}

FileReplacement::FileReplacement(FileSystem& fs, Text folder, Sleep sleep)
    : fs_(fs), folder_(std::move(folder)), sleep_(std::move(sleep)) {
  RemoveLeftovers(fs_, folder_);
  std::vector<DirEntry> entries;
  fs_.List(folder_ + "*.*", kAttrAll, &entries);
  existing_.reserve(entries.size());
  for (const DirEntry& e : entries) existing_.push_back(AnsiLowerCase(e.name));
  std::sort(existing_.begin(), existing_.end());
  Text work = folder_ + Text(WorkFolder);
  temp_ = fs_.MakeDirectory(work) ? work + "\\" : folder_;
  record_.folder = folder_;
}

FileReplacement::~FileReplacement() { RollBack(); }

bool FileReplacement::Fail() {
  error_ = fs_.LastError();
  return false;
}

bool FileReplacement::WriteRecord() {
  if (!fs_.WriteFileDurably(temp_ + Text(RecordName), RecordText(record_))) return Fail();
  recorded_ = true;
  return true;
}

template <class Op>
Text FileReplacement::ToFreshName(Op op) {
  // Names left by someone else are passed over, not overwritten.
  for (int tries = 0; tries < 1000; ++tries) {
    Text name = temp_ + Text(TempPrefix) + std::to_string(++serial_) + Text(TempExt);
    if (op(name)) return name;
    uint32_t e = fs_.LastError();
    if (e != kErrorFileExists && e != kErrorAlreadyExists) {
      // The name was free, so whatever stands there now is what the failed
      // call left: a copy cut short by a full disk keeps the bytes it wrote.
      fs_.Delete(name);
      error_ = e;
      return Text();
    }
  }
  Fail();
  return Text();
}

bool FileReplacement::Put(const Text& source, const Text& name, uint32_t source_attributes) {
  const Text target = folder_ + name;
  Text fresh = ToFreshName([&](const Text& t) { return fs_.Copy(source, t, true); });
  if (fresh.empty()) return false;
  // A copy keeps the attributes of its source. From a CD or a write-protected
  // share that means a database the client cannot write and files the next
  // installation cannot replace; the other bits are the distribution's choice.
  uint32_t a = source_attributes == kNoAttributes ? fs_.Attributes(fresh) : source_attributes;
  if (a != kNoAttributes && (a & kAttrReadOnly)) {
    a = fs_.Attributes(fresh);  // the copy's own, which may have gained bits
    if (a != kNoAttributes) fs_.SetAttributes(fresh, a & ~kAttrReadOnly);
  }

  Text backup;
  bool stood = std::binary_search(existing_.begin(), existing_.end(), AnsiLowerCase(name));
  uint32_t old = stood ? fs_.Attributes(target) : kNoAttributes;
  if (old != kNoAttributes && !(old & kAttrDirectory)) {
    // A read-only file is the user's word that it stays: it is not moved aside.
    if (old & kAttrReadOnly) {
      error_ = kErrorAccessDenied;
      fs_.Delete(fresh);
      return false;
    }
    // The record names the earlier file's new place before it goes there;
    // a name someone else's file has is passed over.
    for (int tries = 0; tries < 1000 && backup.empty(); ++tries) {
      Text t = temp_ + Text(TempPrefix) + std::to_string(++serial_) + Text(TempExt);
      if (fs_.Attributes(t) != kNoAttributes) continue;
      record_.entries.push_back({ExtractFileName(t), name});
      bool moved = WriteRecord() && fs_.Move(target, t, false);
      if (moved) {
        backup = t;
        break;
      }
      // A record naming a move that never happened is harmless: undoing it
      // finds nothing to bring back. The next write drops it.
      record_.entries.pop_back();
      Fail();
      if (error_ != kErrorFileExists && error_ != kErrorAlreadyExists) break;
    }
    if (backup.empty()) {
      fs_.Delete(fresh);
      return false;
    }
  } else {
    record_.entries.push_back({Text(), name});
    if (!WriteRecord()) {
      record_.entries.pop_back();
      fs_.Delete(fresh);
      return false;
    }
  }
  // The name is free now; anything standing there (a folder) makes this fail.
  if (!fs_.Move(fresh, target, false)) {
    Fail();
    fs_.Delete(fresh);
    // An earlier file that cannot go back at once is left to RollBack.
    if (backup.empty() || fs_.Move(backup, target, true)) record_.entries.pop_back();
    return false;
  }
  return true;
}

bool FileReplacement::Commit() {
  const Text record = temp_ + Text(RecordName);
  if (recorded_ && !Retried(sleep_, [&] { return fs_.Delete(record); })) {
    // While the record stands the earlier files are the installation.
    Fail();
    stuck_ = record;
    RollBack();
    return false;
  }
  recorded_ = false;
  for (const SetAside& e : record_.entries)
    if (!e.backup.empty()) fs_.Delete(temp_ + e.backup);
  record_.entries.clear();
  RemoveWorkFolder();
  return true;
}

bool FileReplacement::RollBack() {
  uint32_t error = 0;
  Text stuck;
  if (!UndoAll(fs_, folder_, temp_, record_, sleep_, &stuck, &error)) {
    // The rest stays set aside with its record, for the next run to put back.
    stuck_ = stuck;
    error_ = error;
    fs_.WriteFileDurably(temp_ + Text(RecordName), RecordText(record_));
    record_.entries.clear();
    recorded_ = false;
    return false;
  }
  const Text record = temp_ + Text(RecordName);
  if (recorded_ && !Retried(sleep_, [&] { return fs_.Delete(record); })) {
    // It names only what is undone now: the next run finds nothing to do.
    recorded_ = false;
    return true;
  }
  recorded_ = false;
  RemoveWorkFolder();
  return true;
}

void FileReplacement::RemoveWorkFolder() {
  if (temp_ != folder_) fs_.RemoveEmptyDirectory(WithoutTrailingBackslash(temp_));
  temp_ = folder_;
}

void FileReplacement::RemoveLeftovers(FileSystem& fs, const Text& folder) {
  // Where a record stands, its files are the earlier installation's.
  if (Interrupted(fs, folder)) return;
  Text work = folder + Text(WorkFolder);
  for (const Text& where : RunPlaces(fs, folder)) {
    std::vector<DirEntry> entries;
    fs.List(where + Text(TempPrefix) + "*" + Text(TempExt), kAttrAll & ~kAttrDirectory, &entries);
    for (const DirEntry& e : entries) {
      if (IsTempName(e.name)) fs.Delete(where + e.name);
    }
    // A durable write cut short leaves its bytes beside the record's name.
    if (where != folder && fs.FileExists(where + Text(RecordName) + ".new"))
      fs.Delete(where + Text(RecordName) + ".new");
  }
  if (IsPlainFolder(fs.Attributes(work))) fs.RemoveEmptyDirectory(work);
}

}  // namespace pel
