// The block file: new-file bytes, allocation and release write-through, damaged files, open failures.
#include "store/file_manager.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "store/stream.h"
#include "store/test_util.h"

namespace pel {
namespace {

using test::Bytes;
using test::Concat;
using test::FromHex;
using test::Hex;
using test::Le32;

Bytes NewStoreBytes() {
  return Concat({test::MagicBytes(), FromHex("ffffffff 2e000000 00000000")});
}

class FileManagerFiles : public test::ScratchDir {};

TEST_F(FileManagerFiles, OpeningAMissingPathCreatesTheFiftyByteStore) {
  {
    TFileManager m(PathOf("PL.dbc"));
    EXPECT_EQ(m.ErrorCode(), 0);
    EXPECT_EQ(m.RootBlock(), -1);
    EXPECT_EQ(m.FileName(), PathOf("PL.dbc"));
    EXPECT_TRUE(m.OwnsStream());
  }
  EXPECT_EQ(Hex(test::ReadFileBytes(PathOf("PL.dbc"))), Hex(NewStoreBytes()));
}

TEST_F(FileManagerFiles, FailuresToOpenOrCreateAreToldWithThePathAndTouchNothing) {
  std::string inMissingFolder = PathOf("no/such/folder/PL.dbc");
  {
    TFileManager m(inMissingFolder);
    EXPECT_EQ(m.ErrorCode(), kOpenError);
    EXPECT_EQ(m.OpenFailure().message, "Cannot create file " + inMissingFolder);
    // Nothing can be read or written through a manager without a file.
    EXPECT_EQ(m.AllocBlock(10), -1);
    EXPECT_FALSE(m.WriteInt32(7));
    EXPECT_EQ(m.Commit(), kOpenError);
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("no")));
  // The file is held without sharing: a second opener is turned away, and
  // the first one's file keeps its bytes.
  {
    TFileManager first(PathOf("PL.dbc"));
    TFileManager second(PathOf("PL.dbc"));
    EXPECT_EQ(second.ErrorCode(), kOpenError);
    EXPECT_EQ(second.OpenFailure().message, "Cannot open file " + PathOf("PL.dbc"));
    EXPECT_EQ(second.Commit(), kOpenError);
    EXPECT_EQ(first.ErrorCode(), 0);
  }
  EXPECT_EQ(Hex(test::ReadFileBytes(PathOf("PL.dbc"))), Hex(NewStoreBytes()));
}

TEST(FileManager, FirstBlockIsTheRootBlockAtFifty) {
  MemoryStream s;
  TFileManager m(s);
  EXPECT_FALSE(m.OwnsStream());
  EXPECT_EQ(m.AllocBlock(10), 50);
  EXPECT_EQ(m.RootBlock(), 50);
  EXPECT_EQ(m.UsedSpaceEnd(), 46 + 10 + 4);
  // Header 50 / 60, length word 14, ten payload bytes never written, empty free list.
  EXPECT_EQ(Hex(s.Bytes()), Hex(Concat({test::MagicBytes(), FromHex("32000000 3c000000 0e000000"),
                                        Bytes(10, 0), FromHex("00000000")})));
}

TEST(FileManager, ZeroBlocksAndTheRootBlockAreNeverAllocatedOrFreed) {
  MemoryStream s;
  TFileManager m(s);
  int32_t root = m.AllocBlock(4);
  Bytes before = s.Bytes();
  EXPECT_EQ(m.AllocBlock(0), -1);
  m.FreeBlock(root);
  m.FreeBlock(-1);
  EXPECT_EQ(Hex(s.Bytes()), Hex(before));
  EXPECT_EQ(m.ErrorCode(), 0);
}

TEST(FileManager, FreeingTheLastBlockMovesTheUsedSpaceEndBack) {
  MemoryStream s;
  TFileManager m(s);
  m.AllocBlock(4);
  int32_t a = m.AllocBlock(10);
  int32_t b = m.AllocBlock(20);
  EXPECT_EQ(b, a + 14);
  int64_t size = s.Size();
  m.FreeBlock(b);
  EXPECT_EQ(m.UsedSpaceEnd(), b - 4);
  EXPECT_EQ(s.Size(), size);  // never truncated
  EXPECT_EQ(Hex(Bytes(s.Bytes().begin() + 42, s.Bytes().begin() + 46)), Hex(Le32(b - 4)));
  EXPECT_EQ(Hex(Bytes(s.Bytes().begin() + b - 4, s.Bytes().begin() + b)), "00000000");
  EXPECT_EQ(m.FreeList().Count(), 0);
}

TEST(FileManager, ExactFitReusesAnExtentAndSmallerRequestsCutItsFront) {
  MemoryStream s;
  TFileManager m(s);
  m.AllocBlock(4);
  int32_t a = m.AllocBlock(10);
  m.AllocBlock(10);
  m.FreeBlock(a);
  ASSERT_EQ(m.FreeList().Count(), 1);
  EXPECT_EQ(m.AllocBlock(10), a);
  EXPECT_EQ(m.FreeList().Count(), 0);
  m.FreeBlock(a);
  EXPECT_EQ(m.AllocBlock(5), a);  // takes 9 of the 14 bytes
  ASSERT_EQ(m.FreeList().Count(), 1);
  EXPECT_EQ(m.FreeList().Position(0), a - 4 + 9);
  EXPECT_EQ(m.FreeList().Length(0), 5);
  // The new block's length word and the free-list area are on disk.
  EXPECT_EQ(Hex(Bytes(s.Bytes().begin() + a - 4, s.Bytes().begin() + a)), "09000000");
  size_t area = static_cast<size_t>(m.UsedSpaceEnd());
  EXPECT_EQ(Hex(Bytes(s.Bytes().begin() + area, s.Bytes().begin() + area + 12)),
            Hex(Concat({Le32(1), Le32(a - 4 + 9), Le32(5)})));
}

TEST(FileManager, FreeingBetweenTwoFreeExtentsJoinsAllThree) {
  MemoryStream s;
  TFileManager m(s);
  m.AllocBlock(4);
  int32_t a = m.AllocBlock(10), b = m.AllocBlock(10), c = m.AllocBlock(10);
  m.AllocBlock(10);
  m.FreeBlock(a);
  m.FreeBlock(c);
  ASSERT_EQ(m.FreeList().Count(), 2);
  m.FreeBlock(b);
  ASSERT_EQ(m.FreeList().Count(), 1);
  EXPECT_EQ(m.FreeList().Position(0), a - 4);
  EXPECT_EQ(m.FreeList().Length(0), 42);
}

TEST(FileManager, ReopeningReadsHeaderAndFreeList) {
  MemoryStream s;
  int32_t a;
  {
    TFileManager m(s);
    m.AllocBlock(4);
    a = m.AllocBlock(10);
    m.AllocBlock(10);
    m.FreeBlock(a);
  }
  TFileManager again(s);
  EXPECT_EQ(again.ErrorCode(), 0);
  EXPECT_EQ(again.RootBlock(), 50);
  ASSERT_EQ(again.FreeList().Count(), 1);
  EXPECT_EQ(again.FreeList().Position(0), a - 4);
}

// Files that are not stores, or whose header or free list point outside the
// file, are unreadable (2) and must come out of any attempt byte for byte.
TEST(FileManager, DamagedOrForeignFilesAreUnreadableAndUntouched) {
  Bytes good = Concat({test::MagicBytes(), FromHex("32000000 36000000 08000000 ffffffff 00000000")});
  auto with = [&](size_t at, Bytes value) {
    Bytes b = good;
    std::copy(value.begin(), value.end(), b.begin() + static_cast<long>(at));
    return b;
  };
  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"shorter than a header", FromHex("706c6462317878")},
      {"header without free list", Bytes(good.begin(), good.begin() + 46)},
      {"other magic", with(0, test::AsBytes("PLDB1"))},
      {"root block past used space", with(38, Le32(54))},
      {"root block inside the header", with(38, Le32(20))},
      {"used space end before the header end", with(42, Le32(10))},
      {"used space end past the file", with(42, Le32(400))},
      {"free list count too large", with(54, Le32(1000))},
      {"negative free list count", with(54, Le32(-1))},
      {"extent past used space", Concat({test::MagicBytes(), Le32(50), Le32(54), Le32(8), Le32(-1),
                                         Le32(1), Le32(50), Le32(30)})},
      {"extent over the root block", Concat({with(42, Le32(70)), Bytes(12, 0), Le32(2), Le32(46),
                                             Le32(62), Le32(8), Le32(4)})},
  };
  for (const Case& c : cases) {
    MemoryStream s(c.bytes);
    TFileManager m(s);
    EXPECT_EQ(m.ErrorCode(), 2) << c.what;
    EXPECT_EQ(m.AllocBlock(10), -1) << c.what;
    EXPECT_EQ(Hex(s.Bytes()), Hex(c.bytes)) << c.what;
  }
  MemoryStream ok(good);
  EXPECT_EQ(TFileManager(ok).ErrorCode(), 0);
}

