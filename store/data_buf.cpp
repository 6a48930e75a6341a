// Payload buffers and their zlib compression, with the "Inflate Error" boxes.
#include "store/data_buf.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <iterator>
#include <vector>

#include "store/stream.h"
#include "sys/ui.h"

namespace pel {

bool& CompressionSwitch() {
  static bool on = true;
  return on;
}

TDataBuf::ReleaseObserver TDataBuf::releaseObserver = nullptr;

namespace {

constexpr std::string_view kInflateCaption = "Inflate Error";

void ShowZlibFailure(int code) {
  CurrentUi().ShowMessage(TDataBuf::DecompressionErrorText(code), kInflateCaption,
                         MsgButtons::Ok, MsgIcon::None);
}

// trunc(n * 1.2 + 16), computed in floating point as the format's writers do.
uInt DeflateBufferSize(int64_t n) {
  return static_cast<uInt>(static_cast<double>(n) * 1.2 + 16.0);
}

// One deflate stream for the life of the program, reset between payloads:
// setting one up per payload costs more than compressing a record (zlib's
// state is some 270 KB, which the allocator hands back and faults in again
// each time). A reset stream produces the same bytes as a fresh one.
class Deflater {
 public:
  ~Deflater() {
    if (ready_) deflateEnd(&z_);
  }
  // Z_OK and a stream ready for a new payload, or the setup's failure.
  int Begin() {
    if (ready_) return deflateReset(&z_);
    z_ = z_stream{};
    int rc = deflateInit2(&z_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 9, Z_DEFAULT_STRATEGY);
    ready_ = rc == Z_OK;
    return rc;
  }
  z_stream& Z() { return z_; }

 private:
  z_stream z_{};
  bool ready_ = false;
};

Deflater& SharedDeflater() {
  static Deflater d;
  return d;
}

// One deflate call with Z_FINISH into a buffer of the fixed size. On success
// out holds the zlib stream; Z_OK (buffer too small) yields 0 and leaves out
// empty so the caller keeps its bytes raw.
int DeflateOnce(const uint8_t* in, int64_t n, std::vector<uint8_t>& out, bool& produced) {
  produced = false;
  Deflater& d = SharedDeflater();
  int rc = d.Begin();
  if (rc != Z_OK) return rc;
  z_stream& z = d.Z();
  out.assign(DeflateBufferSize(n), 0);
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = static_cast<uInt>(n);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  rc = deflate(&z, Z_FINISH);
  if (rc == Z_STREAM_END) {
    out.resize(z.total_out);
    produced = true;
    return 0;
  }
  return rc == Z_OK ? 0 : rc;
}

// The same for inflating: one stream, reset for each payload.
class Inflater {
 public:
  ~Inflater() {
    if (ready_) inflateEnd(&z_);
  }
  int Begin(const uint8_t* in, int32_t n) {
    int rc = Z_OK;
    if (ready_) {
      rc = inflateReset(&z_);
    } else {
      z_ = z_stream{};
      rc = inflateInit2(&z_, 15);
      ready_ = rc == Z_OK;
    }
    z_.next_in = const_cast<Bytef*>(in);
    z_.avail_in = static_cast<uInt>(std::max(n, 0));
    return rc;
  }
  z_stream& Z() { return z_; }

 private:
  z_stream z_{};
  bool ready_ = false;
};

Inflater& SharedInflater() {
  static Inflater i;
  return i;
}

}  // namespace

TDataBuf::TDataBuf(const void* data, int32_t n) {
  if (data) Assign(data, n);
}

TDataBuf::TDataBuf(std::string_view text) { Assign(text.data(), static_cast<int32_t>(text.size())); }

TDataBuf::~TDataBuf() {
  if (payload_) Clear();
}

void TDataBuf::Release(bool wipeFirst) {
  if (!payload_) return;
  if (wipeFirst) {
    // volatile so the compiler cannot drop a store to memory about to be freed.
    volatile uint8_t* p = payload_.get();
    for (int32_t i = 0; i < storedLength; ++i) p[i] = 0;
  }
  if (releaseObserver) releaseObserver(payload_.get(), storedLength);
  payload_.reset();
}

void TDataBuf::Assign(const void* data, int32_t n) {
  Clear();
  n = std::max(n, 0);
  payload_.reset(new uint8_t[static_cast<size_t>(n) + 1]);
  if (data)
    std::memcpy(payload_.get(), data, static_cast<size_t>(n));
  else
    std::memset(payload_.get(), '0', static_cast<size_t>(n));
  payload_[static_cast<size_t>(n)] = 0;
  storedLength = uncompressedLength = n;
  wipe = true;
}

void TDataBuf::SetPayload(const void* data, int32_t n) {
  // The payload being replaced is usually the plain text that was just
  // compressed; a buffer that promised to wipe its bytes wipes these too.
  Release(wipe);
  n = std::max(n, 0);
  payload_.reset(new uint8_t[static_cast<size_t>(n) + 1]);
  if (data)
    std::memcpy(payload_.get(), data, static_cast<size_t>(n));
  else
    std::memset(payload_.get(), '0', static_cast<size_t>(n));
  payload_[static_cast<size_t>(n)] = 0;
  storedLength = n;
}

void TDataBuf::Clear() {
  kind = 0;
  reserved[0] = reserved[1] = 0;
  compressed = 0;
  Release(wipe);
  storedLength = uncompressedLength = 0;
}

bool TDataBuf::LoadFromFile(const Text& path) {
  // stdio rather than streams: iostreams would triple the size of the exe.
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return false;
  std::vector<char> bytes;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) break;
  }
  bool ok = !std::ferror(in) && bytes.size() <= static_cast<size_t>(INT32_MAX);
  std::fclose(in);
  if (!ok) return false;
  Assign(bytes.data(), static_cast<int32_t>(bytes.size()));
  return true;
}

