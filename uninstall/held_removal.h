// Deleting through held folders: the files a step would delete, whether each can go now, and whole trees.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "base/text.h"
#include "sys/file_system.h"

namespace pel {

// True for an entry a folder step deletes as a file: anything without the
// folder bit, and a link of any kind (it goes as the link, never followed).
bool DeletedAsFile(const HeldEntry& entry);
// True for a real subfolder: the folder bit and no link.
bool RealSubfolder(const HeldEntry& entry);

// Entries opened for deletion when the removal checked that they can go, and
// kept open until it deletes through those very handles or lets them go:
// each file is opened once, and what was found free cannot be taken, renamed
// or replaced meanwhile. A file is claimed once per folder, name and
// identity, so a folder held twice (both components in one folder) opens it
// once. Letting go deletes nothing.
class EntryClaims {
 public:
  // Claims the entry of folder unless it is claimed already. False when it
  // cannot be: folder.LastError() then says why (32: another program holds it).
  bool Claim(HeldFolder& folder, const HeldEntry& entry);
  // Deletes the entry through its claim, claiming it first when the check did
  // not; the claim is let go either way. False when it stays.
  bool Delete(HeldFolder& folder, const HeldEntry& entry);
  // Lets go of the claims in that folder; of all with ReleaseAll.
  void Release(const FileIdentity& folder);
  void ReleaseAll() { claims_.clear(); }
  size_t Count() const { return claims_.size(); }

 private:
  using Key = std::tuple<uint64_t, uint64_t, uint64_t, Text>;  // folder, entry, name
  static Key KeyOf(const HeldFolder& folder, const HeldEntry& entry);
  std::map<Key, std::unique_ptr<ClaimedEntry>> claims_;
};

// The first entry, as a full path under path (which ends in a backslash),
// that another program holds so that it cannot be deleted now: every file
// that keep does not spare, and with pool set the whole tree of the "pool"
// subfolder. Empty when every one can go; every one checked is then claimed
// in claims for the deletion. When one is held, nothing stays claimed.
Text FirstEntryInUse(HeldFolder& folder, const Text& path,
                     const std::function<bool(const HeldEntry&)>& keep, bool pool,
                     EntryClaims& claims);

// Adds to left each of the deleted entries that the folder still lists (a
// deletion the system took and did not carry out, or one still pending on
// another program's handle): only a listing tells that it has gone.
void NoteStillListed(HeldFolder& folder, const Text& path, const std::vector<HeldEntry>& deleted,
                     std::vector<Text>* left);

// Deletes the subfolder entry of parent with everything in it, through held
// folders only, files through their claims: links inside go as links, a read-only or held file stays, and
// so does every folder above it. Full paths of what stayed go to left. True
// when the subfolder itself is gone.
bool DeleteHeldTree(HeldFolder& parent, const HeldEntry& entry, const Text& path,
                    std::vector<Text>* left, EntryClaims& claims);

}  // namespace pel
