// The checker walks raw bytes on its own, so it can judge files the manager refuses to open.
#include "store/store_check.h"

#include <zlib.h>

#include <algorithm>
#include <set>
#include <string_view>

#include "base/string_list.h"
#include "store/file_manager.h"
#include "store/index.h"
#include "store/le.h"
#include "store/stream.h"

namespace pel {

namespace {

constexpr int kMaxDepth = 64;  // deeper than any path may go; stops cycles too

struct Piece {
  int64_t start;
  int64_t length;
  bool free;
  Text what;
};

struct Record {
  int64_t position = 0;
  Text path;
  uint8_t kind = 0;
  uint8_t compressedFlag = 0;
  int32_t stored = 0;
  int32_t uncompressed = 0;
  int64_t positions = 0;
  int names = -1;
};

Text Printable(std::string_view s) {
  static const char* digits = "0123456789abcdef";
  Text out;
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || u == 0xFF) {
      out += "\\x";
      out += digits[u >> 4];
      out += digits[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

// Inflates a whole zlib stream through a fixed window, keeping the output in
// kept (when given) and giving up past limit bytes. total is what came out, up
// to limit + 1. Returns the zlib result.
int InflateAll(const uint8_t* in, size_t n, size_t limit, std::vector<uint8_t>* kept, size_t& total) {
  z_stream z{};
  if (inflateInit2(&z, 15) != Z_OK) return Z_MEM_ERROR;
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = static_cast<uInt>(n);
  std::vector<uint8_t> window(65536);
  int rc;
  total = 0;
  if (kept) kept->clear();
  for (;;) {
    z.next_out = window.data();
    z.avail_out = static_cast<uInt>(window.size());
    rc = inflate(&z, Z_NO_FLUSH);
    size_t got = window.size() - z.avail_out;
    size_t keep = std::min(got, limit + 1 - std::min(total, limit + 1));
    if (kept) kept->insert(kept->end(), window.begin(), window.begin() + static_cast<std::ptrdiff_t>(keep));
    total += keep;
    if (rc != Z_OK || total > limit || (got == 0 && z.avail_in == 0)) break;
  }
  inflateEnd(&z);
  if (rc == Z_OK && z.avail_in == 0 && total <= limit) rc = Z_BUF_ERROR;  // input ended early
  return rc == Z_STREAM_END ? Z_OK : rc;
}

// Reads the file a few bytes at a time where the structure leads, never
// whole: a file may carry any tail past its free list.
class Checker {
 public:
  explicit Checker(ByteStream& f) : f_(f), size_(std::max<int64_t>(f.Size(), 0)) {}

  void Run() {
    std::vector<uint8_t> head = Range(0, std::min<int64_t>(size_, kHeaderSize));
    // The store writes a new file's header last: zeros there mean a file cut
    // off while it was being made, which the store takes for a new one.
    blank_ = size_ >= kHeaderSize &&
             std::all_of(head.begin(), head.end(), [](uint8_t b) { return b == 0; });
    if (blank_) return;
    if (size_ < kHeaderSize + 4) {
      Problem("file is " + std::to_string(size_) + " bytes, shorter than a header and free list (50)");
      return;
    }
    magicOk_ = std::equal(kStoreMagic.begin(), kStoreMagic.end(), head.begin());
    if (!magicOk_) Problem("magic text differs: not a store file");
    root_ = At(kRootBlockOffset);
    used_ = At(kRootBlockOffset + 4);
    if (used_ < kHeaderSize || used_ + 4 > size_) {
      Problem("used-space end " + std::to_string(used_) + " lies outside the file (" +
              std::to_string(size_) + " bytes)");
      return;
    }
    ReadFreeList();
    if (root_ != -1) {
      if (BlockAt(root_, "root block", 4)) {
        int32_t rootIndex = At(root_);
        pieces_.back().what = "root block, root index at " + std::to_string(rootIndex);
        if (rootIndex != -1) Walk(rootIndex, "", kIndexRecord, 0);
      }
    } else if (used_ != kHeaderSize) {
      Problem("no root block, yet the used space is not empty");
    }
    Tile();
  }

  const std::vector<Text>& Problems() const { return problems_; }

  Text Dump() {
    Run();
    Text out;
    out += "file size: " + std::to_string(size_) + "\n";
    if (blank_) return out + "no store yet: the header was never written\n";
    out += std::string("magic: ") + (magicOk_ ? "ok" : "differs") + "\n";
    if (size_ < kHeaderSize + 4) return out + Problems(out);
    out += "root block: " + std::to_string(root_) + "\n";
    out += "used-space end: " + std::to_string(used_) + "\n";
    std::vector<Piece> pieces = pieces_;
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& a, const Piece& b) { return a.start < b.start; });
    for (const Piece& p : pieces)
      out += (p.free ? "free  " : "block ") + std::to_string(p.start) + " length " +
             std::to_string(p.length) + ": " + p.what + "\n";
    out += "free list: " + std::to_string(freeCount_) + " extents";
    for (const Piece& p : pieces_)
      if (p.free) out += " [" + std::to_string(p.start) + "," + std::to_string(p.length) + "]";
    out += "\n";
    return out + Problems(out);
  }

 private:
  Text Problems(const Text&) const {
    Text out;
    for (const Text& p : problems_) out += "problem: " + p + "\n";
    return out;
  }

  void Problem(Text text) { problems_.push_back(std::move(text)); }

  int32_t At(int64_t offset) {
    if (offset < 0 || offset + 4 > size_) return -1;
    std::vector<uint8_t> word = Range(offset, 4);
    return word.size() == 4 ? GetLe32(word.data()) : -1;
  }

  // The bytes at [offset, offset + n), fewer when the stream cannot give them.
  std::vector<uint8_t> Range(int64_t offset, int64_t n) {
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(n, 0)));
    int64_t done = 0;
    if (n > 0 && f_.Seek(offset) == offset) {
      while (done < n) {
        int32_t step = static_cast<int32_t>(std::min<int64_t>(n - done, 1 << 20));
        int32_t got = f_.Read(bytes.data() + done, step);
        if (got <= 0) break;
        done += got;
      }
    }
    bytes.resize(static_cast<size_t>(done));
    return bytes;
  }

