// The block file: open sequence, block allocation and release, and the write-through of header and free list.
#include "store/file_manager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

#include "store/journal.h"
#include "store/le.h"
#include "store/stream.h"

namespace pel {

namespace {
constexpr int64_t kMaxOffset = std::numeric_limits<int32_t>::max();
}  // namespace

TFileManager::TFileManager(const Text& path, StoreOpenMode mode, WriteMode writes)
    : stream_(nullptr), ownsStream_(true), fileName_(path), holdWrites_(writes == WriteMode::kAtCommit) {
  owned_ = OpenStoreFile(path, mode, openFailure_);
  stream_ = owned_.get();
  if (!stream_) {
    freeList_ = std::make_unique<TFreeList>();
    errorCode_ = kOpenError;
    return;
  }
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
  // An operation a kill or a power loss cut short is undone before anything
  // reads the file: readers would see it half landed, writers build on it.
  if (JournalHost* journal = stream_->Journal()) {
    int32_t code = RecoverFromJournal(*stream_, *journal);
    if (code != kNoError) {
      Fail(code);
      ReportFailure();
      return;
    }
  }
  int64_t size = stream_->Size();
  streamSize_ = std::max<int64_t>(size, 0);
  if (size < 0) {
    Fail(kSeekError);
  } else if (size != 0 && !ReadHeader(size)) {
    // A file of nothing but zeros, no longer than a new store, holds no
    // store yet (a power loss can leave a new one so). Any other file with a
    // damaged header may hold records: it is never written.
    if (blankFile_ && WriteMagic() && WriteHeader()) WriteFreeList();
  } else if (size != 0) {
    ReadFreeList(size);
  } else {
    if (WriteMagic() && WriteHeader()) WriteFreeList();
  }
  if (errorCode_ != kNoError) ReportFailure();
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
  if (offset < 0) return Fail(kSeekError);
  if (holdWrites_) {
    // Held writes need no seek; a read makes the one it needs.
    position_ = offset;
    streamInStep_ = false;
    return true;
  }
  if (stream_->Seek(offset) != offset) return Fail(kSeekError);
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
    int32_t got = stream_->ReadAt(position_, buffer, n);
    if (got < 0) return Fail(kSeekError);
    if (got != n) return Fail(kReadError);
    position_ += n;
    streamInStep_ = false;
    return true;
  }
  // The file as this operation sees it: the disk's bytes under the writes
  // held so far, with zeros where a write left a gap past the disk's end.
  int64_t end = streamSize_;
  for (const LandingWrite& w : held_) end = std::max<int64_t>(end, w.offset + static_cast<int64_t>(w.bytes.size()));
  if (position_ + n > end) return Fail(kReadError);
  auto* out = static_cast<uint8_t*>(buffer);
  int32_t fromDisk = static_cast<int32_t>(std::clamp<int64_t>(streamSize_ - position_, 0, n));
  if (fromDisk > 0) {
    int32_t got = stream_->ReadAt(position_, out, fromDisk);
    if (got < 0) return Fail(kSeekError);
    if (got != fromDisk) return Fail(kReadError);
  }
  std::memset(out + fromDisk, 0, static_cast<size_t>(n - fromDisk));
  for (const LandingWrite& w : held_) {
    int64_t from = std::max(position_, w.offset);
    int64_t to = std::min<int64_t>(position_ + n, w.offset + static_cast<int64_t>(w.bytes.size()));
    if (from < to)
      std::memcpy(out + (from - position_), w.bytes.data() + (from - w.offset), static_cast<size_t>(to - from));
  }
  position_ += n;
  streamInStep_ = false;
  return true;
}

bool TFileManager::WriteBytes(std::vector<uint8_t>&& bytes) {
  if (!holdWrites_ || errorCode_ != kNoError || bytes.empty())
    return WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
  Hold(std::move(bytes));
  return true;
}

void TFileManager::NoteBlockLength(int32_t blockPosition, int32_t length) {
  for (auto& [p, l] : knownLengths_)
    if (p == blockPosition) {
      l = length;
      return;
    }
  knownLengths_.emplace_back(blockPosition, length);
}

void TFileManager::ForgetLengthsIn(int64_t offset, int64_t n) {
  if (knownLengths_.empty()) return;
  std::erase_if(knownLengths_, [&](const std::pair<int32_t, int32_t>& k) {
    return k.first - 4 < offset + n && offset < k.first;
  });
}

