// The order in which a store operation's held writes reach the file, so that a crash or a full disk at any write leaves a store that opens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace pel {

struct LandingWrite {
  int64_t offset;
  std::vector<uint8_t> bytes;
};

// What the block file looks like in the header's terms: used-space end, the
// free-list area's extents, and the root block (-1 when none).
struct BlockFileLayout {
  bool empty = true;  // no store in the file yet
  int64_t usedEnd = 0;
  int32_t rootBlock = -1;
  std::vector<std::pair<int64_t, int64_t>> freeExtents;  // position, length
};

// Turns the writes an operation made, in the order it made them, into the
// writes that land: every byte ends as the last write left it, the file ends
// the same length, and there are never more than maxWrites (the write calls
// the operation made; writes lists what is left of them). In between,
// every prefix of the plan leaves a file that opens and reads as before or as
// after (space may be left neither used nor free until the last write):
// first the bytes the old file does not use, then the old free list emptied,
// the header moved on when the file grows, rewrites of used blocks, the root
// block's record position (the switch to the new records), and the free list
// and header last. old is the file as on disk, now the file as the writes
// leave it.
std::vector<LandingWrite> PlanLanding(const std::vector<LandingWrite>& writes,
                                      const BlockFileLayout& old, const BlockFileLayout& now,
                                      size_t maxWrites);

}  // namespace pel
