// Record index: replacing, case-insensitive names, deleting, position lists and the kind byte.
#include "store/index.h"

#include <gtest/gtest.h>

#include "store/data_buf.h"
#include "store/file_manager.h"
#include "store/stream.h"
#include "store/test_util.h"
#include "sys/memory/scripted_ui.h"

namespace pel {
namespace {

using test::Bytes;
using test::Concat;
using test::FromHex;
using test::Hex;
using test::Le32;

Bytes At(const MemoryStream& s, int64_t offset, size_t n) {
  return Bytes(s.Bytes().begin() + offset, s.Bytes().begin() + offset + static_cast<long>(n));
}

// Writes name = text into the root index and saves.
int32_t Put(TFMindex& index, std::string_view name, std::string_view text) {
  TDataBuf b(text);
  return index.WriteRecord(name, &b, true);
}

Text Get(TFMindex& index, std::string_view name) {
  TDataBuf b;
  return index.ReadRecord(name, &b) ? Text(b.PayloadText()) : Text("<none>");
}

TEST(Index, WritingAgainReplacesTheRecordAndKeepsOneEntry) {
  MemoryStream s;
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  int32_t first = Put(root, "message", "one");
  int32_t second = Put(root, "message", "two");
  int64_t size = s.Size();
  int32_t third = Put(root, "message", "six");
  EXPECT_EQ(root.Count(), 1);
  // The freed block fits exactly and is taken again; the file does not grow.
  EXPECT_EQ(second, first);
  EXPECT_EQ(third, first);
  EXPECT_EQ(s.Size(), size);
  EXPECT_EQ(Get(root, "message"), "six");
  EXPECT_EQ(m.ErrorCode(), 0);
}

TEST(Index, NamesMatchWithoutCaseAndKeepTheirStoredSpelling) {
  MemoryStream s;
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  Put(root, "message", "one");
  Put(root, "MESSAGE", "two");
  ASSERT_EQ(root.Count(), 1);
  EXPECT_EQ(root[0], "message");
  EXPECT_EQ(Get(root, "Message"), "two");
  TFMindex reread(m, nullptr, "");
  EXPECT_EQ(reread[0], "message");
}

TEST(Index, DataRecordListsTheIndexPositionsBeforeItsOwnIsEntered) {
  CompressionSwitch() = false;
  MemoryStream s;
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  int32_t a = Put(root, "a", "A");
  int32_t b = Put(root, "b", "B");
  // "b": flags (raw), S = U = 1, "B", then positions a and -1.
  EXPECT_EQ(Hex(At(s, b, 21)), Hex(Concat({FromHex("02000000 01000000 01000000 42"), Le32(a), Le32(-1)})));
  int32_t a2 = Put(root, "a", "C");
  EXPECT_EQ(Hex(At(s, a2, 21)), Hex(Concat({FromHex("02000000 01000000 01000000 43"), Le32(a), Le32(b)})));
  CompressionSwitch() = true;
}

TEST(Index, RootIndexRecordIsItsNamesWithCrLfAndAZeroByte) {
  CompressionSwitch() = false;
  MemoryStream s;
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  EXPECT_EQ(root.RecordPosition(), -1);
  EXPECT_EQ(Hex(At(s, 50, 4)), "ffffffff");  // a new root block names no index yet
  int32_t a = Put(root, "ab", "x");
  int32_t p = root.RecordPosition();
  EXPECT_EQ(Hex(At(s, 50, 4)), Hex(Le32(p)));
  EXPECT_EQ(Hex(At(s, p, 21)), Hex(Concat({FromHex("01000000 05000000 05000000 61620d0a00"), Le32(a)})));
  CompressionSwitch() = true;
}

TEST(Index, AnIndexThatLosesItsLastNameIsAZeroByteAndStaysListed) {
  MemoryStream s;
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  TFMindex box(m, &root, "default");
  Put(box, "message", "text");
  box.WriteRecord("message", nullptr, true);
  EXPECT_EQ(box.Count(), 0);
  EXPECT_EQ(root.Count(), 1);
  EXPECT_EQ(root.PositionOf("default"), box.RecordPosition());
  EXPECT_EQ(Hex(At(s, box.RecordPosition(), 21)),
            "01000001" "09000000" "01000000" "789c63000000010001");
}

TEST(Index, DeletingAMissingNameStillRewritesTheIndex) {
  MemoryStream inner;
  test::FaultStream s(inner);
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  Put(root, "keep", "x");
  int writes = s.Calls(test::FaultStream::kWrite);
  EXPECT_EQ(root.WriteRecord("absent", nullptr, true), -1);
  EXPECT_EQ(root.Count(), 1);
  EXPECT_GT(s.Calls(test::FaultStream::kWrite), writes);
  EXPECT_EQ(Get(root, "keep"), "x");
}

TEST(Index, MissingNamesReadAsNothing) {
  MemoryStream s;
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  TDataBuf b;
  EXPECT_EQ(root.PositionOf("x"), -1);
  EXPECT_EQ(root.StoredLengthOf("x"), 0);
  EXPECT_EQ(root.KindOf("x"), kNoRecordKind);
  EXPECT_EQ(root.ReadRecord("x", &b), nullptr);
  EXPECT_EQ(root.SetPosition("", 5), -1);
  EXPECT_EQ(root.Count(), 0);
}

TEST(Index, KindByteKeepsIndexesAndDataRecordsApart) {
  MemoryStream s;
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  Put(root, "data", "precious");
  TFMindex sub(m, &root, "folder");
  Put(sub, "inner", "x");
  EXPECT_EQ(root.KindOf("data"), kDataRecord);
  EXPECT_EQ(root.KindOf("folder"), kIndexRecord);
  // An index record is never handed out as a record's text.
  EXPECT_EQ(Get(root, "folder"), "<none>");
  // A data record is never loaded as an index, nor saved over as one.
  Bytes before = s.Bytes();
  TFMindex notIndex(m, &root, "data");
  EXPECT_FALSE(notIndex.IsIndex());
  EXPECT_EQ(notIndex.Count(), 0);
  EXPECT_EQ(Put(notIndex, "child", "y"), -1);
  EXPECT_EQ(m.ErrorCode(), 1);
  EXPECT_EQ(Hex(s.Bytes()), Hex(before));
}

TEST(Index, NamesThatWouldSplitOrCutTheIndexTextAreRefused) {
  for (std::string_view bad : {std::string_view("a\r\nb"), std::string_view("a\rb"),
                               std::string_view("a\nb"), std::string_view("a\0b", 3),
                               std::string_view("")}) {
    MemoryStream s;
    TFileManager m(s);
    TFMindex root(m, nullptr, "");
    Put(root, "ok", "1");
    Bytes before = s.Bytes();
    EXPECT_EQ(Put(root, bad, "2"), -1);
    EXPECT_EQ(m.ErrorCode(), 1);
    EXPECT_EQ(root.Count(), 1);
    EXPECT_EQ(Hex(s.Bytes()), Hex(before));
  }
}

TEST(Index, RecordsFromAStreamAreCompressedAndReadBack) {
  MemoryStream s;
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  MemoryStream payload(test::AsBytes("streamed bytes"));
  int32_t p = root.WriteRecordFromStream("s", &payload, true);
  EXPECT_EQ(Hex(At(s, p, 4)), "02000001");
  EXPECT_EQ(Hex(At(s, p + 8, 4)), Hex(Le32(14)));
  EXPECT_EQ(Get(root, "s"), "streamed bytes");
  root.WriteRecordFromStream("s", nullptr, true);
  EXPECT_EQ(root.Count(), 0);
}

TEST(Index, RecordLengthsPastTheUsedSpaceMarkTheFileDamaged) {
  MemoryStream s;
  {
    TFileManager m(s);
    TFMindex root(m, nullptr, "");
    Put(root, "a", "text");
  }
  // Stored length of record "a" made huge.
  TFileManager m0(s);
  int32_t a = TFMindex(m0, nullptr, "").PositionOf("a");
  std::copy_n(Le32(0x7ffffff0).begin(), 4, s.Bytes().begin() + a + 4);
  Bytes before = s.Bytes();
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  EXPECT_EQ(Get(root, "a"), "<none>");
  EXPECT_EQ(m.ErrorCode(), 2);
  EXPECT_EQ(Put(root, "b", "x"), -1);
  EXPECT_EQ(Hex(s.Bytes()), Hex(before));
}

TEST(Index, UndecompressableIndexTextIsReadAsItStandsButNeverSavedOver) {
  ScriptedUi ui;
  ScopedUi scope(&ui);
  MemoryStream s;
  int32_t p;
  {
    TFileManager m(s);
    TFMindex root(m, nullptr, "");
    Put(root, "a", "text");
    p = root.RecordPosition();
  }
  std::copy_n(Le32(2).begin(), 4, s.Bytes().begin() + p + 8);  // uncompressed length too short
  Bytes before = s.Bytes();
  TFileManager m(s);
  TFMindex root(m, nullptr, "");
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].text, "Decompression Error: Z_BUF_ERROR");
  EXPECT_EQ(ui.Boxes()[0].caption, "Inflate Error");
  EXPECT_EQ(root.PositionOf("a"), -1);
  EXPECT_EQ(m.ErrorCode(), 0);  // reading goes on with the bytes as they are
  // Saving names read from undecompressed bytes would replace the real ones.
  EXPECT_EQ(Put(root, "b", "x"), -1);
  EXPECT_EQ(m.ErrorCode(), 2);
  EXPECT_EQ(Hex(s.Bytes()), Hex(before));
}

}  // namespace
}  // namespace pel
