// Rollback journal: its bytes, the roll-back at open, and the landing of an operation through it.
#include "store/journal.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "store/file_manager.h"
#include "store/le.h"

namespace pel {

namespace {

constexpr char kMagic[8] = {'p', 'l', 'j', 'r', 'n', 'l', '1', '\n'};
// New bytes are remembered by one checksum per aligned chunk: a power loss
// can tear a region at sector bounds, and each chunk must then be found
// holding its old bytes or its new ones.
constexpr int64_t kChunk = 512;

class FileJournalHost final : public JournalHost {
 public:
  explicit FileJournalHost(Text path) : path_(std::move(path)) {}
  bool Exists() override { return StoreFileExists(path_); }
  std::unique_ptr<ByteStream> Open(bool create) override { return OpenSideFile(path_, create); }
  bool Remove() override { return DeleteSideFile(path_); }
  bool SetAside() override { return MoveSideFile(path_, path_ + Text(kSetAsideSuffix)); }

 private:
  Text path_;
};

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t w[4];
  PutLe32(w, static_cast<int32_t>(v));
  out.insert(out.end(), w, w + 4);
}

void Put64(std::vector<uint8_t>& out, int64_t v) {
  Put32(out, static_cast<uint32_t>(v));
  Put32(out, static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32));
}

uint32_t Crc(const uint8_t* p, size_t n) {
  return static_cast<uint32_t>(crc32(0, p, static_cast<uInt>(n)));
}

// Calls f(from, to) for each aligned chunk of [start, end).
template <typename F>
void ForEachChunk(int64_t start, int64_t end, F f) {
  for (int64_t a = start; a < end;) {
    int64_t b = std::min(end, (a / kChunk + 1) * kChunk);
    f(a, b);
    a = b;
  }
}

struct Reader {
  const std::vector<uint8_t>& in;
  size_t at = 0;
  bool ok = true;
  const uint8_t* Take(size_t n) {
    if (!ok || in.size() - at < n) {
      ok = false;
      return nullptr;
    }
    const uint8_t* p = in.data() + at;
    at += n;
    return p;
  }
  uint32_t U32() {
    const uint8_t* p = Take(4);
    return p ? static_cast<uint32_t>(GetLe32(p)) : 0;
  }
  int64_t I64() {
    uint64_t lo = U32(), hi = U32();
    return static_cast<int64_t>(lo | hi << 32);
  }
};

struct SavedRegion {
  int64_t offset = 0, length = 0;
  const uint8_t* old = nullptr;
  int64_t oldLength = 0;
  std::vector<uint32_t> chunkCrcs;
};

struct Journal {
  int64_t oldSize = 0, newSize = 0;
  std::vector<SavedRegion> regions;
};

// False for anything but a whole journal, checksum and all.
bool Decode(const std::vector<uint8_t>& bytes, Journal& j) {
  if (bytes.size() < sizeof kMagic + 24 ||
      std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
    return false;
  size_t body = bytes.size() - 4;
  if (Crc(bytes.data(), body) != static_cast<uint32_t>(GetLe32(bytes.data() + body))) return false;
  Reader r{bytes};
  r.Take(sizeof kMagic);
  j.oldSize = r.I64();
  j.newSize = r.I64();
  uint32_t count = r.U32();
  for (uint32_t i = 0; i < count && r.ok; ++i) {
    SavedRegion s;
    s.offset = r.I64();
    s.length = r.U32();
    s.oldLength = r.U32();
    // Store offsets are int32: anything past them is not a journal of ours.
    if (!r.ok || s.offset < 0 || s.offset > 0x7FFFFFFF || s.length > 0x7FFFFFFF ||
        s.oldLength > s.length)
      return false;
    s.old = r.Take(static_cast<size_t>(s.oldLength));
    ForEachChunk(s.offset, s.offset + s.length, [&](int64_t, int64_t) { s.chunkCrcs.push_back(r.U32()); });
    j.regions.push_back(std::move(s));
  }
  return r.ok && r.at == body;
}

// Whether the store still holds, chunk by chunk, the old or the new bytes of
// every region: anything else means someone wrote to it since.
bool Fits(ByteStream& store, const Journal& j) {
  int64_t size = store.Size();
  if (size < std::min(j.oldSize, j.newSize) || size > std::max(j.oldSize, j.newSize)) return false;
  std::vector<uint8_t> now;
  for (const SavedRegion& s : j.regions) {
    size_t k = 0;
    bool fits = true;
    ForEachChunk(s.offset, s.offset + s.length, [&](int64_t a, int64_t b) {
      if (!fits) return;
      uint32_t crc = s.chunkCrcs[k++];
      int64_t have = std::clamp<int64_t>(size - a, 0, b - a);
      now.resize(static_cast<size_t>(b - a));
      if (have > 0 && store.ReadAt(a, now.data(), static_cast<int32_t>(have)) != have) {
        fits = false;
        return;
      }
      int64_t oldEnd = std::min(b, s.offset + s.oldLength);
      bool asOld = oldEnd <= a || std::memcmp(now.data(), s.old + (a - s.offset),
                                              static_cast<size_t>(oldEnd - a)) == 0;
      bool asNew = have == b - a && Crc(now.data(), now.size()) == crc;
      fits = asOld || asNew;
    });
    if (!fits) return false;
  }
  return true;
}

bool PutOldBytes(ByteStream& store, const uint8_t* old, int64_t offset, int64_t n) {
  return n == 0 || store.WriteAt(offset, old, static_cast<int32_t>(n)) == n;
}

bool CutTo(ByteStream& store, int64_t size) {
  return store.Size() == size || store.Truncate(size);
}

}  // namespace

