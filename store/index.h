// TFMindex: one index of the store's record tree, held as a list of names with record positions.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/string_list.h"
#include "base/text.h"

namespace pel {

class MemoryStream;
class TDataBuf;
class TFileManager;

inline constexpr uint8_t kIndexRecord = 1;
inline constexpr uint8_t kDataRecord = 2;
inline constexpr uint8_t kNoRecordKind = 255;

// A name can be stored when it is not empty and holds no CR, LF or zero byte:
// the index text ends each name with CR LF and stops at the first zero byte,
// so such a name would come back as different names with shifted positions.
bool IsStorableName(std::string_view name);

class TFMindex : public StringList {
 public:
  // Loads the index named name in parent (the root index when parent is null
  // or name is empty; a new file gets its root block here).
  TFMindex(TFileManager& manager, TFMindex* parent, std::string_view name);
  virtual ~TFMindex() = default;
  TFMindex(const TFMindex&) = delete;
  TFMindex& operator=(const TFMindex&) = delete;

  const Text& Name() const { return name_; }
  int32_t RecordPosition() const { return recordPosition_; }
  TFMindex* Parent() const { return parent_; }
  TFileManager& Manager() const { return manager_; }
  // False when the name this index was loaded under holds a data record: such
  // an index is empty and refuses to be saved, since saving it would free the
  // data record and put an index in its place.
  bool IsIndex() const { return isIndex_; }
  // Whether this index and every index above it may be saved: each is an
  // index, and each was read whole (an index whose text failed to inflate
  // holds garbage names, and saving it would replace the real ones). When not,
  // the manager's error code says why (1 not an index, 2 damaged) and nothing
  // may be written.
  bool ChainWritable();
  // False when this index's text failed to inflate: its names are garbage.
  bool TextIntact() const { return textIntact_; }

  int32_t PositionOf(std::string_view name) const;
  // Whether a record block lies at position, inside the used space, clear of
  // the free list and of this index chain's blocks; when not, the file is
  // marked damaged. Gives the block's length when asked. Lets a caller check every block it is about
  // to free before it frees the first.
  bool CanFreeRecordAt(int32_t position, int32_t* blockLength = nullptr);
  // Whether [start, start + length) shares a byte with the root block or the
  // block of this index or of any index above it.
  bool ChainOverlaps(int64_t start, int64_t length) const;
  int64_t BlockStart() const { return blockStart_; }
  int32_t BlockLength() const { return blockLength_; }
  int32_t StoredLengthOf(std::string_view name);
  uint8_t KindOf(std::string_view name);
  int32_t SetPosition(std::string_view name, int32_t position);
  int32_t SetPositionAndSave(std::string_view name, int32_t position);
  int32_t WriteIndexRecord();
  int32_t Save();
  // Reads the named data record into buffer; returns its payload, or null when
  // there is no buffer, no such record, or the name holds an index record.
  const uint8_t* ReadRecord(std::string_view name, TDataBuf* buffer);

  // Writes buffer as the named data record (replacing one that is there; an
  // index is never replaced, the manager's code becomes 1), or, without a
  // buffer, deletes the name and its record. Saves the index chain
  // when save is set. Returns the new record position, or the old one when
  // deleting.
  virtual int32_t WriteRecord(std::string_view name, TDataBuf* buffer, bool save);
  virtual int32_t WriteRecordFromStream(std::string_view name, MemoryStream* stream, bool save);

 private:
  // The entry a write to name takes: its index, with the record it held freed;
  // -1, with nothing freed, when the write must be refused.
  int ClaimEntry(std::string_view name, bool writing, int32_t* old);

  void Load();
  struct Head {
    int32_t blockLength = 0;
    uint32_t flags = 0;
    int32_t stored = 0;
    int32_t uncompressed = 0;
  };
  // Reads a record's block length word and 12-byte head in one transfer; false
  // (the file marked damaged) when the block or the payload would not lie
  // inside the used space.
  bool ReadHead(int32_t position, Head& head);
  bool ListsAnAncestor(int32_t position);
  bool CanReplace(int32_t old, bool writing);
  int32_t WriteDataRecord(uint32_t flags, const uint8_t* payload, int32_t stored,
                          int32_t uncompressed);

  Text name_;
  int32_t recordPosition_ = -1;
  TFMindex* parent_;
  TFileManager& manager_;
  bool isIndex_ = true;
  bool textIntact_ = true;
  int64_t blockStart_ = -1;  // this index's block, once loaded and found sound
  int32_t blockLength_ = 0;
};

}  // namespace pel
