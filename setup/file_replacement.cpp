// Files of one folder replaced so that each is wholly old or wholly new, and all of them can be put back.
#include "setup/file_replacement.h"

#include <algorithm>
#include <string>

#include "sys/paths.h"

namespace pel {
namespace {

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

}  // namespace

FileReplacement::FileReplacement(FileSystem& fs, Text folder) : fs_(fs), folder_(std::move(folder)) {
  RemoveLeftovers();
  std::vector<DirEntry> entries;
  fs_.List(folder_ + "*.*", kAttrAll, &entries);
  existing_.reserve(entries.size());
  for (const DirEntry& e : entries) existing_.push_back(AnsiLowerCase(e.name));
  std::sort(existing_.begin(), existing_.end());
  Text work = folder_ + Text(WorkFolder);
  temp_ = fs_.MakeDirectory(work) ? work + "\\" : folder_;
}

FileReplacement::~FileReplacement() { RollBack(); }

bool FileReplacement::Fail() {
  error_ = fs_.LastError();
  return false;
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
    backup = ToFreshName([&](const Text& t) { return fs_.Move(target, t, false); });
    if (backup.empty()) {
      fs_.Delete(fresh);
      return false;
    }
  }
  // The name is free now; anything standing there (a folder) makes this fail.
  if (!fs_.Move(fresh, target, false)) {
    Fail();
    if (!backup.empty()) fs_.Move(backup, target, true);
    fs_.Delete(fresh);
    return false;
  }
  done_.push_back({target, backup});
  return true;
}

void FileReplacement::Commit() {
  for (const Done& d : done_)
    if (!d.backup.empty()) fs_.Delete(d.backup);
  done_.clear();
  RemoveWorkFolder();
}

void FileReplacement::RollBack() {
  for (auto it = done_.rbegin(); it != done_.rend(); ++it) {
    if (it->backup.empty()) fs_.Delete(it->target);
    else fs_.Move(it->backup, it->target, true);
  }
  done_.clear();
  RemoveWorkFolder();
}

void FileReplacement::RemoveWorkFolder() {
  if (temp_ != folder_) fs_.RemoveEmptyDirectory(WithoutTrailingBackslash(temp_));
  temp_ = folder_;
}

void FileReplacement::RemoveLeftovers() {
  // Only a plain folder of that name is emptied: a link there leads elsewhere.
  Text work = folder_ + Text(WorkFolder);
  for (const Text& where : {folder_, work + "\\"}) {
    if (where != folder_ && fs_.Attributes(work) != kAttrDirectory) continue;
    std::vector<DirEntry> entries;
    fs_.List(where + Text(TempPrefix) + "*" + Text(TempExt), kAttrAll & ~kAttrDirectory, &entries);
    for (const DirEntry& e : entries) {
      if (IsTempName(e.name)) fs_.Delete(where + e.name);
    }
  }
  if (fs_.Attributes(work) == kAttrDirectory) fs_.RemoveEmptyDirectory(work);
}

}  // namespace pel
