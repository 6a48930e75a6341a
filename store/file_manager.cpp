// The block file: open sequence, block allocation and release, and the write-through of header and free list.
#include "store/file_manager.h"

#include <limits>

#include "store/le.h"
#include "store/stream.h"

namespace pel {

namespace {
constexpr int64_t kMaxOffset = std::numeric_limits<int32_t>::max();
}  // namespace

TFileManager::TFileManager(const Text& path, StoreOpenMode mode)
    : stream_(nullptr), ownsStream_(true), fileName_(path) {
  owned_ = OpenStoreFile(path, mode);  // throws "Cannot open file ..." / "Cannot create file ..."
  stream_ = owned_.get();
  OpenSequence();
}

TFileManager::TFileManager(ByteStream& stream) : stream_(&stream), ownsStream_(false) {
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
  if (size < 0) {
    Fail(kSeekError);
  } else if (size != 0) {
    if (ReadHeader(size)) ReadFreeList(size);
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
  if (offset < 0 || stream_->Seek(offset) != offset) return Fail(kSeekError);
  return true;
}

bool TFileManager::ReadBytes(void* buffer, int32_t n) {
  if (errorCode_ != kNoError) return false;
  if (n < 0) return Fail(kReadError);
  if (n == 0) return true;
  if (stream_->Read(buffer, n) != n) return Fail(kReadError);
  return true;
}

bool TFileManager::WriteBytes(const void* buffer, int32_t n) {
  if (errorCode_ != kNoError) return false;
  if (n < 0) return Fail(kWriteError);
  if (n == 0) return true;
  if (stream_->Write(buffer, n) != n) return Fail(kWriteError);
  return true;
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
  if (!SeekTo(usedSpaceEnd_)) return false;
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
  if (!freeList_->SaveTo(*stream_)) return Fail(kWriteError);
  return true;
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
  int32_t p = TakeFromFreeList(length);
  if (p == -1) p = AppendBlock(length);
  if (errorCode_ != kNoError) return -1;
  if (rootBlock_ == -1) {
    rootBlock_ = p;
    WriteHeader();
  }
  if (errorCode_ == kNoError) WriteFreeList();
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
  if (SeekTo(usedSpaceEnd_) && WriteInt32(length)) {
    usedSpaceEnd_ += length;
    WriteHeader();
  }
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