Text JournalPathOf(const Text& storePath) { return storePath + Text(kJournalSuffix); }

std::unique_ptr<JournalHost> FileJournal(const Text& storePath) {
  return std::make_unique<FileJournalHost>(JournalPathOf(storePath));
}

std::vector<uint8_t> EncodeJournal(int64_t oldSize, int64_t newSize,
                                   const std::vector<JournalRegion>& regions) {
  std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
  size_t total = 64;
  for (const JournalRegion& r : regions) total += 16 + r.old.size() + r.now.size() / 128 + 8;
  out.reserve(total);
  Put64(out, oldSize);
  Put64(out, newSize);
  Put32(out, static_cast<uint32_t>(regions.size()));
  for (const JournalRegion& r : regions) {
    Put64(out, r.offset);
    Put32(out, static_cast<uint32_t>(r.now.size()));
    Put32(out, static_cast<uint32_t>(r.old.size()));
    out.insert(out.end(), r.old.begin(), r.old.end());
    ForEachChunk(r.offset, r.offset + static_cast<int64_t>(r.now.size()), [&](int64_t a, int64_t b) {
      Put32(out, Crc(r.now.data() + (a - r.offset), static_cast<size_t>(b - a)));
    });
  }
  Put32(out, Crc(out.data(), out.size()));
  return out;
}

int32_t RecoverFromJournal(ByteStream& store, JournalHost& host) {
  if (!host.Exists()) return kNoError;
  std::vector<uint8_t> bytes;
  {
    std::unique_ptr<ByteStream> j = host.Open(false);
    if (!j) return kReadError;
    int64_t n = j->Size();
    if (n < 0 || n > 0x7FFFFFFF) return kReadError;
    bytes.resize(static_cast<size_t>(n));
    if (n > 0 && j->ReadAt(0, bytes.data(), static_cast<int32_t>(n)) != n) return kReadError;
    if (!j->Close()) return kReadError;
  }
  Journal journal;
  // The store is written only once its journal is whole and flushed: a
  // journal cut short means the store was never touched.
  if (!Decode(bytes, journal)) return host.Remove() ? kNoError : kWriteError;
  if (!Fits(store, journal)) return host.SetAside() ? kNoError : kWriteError;
  bool undone = true;
  for (const SavedRegion& s : journal.regions)
    undone = PutOldBytes(store, s.old, s.offset, s.oldLength) && undone;
  undone = undone && CutTo(store, journal.oldSize) && store.Flush();
  if (!undone) return kWriteError;
  return host.Remove() ? kNoError : kWriteError;
}

int32_t LandRegions(ByteStream& store, JournalHost* host, int64_t oldSize,
                    const std::vector<JournalRegion>& regions) {
  if (regions.empty()) return kNoError;
  int64_t newSize = oldSize;
  for (const JournalRegion& r : regions)
    newSize = std::max(newSize, r.offset + static_cast<int64_t>(r.now.size()));
  if (host) {
    std::vector<uint8_t> bytes = EncodeJournal(oldSize, newSize, regions);
    std::unique_ptr<ByteStream> j = host->Open(true);
    if (!j) return kWriteError;
    int32_t n = static_cast<int32_t>(bytes.size());
    bool written = j->WriteAt(0, bytes.data(), n) == n && j->Flush();
    written = j->Close() && written;
    if (!written) {
      host->Remove();  // a journal cut short is deleted at the next open in any case
      return kWriteError;
    }
  }
  int32_t code = kNoError;
  for (const JournalRegion& r : regions) {
    int32_t n = static_cast<int32_t>(r.now.size());
    int32_t moved = store.WriteAt(r.offset, r.now.data(), n);
    if (moved != n) {
      code = moved < 0 ? kSeekError : kWriteError;
      break;
    }
  }
  if (code == kNoError && !store.Flush()) code = kWriteError;
  if (code != kNoError) {
    // Every region back as it was, including those not reached: their old
    // bytes are still their bytes.
    bool undone = true;
    for (auto r = regions.rbegin(); r != regions.rend(); ++r)
      undone = PutOldBytes(store, r->old.data(), r->offset, static_cast<int64_t>(r->old.size())) && undone;
    undone = undone && CutTo(store, oldSize) && store.Flush();
    if (undone && host) host->Remove();
    return code;
  }
  if (host && !host->Remove()) return kWriteError;  // the next open rolls the operation back
  return kNoError;
}

}  // namespace pel
