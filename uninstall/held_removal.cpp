// Deleting through held folders: the files a step would delete, whether each can go now, and whole trees.
#include "uninstall/held_removal.h"

#include "sys/paths.h"

namespace pel {
namespace {

constexpr std::string_view kPool = "pool";

Text TreeInUse(HeldFolder& folder, const Text& path) {
  std::vector<HeldEntry> entries;
  folder.List(&entries);
  for (const HeldEntry& e : entries) {
    if (RealSubfolder(e)) {
      std::unique_ptr<HeldFolder> sub = folder.HoldChild(e);
      if (!sub) continue;  // the deletion will leave it and say so
      Text busy = TreeInUse(*sub, path + e.name + "\\");
      if (!busy.empty()) return busy;
    } else if (!folder.CanDelete(e) && folder.LastError() == kErrorSharingViolation) {
      return path + e.name;
    }
  }
  return Text();
}

}  // namespace

bool DeletedAsFile(const HeldEntry& e) {
  return !(e.attributes & kAttrDirectory) || (e.attributes & kAttrReparsePoint);
}

bool RealSubfolder(const HeldEntry& e) { return !DeletedAsFile(e); }

Text FirstEntryInUse(HeldFolder& folder, const Text& path,
                     const std::function<bool(const HeldEntry&)>& keep, bool pool) {
  std::vector<HeldEntry> entries;
  folder.List(&entries);
  for (const HeldEntry& e : entries) {
    if (DeletedAsFile(e)) {
      if (keep && keep(e)) continue;
      if (!folder.CanDelete(e) && folder.LastError() == kErrorSharingViolation) return path + e.name;
    } else if (pool && AnsiSameText(e.name, kPool)) {
      std::unique_ptr<HeldFolder> sub = folder.HoldChild(e);
      if (!sub) continue;
      Text busy = TreeInUse(*sub, path + e.name + "\\");
      if (!busy.empty()) return busy;
    }
  }
  return Text();
}

void NoteStillListed(HeldFolder& folder, const Text& path, const std::vector<HeldEntry>& deleted,
                     std::vector<Text>* left) {
  if (deleted.empty()) return;
  std::vector<HeldEntry> now;
  folder.List(&now);
  for (const HeldEntry& gone : deleted) {
    for (const HeldEntry& e : now) {
      if (AnsiSameText(e.name, gone.name)) {
        left->push_back(path + gone.name);
        break;
      }
    }
  }
}

bool DeleteHeldTree(HeldFolder& parent, const HeldEntry& entry, const Text& path,
                    std::vector<Text>* left) {
  Text here = path + entry.name + "\\";
  {
    std::unique_ptr<HeldFolder> folder = parent.HoldChild(entry);
    if (!folder) {
      left->push_back(here);
      return false;
    }
    std::vector<HeldEntry> entries;
    folder->List(&entries);
    // Subfolders before the files of the same folder, as the tree walk always went.
    for (const HeldEntry& e : entries) {
      if (RealSubfolder(e)) DeleteHeldTree(*folder, e, here, left);
    }
    std::vector<HeldEntry> deleted;
    for (const HeldEntry& e : entries) {
      if (!DeletedAsFile(e)) continue;
      if (folder->Delete(e)) {
        deleted.push_back(e);
      } else {
        left->push_back(here + e.name);
      }
    }
    NoteStillListed(*folder, here, deleted, left);
  }
  // Let go first: a folder held without delete sharing cannot be removed,
  // not even by its holder. The parent still holds the name, and the entry
  // goes only while it is the folder listed.
  if (parent.Delete(entry)) return true;
  // A folder that still holds something was already named by what it holds.
  if (parent.LastError() != kErrorDirNotEmpty) left->push_back(here);
  return false;
}

}  // namespace pel
