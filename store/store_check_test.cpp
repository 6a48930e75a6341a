// The checker and dump: exact dump text, damage it must find, and a random workload it must find sound.
#include "store/store_check.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "app/constants.h"
#include "store/data_buf.h"
#include "store/file_manager.h"
#include "store/store_ops.h"
#include "store/stream.h"
#include "store/test_util.h"

namespace pel {
namespace {

using test::Bytes;
using test::Le32;

Bytes DefaultMessageStore() {
  MemoryStream s;
  StringList l;
  for (const char* line : {"Fcc: outbox", "Host: mail.example.org", "From: me@example.org",
                           "Chain: *,*,*,*; copies=1", "To: ", "Subject: ", "", "~~"})
    l.Add(line);
  EXPECT_EQ(WriteSection(DefaultMessageKey, &l, s), 0);
  return s.Bytes();
}

void Put(Bytes& f, size_t at, int32_t v) { std::copy_n(Le32(v).begin(), 4, f.begin() + static_cast<long>(at)); }

TEST(StoreCheck, DumpListsHeaderBlocksRecordsAndFreeList) {
  EXPECT_EQ(DumpStore(DefaultMessageStore()),
            "file size: 252\n"
            "magic: ok\n"
            "root block: 50\n"
            "used-space end: 248\n"
            "block 46 length 8: root block, root index at 214\n"
            "block 54 length 118: data record \"default/message\", stored 98, uncompressed 108, zlib, 1 positions\n"
            "block 172 length 38: index record \"default\", stored 18, uncompressed 10, zlib, 1 positions\n"
            "block 210 length 38: root index, stored 18, uncompressed 10, zlib, 1 positions\n"
            "free list: 0 extents\n");
  EXPECT_TRUE(CheckStore(DefaultMessageStore()).empty());
}

TEST(StoreCheck, FindsHeaderAndFreeListDamage) {
  EXPECT_EQ(CheckStore(Bytes(20, 0)),
            std::vector<Text>{"file is 20 bytes, shorter than a header and free list (50)"});
  Bytes f = DefaultMessageStore();
  Put(f, 42, 9999);
  EXPECT_EQ(CheckStore(f), std::vector<Text>{"used-space end 9999 lies outside the file (252 bytes)"});
  f = DefaultMessageStore();
  f[0] = 'P';
  EXPECT_EQ(CheckStore(f), std::vector<Text>{"magic text differs: not a store file"});
}

TEST(StoreCheck, FindsFreeExtentsOverUsedBlocks) {
  Bytes f = DefaultMessageStore();
  f.resize(260);
  Put(f, 248, 1);
  Put(f, 252, 100);  // inside the message record
  Put(f, 256, 20);
  EXPECT_EQ(CheckStore(f), std::vector<Text>{"free extent at 100 overlaps block at 54"});
}

TEST(StoreCheck, FindsUnreachableBytes) {
  Bytes f = DefaultMessageStore();
  Put(f, 176 + 12 + 18, -1);  // "default" no longer points at the message
  EXPECT_EQ(CheckStore(f), std::vector<Text>{"bytes 54 to 171 are neither a reachable block nor free"});
}

TEST(StoreCheck, FindsWrongUncompressedLengthsAndNameCounts) {
  Bytes f = DefaultMessageStore();
  Put(f, 58 + 8, 100);
  EXPECT_EQ(CheckStore(f),
            std::vector<Text>{"record \"default/message\" at 58: payload inflates to more than 100 bytes"});
  Put(f, 58 + 8, 200);
  EXPECT_EQ(CheckStore(f),
            std::vector<Text>{"record \"default/message\" at 58: payload inflates to 108 bytes, not 200"});
  f = DefaultMessageStore();
  f[58 + 12 + 20] ^= 0xFF;
  ASSERT_EQ(CheckStore(f).size(), 1u);
  EXPECT_EQ(CheckStore(f)[0].rfind("record \"default/message\" at 58: payload does not inflate", 0), 0u);
}

TEST(StoreCheck, FindsIndexesWhoseNamesAndPositionsDisagree) {
  CompressionSwitch() = false;
  Bytes f = DefaultMessageStore();
  CompressionSwitch() = true;
  int32_t rootIndex = test::GetLe32At(f, 50);
  EXPECT_TRUE(CheckStore(f).empty());
  f[static_cast<size_t>(rootIndex) + 12 + 4] = '\n';  // "defa" LF "lt" CR LF: two names, one position
  std::vector<Text> expected = {
      "root index at " + std::to_string(rootIndex) + ": 2 names but 1 positions",
      "bytes 54 to " + std::to_string(rootIndex - 5) + " are neither a reachable block nor free"};
  EXPECT_EQ(CheckStore(f), expected);
}

TEST(StoreCheck, HostileBlockLengthsAreReportedNotTrusted) {
  Bytes f = DefaultMessageStore();
  Put(f, 54, INT32_MIN);
  std::vector<Text> problems = CheckStore(f);
  ASSERT_FALSE(problems.empty());
  EXPECT_EQ(problems[0], "record \"default/message\" at 58 lies outside the used space");
}

TEST(StoreCheck, FindsRecordsListedTwiceAndBlocksThatOverlap) {
  Bytes f = DefaultMessageStore();
  Put(f, 214 + 12 + 18, 214);  // the root index lists itself
  EXPECT_EQ(CheckStore(f)[0], "record \"default\" at 214 is listed more than once");
}

// A long random workload through the store operations: after every step the
// checker finds the file sound and every record reads back as last written.
TEST(StoreCheck, RandomWorkloadStaysSound) {
  std::mt19937 rng(20261207);
  const std::vector<std::string> paths = {
      "a", "b", "default\xFFmessage", "default\xFF" "article", "x\xFFy\xFFz", "x\xFFw", "Initialization"};
  std::map<std::string, std::vector<Text>> model;
  MemoryStream s;
  for (int step = 0; step < 400; ++step) {
    const std::string& path = paths[rng() % paths.size()];
    if (rng() % 4 == 0) {
      ASSERT_EQ(WriteSection(path, nullptr, s), 0);
      model.erase(path);
    } else {
      StringList l;
      int lines = static_cast<int>(rng() % 30);
      for (int i = 0; i < lines; ++i) l.Add(std::string(rng() % 60, static_cast<char>('a' + rng() % 26)));
      ASSERT_EQ(WriteSection(path, &l, s), 0);
      std::vector<Text> v;
      for (int i = 0; i < l.Count(); ++i) v.push_back(l[i]);
      model[path] = v;
    }
    std::vector<Text> problems = CheckStore(s.Bytes());
    ASSERT_TRUE(problems.empty()) << "step " << step << ": " << problems[0];
  }
  for (const std::string& path : paths) {
    StringList l;
    ASSERT_EQ(ReadSection(l, path, s), 0);
    std::vector<Text> v;
    for (int i = 0; i < l.Count(); ++i) v.push_back(l[i]);
    EXPECT_EQ(v, model.count(path) ? model[path] : std::vector<Text>{}) << path;
  }
}

}  // namespace
}  // namespace pel