  void ReadFreeList() {
    int32_t count = At(used_);
    if (count < 0 || used_ + 4 + 8 * int64_t{count} > size_) {
      Problem("free-list count " + std::to_string(count) + " does not fit in the file");
      return;
    }
    freeCount_ = count;
    int64_t previousEnd = kHeaderSize;
    for (int32_t i = 0; i < count; ++i) {
      int64_t p = At(used_ + 4 + 4 * int64_t{i});
      int64_t n = At(used_ + 4 + 4 * int64_t{count} + 4 * int64_t{i});
      Text name = "free extent " + std::to_string(i) + " at " + std::to_string(p);
      if (n <= 0 || p < kHeaderSize || p + n > used_) {
        Problem(name + " length " + std::to_string(n) + " lies outside the used space");
        continue;
      }
      if (p < previousEnd) Problem(name + " is out of order or overlaps the one before");
      previousEnd = std::max(previousEnd, p + n);
      pieces_.push_back({p, n, true, "free"});
    }
  }

  // Registers the block whose payload starts at position; false when it does
  // not lie inside the used space.
  bool BlockAt(int64_t position, const Text& what, int64_t minPayload) {
    int64_t start = position - 4;
    int64_t length = At(start);
    if (start < kHeaderSize || position > used_ || length - 4 < minPayload ||
        start + length > used_) {
      Problem(what + " at " + std::to_string(position) + " lies outside the used space");
      return false;
    }
    pieces_.push_back({start, length, false, what});
    return true;
  }