void TFileManager::Hold(std::vector<uint8_t>&& bytes) {
  int64_t n = static_cast<int64_t>(bytes.size());
  ForgetLengthsIn(position_, n);
  // A write that covers an earlier one at the same offset replaces it: the
  // free list, rewritten after every allocation, would otherwise be held
  // once per block an operation frees.
  for (size_t i = held_.size(); i-- > 0;) {
    if (held_[i].offset == position_ && static_cast<int64_t>(held_[i].bytes.size()) <= n) {
      held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  held_.push_back({position_, std::move(bytes)});
  position_ += n;
  streamInStep_ = false;
}

bool TFileManager::WriteBytes(const void* buffer, int32_t n) {
  if (errorCode_ != kNoError) return false;
  if (n < 0) return Fail(kWriteError);
  if (n == 0) return true;
  if (holdWrites_) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    Hold(std::vector<uint8_t>(bytes, bytes + n));
    return true;
  }
  ForgetLengthsIn(position_, n);
  if (!Reseek()) return false;
  if (stream_->Write(buffer, n) != n) return Fail(kWriteError);
  position_ += n;
  return true;
}

int32_t TFileManager::Commit() {
  if (!holdWrites_) return errorCode_;
  if (errorCode_ != kNoError) held_.clear();
  std::vector<JournalRegion> regions;
  if (!held_.empty()) regions = ChangedRegions();
  held_.clear();
  if (errorCode_ == kNoError && !regions.empty()) {
    int32_t code = LandRegions(*stream_, stream_->Journal(), streamSize_, regions);
    if (code != kNoError) {
      Fail(code);
      ReportFailure();
    } else {
      for (const JournalRegion& r : regions)
        streamSize_ = std::max<int64_t>(streamSize_, r.offset + static_cast<int64_t>(r.now.size()));
    }
  }
  // Whatever was written has been flushed and committed; a close that fails
  // still says the file may not be what this operation reports.
  if (ownsStream_ && owned_ && !owned_->Close() && errorCode_ == kNoError && !regions.empty()) {
    Fail(kWriteError);
    ReportFailure();
  }
  return errorCode_;
}

// The held writes as the bytes they leave, cut down to the stretches that
// differ from the file: a region rewritten with its own bytes costs nothing.
std::vector<JournalRegion> TFileManager::ChangedRegions() {
  std::vector<size_t> order(held_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Writes to one offset keep the order they were held in.
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return held_[a].offset != held_[b].offset ? held_[a].offset < held_[b].offset : a < b;
  });
  struct Run {
    int64_t start, end;
    std::vector<uint8_t> bytes;
  };
  std::vector<Run> runs;
  for (size_t i : order) {
    int64_t start = held_[i].offset, end = start + static_cast<int64_t>(held_[i].bytes.size());
    if (!runs.empty() && start <= runs.back().end)
      runs.back().end = std::max(runs.back().end, end);
    else
      runs.push_back({start, end, {}});
  }
  for (Run& r : runs) r.bytes.resize(static_cast<size_t>(r.end - r.start));
  for (const LandingWrite& w : held_) {  // in the order made: the last write wins
    auto it = std::upper_bound(runs.begin(), runs.end(), w.offset,
                               [](int64_t v, const Run& r) { return v < r.start; });
    Run& r = *std::prev(it);
    std::memcpy(r.bytes.data() + (w.offset - r.start), w.bytes.data(), w.bytes.size());
  }
  // Changed stretches closer than this are written as one.
  constexpr int64_t kGap = 32;
  std::vector<JournalRegion> regions;
  std::vector<uint8_t> disk;
  for (const Run& r : runs) {
    int64_t onDisk = std::clamp<int64_t>(streamSize_ - r.start, 0, r.end - r.start);
    disk.resize(static_cast<size_t>(onDisk));
    if (onDisk > 0) {
      int32_t got = stream_->ReadAt(r.start, disk.data(), static_cast<int32_t>(onDisk));
      if (got != onDisk) {
        Fail(got < 0 ? kSeekError : kReadError);
        ReportFailure();
        return {};
      }
    }
    auto differs = [&](int64_t k) { return k >= onDisk || disk[k] != r.bytes[k]; };
    const int64_t n = r.end - r.start;
    for (int64_t k = 0; k < n;) {
      if (!differs(k)) {
        ++k;
        continue;
      }
      int64_t from = k, to = k + 1, same = 0;
      for (int64_t m = k + 1; m < n && same < kGap; ++m) {
        if (differs(m))
          to = m + 1, same = 0;
        else
          ++same;
      }
      JournalRegion region;
      region.offset = r.start + from;
      region.now.assign(r.bytes.begin() + from, r.bytes.begin() + to);
      int64_t oldEnd = std::min(to, onDisk);
      if (oldEnd > from) region.old.assign(disk.begin() + from, disk.begin() + oldEnd);
      regions.push_back(std::move(region));
      k = to;
    }
  }
  return regions;
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
  if (fileSize <= kNewStoreSize) {
    uint8_t all[kNewStoreSize];
    int32_t n = static_cast<int32_t>(fileSize);
    if (!SeekTo(0) || !ReadBytes(all, n)) return false;
    blankFile_ = std::all_of(all, all + n, [](uint8_t b) { return b == 0; });
    if (blankFile_) return false;
  }
  if (fileSize < kHeaderSize + 4) return Fail(kReadError);
  uint8_t bytes[kHeaderSize];
  if (!SeekTo(0) || !ReadBytes(bytes, kHeaderSize)) return false;
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
  if (!SeekTo(usedSpaceEnd_) || !Reseek()) return false;
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
  return WriteBytes(freeList_->AreaBytes());
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
  auto known = std::find_if(knownLengths_.begin(), knownLengths_.end(),
                            [&](const auto& k) { return k.first == blockPosition; });
  if (!InsideUsedSpace(blockPosition, 0)) {
    MarkDamaged();
  } else if (known != knownLengths_.end()) {
    length = known->second;
    knownLengths_.erase(known);
  } else if (!SeekTo(blockPosition - 4) || !ReadInt32(length)) {
    length = -1;
  }
  if (errorCode_ == kNoError && length != -1) {
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
