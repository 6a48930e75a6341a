// The block file: open sequence, block allocation and release, and the write-through of header and free list.
#include "store/file_manager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

#include "store/landing.h"
#include "store/le.h"
#include "store/stream.h"

namespace pel {

namespace {
constexpr int64_t kMaxOffset = std::numeric_limits<int32_t>::max();
}  // namespace

TFileManager::TFileManager(const Text& path, StoreOpenMode mode, WriteMode writes)
    : stream_(nullptr), ownsStream_(true), fileName_(path), holdWrites_(writes == WriteMode::kAtCommit) {
  owned_ = OpenStoreFile(path, mode);  // throws "Cannot open file ..." / "Cannot create file ..."
  stream_ = owned_.get();
  OpenSequence();
}

TFileManager::TFileManager(ByteStream& stream, WriteMode writes)
    : stream_(&stream), ownsStream_(false), holdWrites_(writes == WriteMode::kAtCommit) {
  OpenSequence();
}

TFileManager::~TFileManager() = default;

void TFileManager::OpenSequence() {
  operationNumber_ = kOpOpen;
  errorCode_ = kNoError;
  rootBlock_ = -1;
  usedSpaceEnd_ = kHeaderSize;
  freeList_ = std::make_unique<TFreeList>();
  int64_t size = stream_->Size();
  streamSize_ = std::max<int64_t>(size, 0);
  if (size < 0) {
    Fail(kSeekError);
  } else if (size != 0 && !ReadHeader(size)) {
    // A new store gets its magic text and header last; a file whose header
    // is still all zeros was cut off before that and holds no store yet.
    if (blankHeader_ && WriteMagic() && WriteHeader()) WriteFreeList();
  } else if (size != 0) {
    if (ReadFreeList(size)) NoteDiskState();
  } else {
    if (WriteMagic() && WriteHeader()) WriteFreeList();
  }
  if (errorCode_ != kNoError) ReportFailure();
}

void TFileManager::NoteDiskState() {
  diskUsedEnd_ = usedSpaceEnd_;
  diskRootBlock_ = rootBlock_;
  diskFreeListEnd_ = int64_t{usedSpaceEnd_} + 4 + 8 * int64_t{freeList_->Count()};
  diskFree_.clear();
  for (int i = 0; i < freeList_->Count(); ++i)
    diskFree_.emplace_back(freeList_->Position(i), freeList_->Length(i));
}

// Bytes the file on disk does not use: inside one of its free extents, or past
// its free-list area (a file yet to be made uses nothing).
bool TFileManager::OnDiskUnused(int64_t start, int64_t end) const {
  if (start >= diskFreeListEnd_) return true;
  for (const auto& [p, n] : diskFree_)
    if (start >= p && end <= p + n) return true;
  return false;
}

bool TFileManager::Fail(int32_t code) {
  if (errorCode_ == kNoError) errorCode_ = code;
  return false;
}

void TFileManager::MarkDamaged() {
  if (errorCode_ != kNoError) return;
  Fail(kReadError);
  ReportFailure();
}

void TFileManager::RefuseWrite() {
  if (errorCode_ != kNoError) return;
  Fail(kWriteError);
  ReportFailure();
}

bool TFileManager::InsideUsedSpace(int64_t blockPosition, int64_t n) const {
  return blockPosition - 4 >= kHeaderSize && n >= 0 && blockPosition + n <= usedSpaceEnd_;
}

bool TFileManager::SeekTo(int64_t offset) {
  if (errorCode_ != kNoError) return false;
  if (offset < 0 || stream_->Seek(offset) != offset) return Fail(kSeekError);
  position_ = offset;
  streamInStep_ = true;
  return true;
}

bool TFileManager::Reseek() {
  if (streamInStep_) return true;
  if (stream_->Seek(position_) != position_) return Fail(kSeekError);
  streamInStep_ = true;
  return true;
}

bool TFileManager::ReadBytes(void* buffer, int32_t n) {
  if (errorCode_ != kNoError) return false;
  if (n < 0) return Fail(kReadError);
  if (n == 0) return true;
  if (held_.empty()) {
    if (!Reseek()) return false;
    if (stream_->Read(buffer, n) != n) return Fail(kReadError);
    position_ += n;
    return true;
  }
  // The file as this operation sees it: the disk's bytes under the writes
  // held so far, with zeros where a write left a gap past the disk's end.
  int64_t end = streamSize_;
  for (const LandingWrite& w : held_) end = std::max<int64_t>(end, w.offset + static_cast<int64_t>(w.bytes.size()));
  if (position_ + n > end) return Fail(kReadError);
  auto* out = static_cast<uint8_t*>(buffer);
  int32_t fromDisk = static_cast<int32_t>(std::clamp<int64_t>(streamSize_ - position_, 0, n));
  if (fromDisk > 0 && (!Reseek() || stream_->Read(out, fromDisk) != fromDisk))
    return errorCode_ != kNoError ? false : Fail(kReadError);
  std::memset(out + fromDisk, 0, static_cast<size_t>(n - fromDisk));
  for (const LandingWrite& w : held_) {
    int64_t from = std::max(position_, w.offset);
    int64_t to = std::min<int64_t>(position_ + n, w.offset + static_cast<int64_t>(w.bytes.size()));
    if (from < to)
      std::memcpy(out + (from - position_), w.bytes.data() + (from - w.offset), static_cast<size_t>(to - from));
  }
  position_ += n;
  streamInStep_ = fromDisk == n;
  return true;
}

bool TFileManager::WriteBytes(const void* buffer, int32_t n) {
  if (errorCode_ != kNoError) return false;
  if (n < 0) return Fail(kWriteError);
  if (n == 0) return true;
  if (holdWrites_) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    // A write that covers an earlier one at the same offset replaces it: the
    // free list, rewritten after every allocation, would otherwise be held
    // once per block an operation frees.
    for (size_t i = held_.size(); i-- > 0;) {
      if (held_[i].offset == position_ && held_[i].bytes.size() <= static_cast<size_t>(n)) {
        held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
    }
    held_.push_back({position_, std::vector<uint8_t>(bytes, bytes + n)});
    ++heldCalls_;
    position_ += n;
    streamInStep_ = false;
    return true;
  }
  if (!Reseek()) return false;
  if (stream_->Write(buffer, n) != n) return Fail(kWriteError);
  position_ += n;
  return true;
}

int32_t TFileManager::Commit() {
  if (!holdWrites_) return errorCode_;
  if (errorCode_ != kNoError) {
    held_.clear();
    heldCalls_ = 0;
  }
  if (held_.empty()) return errorCode_;
  BlockFileLayout old, now;
  old.empty = diskFreeListEnd_ == 0;
  old.usedEnd = diskUsedEnd_;
  old.rootBlock = diskRootBlock_;
  old.freeExtents = diskFree_;
  now.empty = false;
  now.usedEnd = usedSpaceEnd_;
  now.rootBlock = rootBlock_;
  for (int i = 0; i < freeList_->Count(); ++i)
    now.freeExtents.emplace_back(freeList_->Position(i), freeList_->Length(i));
  std::vector<LandingWrite> plan = PlanLanding(held_, old, now, heldCalls_);
  heldCalls_ = 0;
  held_.clear();
  streamInStep_ = false;
  // What each landed write covered before it, so that a failure can put the
  // file back as it was: a full disk or a failing medium then costs nothing.
  std::vector<LandingWrite> undo;
  for (const LandingWrite& w : plan) {
    int32_t n = static_cast<int32_t>(w.bytes.size());
    int32_t existing = static_cast<int32_t>(std::clamp<int64_t>(streamSize_ - w.offset, 0, n));
    LandingWrite saved{w.offset, std::vector<uint8_t>(static_cast<size_t>(existing))};
    if (existing > 0 && stream_->Seek(w.offset) != w.offset) {
      Fail(kSeekError);
    } else if (existing > 0 && stream_->Read(saved.bytes.data(), existing) != existing) {
      Fail(kReadError);
    } else {
      undo.push_back(std::move(saved));
      if (stream_->Seek(w.offset) != w.offset)
        Fail(kSeekError);
      else if (stream_->Write(w.bytes.data(), n) != n)
        Fail(kWriteError);
    }
    if (errorCode_ != kNoError) {
      for (auto it = undo.rbegin(); it != undo.rend(); ++it)
        if (!it->bytes.empty() && stream_->Seek(it->offset) == it->offset)
          stream_->Write(it->bytes.data(), static_cast<int32_t>(it->bytes.size()));
      ReportFailure();
      return errorCode_;
    }
    streamSize_ = std::max<int64_t>(streamSize_, w.offset + n);
  }
  NoteDiskState();
  return errorCode_;
}

bool TFileManager::ReadInt32(int32_t& value) {
  uint8_t word[4];
  if (!ReadBytes(word, 4)) return false;
  value = GetLe32(word);
  return true;
}

bool TFileManager::WriteInt32(int32_t value) {
  uint8_t word[4];
  PutLe32(word, value);
  return WriteBytes(word, 4);
}

bool TFileManager::WriteMagic() {
  operationNumber_ = kOpWriteMagic;
  return SeekTo(0) && WriteBytes(kStoreMagic.data(), static_cast<int32_t>(kStoreMagic.size()));
}

bool TFileManager::WriteHeader() {
  operationNumber_ = kOpWriteHeader;
  uint8_t bytes[8];
  PutLe32(bytes, rootBlock_);
  PutLe32(bytes + 4, usedSpaceEnd_);
  return SeekTo(kRootBlockOffset) && WriteBytes(bytes, 8);
}

// A file that is not a store, or whose header points outside it, is
// unreadable: taken at its word it would make us read and write at arbitrary
// offsets of someone else's file.
bool TFileManager::ReadHeader(int64_t fileSize) {
  operationNumber_ = kOpReadHeader;
  if (fileSize < kHeaderSize) return Fail(kReadError);
  uint8_t bytes[kHeaderSize];
  if (!SeekTo(0) || !ReadBytes(bytes, kHeaderSize)) return false;
  blankHeader_ = holdWrites_ && std::all_of(std::begin(bytes), std::end(bytes),
                                            [](uint8_t b) { return b == 0; });
  if (blankHeader_) return false;
  if (fileSize < kHeaderSize + 4) return Fail(kReadError);
  if (std::string_view(reinterpret_cast<const char*>(bytes), kStoreMagic.size()) != kStoreMagic)
    return Fail(kReadError);
  int32_t root = GetLe32(bytes + kRootBlockOffset);
  int32_t used = GetLe32(bytes + kRootBlockOffset + 4);
  if (used < kHeaderSize || static_cast<int64_t>(used) + 4 > fileSize) return Fail(kReadError);
  if (root != -1 && (root - 4 < kHeaderSize || static_cast<int64_t>(root) + 4 > used))
    return Fail(kReadError);
  rootBlock_ = root;
  usedSpaceEnd_ = used;
  return true;
}

bool TFileManager::ReadFreeList(int64_t fileSize) {
  operationNumber_ = kOpReadFreeList;
  if (!SeekTo(usedSpaceEnd_)) return false;
  streamInStep_ = false;  // the free list reads the stream itself
  if (!freeList_->LoadFrom(*stream_, (fileSize - usedSpaceEnd_ - 4) / 8)) return Fail(kReadError);
  // Extents must be what the allocator keeps: sorted, disjoint, inside the
  // used space, and clear of the root block. Anything else would hand out
  // bytes that belong to live records.
  int64_t previousEnd = kHeaderSize;
  for (int i = 0; i < freeList_->Count(); ++i) {
    int64_t s = freeList_->Position(i), n = freeList_->Length(i);
    if (n <= 0 || s < previousEnd || s + n > usedSpaceEnd_) return Fail(kReadError);
    previousEnd = s + n;
  }
  if (rootBlock_ != -1 && freeList_->Overlaps(rootBlock_ - 4, 8)) return Fail(kReadError);
  return true;
}

bool TFileManager::WriteFreeList() {
  operationNumber_ = kOpWriteFreeList;
  if (!SeekTo(usedSpaceEnd_)) return false;
  std::vector<uint8_t> area = freeList_->AreaBytes();
  return WriteBytes(area.data(), static_cast<int32_t>(area.size()));
}

int32_t TFileManager::AllocBlock(int32_t n) {
  operationNumber_ = kOpAllocBlock;
  if (n == 0 || errorCode_ != kNoError) return -1;
  if (n < 0 || n > kMaxOffset - 4) {
    // No block of that size can exist in a file addressed by int32.
    Fail(kWriteError);
    ReportFailure();
    return -1;
  }
  int32_t length = n + 4;
  int32_t usedBefore = usedSpaceEnd_;
  int32_t p = TakeFromFreeList(length);
  if (p == -1) p = AppendBlock(length);
  if (errorCode_ != kNoError) return -1;
  bool headerChanges = rootBlock_ == -1 || usedSpaceEnd_ != usedBefore;
  if (rootBlock_ == -1) rootBlock_ = p;
  // The header that makes a new block part of the file goes last, after the
  // block and the free-list area past it exist: a file cut off in between
  // still opens as it was.
  if (WriteFreeList() && headerChanges) WriteHeader();
  if (errorCode_ != kNoError) ReportFailure();
  return p;
}

int32_t TFileManager::TakeFromFreeList(int32_t length) {
  operationNumber_ = kOpTakeFromFreeList;
  int32_t s = freeList_->TakeExtent(length);
  if (s == -1) return -1;
  if (SeekTo(s) && WriteInt32(length)) WriteFreeList();
  return s + 4;
}

int32_t TFileManager::AppendBlock(int32_t length) {
  operationNumber_ = kOpAppendBlock;
  if (static_cast<int64_t>(usedSpaceEnd_) + length + 4 > kMaxOffset) {
    Fail(kWriteError);  // the file would outgrow int32 offsets
    return -1;
  }
  int32_t result = usedSpaceEnd_ + 4;
  if (SeekTo(usedSpaceEnd_) && WriteInt32(length)) usedSpaceEnd_ += length;
  return result;
}

void TFileManager::FreeBlock(int32_t blockPosition) {
  operationNumber_ = kOpFreeBlock;
  if (blockPosition == -1 || blockPosition == rootBlock_ || errorCode_ != kNoError) return;
  int32_t length = 0;
  if (!InsideUsedSpace(blockPosition, 0)) {
    MarkDamaged();
  } else if (SeekTo(blockPosition - 4) && ReadInt32(length)) {
    // A length that runs past the used space, or a block that is already
    // free, means a damaged index; releasing it would let the same bytes be
    // handed out twice.
    int64_t start = static_cast<int64_t>(blockPosition) - 4;
    if (length < 5 || start + length > usedSpaceEnd_ || freeList_->Overlaps(start, length))
      MarkDamaged();
    else if (ReleaseExtent(blockPosition - 4, length))
      WriteFreeList();
  }
  if (errorCode_ != kNoError) ReportFailure();
}

bool TFileManager::ReleaseExtent(int32_t start, int32_t length) {
  operationNumber_ = kOpReleaseExtent;
  if (length == 0) return true;
  if (static_cast<int64_t>(start) + length < usedSpaceEnd_) {
    freeList_->AddExtent(start, length);
    return true;
  }
  usedSpaceEnd_ = start;
  return WriteHeader();
}

void TFileManager::ReportFailure() {
  failureReport_ = "Block: " + std::to_string(operationNumber_) + ", " + ErrorText(errorCode_);
}

Text TFileManager::ErrorText(int32_t code) {
  switch (code) {
    case kNoError: return "No error!";
    case kWriteError: return "Fatal write error!";
    case kReadError: return "Fatal read error!";
    case kSeekError: return "Fatal seek error!";
    default: return "Unknown FATAL error!";
  }
}

}  // namespace pel