  void Walk(int64_t position, const Text& path, uint8_t expected, int depth) {
    const Text label = path.empty() ? Text("root index") : "record \"" + Printable(path) + "\"";
    if (depth > kMaxDepth) {
      Problem(label + ": index tree deeper than " + std::to_string(kMaxDepth) + " levels");
      return;
    }
    if (!seen_.insert(position).second) {
      Problem(label + " at " + std::to_string(position) + " is listed more than once");
      return;
    }
    if (!BlockAt(position, label, 12)) return;
    Piece& piece = pieces_.back();
    int64_t payloadRoom = int64_t{At(position - 4)} - 4 - 12;
    uint32_t flags = static_cast<uint32_t>(At(position));
    Record r;
    r.position = position;
    r.path = path;
    r.kind = static_cast<uint8_t>(flags);
    r.compressedFlag = static_cast<uint8_t>(flags >> 24);
    r.stored = At(position + 4);
    r.uncompressed = At(position + 8);
    const Text where = label + " at " + std::to_string(position);
    if (r.kind != kIndexRecord && r.kind != kDataRecord) {
      Problem(where + ": kind " + std::to_string(r.kind) + " is neither index nor data");
      return;
    }
    if (expected == kIndexRecord && r.kind != kIndexRecord) {
      Problem(where + ": expected an index record");
      return;
    }
    if (r.stored < 0 || r.stored > payloadRoom || (payloadRoom - r.stored) % 4 != 0) {
      Problem(where + ": stored length " + std::to_string(r.stored) + " does not fit its block");
      return;
    }
    r.positions = (payloadRoom - r.stored) / 4;
    std::vector<uint8_t> payload = Range(position + 12, r.stored);
    if (static_cast<int64_t>(payload.size()) != r.stored) {
      Problem(where + ": payload cannot be read");
      return;
    }
    std::vector<uint8_t> plain;
    bool textKnown = true;
    if (r.compressedFlag == 1) {
      // Only an index's text is kept; a data record is measured as it streams by.
      size_t limit = static_cast<size_t>(std::max(r.uncompressed, 0)), total = 0;
      int rc = InflateAll(payload.data(), payload.size(), limit,
                          r.kind == kIndexRecord ? &plain : nullptr, total);
      if (total > limit)
        Problem(where + ": payload inflates to more than " + std::to_string(limit) + " bytes");
      else if (rc != Z_OK)
        Problem(where + ": payload does not inflate (zlib " + std::to_string(rc) + ")");
      else if (total != limit)
        Problem(where + ": payload inflates to " + std::to_string(total) + " bytes, not " +
                std::to_string(r.uncompressed));
      textKnown = rc == Z_OK;
    } else if (r.compressedFlag == 0) {
      if (r.kind == kIndexRecord) plain = std::move(payload);
      if (r.uncompressed != r.stored)
        Problem(where + ": raw payload of " + std::to_string(r.stored) +
                " bytes claims an uncompressed length of " + std::to_string(r.uncompressed));
    } else {
      Problem(where + ": compressed flag " + std::to_string(r.compressedFlag) + " is neither 0 nor 1");
      textKnown = false;
    }
    std::string_view kindName = r.kind == kIndexRecord ? "index record" : "data record";
    piece.what = (path.empty() ? Text("root index") : Text(kindName) + " \"" + Printable(path) + "\"") +
                 ", stored " +
                 std::to_string(r.stored) + ", uncompressed " + std::to_string(r.uncompressed) +
                 (r.compressedFlag == 1 ? ", zlib" : ", raw") + ", " +
                 std::to_string(r.positions) + " positions";
    if (r.kind != kIndexRecord || !textKnown) return;
    std::string_view all(reinterpret_cast<const char*>(plain.data()), plain.size());
    size_t zero = all.find('\0');
    if (!plain.empty() && zero == std::string_view::npos)
      Problem(where + ": index text has no closing zero byte");
    StringList names;
    names.SetText(all.substr(0, zero));
    if (names.Count() != r.positions) {
      Problem(where + ": " + std::to_string(names.Count()) + " names but " +
              std::to_string(r.positions) + " positions");
      return;
    }
    for (int i = 0; i < names.Count() && i < r.positions; ++i) {
      int32_t child = At(position + 12 + r.stored + 4 * int64_t{i});
      if (child == -1) continue;
      Text childPath = path.empty() ? names[i] : path + "/" + names[i];
      Walk(child, childPath, 0, depth + 1);
    }
  }

  // Blocks and free extents must cover [46, used-space end) exactly once.
  void Tile() {
    std::vector<Piece> sorted = pieces_;
    std::sort(sorted.begin(), sorted.end(), [](const Piece& a, const Piece& b) {
      return a.start < b.start || (a.start == b.start && a.free < b.free);
    });
    int64_t at = kHeaderSize;
    const Piece* previous = nullptr;
    for (const Piece& p : sorted) {
      if (p.start > at) {
        Problem("bytes " + std::to_string(at) + " to " + std::to_string(p.start - 1) +
                " are neither a reachable block nor free");
        pieces_.push_back({at, p.start - at, false, "not reachable from the root"});
      } else if (p.start < at && previous) {
        Problem(std::string(p.free ? "free extent" : "block") + " at " + std::to_string(p.start) +
                " overlaps " + (previous->free ? "free extent" : "block") + " at " +
                std::to_string(previous->start));
      }
      at = std::max(at, p.start + p.length);
      previous = &p;
    }
    if (at < used_) {
      Problem("bytes " + std::to_string(at) + " to " + std::to_string(used_ - 1) +
              " are neither a reachable block nor free");
      pieces_.push_back({at, used_ - at, false, "not reachable from the root"});
    }
  }

  ByteStream& f_;
  int64_t size_;
  bool magicOk_ = false;
  bool blank_ = false;
  int64_t root_ = -1;
  int64_t used_ = kHeaderSize;
  int32_t freeCount_ = 0;
  std::vector<Piece> pieces_;
  std::set<int64_t> seen_;
  std::vector<Text> problems_;
};

}  // namespace

std::vector<Text> CheckStore(ByteStream& file) {
  Checker c(file);
  c.Run();
  return c.Problems();
}

Text DumpStore(ByteStream& file) { return Checker(file).Dump(); }

std::vector<Text> CheckStore(const std::vector<uint8_t>& file) {
  MemoryStream s(file);
  return CheckStore(s);
}

Text DumpStore(const std::vector<uint8_t>& file) {
  MemoryStream s(file);
  return DumpStore(s);
}

}  // namespace pel
