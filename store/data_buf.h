// TDataBuf: one record's payload with its flags word and lengths, and its zlib compression.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/text.h"

namespace pel {

class MemoryStream;

// While on, the record writers compress every payload they write. Nothing in
// the product turns it off; tests do, to build raw records.
bool& CompressionSwitch();

class TDataBuf {
 public:
  TDataBuf() = default;
  TDataBuf(const void* data, int32_t n);
  explicit TDataBuf(std::string_view text);
  ~TDataBuf();
  TDataBuf(const TDataBuf&) = delete;
  TDataBuf& operator=(const TDataBuf&) = delete;

  // Copies n bytes (or n "0" characters when data is null) into a fresh payload
  // one byte longer and zero-terminated; both lengths become n and the payload
  // will be wiped when released.
  void Assign(const void* data, int32_t n);
  // Replaces the payload the same way but leaves the flags, the uncompressed
  // length and the wipe flag alone; the old payload is not wiped.
  void SetPayload(const void* data, int32_t n);
  // Flags and lengths to 0; the payload is wiped (when the wipe flag says so)
  // and released. The wipe flag keeps its value.
  void Clear();
  // Assigns the whole file when it exists; false (and no change) otherwise.
  bool LoadFromFile(const Text& path);
  bool SaveToFile(const Text& path) const;

  // zlib in one call each. 0 on success (or when deflate could not shrink the
  // payload and left it as it was), else the zlib code, which has already been
  // shown in an "Inflate Error" box.
  int Compress();
  int Decompress();
  // produced (when given) tells whether the stream now holds a zlib stream.
  static int CompressStream(MemoryStream& stream, bool* produced = nullptr);
  static Text DecompressionErrorText(int code);

  const uint8_t* Payload() const { return payload_.get(); }
  uint8_t* Payload() { return payload_.get(); }
  bool HasPayload() const { return payload_ != nullptr; }
  // The payload as text, up to its first zero byte; empty without payload.
  std::string_view PayloadText() const;

  // The flags word exactly as the record layout stores it.
  uint32_t FlagsWord() const;
  void SetFlagsWord(uint32_t w);

  bool wipe = false;
  uint8_t kind = 0;
  uint8_t reserved[2] = {0, 0};
  uint8_t compressed = 0;
  int32_t storedLength = 0;
  int32_t uncompressedLength = 0;

  // Called with every payload just before its memory is given back, so a test
  // (or an auditor's build) can see that wiped bytes really were zeros.
  using ReleaseObserver = void (*)(const uint8_t* bytes, int32_t n);
  static ReleaseObserver releaseObserver;

 private:
  void Release(bool wipeFirst);
  std::unique_ptr<uint8_t[]> payload_;
};

}  // namespace pel
