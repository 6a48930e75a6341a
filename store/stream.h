// The byte-stream seam the record store works on: a real file, or any stream a caller supplies.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/text.h"

namespace pel {

class JournalHost;

// A seekable byte stream. The store asks for exact transfers and judges a short
// one itself, so implementations report what actually moved and never throw.
class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Length in bytes; -1 when the stream cannot tell.
  virtual int64_t Size() = 0;
  // Moves to an absolute offset; returns the offset arrived at, -1 on failure.
  virtual int64_t Seek(int64_t offset) = 0;
  // Move up to n bytes at the current offset; return how many moved.
  virtual int32_t Read(void* buffer, int32_t n) = 0;
  virtual int32_t Write(const void* buffer, int32_t n) = 0;
  // The same at an absolute offset, in one call where the platform allows;
  // -1 when the offset cannot be reached.
  virtual int32_t ReadAt(int64_t offset, void* buffer, int32_t n) {
    return Seek(offset) == offset ? Read(buffer, n) : -1;
  }
  virtual int32_t WriteAt(int64_t offset, const void* buffer, int32_t n) {
    return Seek(offset) == offset ? Write(buffer, n) : -1;
  }
  // Cuts the stream to size bytes; false when it cannot.
  virtual bool Truncate(int64_t size) = 0;
  // Makes every write so far durable: true once it has reached the medium.
  virtual bool Flush() { return true; }
  // Closes the stream for good, reporting what closing says; later calls fail.
  virtual bool Close() { return true; }
  // Where this stream keeps its rollback journal; none for a stream that
  // only lives in memory.
  virtual JournalHost* Journal() { return nullptr; }
};

// While on (always, in the product), store writes are flushed to the medium
// before an operation reports success. The benchmark turns it off to measure
// the store without flushes.
bool& StoreFlushSwitch();

// A growable stream in memory: payloads on their way to and from zlib, and
// store files that never touch the disk (tests, the fuzzer, dump/check).
class MemoryStream final : public ByteStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  int64_t Seek(int64_t offset) override;
  int32_t Read(void* buffer, int32_t n) override;
  int32_t Write(const void* buffer, int32_t n) override;
  bool Truncate(int64_t size) override {
    SetSize(size);
    return true;
  }

  int64_t Position() const { return position_; }
  void SetSize(int64_t n);
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
};

// Why a store file could not be opened or created. The message is
// "Cannot open file <path>" or "Cannot create file <path>"; the reason and the
// system's own words travel beside it for tools that may say more.
struct StoreFileError {
  enum Reason { kOther, kInUse };
  Text message;
  // kInUse: another opener holds the file.
  Reason reason = kOther;
  // The system's text for the failure, without a line end; may be empty.
  Text systemText;
};

// What the opener of a store file means to do with it. Either way the file is
// held without sharing; a reader whose file or medium refuses writing gets it
// for reading only, a writer never does.
enum class StoreOpenMode { kWriting, kReading };

// Whether a plain file (not a folder) exists at path.
bool StoreFileExists(const Text& path);

// Opens an existing file for reading and writing, or creates it, in both cases
// held without sharing: while the stream lives no other opener gets in, this
// process included. With kReading, an existing file that is read-only (or lies
// on a read-only medium) is opened for reading only, still unshared; writes
// to that stream then fail. Null when neither works, with failure filled.
std::unique_ptr<ByteStream> OpenStoreFile(const Text& path, StoreOpenMode mode,
                                          StoreFileError& failure);

// The plain files beside a store (its journal), opened by the one who holds
// the store: create replaces any file there, otherwise it must exist. Null on
// failure. Flushing a created file also makes its name durable.
std::unique_ptr<ByteStream> OpenSideFile(const Text& path, bool create);
// Deletes the file durably (its folder is flushed too); false when it stays.
bool DeleteSideFile(const Text& path);
// Renames from to to, replacing to; false when nothing moved.
bool MoveSideFile(const Text& from, const Text& to);

}  // namespace pel
