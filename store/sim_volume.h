// A store file and its journal on a simulated medium, for the crash tests: it can die before any change or lose power.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "store/journal.h"
#include "store/stream.h"

namespace pel::test {

// Every change (a write, a cut, a journal made, deleted or set aside) is
// numbered from 1. A kill before the n-th drops it and all after it while
// the calls still report success, as a dead process's would never arrive.
// A failure from the n-th on refuses them all, as a failing medium does.
// A power loss keeps what was flushed and, of the rest, a random subset in a
// random order. Deleting or setting aside the journal is durable at once (the
// real host flushes the folder); its creation only once it is flushed.
class SimVolume {
 public:
  enum FileId { kStore, kJournal, kAside, kFiles };

  explicit SimVolume(std::vector<uint8_t> store = {}) {
    files_[kStore].exists = files_[kStore].durableExists = true;
    files_[kStore].bytes = files_[kStore].durable = std::move(store);
  }

  void KillBefore(int n) { killAt_ = n; }
  void FailFrom(int n) { failFrom_ = n; }
  // Closing the journal after writing it fails.
  // Closing the journal after writing it fails.
  void FailClose(bool fail) { failClose_ = fail; }
  void Revive() { killAt_ = failFrom_ = 0; failClose_ = false; }
  int Changes() const { return changes_; }
  int Flushes() const { return flushes_; }
  bool Exists(FileId f) const { return files_[f].exists; }
  const std::vector<uint8_t>& Bytes(FileId f) const { return files_[f].bytes; }
  // Whether everything written so far has reached the medium.
  bool AllDurable() const {
    for (const File& f : files_)
      if (!f.pending.empty() || f.exists != f.durableExists) return false;
    return true;
  }

  void PowerLoss(std::mt19937& rng) {
    for (File& f : files_) {
      std::vector<Op> kept;
      for (const Op& op : f.pending)
        if (rng() % 2) kept.push_back(op);
      std::shuffle(kept.begin(), kept.end(), rng);
      bool exists = f.durableExists || (f.exists && rng() % 2);
      std::vector<uint8_t> bytes = f.durable;
      if (exists)
        for (const Op& op : kept) Apply(bytes, op);
      f = File{};
      f.exists = f.durableExists = exists;
      if (exists) f.bytes = f.durable = std::move(bytes);
    }
    Revive();
  }

  // The store file as the platform would open it.
  std::unique_ptr<ByteStream> OpenStore() { return std::make_unique<Stream>(*this, kStore, true); }

 private:
  struct Op {
    int64_t offset;  // a cut to offset when bytes is empty and cut is set
    std::vector<uint8_t> bytes;
    bool cut = false;
  };
  struct File {
    bool exists = false, durableExists = false;
    std::vector<uint8_t> bytes, durable;
    std::vector<Op> pending;
  };

  static void Apply(std::vector<uint8_t>& b, const Op& op) {
    if (op.cut) {
      b.resize(static_cast<size_t>(op.offset));
      return;
    }
    size_t end = static_cast<size_t>(op.offset) + op.bytes.size();
    if (b.size() < end) b.resize(end);
    std::copy(op.bytes.begin(), op.bytes.end(), b.begin() + op.offset);
  }

  // Numbers a change; false when it must not happen (fail) and sets dropped
  // when it is lost to a kill.
  bool Change(bool& dropped) {
    ++changes_;
    dropped = killAt_ > 0 && changes_ >= killAt_;
    return failFrom_ == 0 || changes_ < failFrom_;
  }

  bool Record(FileId id, Op op) {
    bool dropped;
    if (!Change(dropped)) return false;
    if (dropped) return true;
    File& f = files_[id];
    Apply(f.bytes, op);
    f.pending.push_back(std::move(op));
    return true;
  }

  bool Flush(FileId id) {
    if (failFrom_ > 0 && changes_ + 1 >= failFrom_) return false;
    if (killAt_ > 0 && changes_ + 1 >= killAt_) return true;
    ++flushes_;
    File& f = files_[id];
    f.durable = f.bytes;
    f.durableExists = f.exists;
    f.pending.clear();
    return true;
  }

  class Stream final : public ByteStream {
   public:
    Stream(SimVolume& v, FileId id, bool store) : v_(v), id_(id), store_(store), host_(v) {}
    int64_t Size() override { return static_cast<int64_t>(v_.files_[id_].bytes.size()); }
    int64_t Seek(int64_t offset) override { return offset < 0 ? -1 : (at_ = offset); }
    int32_t Read(void* buffer, int32_t n) override {
      int32_t got = ReadAt(at_, buffer, n);
      at_ += std::max(got, 0);
      return got;
    }
    int32_t Write(const void* buffer, int32_t n) override {
      int32_t put = WriteAt(at_, buffer, n);
      at_ += std::max(put, 0);
      return put;
    }
    int32_t ReadAt(int64_t offset, void* buffer, int32_t n) override {
      const std::vector<uint8_t>& b = v_.files_[id_].bytes;
      if (offset < 0) return -1;
      int64_t got = std::clamp<int64_t>(static_cast<int64_t>(b.size()) - offset, 0, n);
      std::copy(b.begin() + offset, b.begin() + offset + got, static_cast<uint8_t*>(buffer));
      return static_cast<int32_t>(got);
    }
    int32_t WriteAt(int64_t offset, const void* buffer, int32_t n) override {
      if (offset < 0) return -1;
      const auto* p = static_cast<const uint8_t*>(buffer);
      return v_.Record(id_, Op{offset, std::vector<uint8_t>(p, p + n)}) ? n : 0;
    }
    bool Truncate(int64_t size) override { return v_.Record(id_, Op{size, {}, true}); }
    bool Flush() override { return v_.Flush(id_); }
    bool Close() override { return store_ || !v_.failClose_; }
    JournalHost* Journal() override { return store_ ? &host_ : nullptr; }

   private:
    class Host final : public JournalHost {
     public:
      explicit Host(SimVolume& v) : v_(v) {}
      bool Exists() override { return v_.files_[kJournal].exists; }
      std::unique_ptr<ByteStream> Open(bool create) override {
        File& j = v_.files_[kJournal];
        if (create) {
          bool dropped;
          if (!v_.Change(dropped)) return nullptr;
          if (!dropped) {
            j.exists = true;
            j.bytes.clear();
            j.pending.push_back(Op{0, {}, true});
          }
        } else if (!j.exists) {
          return nullptr;
        }
        return std::make_unique<Stream>(v_, kJournal, false);
      }
      bool Remove() override { return Move(kJournal, nullptr); }
      bool SetAside() override { return Move(kJournal, &v_.files_[kAside]); }

     private:
      bool Move(FileId from, File* to) {
        bool dropped;
        if (!v_.Change(dropped)) return false;
        if (dropped) return true;
        File& f = v_.files_[from];
        if (to) *to = File{true, true, f.bytes, f.bytes, {}};
        f = File{};
        return true;
      }
      SimVolume& v_;
    };

    SimVolume& v_;
    FileId id_;
    bool store_;
    Host host_;
    int64_t at_ = 0;
  };

  File files_[kFiles];
  int changes_ = 0, flushes_ = 0;
  int killAt_ = 0, failFrom_ = 0;
  bool failClose_ = false;
};

}  // namespace pel::test
