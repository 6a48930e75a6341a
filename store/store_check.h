// Whole-file consistency check and human-readable dump of a store file, read independently of the manager.
#pragma once

#include <cstdint>
#include <vector>

#include "base/text.h"

namespace pel {

class ByteStream;

// Every inconsistency found in a store file's bytes, one sentence each; empty
// when the file is sound. Covers the header, every block reachable from the
// root, the free list, the tiling of the used space by blocks and free
// extents, the inflated length of every compressed payload, and the agreement
// of each index's names with its positions.
std::vector<Text> CheckStore(const std::vector<uint8_t>& file);

// Header, blocks in file order (records with their names), and the free list.
Text DumpStore(const std::vector<uint8_t>& file);

// The same over a stream, read where the structure leads and never whole, so
// that a file with a long tail past its free list costs no more than its
// records. Memory stays within the largest record.
std::vector<Text> CheckStore(ByteStream& file);
Text DumpStore(ByteStream& file);

}  // namespace pel
