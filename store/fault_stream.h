// Streams that fail on cue for the store tests and the fuzzer: n-th call, crash, full disk.
#pragma once

#include <algorithm>
#include <cstdint>

#include "store/stream.h"

namespace pel::test {

// Wraps a memory stream; can fail (or cut short) the n-th seek, read or write,
// and counts what reached the inner stream after that failure.
class FaultStream final : public ByteStream {
 public:
  enum Kind { kSeek = 0, kRead = 1, kWrite = 2 };

  explicit FaultStream(MemoryStream& inner) : inner_(inner) {}

  void FailNth(Kind kind, int n, bool shortTransfer = false) {
    failKind_ = kind;
    failAt_ = n;
    short_ = shortTransfer;
  }
  // A crash before the n-th write: that write and everything after it are
  // lost, though the calls still report success, as a write cache that never
  // reaches the disk would.
  void KillAtWrite(int n) { killAt_ = n; }
  // A disk that holds at most limit bytes: writes past it move only what fits.
  void LimitSize(int64_t limit) { limit_ = limit; }
  int Calls(Kind kind) const { return calls_[kind]; }
  bool Failed() const { return failed_; }
  int CallsAfterFailure() const { return afterFailure_; }

  int64_t Size() override { return inner_.Size(); }
  bool Truncate(int64_t size) override {
    if (Hit(kWrite)) return false;
    if (killAt_ > 0 && calls_[kWrite] >= killAt_) return true;
    return inner_.Truncate(size);
  }

  int64_t Seek(int64_t offset) override {
    if (Hit(kSeek)) return short_ ? offset + 1 : -1;  // arrives elsewhere, or fails outright
    return inner_.Seek(offset);
  }
  int32_t Read(void* buffer, int32_t n) override {
    if (Hit(kRead)) return short_ && n > 0 ? inner_.Read(buffer, n - 1) : 0;
    return inner_.Read(buffer, n);
  }
  // A write cut short is a disk that filled up during it: the bytes over the
  // file's old contents move, of the rest only half. A write that does not
  // make the file longer cannot be short for lack of room: it moves nothing.
  int32_t Write(const void* buffer, int32_t n) override {
    if (Hit(kWrite)) {
      if (!short_ || n <= 0) return 0;
      int64_t room = std::clamp<int64_t>(inner_.Size() - inner_.Position(), 0, n);
      return room == n ? 0 : inner_.Write(buffer, static_cast<int32_t>(room + (n - room) / 2));
    }
    if (killAt_ > 0 && calls_[kWrite] >= killAt_) {
      inner_.Seek(inner_.Position() + n);
      return n;
    }
    if (limit_ >= 0) {
      int64_t room = std::max<int64_t>(0, limit_ - inner_.Position());
      return inner_.Write(buffer, static_cast<int32_t>(std::min<int64_t>(n, room)));
    }
    return inner_.Write(buffer, n);
  }

 private:
  bool Hit(Kind kind) {
    if (failed_) ++afterFailure_;
    if (++calls_[kind] == failAt_ && kind == failKind_) {
      failed_ = true;
      return true;
    }
    return false;
  }

  MemoryStream& inner_;
  int calls_[3] = {0, 0, 0};
  Kind failKind_ = kSeek;
  int failAt_ = 0;
  bool short_ = false;
  bool failed_ = false;
  int afterFailure_ = 0;
  int killAt_ = 0;
  int64_t limit_ = -1;
};

}  // namespace pel::test
