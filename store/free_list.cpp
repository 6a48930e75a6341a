// Free-extent bookkeeping and its on-disk form.
#include "store/free_list.h"

#include <cstring>

#include "store/le.h"
#include "store/stream.h"

namespace pel {

int32_t TFreeList::TakeExtent(int32_t n) {
  for (size_t i = 0; i < positions_.size(); ++i) {
    if (lengths_[i] < n) continue;
    int32_t s = positions_[i];
    lengths_[i] -= n;
    if (lengths_[i] != 0) {
      positions_[i] += n;
    } else {
      positions_.erase(positions_.begin() + static_cast<std::ptrdiff_t>(i));
      lengths_.erase(lengths_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return s;
  }
  return -1;
}

void TFreeList::AddExtent(int32_t position, int32_t length) {
  if (!MergeExtent(position, length)) InsertExtent(position, length);
}

bool TFreeList::MergeExtent(int32_t s, int32_t n) {
  for (size_t i = 0; i < positions_.size(); ++i) {
    if (static_cast<int64_t>(positions_[i]) + lengths_[i] == s) {
      lengths_[i] += n;
      CoalesceAt(i);
      return true;
    }
    if (static_cast<int64_t>(s) + n == positions_[i]) {
      positions_[i] = s;
      lengths_[i] += n;
      return true;
    }
  }
  return false;
}

void TFreeList::CoalesceAt(size_t i) {
  if (i + 1 < positions_.size() &&
      static_cast<int64_t>(positions_[i]) + lengths_[i] == positions_[i + 1]) {
    lengths_[i] += lengths_[i + 1];
    positions_.erase(positions_.begin() + static_cast<std::ptrdiff_t>(i + 1));
    lengths_.erase(lengths_.begin() + static_cast<std::ptrdiff_t>(i + 1));
  }
}

void TFreeList::InsertExtent(int32_t s, int32_t n) {
  size_t i = 0;
  while (i < positions_.size() && positions_[i] <= s) ++i;
  positions_.insert(positions_.begin() + static_cast<std::ptrdiff_t>(i), s);
  lengths_.insert(lengths_.begin() + static_cast<std::ptrdiff_t>(i), n);
}

bool TFreeList::Overlaps(int64_t start, int64_t length) const {
  for (size_t i = 0; i < positions_.size(); ++i)
    if (start < static_cast<int64_t>(positions_[i]) + lengths_[i] && positions_[i] < start + length)
      return true;
  return false;
}

bool TFreeList::LoadFrom(ByteStream& stream, int64_t maxCount) {
  uint8_t word[4];
  if (stream.Read(word, 4) != 4) return false;
  int32_t count = GetLe32(word);
  if (count < 0 || count > maxCount) return false;
  std::vector<uint8_t> bytes(static_cast<size_t>(count) * 4);
  positions_.clear();
  if (count && stream.Read(bytes.data(), count * 4) != count * 4) return false;
  for (int32_t i = 0; i < count; ++i) positions_.push_back(GetLe32(&bytes[static_cast<size_t>(i) * 4]));
  lengths_.clear();
  if (count && stream.Read(bytes.data(), count * 4) != count * 4) return false;
  for (int32_t i = 0; i < count; ++i) lengths_.push_back(GetLe32(&bytes[static_cast<size_t>(i) * 4]));
  return true;
}

std::vector<uint8_t> TFreeList::AreaBytes() const {
  std::vector<uint8_t> bytes(4 + positions_.size() * 8);
  PutLe32(bytes.data(), static_cast<int32_t>(positions_.size()));
  size_t at = 4;
  for (int32_t p : positions_) PutLe32(&bytes[at], p), at += 4;
  for (int32_t n : lengths_) PutLe32(&bytes[at], n), at += 4;
  return bytes;
}

bool TFreeList::SaveTo(ByteStream& stream) const {
  // One transfer for the whole area: the bytes are those of count, positions
  // and lengths written one after the other.
  std::vector<uint8_t> bytes = AreaBytes();
  return stream.Write(bytes.data(), static_cast<int32_t>(bytes.size())) ==
         static_cast<int32_t>(bytes.size());
}

}  // namespace pel
