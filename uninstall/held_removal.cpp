// Deleting through held folders: the files a step would delete, whether each can go now, and whole trees.
#include "uninstall/held_removal.h"

#include <iterator>

#include "sys/paths.h"

namespace pel {
namespace {

constexpr std::string_view kPool = "pool";

Text TreeInUse(HeldFolder& folder, const Text& path, EntryClaims& claims) {
  std::vector<HeldEntry> entries;
  folder.List(&entries);
  for (const HeldEntry& e : entries) {
    if (RealSubfolder(e)) {
      std::unique_ptr<HeldFolder> sub = folder.HoldChild(e);
      if (!sub) continue;  // the deletion will leave it and say so
      Text busy = TreeInUse(*sub, path + e.name + "\\", claims);
      if (!busy.empty()) return busy;
    } else if (!claims.Claim(folder, e) && folder.LastError() == kErrorSharingViolation) {
      return path + e.name;
    }
  }
  return Text();
}

}  // namespace

EntryClaims::Key EntryClaims::KeyOf(const HeldFolder& folder, const HeldEntry& entry) {
  FileIdentity f = folder.Identity();
  return {f.volume, f.index, entry.identity.index, AnsiLowerCase(entry.name)};
}

bool EntryClaims::Claim(HeldFolder& folder, const HeldEntry& entry) {
  Key key = KeyOf(folder, entry);
  if (claims_.count(key)) return true;
  std::unique_ptr<ClaimedEntry> claimed = folder.Claim(entry);
  if (!claimed) return false;
  claims_.emplace(std::move(key), std::move(claimed));
  return true;
}

bool EntryClaims::Delete(HeldFolder& folder, const HeldEntry& entry) {
  auto it = claims_.find(KeyOf(folder, entry));
  std::unique_ptr<ClaimedEntry> claimed;
  if (it != claims_.end()) {
    claimed = std::move(it->second);
    claims_.erase(it);
  } else {
    claimed = folder.Claim(entry);
  }
  return claimed && claimed->Delete();
}

void EntryClaims::Release(const FileIdentity& folder) {
  for (auto it = claims_.begin(); it != claims_.end();) {
    bool here = std::get<0>(it->first) == folder.volume && std::get<1>(it->first) == folder.index;
    it = here ? claims_.erase(it) : std::next(it);
  }
}

bool DeletedAsFile(const HeldEntry& e) {
  return !(e.attributes & kAttrDirectory) || (e.attributes & kAttrReparsePoint);
}

bool RealSubfolder(const HeldEntry& e) { return !DeletedAsFile(e); }

Text FirstEntryInUse(HeldFolder& folder, const Text& path,
                     const std::function<bool(const HeldEntry&)>& keep, bool pool,
                     EntryClaims& claims) {
  std::vector<HeldEntry> entries;
  folder.List(&entries);
  Text busy;
  for (const HeldEntry& e : entries) {
    if (DeletedAsFile(e)) {
      if (keep && keep(e)) continue;
      if (!claims.Claim(folder, e) && folder.LastError() == kErrorSharingViolation) busy = path + e.name;
    } else if (pool && AnsiSameText(e.name, kPool)) {
      std::unique_ptr<HeldFolder> sub = folder.HoldChild(e);
      if (!sub) continue;
      busy = TreeInUse(*sub, path + e.name + "\\", claims);
    }
    if (!busy.empty()) break;
  }
  // Nothing is kept from the other program, nor from the user who closes it.
  if (!busy.empty()) claims.ReleaseAll();
  return busy;
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
                    std::vector<Text>* left, EntryClaims& claims) {
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
      if (RealSubfolder(e)) DeleteHeldTree(*folder, e, here, left, claims);
    }
    std::vector<HeldEntry> deleted;
    for (const HeldEntry& e : entries) {
      if (!DeletedAsFile(e)) continue;
      if (claims.Delete(*folder, e)) {
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
