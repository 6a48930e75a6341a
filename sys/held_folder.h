// A folder held open by identity: what is listed, checked and deleted in it goes through the folder, not its path.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace pel {

// Which file or folder an entry is, whatever its path: its volume and its
// number on that volume. Two entries are the same exactly when both are known
// and equal; a volume that cannot tell (a share that does not answer) gives
// an unknown identity, which equals nothing.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool known = false;
  // A file's size and last write when it was identified: not who it is, but
  // whether it has changed since (Unchanged).
  int64_t size = -1;
  uint64_t written = 0;
  bool operator==(const FileIdentity& o) const {
    return known && o.known && volume == o.volume && index == o.index;
  }
};

// The same file, and written to by no one since.
inline bool Unchanged(const FileIdentity& was, const FileIdentity& now) {
  return was == now && was.size == now.size && was.written == now.written;
}

// One entry of a held folder as listed: its name, attributes and identity.
struct HeldEntry {
  Text name;
  uint32_t attributes = 0;
  FileIdentity identity;
};

// A file or link of a held folder, opened for deletion and kept open until it
// is deleted or let go (destroyed: nothing is deleted). The open shares
// reading and writing but no deletion, so while it lasts nobody can rename,
// delete or replace it: it stays the entry listed, at its name. No method
// throws.
class ClaimedEntry {
 public:
  virtual ~ClaimedEntry() = default;
  // Deletes it through its own handle and lets it go. A read-only file or a
  // running program stays (false, 5); so does anything after a first call.
  virtual bool Delete() = 0;
  virtual uint32_t LastError() const = 0;
};

// A folder opened without following a link at its own name, kept from being
// renamed, moved, replaced or removed by anyone (no delete sharing) for as
// long as this object lives. Everything below is opened relative to this
// folder, by name, without following a link at that name, and acted on only
// when it is the entry listed (same identity): an entry swapped for a link or
// for another file since the listing is refused (kErrorEntryChanged), never
// followed. No method throws; a failing one records the Windows error code
// that LastError() returns.
class HeldFolder {
 public:
  virtual ~HeldFolder() = default;
  virtual FileIdentity Identity() const = 0;
  // Every entry but "." and "..", in the platform's order; false when the
  // folder cannot be read. An entry whose name the system's code page cannot
  // hold is left out: the product ships none, so it is none of the product's
  // and is never deleted, whatever short form it may have.
  virtual bool List(std::vector<HeldEntry>* out) = 0;
  // Opens the entry (a file, or a link as the link) for deletion and keeps it
  // so: the proof that it can be deleted now and the handle it is deleted
  // through. nullptr when another program holds it (32: it does not share
  // deletion, or it has it open for deletion itself, or this program claimed
  // it already) or it is no longer the entry listed (kErrorEntryChanged).
  virtual std::unique_ptr<ClaimedEntry> Claim(const HeldEntry& entry) = 0;
  // Deletes the entry (a file, a link as the link, or an empty folder)
  // through a handle opened relative to this folder. A read-only file, a held
  // file or a folder with content stays (false).
  virtual bool Delete(const HeldEntry& entry) = 0;
  // Holds a subfolder that is the entry listed and no link; nullptr otherwise.
  virtual std::unique_ptr<HeldFolder> HoldChild(const HeldEntry& entry) = 0;
  virtual uint32_t LastError() const = 0;
};

}  // namespace pel
