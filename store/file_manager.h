// TFileManager: the store file as header, length-prefixed blocks and a free list past the last block.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text.h"
#include "store/free_list.h"
#include "store/journal.h"
#include "store/stream.h"

namespace pel {

// Error codes of the store; every store operation returns one.
enum StoreError : int32_t {
  kNoError = 0,
  kWriteError = 1,  // a write moved fewer bytes than asked (or a write was refused)
  kReadError = 2,   // a read moved fewer bytes than asked, or the file is damaged
  kSeekError = 3,   // a seek did not arrive where asked
  // The file could not be opened or created: nothing was read or written.
  // Only the operations on a file path give it; their caller may ask why.
  kOpenError = 4,
};

// Operation numbers, as the failure report names them.
enum StoreOperation : int32_t {
  kOpOpen = 0,
  kOpReadFreeList = 1,
  kOpWriteFreeList = 2,
  kOpAllocBlock = 3,
  kOpTakeFromFreeList = 4,
  kOpAppendBlock = 5,
  kOpFreeBlock = 6,
  kOpReleaseExtent = 7,
  kOpWriteMagic = 9,
  kOpWriteHeader = 10,
  kOpReadHeader = 11,
};

inline constexpr std::string_view kStoreMagic = "pldb1xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n";
inline constexpr int32_t kRootBlockOffset = 38;
inline constexpr int32_t kHeaderSize = 46;  // magic + root block + used-space end
inline constexpr int32_t kNewStoreSize = kHeaderSize + 4;  // header and an empty free list

// A write an operation made, held until it commits.
struct LandingWrite {
  int64_t offset;
  std::vector<uint8_t> bytes;
};

class TFileManager {
 public:
  // How writes reach the stream. kThrough: each one at once. kAtCommit: held
  // in memory (reads see them) until Commit lands them all through the
  // store's rollback journal, so that an operation that fails, or is cut
  // short by a kill or a power loss, leaves the file (after the next open)
  // exactly as it was; one that succeeds has reached the medium.
  enum class WriteMode { kThrough, kAtCommit };

  // OpenStore: opens the file at path, or creates it, without sharing; a
  // reader (kReading) takes a read-only file for reading only. When neither
  // works the manager holds no file, every primitive is refused with
  // kOpenError and OpenFailure() tells why.
  explicit TFileManager(const Text& path, StoreOpenMode mode = StoreOpenMode::kWriting,
                        WriteMode writes = WriteMode::kThrough);
  // AttachStream: works on a stream the caller owns and keeps.
  explicit TFileManager(ByteStream& stream, WriteMode writes = WriteMode::kThrough);
  ~TFileManager();
  TFileManager(const TFileManager&) = delete;
  TFileManager& operator=(const TFileManager&) = delete;

  int32_t RootBlock() const { return rootBlock_; }
  int32_t UsedSpaceEnd() const { return usedSpaceEnd_; }
  // A block with n payload bytes; its block position, or -1.
  int32_t AllocBlock(int32_t n);
  // A reader that checked a block's length word tells it here, so that
  // freeing the block later need not read it again.
  void NoteBlockLength(int32_t blockPosition, int32_t length);
  void FreeBlock(int32_t blockPosition);

  // The primitives. After the first failure of a manager's life every later
  // primitive is refused and the first failure's code stays: the caller then
  // learns what went wrong first, and nothing more is written to a file whose
  // state is no longer known.
  bool SeekTo(int64_t offset);
  bool ReadBytes(void* buffer, int32_t n);
  bool WriteBytes(const void* buffer, int32_t n);
  // The same, taking the bytes over instead of copying them when held.
  bool WriteBytes(std::vector<uint8_t>&& bytes);
  bool ReadInt32(int32_t& value);
  bool WriteInt32(int32_t value);

  // Lands the held writes (kAtCommit) unless something failed, in which case
  // they are dropped and the file stays as it was. Only bytes that change are
  // written, each once. A file this manager opened itself is closed here, and
  // a failed close is an error too. Returns the error code.
  int32_t Commit();

  int32_t ErrorCode() const { return errorCode_; }
  int32_t OperationNumber() const { return operationNumber_; }
  const Text& FileName() const { return fileName_; }
  // Why the file could not be opened or created; meaningful with kOpenError.
  const StoreFileError& OpenFailure() const { return openFailure_; }
  // True when the manager opened the file itself and closes it at the end.
  bool OwnsStream() const { return ownsStream_; }
  const TFreeList& FreeList() const { return *freeList_; }
  // The last failure report ("Block: <operation>, <error text>"); empty while
  // nothing failed. It is kept, never shown.
  const Text& FailureReport() const { return failureReport_; }

  // Marks the file as damaged (code 2) when a reader finds values that cannot
  // be true; from then on nothing is read or written.
  void MarkDamaged();
  // Refuses a write the caller must not make (code 1); nothing more is written.
  void RefuseWrite();
  // Whether [blockPosition - 4, blockPosition + n) lies inside the used space,
  // past the header.
  bool InsideUsedSpace(int64_t blockPosition, int64_t n) const;

  static Text ErrorText(int32_t code);

 private:
  void OpenSequence();
  bool Fail(int32_t code);
  bool WriteMagic();
  bool ReadHeader(int64_t fileSize);
  bool WriteHeader();
  bool ReadFreeList(int64_t fileSize);
  bool WriteFreeList();
  int32_t TakeFromFreeList(int32_t length);
  int32_t AppendBlock(int32_t length);
  bool ReleaseExtent(int32_t start, int32_t length);
  void ReportFailure();
  bool Reseek();
  void Hold(std::vector<uint8_t>&& bytes);
  std::vector<JournalRegion> ChangedRegions();


  ByteStream* stream_;
  std::unique_ptr<TFreeList> freeList_;
  int32_t rootBlock_ = -1;
  int32_t usedSpaceEnd_ = kHeaderSize;
  bool ownsStream_ = false;
  int32_t errorCode_ = kNoError;
  int32_t operationNumber_ = kOpOpen;
  Text fileName_;
  std::unique_ptr<ByteStream> owned_;
  Text failureReport_;
  StoreFileError openFailure_;

  bool holdWrites_ = false;
  std::vector<LandingWrite> held_;
  int64_t position_ = 0;        // where the next read or write goes
  bool streamInStep_ = false;   // whether the stream stands at position_
  int64_t streamSize_ = 0;      // the file's size on disk
  bool blankFile_ = false;      // all zeros and no longer than a new store
  // Length words read or written this operation: block position -> length.
  std::vector<std::pair<int32_t, int32_t>> knownLengths_;
  void ForgetLengthsIn(int64_t offset, int64_t n);
};

}  // namespace pel
