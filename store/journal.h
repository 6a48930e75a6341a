// The rollback journal: the old bytes of every region an operation overwrites, kept beside the store until it has landed.
//
// Why beside the store and not in its own tail: the store's bytes stay
// exactly those of the file format, so the mail client never meets anything
// but a store, even after a crash; the journal's mere presence marks an
// operation in flight; and deleting a file is a single step the file system
// makes atomic, which is what a commit point needs. A journal in the tail
// would need a marker the format has no room for and a truncation to commit.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "store/stream.h"

namespace pel {

// The journal of "X.dbc" is "X.dbc.jnl"; one that no longer fits its store
// (the mail client wrote since) is kept as "X.dbc.jnl.old".
inline constexpr std::string_view kJournalSuffix = ".jnl";
inline constexpr std::string_view kSetAsideSuffix = ".old";

// Where one store's journal lives. Only whoever holds the store uses it.
class JournalHost {
 public:
  virtual ~JournalHost() = default;
  virtual bool Exists() = 0;
  // The journal to read (create false), or a new, empty one (create true).
  // Null on failure.
  virtual std::unique_ptr<ByteStream> Open(bool create) = 0;
  // Deletes it durably: the commit point of an operation. True when gone.
  virtual bool Remove() = 0;
  // Keeps a journal that does not fit its store under another name.
  virtual bool SetAside() = 0;
};

Text JournalPathOf(const Text& storePath);
std::unique_ptr<JournalHost> FileJournal(const Text& storePath);

// One region an operation writes: its new bytes, and the old bytes it covers
// (those of it that lie inside the old file).
struct JournalRegion {
  int64_t offset = 0;
  std::vector<uint8_t> now;
  std::vector<uint8_t> old;
};

// What every opener does first: a complete journal whose regions hold their
// old or new bytes is rolled back (the file is then exactly as before the
// operation); an incomplete one is deleted, since nothing landed before it
// was complete; one that does not fit is set aside. 0 when the store may be
// used; otherwise the error code, and the journal stays for the next opener.
int32_t RecoverFromJournal(ByteStream& store, JournalHost& host);

// Lands the regions (sorted, disjoint) on a store oldSize bytes long: the
// journal is written and flushed, the regions land, the store is flushed and
// the journal deleted. Any failure before the deletion puts the old bytes
// back; when even that fails the journal stays for the next opener. Without
// a host (a stream in memory) the same, minus the journal. 0 or the error code.
int32_t LandRegions(ByteStream& store, JournalHost* host, int64_t oldSize,
                    const std::vector<JournalRegion>& regions);

// The journal's bytes for those regions (tests and the fuzzer build their own).
std::vector<uint8_t> EncodeJournal(int64_t oldSize, int64_t newSize,
                                   const std::vector<JournalRegion>& regions);

}  // namespace pel