TEST(FileManager, FreeingABlockTwiceIsRefusedAsDamage) {
  MemoryStream s;
  TFileManager m(s);
  m.AllocBlock(4);
  int32_t a = m.AllocBlock(10);
  m.AllocBlock(10);
  m.FreeBlock(a);
  Bytes before = s.Bytes();
  m.FreeBlock(a);
  EXPECT_EQ(m.ErrorCode(), 2);
  EXPECT_EQ(m.FailureReport(), "Block: 6, Fatal read error!");
  EXPECT_EQ(Hex(s.Bytes()), Hex(before));
}

TEST(FileManager, FailureReportNamesTheOperationAndTheError) {
  MemoryStream inner;
  { TFileManager m(inner); }
  test::FaultStream s(inner);
  s.FailNth(test::FaultStream::kWrite, 3);  // length word, header, header naming the root
  TFileManager m(s);
  EXPECT_EQ(m.AllocBlock(4), 50);  // the block exists; its free-list write failed
  EXPECT_EQ(m.ErrorCode(), 1);
  EXPECT_EQ(m.FailureReport(), "Block: 10, Fatal write error!");
}

TEST(FileManager, ErrorTexts) {
  EXPECT_EQ(TFileManager::ErrorText(0), "No error!");
  EXPECT_EQ(TFileManager::ErrorText(1), "Fatal write error!");
  EXPECT_EQ(TFileManager::ErrorText(2), "Fatal read error!");
  EXPECT_EQ(TFileManager::ErrorText(3), "Fatal seek error!");
  EXPECT_EQ(TFileManager::ErrorText(7), "Unknown FATAL error!");
}

}  // namespace
}  // namespace pel