bool TDataBuf::SaveToFile(const Text& path) const {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  size_t n = payload_ ? static_cast<size_t>(storedLength) : 0;
  bool ok = n == 0 || std::fwrite(payload_.get(), 1, n, out) == n;
  return std::fclose(out) == 0 && ok;
}

std::string_view TDataBuf::PayloadText() const {
  if (!payload_) return {};
  const char* p = reinterpret_cast<const char*>(payload_.get());
  const void* zero = std::memchr(p, 0, static_cast<size_t>(storedLength));
  return std::string_view(p, zero ? static_cast<const char*>(zero) - p : storedLength);
}

uint32_t TDataBuf::FlagsWord() const {
  return static_cast<uint32_t>(kind) | static_cast<uint32_t>(reserved[0]) << 8 |
         static_cast<uint32_t>(reserved[1]) << 16 | static_cast<uint32_t>(compressed) << 24;
}

void TDataBuf::SetFlagsWord(uint32_t w) {
  kind = static_cast<uint8_t>(w);
  reserved[0] = static_cast<uint8_t>(w >> 8);
  reserved[1] = static_cast<uint8_t>(w >> 16);
  compressed = static_cast<uint8_t>(w >> 24);
}

int TDataBuf::Compress() {
  std::vector<uint8_t> out;
  bool produced = false;
  uncompressedLength = storedLength;
  int result = DeflateOnce(payload_.get(), storedLength, out, produced);
  if (produced) {
    SetPayload(out.data(), static_cast<int32_t>(out.size()));
    compressed = 1;
  }
  if (result != 0) ShowZlibFailure(result);
  return result;
}

int TDataBuf::CompressStream(MemoryStream& stream, bool* producedOut) {
  std::vector<uint8_t> out;
  bool produced = false;
  int result = DeflateOnce(stream.Bytes().data(), stream.Size(), out, produced);
  if (producedOut) *producedOut = produced;
  if (produced) {
    stream.Seek(0);
    stream.Write(out.data(), static_cast<int32_t>(out.size()));
    stream.SetSize(static_cast<int64_t>(out.size()));
  }
  if (result != 0) ShowZlibFailure(result);
  return result;
}

namespace {

// Inflates in into out, at most room bytes; total is what came out. A stream
// with more to give than room ends in Z_BUF_ERROR with out full, as one
// inflate call into a buffer of that size would.
int InflateInto(const uint8_t* in, int32_t n, uint8_t* out, size_t room, uLong& total) {
  Inflater& inflater = SharedInflater();
  int result = inflater.Begin(in, n);
  if (result != Z_OK) return result;
  z_stream& z = inflater.Z();
  z.next_out = out;
  z.avail_out = static_cast<uInt>(room);
  int rc = inflate(&z, Z_FINISH);
  total = z.total_out;
  if (rc != Z_STREAM_END) return rc == Z_OK ? Z_BUF_ERROR : rc;
  return Z_OK;
}

// How many bytes the stream inflates to, up to limit + 1, through a fixed
// window: memory is spent on what a record holds, never on what it claims.
// One more when the stream breaks off or is damaged, so that a second pass
// into a buffer of that size runs into the same failure.
size_t InflatedSize(const uint8_t* in, int32_t n, size_t limit) {
  Inflater& inflater = SharedInflater();
  if (inflater.Begin(in, n) != Z_OK) return 0;
  z_stream& z = inflater.Z();
  std::vector<uint8_t> window(65536);
  size_t total = 0;
  int rc;
  for (;;) {
    z.next_out = window.data();
    z.avail_out = static_cast<uInt>(window.size());
    rc = inflate(&z, Z_NO_FLUSH);
    total += window.size() - z.avail_out;
    if (rc != Z_OK || total > limit || z.avail_out == window.size()) break;
  }
  if (rc != Z_STREAM_END) ++total;
  return std::min(total, limit + 1);
}

}  // namespace

int TDataBuf::Decompress() {
  // The result is that of one inflate call into a buffer of the uncompressed
  // length. That length comes from the file and may be a lie: a small guess
  // serves ordinary records in one pass; past it, the stream is measured
  // first and the buffer made exactly as long as the output (or the declared
  // length, when the output runs past it).
  const size_t limit = static_cast<size_t>(std::max(uncompressedLength, 0));
  size_t room = std::min(limit, std::max<size_t>(4096, static_cast<size_t>(std::max(storedLength, 0)) * 4));
  std::unique_ptr<uint8_t[]> out(new uint8_t[room + 1]);
  uLong total = 0;
  int result = InflateInto(payload_.get(), storedLength, out.get(), room, total);
  if (result == Z_BUF_ERROR && room < limit) {
    room = std::min(limit, InflatedSize(payload_.get(), storedLength, limit));
    out.reset();
    out.reset(new uint8_t[room + 1]);
    result = InflateInto(payload_.get(), storedLength, out.get(), room, total);
  }
  if (result == Z_OK) {
    out[total] = 0;
    Release(wipe);
    payload_ = std::move(out);
    storedLength = static_cast<int32_t>(total);
    compressed = 0;
  }
  if (result != 0) ShowZlibFailure(result);
  return result;
}

Text TDataBuf::DecompressionErrorText(int code) {
  switch (code) {
    case Z_STREAM_ERROR: return "Decompression Error: Z_STREAM_ERROR";
    case Z_MEM_ERROR: return "Decompression Error: Z_MEM_ERROR";
    case Z_BUF_ERROR: return "Decompression Error: Z_BUF_ERROR";
    case Z_VERSION_ERROR: return "Decompression Error: Z_VERSION_ERROR";
    default: return "Decompression Error: " + std::to_string(code);
  }
}

}  // namespace pel
