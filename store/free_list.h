// TFreeList: the store's free extents, kept sorted, cut first-fit and merged on return.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pel {

class ByteStream;

class TFreeList {
 public:
  // First fit: cuts n bytes from the front of the first extent that is long
  // enough (removing it when it fits exactly) and returns where they start;
  // -1 when none is long enough.
  int32_t TakeExtent(int32_t n);
  // Returns an extent, joined with the free neighbours it touches.
  void AddExtent(int32_t position, int32_t length);

  // The free-list area: count, then the positions, then the lengths. LoadFrom
  // refuses a count above maxCount before allocating anything for it.
  bool LoadFrom(ByteStream& stream, int64_t maxCount);
  bool SaveTo(ByteStream& stream) const;
  // The bytes SaveTo writes.
  std::vector<uint8_t> AreaBytes() const;

  int Count() const { return static_cast<int>(positions_.size()); }
  int32_t Position(int i) const { return positions_[static_cast<size_t>(i)]; }
  int32_t Length(int i) const { return lengths_[static_cast<size_t>(i)]; }
  // Whether [start, start + length) shares a byte with any free extent.
  bool Overlaps(int64_t start, int64_t length) const;

 private:
  bool MergeExtent(int32_t position, int32_t length);
  void InsertExtent(int32_t position, int32_t length);
  void CoalesceAt(size_t i);

  std::vector<int32_t> positions_;
  std::vector<int32_t> lengths_;
};

}  // namespace pel
