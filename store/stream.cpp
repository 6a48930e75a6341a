// The in-memory stream; the file streams live in their platform files.
#include "store/stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace pel {

namespace {
// Offsets in a store are int32; a memory stream never grows past that.
constexpr int64_t kMaxMemory = std::numeric_limits<int32_t>::max();
}  // namespace

bool& StoreFlushSwitch() {
  static bool on = true;
  return on;
}

int64_t MemoryStream::Seek(int64_t offset) {
  if (offset < 0 || offset > kMaxMemory) return -1;
  position_ = offset;
  return position_;
}

int32_t MemoryStream::Read(void* buffer, int32_t n) {
  if (n <= 0 || position_ >= Size()) return 0;
  int64_t count = std::min<int64_t>(n, Size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(count));
  position_ += count;
  return static_cast<int32_t>(count);
}

int32_t MemoryStream::Write(const void* buffer, int32_t n) {
  if (n <= 0) return 0;
  int64_t count = std::min<int64_t>(n, kMaxMemory - position_);
  if (count <= 0) return 0;
  // Writing past the end fills the gap with zeros, as a file does.
  if (position_ + count > Size()) bytes_.resize(static_cast<size_t>(position_ + count));
  std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
  position_ += count;
  return static_cast<int32_t>(count);
}

void MemoryStream::SetSize(int64_t n) {
  bytes_.resize(static_cast<size_t>(std::clamp<int64_t>(n, 0, kMaxMemory)));
  position_ = std::min(position_, Size());
}

}  // namespace pel
