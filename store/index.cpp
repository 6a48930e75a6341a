// Index and data records: loading an index, writing records, and saving the chain up to the root block.
#include "store/index.h"

#include <cstring>
#include <limits>
#include <vector>

#include "store/data_buf.h"
#include "store/file_manager.h"
#include "store/le.h"
#include "store/stream.h"

namespace pel {

namespace {

constexpr int32_t kRecordHead = 12;  // flags word, stored length, uncompressed length

// The payload size of a record's block; -1 (which the allocator refuses) when
// it cannot be addressed with int32.
int32_t RecordBlockSize(int count, int64_t stored) {
  int64_t n = 4 * static_cast<int64_t>(count) + stored + kRecordHead;
  return n > std::numeric_limits<int32_t>::max() ? -1 : static_cast<int32_t>(n);
}

}  // namespace

bool IsStorableName(std::string_view name) {
  return !name.empty() && name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

TFMindex::TFMindex(TFileManager& manager, TFMindex* parent, std::string_view name)
    : name_(name), parent_(parent), manager_(manager) {
  Load();
}

bool TFMindex::ReadHead(int32_t position, Head& h) {
  if (!manager_.InsideUsedSpace(position, kRecordHead)) {
    manager_.MarkDamaged();
    return false;
  }
  uint8_t bytes[4 + kRecordHead];
  if (!manager_.SeekTo(int64_t{position} - 4) || !manager_.ReadBytes(bytes, sizeof bytes))
    return false;
  h.blockLength = GetLe32(bytes);
  h.flags = static_cast<uint32_t>(GetLe32(bytes + 4));
  h.stored = GetLe32(bytes + 8);
  h.uncompressed = GetLe32(bytes + 12);
  // Block and payload must lie inside the used space before anything is
  // allocated for them or the block is ever freed.
  if (h.blockLength < 4 + kRecordHead || !manager_.InsideUsedSpace(position, h.blockLength - 4) ||
      h.stored < 0 || h.stored > h.blockLength - 4 - kRecordHead) {
    manager_.MarkDamaged();
    return false;
  }
  manager_.NoteBlockLength(position, h.blockLength);
  return true;
}

void TFMindex::Load() {
  bool root = parent_ == nullptr || name_.empty();
  if (!root) {
    recordPosition_ = parent_->PositionOf(name_);
  } else if (manager_.RootBlock() == -1) {
    recordPosition_ = -1;
    int32_t b = manager_.AllocBlock(4);
    if (b != -1 && manager_.SeekTo(b)) manager_.WriteInt32(-1);
  } else if (!manager_.SeekTo(manager_.RootBlock()) || !manager_.ReadInt32(recordPosition_)) {
    recordPosition_ = -1;
  }
  if (recordPosition_ == -1) return;

  Head head;
  if (!ReadHead(recordPosition_, head)) return;
  const int32_t stored = head.stored;
  if ((head.flags & 0xFF) != kIndexRecord) {
    // The root block must lead to an index; a name that holds a data record
    // is not one to walk through or to save over.
    if (root)
      manager_.MarkDamaged();
    else
      isIndex_ = false;
    return;
  }
  TDataBuf buffer;
  buffer.SetFlagsWord(head.flags);
  buffer.SetPayload(nullptr, stored);
  buffer.uncompressedLength = head.uncompressed;
  if (!manager_.ReadBytes(buffer.Payload(), stored)) return;
  if (buffer.compressed == 1 && buffer.Decompress() != 0) textIntact_ = false;
  SetText(buffer.PayloadText());
  // One position per name must fit in the block, or the text and the
  // positions no longer belong together; and a block that is also on the free
  // list would be handed out twice once this index is saved.
  if (int64_t{kRecordHead} + stored + 4 * int64_t{Count()} > head.blockLength - 4 ||
      manager_.FreeList().Overlaps(int64_t{recordPosition_} - 4, head.blockLength)) {
    Clear();
    manager_.MarkDamaged();
    return;
  }
  // Blocks of one chain are freed one after the other when it is saved; if
  // two of them shared bytes the second free would find them free already.
  if ((parent_ && parent_->ChainOverlaps(int64_t{recordPosition_} - 4, head.blockLength)) ||
      (!parent_ && manager_.RootBlock() != -1 &&
       int64_t{recordPosition_} - 4 < int64_t{manager_.RootBlock()} + 4 &&
       manager_.RootBlock() - 4 < int64_t{recordPosition_} - 4 + head.blockLength)) {
    Clear();
    manager_.MarkDamaged();
    return;
  }
  blockStart_ = int64_t{recordPosition_} - 4;
  blockLength_ = head.blockLength;
  std::vector<uint8_t> positions(static_cast<size_t>(Count()) * 4);
  if (!manager_.ReadBytes(positions.data(), static_cast<int32_t>(positions.size()))) return;
  for (int i = 0; i < Count(); ++i) SetValue(i, GetLe32(&positions[static_cast<size_t>(i) * 4]));
}

int32_t TFMindex::PositionOf(std::string_view name) const {
  int i = IndexOf(name);
  return i < 0 ? -1 : Value(i);
}

bool TFMindex::CanFreeRecordAt(int32_t position, int32_t* blockLength) {
  Head head;
  if (ListsAnAncestor(position) || !ReadHead(position, head)) return false;
  int64_t start = int64_t{position} - 4;
  if (manager_.FreeList().Overlaps(start, head.blockLength) || ChainOverlaps(start, head.blockLength)) {
    manager_.MarkDamaged();
    return false;
  }
  if (blockLength) *blockLength = head.blockLength;
  return true;
}

bool TFMindex::ChainOverlaps(int64_t start, int64_t length) const {
  int32_t root = manager_.RootBlock();
  if (root != -1 && start < int64_t{root} + 4 && root - 4 < start + length) return true;
  for (const TFMindex* index = this; index; index = index->parent_)
    if (index->blockLength_ > 0 && start < index->blockStart_ + index->blockLength_ &&
        index->blockStart_ < start + length)
      return true;
  return false;
}

int32_t TFMindex::StoredLengthOf(std::string_view name) {
  int32_t p = PositionOf(name);
  if (p == -1) return 0;
  Head head;
  return ReadHead(p, head) ? head.stored : 0;
}

uint8_t TFMindex::KindOf(std::string_view name) {
  int32_t p = PositionOf(name);
  if (p == -1) return kNoRecordKind;
  Head head;
  return ReadHead(p, head) ? static_cast<uint8_t>(head.flags) : kNoRecordKind;
}

int32_t TFMindex::SetPosition(std::string_view name, int32_t position) {
  if (name.empty()) return -1;
  int i = IndexOf(name);
  if (i < 0) i = Add(name);
  SetValue(i, position);
  return position;
}

int32_t TFMindex::SetPositionAndSave(std::string_view name, int32_t position) {
  int32_t result = SetPosition(name, position);
  Save();
  return result;
}

int32_t TFMindex::WriteIndexRecord() {
  if (!ChainWritable()) return -1;
  if (recordPosition_ != -1) manager_.FreeBlock(recordPosition_);
  Text text = GetText();
  TDataBuf buffer;
  buffer.Assign(text.c_str(), static_cast<int32_t>(text.size()) + 1);  // with its zero byte
  buffer.kind = kIndexRecord;
  buffer.reserved[0] = buffer.reserved[1] = 0;
  buffer.compressed = 0;
  if (CompressionSwitch()) buffer.Compress();
  recordPosition_ = manager_.AllocBlock(RecordBlockSize(Count(), buffer.storedLength));
  if (recordPosition_ != -1) {
    std::vector<uint8_t> bytes(static_cast<size_t>(kRecordHead + buffer.storedLength) +
                               4 * static_cast<size_t>(Count()));
    PutLe32(bytes.data(), static_cast<int32_t>(buffer.FlagsWord()));
    PutLe32(&bytes[4], buffer.storedLength);
    PutLe32(&bytes[8], buffer.uncompressedLength);
    std::memcpy(&bytes[kRecordHead], buffer.Payload(), static_cast<size_t>(buffer.storedLength));
    size_t at = static_cast<size_t>(kRecordHead + buffer.storedLength);
    for (int i = 0; i < Count(); ++i, at += 4) PutLe32(&bytes[at], Value(i));
    if (manager_.SeekTo(recordPosition_))
      manager_.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
  }
  return recordPosition_;
}

bool TFMindex::ChainWritable() {
  for (const TFMindex* index = this; index; index = index->parent_) {
    if (!index->isIndex_) {
      manager_.RefuseWrite();
      return false;
    }
    if (!index->textIntact_) {
      manager_.MarkDamaged();
      return false;
    }
  }
  return true;
}

int32_t TFMindex::Save() {
  if (!ChainWritable()) return -1;
  int32_t p = WriteIndexRecord();
  if (parent_) {
    parent_->SetPositionAndSave(name_, p);
  } else if (manager_.SeekTo(manager_.RootBlock())) {
    manager_.WriteInt32(p);
  }
  return p;
}

const uint8_t* TFMindex::ReadRecord(std::string_view name, TDataBuf* buffer) {
  if (!buffer) return nullptr;
  int32_t p = PositionOf(name);
  if (p == -1) return nullptr;
  Head head;
  if (!ReadHead(p, head)) return nullptr;
  // An index record's text is the index's names, never a record's contents.
  if ((head.flags & 0xFF) != kDataRecord) return nullptr;
  buffer->SetFlagsWord(head.flags);
  buffer->SetPayload(nullptr, head.stored);
  buffer->uncompressedLength = head.uncompressed;
  if (manager_.ReadBytes(buffer->Payload(), head.stored) && buffer->compressed == 1)
    buffer->Decompress();
  return buffer->Payload();
}

// The position list copies the index as it stands, so the entry being
// written still holds the position of the record it replaces.
int32_t TFMindex::WriteDataRecord(uint32_t flags, const uint8_t* payload, int32_t stored,
                                  int32_t uncompressed) {
  int32_t p = manager_.AllocBlock(RecordBlockSize(Count(), stored));
  if (p == -1) return -1;
  std::vector<uint8_t> bytes(static_cast<size_t>(kRecordHead + stored) +
                             4 * static_cast<size_t>(Count()));
  PutLe32(bytes.data(), static_cast<int32_t>(flags));
  PutLe32(&bytes[4], stored);
  PutLe32(&bytes[8], uncompressed);
  if (stored) std::memcpy(&bytes[kRecordHead], payload, static_cast<size_t>(stored));
  size_t at = static_cast<size_t>(kRecordHead + stored);
  for (int j = 0; j < Count(); ++j, at += 4) PutLe32(&bytes[at], Value(j));
  if (manager_.SeekTo(p)) manager_.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
  return p;
}

// An entry that points at this index's own record, or at one of its parents,
// can only come from a damaged file; freeing it would free a block that the
// save that follows frees again.
bool TFMindex::ListsAnAncestor(int32_t position) {
  if (position == -1) return false;
  for (const TFMindex* index = this; index; index = index->parent_) {
    if (index->recordPosition_ == position) {
      manager_.MarkDamaged();
      return true;
    }
  }
  return false;
}

// The record about to be replaced or deleted is checked before it is freed:
// a data record written over an index would cut off every record below it
// (the caller has to delete the index first if that is really meant), and a
// block that runs into this index chain or the free list means a damaged file
// whose damage would otherwise surface halfway through the save.
bool TFMindex::CanReplace(int32_t old, bool writing) {
  if (old == -1) return true;
  Head head;
  if (!ReadHead(old, head)) return false;
  if (writing && (head.flags & 0xFF) == kIndexRecord) {
    manager_.RefuseWrite();
    return false;
  }
  int64_t start = int64_t{old} - 4;
  if (manager_.FreeList().Overlaps(start, head.blockLength) || ChainOverlaps(start, head.blockLength)) {
    manager_.MarkDamaged();
    return false;
  }
  return true;
}

int TFMindex::ClaimEntry(std::string_view name, bool writing, int32_t* old) {
  if (!IsStorableName(name)) {
    manager_.RefuseWrite();
    return -1;
  }
  if (!ChainWritable()) return -1;
  int i = IndexOf(name);
  if (i < 0) i = Add(name, -1);
  *old = Value(i);
  if (ListsAnAncestor(*old) || !CanReplace(*old, writing)) return -1;
  if (*old != -1) manager_.FreeBlock(*old);
  return i;
}

int32_t TFMindex::WriteRecord(std::string_view name, TDataBuf* buffer, bool save) {
  int32_t old = -1;
  int i = ClaimEntry(name, buffer != nullptr, &old);
  if (i < 0) return -1;
  int32_t p = -1;
  if (buffer) {
    buffer->kind = kDataRecord;
    buffer->reserved[0] = buffer->reserved[1] = 0;
    buffer->compressed = 0;
    if (CompressionSwitch()) buffer->Compress();
    p = WriteDataRecord(buffer->FlagsWord(), buffer->Payload(), buffer->storedLength,
                        buffer->uncompressedLength);
    SetValue(i, p);
  } else {
    Delete(i);
  }
  if (save) Save();
  return buffer ? p : old;
}

int32_t TFMindex::WriteRecordFromStream(std::string_view name, MemoryStream* stream, bool save) {
  int32_t old = -1;
  int i = ClaimEntry(name, stream != nullptr, &old);
  if (i < 0) return -1;
  int32_t p = -1;
  if (stream) {
    TDataBuf flags;
    flags.kind = kDataRecord;
    int32_t uncompressed = static_cast<int32_t>(stream->Size());
    bool produced = false;
    if (CompressionSwitch() && TDataBuf::CompressStream(*stream, &produced) == 0 && produced)
      flags.compressed = 1;
    p = WriteDataRecord(flags.FlagsWord(), stream->Bytes().data(),
                        static_cast<int32_t>(stream->Size()), uncompressed);
    SetValue(i, p);
  } else {
    Delete(i);
  }
  if (save) Save();
  return stream ? p : old;
}

}  // namespace pel
