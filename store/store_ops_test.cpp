// Store operations on real files: the default message's exact layout, paths, sections, settings, mailboxes.
#include "store/store_ops.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/constants.h"
#include "store/data_buf.h"
#include "store/file_manager.h"
#include "store/journal.h"
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

StringList Lines(std::initializer_list<const char*> lines) {
  StringList l;
  for (const char* s : lines) l.Add(s);
  return l;
}

StringList DefaultMessage() {
  return Lines({"Fcc: outbox", "Host: mail.example.org", "From: me@example.org",
                "Chain: *,*,*,*; copies=1", "To: ", "Subject: ", "", "~~"});
}

std::vector<Text> Texts(const StringList& l) {
  std::vector<Text> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l[i]);
  return v;
}

class StoreOps : public test::ScratchDir {
 protected:
  std::string Db() const { return PathOf("PL.dbc"); }
  Bytes File() const { return test::ReadFileBytes(Db()); }
};

TEST_F(StoreOps, DefaultMessageIntoAMissingFileHasThisExactLayout) {
  StringList msg = DefaultMessage();
  ASSERT_EQ(WriteSection(DefaultMessageKey, &msg, Db()), 0);
  Bytes expected = Concat({
      test::MagicBytes(), FromHex("32000000 f8000000"),  // root block 50, used-space end 248
      FromHex("08000000"), Le32(214),                      // root block -> root index record
      // 54: data record "message", record position 58
      FromHex("76000000 02000001 62000000 6c000000"),
      FromHex("789c734b4eb652c82f2d49caafe0e5f2c82f2eb152c84dccccd14bad48cc2dc849d5cb2f4ae7e572"
              "2bcacf058aa73aa0883a672466e6592968e980a1b542727e41666ab1ad212f5748be95022f577069"
              "52566a720988c9cb5557c7cb05006a562045"),
      Le32(-1),
      // 172: index "default" listing "message" at 58
      FromHex("26000000 01000001 12000000 0a000000 789ccb4d2d2e4e4c4fe5e562000014ae02fd"), Le32(58),
      // 210: root index listing "default" at 176
      FromHex("26000000 01000001 12000000 0a000000 789c4b494d4b2ccd29e1e5620000143b02fd"), Le32(176),
      FromHex("00000000"),  // free list at 248: empty
  });
  EXPECT_EQ(Hex(File()), Hex(expected));
}

TEST_F(StoreOps, ArticleAfterMessageListsBothInOrderAndReadsBack) {
  StringList msg = DefaultMessage();
  StringList art = Lines({"Fcc: outbox", "Newsgroups: ", "", "~~"});
  ASSERT_EQ(WriteSection(DefaultMessageKey, &msg, Db()), 0);
  ASSERT_EQ(WriteSection(DefaultArticleKey, &art, Db()), 0);
  StringList names;
  ASSERT_EQ(ListIndex(names, "default", Db()), 0);
  EXPECT_EQ(Texts(names), (std::vector<Text>{"message", "article"}));
  StringList back;
  ASSERT_EQ(ReadSection(back, DefaultMessageKey, Db()), 0);
  EXPECT_EQ(Texts(back), Texts(msg));
  TDataBuf raw;
  ASSERT_EQ(StoreRead(DefaultArticleKey, raw, Db()), 0);
  EXPECT_EQ(raw.PayloadText(), "Fcc: outbox\r\nNewsgroups: \r\n\r\n~~\r\n");
}

TEST_F(StoreOps, ReadingFromAMissingFileGivesNothingAndCreatesNothing) {
  StringList l = Lines({"stale"});
  EXPECT_EQ(ReadSection(l, DefaultMessageKey, Db()), 0);
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(ReadSetting("Version", "none", Db()), "none");
  EXPECT_FALSE(std::filesystem::exists(Db()));
}

TEST_F(StoreOps, ExtraSeparatorsAddressTheSameRecord) {
  StringList msg = Lines({"x"});
  ASSERT_EQ(WriteSection("\xFF\xFF" "default\xFF\xFF\xFFmessage\xFF", &msg, Db()), 0);
  StringList back;
  ASSERT_EQ(ReadSection(back, DefaultMessageKey, Db()), 0);
  EXPECT_EQ(Texts(back), (std::vector<Text>{"x"}));
}

TEST_F(StoreOps, AnEmptyPathAddressesNoRecordButAWriteCreatesTheFile) {
  StringList msg = Lines({"x"});
  EXPECT_EQ(WriteSection("\xFF\xFF", &msg, Db()), 0);
  EXPECT_EQ(Hex(File()), Hex(Concat({test::MagicBytes(),
                                     FromHex("32000000 36000000 08000000 ffffffff 00000000")})));
  StringList back;
  EXPECT_EQ(ReadSection(back, "", Db()), 0);
  EXPECT_EQ(back.Count(), 0);
}

TEST_F(StoreOps, AnEmptyListIsAnEightByteZlibStream) {
  StringList none;
  ASSERT_EQ(WriteSection("rec", &none, Db()), 0);
  Bytes f = File();
  // root block, then the record: flags, S = 8, U = 0, the stream, one position.
  EXPECT_EQ(Hex(Bytes(f.begin() + 58, f.begin() + 82)),
            "02000001" "08000000" "00000000" "789c030000000001" "ffffffff");
  StringList back = Lines({"stale"});
  EXPECT_EQ(ReadSection(back, "rec", Db()), 0);
  EXPECT_EQ(back.Count(), 0);
  EXPECT_FALSE(ReadSectionTo("rec", nullptr, Db()));
}

TEST_F(StoreOps, WriteSectionWithoutAListRemovesTheRecord) {
  StringList msg = DefaultMessage();
  ASSERT_EQ(WriteSection(DefaultMessageKey, &msg, Db()), 0);
  ASSERT_EQ(WriteSection(DefaultMessageKey, nullptr, Db()), 0);
  StringList names, back;
  ASSERT_EQ(ListIndex(names, "default", Db()), 0);
  EXPECT_EQ(names.Count(), 0);
  EXPECT_EQ(ReadSection(back, DefaultMessageKey, Db()), 0);
  EXPECT_EQ(back.Count(), 0);
  // Its block at 54 was freed: the rewritten "default" index took its front.
  StringList root;
  ASSERT_EQ(ListRoot(root, Db()), 0);
  EXPECT_EQ(root.Value(0), 58);
  EXPECT_EQ(File()[58], 1);
}

TEST_F(StoreOps, SettingsAreFoundWithoutCaseAndEmptyValuesGiveTheDefault) {
  StringList ini = Lines({"VERSION=0.9b2", "Cutmarks=", "Other=1=2"});
  ASSERT_EQ(WriteSection(SettingsRecord, &ini, Db()), 0);
  EXPECT_EQ(ReadSetting("Version", "", Db()), "0.9b2");
  EXPECT_EQ(ReadSetting("Cutmarks", "~~", Db()), "~~");
  EXPECT_EQ(ReadSetting("other", "", Db()), "1=2");
  EXPECT_EQ(ReadSetting("Missing", "dflt", Db()), "dflt");
}

TEST_F(StoreOps, WriteSettingReplacesAppendsAndRemovesLines) {
  ASSERT_EQ(WriteSetting("Version", "1", Db()), 0);
  ASSERT_EQ(WriteSetting("Cutmarks", "--", Db()), 0);
  ASSERT_EQ(WriteSetting("version", "2", Db()), 0);
  StringList l;
  ASSERT_EQ(ReadSection(l, SettingsRecord, Db()), 0);
  EXPECT_EQ(Texts(l), (std::vector<Text>{"version=2", "Cutmarks=--"}));
  ASSERT_EQ(WriteSetting("VERSION", "", Db()), 0);
  ASSERT_EQ(ReadSection(l, SettingsRecord, Db()), 0);
  EXPECT_EQ(Texts(l), (std::vector<Text>{"Cutmarks=--"}));
}

TEST_F(StoreOps, SettingsThatWouldBecomeOtherLinesAreRefused) {
  ASSERT_EQ(WriteSetting("Version", "1", Db()), 0);
  Bytes before = File();
  EXPECT_EQ(WriteSetting("Version", "2\r\nCutmarks=x", Db()), 1);
  EXPECT_EQ(WriteSetting("A=B", "1", Db()), 1);
  EXPECT_EQ(WriteSetting("", "1", Db()), 1);
  EXPECT_EQ(Hex(File()), Hex(before));
}

TEST_F(StoreOps, ASettingsRecordThatFailsToInflateIsNotOverwritten) {
  ScriptedUi ui;
  ScopedUi scope(&ui);
  ASSERT_EQ(WriteSetting("Version", "1", Db()), 0);
  Bytes f = File();
  // The settings record is the first data record, at 58: break its stream.
  f[58 + 12 + 4] ^= 0xFF;
  test::WriteFileBytes(Db(), f);
  EXPECT_EQ(WriteSetting("Other", "2", Db()), 2);
  EXPECT_EQ(Hex(File()), Hex(f));
  EXPECT_FALSE(ui.Boxes().empty());
  EXPECT_EQ(ui.Boxes()[0].caption, "Inflate Error");
}

TEST_F(StoreOps, PathsOfMoreThanSixteenNamesAreRefused) {
  std::string deep;
  for (int i = 0; i < 17; ++i) deep += "n\xFF";
  StringList l = Lines({"x"});
  EXPECT_EQ(WriteSection(deep, &l, Db()), 1);
  EXPECT_FALSE(std::filesystem::exists(Db()));
  ASSERT_EQ(WriteSection("a", &l, Db()), 0);
  Bytes before = File();
  EXPECT_EQ(ReadSection(l, deep, Db()), 2);
  EXPECT_EQ(Hex(File()), Hex(before));
  // Sixteen is still fine.
  std::string sixteen;
  for (int i = 0; i < 16; ++i) sixteen += "n\xFF";
  StringList x = Lines({"deep"});
  ASSERT_EQ(WriteSection(sixteen, &x, Db()), 0);
  ASSERT_EQ(ReadSection(l, sixteen, Db()), 0);
  EXPECT_EQ(Texts(l), (std::vector<Text>{"deep"}));
}

TEST_F(StoreOps, NamesWithLineBreaksOrZerosAreRefused) {
  StringList l = Lines({"x"});
  ASSERT_EQ(WriteSection("a", &l, Db()), 0);
  Bytes before = File();
  EXPECT_EQ(WriteSection("de\r\nfault\xFFmessage", &l, Db()), 1);
  EXPECT_EQ(WriteSection(std::string_view("nul\0l", 5), &l, Db()), 1);
  EXPECT_EQ(RenameEntry("a", "b\nc", Db()), 1);
  EXPECT_EQ(RenameEntry("a", "b\xFF" "c", Db()), 1);
  EXPECT_EQ(Hex(File()), Hex(before));
}

TEST_F(StoreOps, ADataRecordIsNotWalkedThroughAsAnIndex) {
  StringList l = Lines({"precious"});
  ASSERT_EQ(WriteSection("default", &l, Db()), 0);
  Bytes before = File();
  StringList m = DefaultMessage();
  EXPECT_EQ(WriteSection(DefaultMessageKey, &m, Db()), 1);
  EXPECT_EQ(Hex(File()), Hex(before));
  StringList back;
  EXPECT_EQ(ReadSection(back, DefaultMessageKey, Db()), 0);
  EXPECT_EQ(back.Count(), 0);
  EXPECT_EQ(ReadSection(back, "default", Db()), 0);
  EXPECT_EQ(Texts(back), (std::vector<Text>{"precious"}));
}

TEST_F(StoreOps, AnIndexIsNeitherReadAsARecordNorOverwrittenByOne) {
  StringList m = DefaultMessage();
  ASSERT_EQ(WriteSection(DefaultMessageKey, &m, Db()), 0);
  StringList back = Lines({"stale"});
  EXPECT_EQ(ReadSection(back, "default", Db()), 0);
  EXPECT_EQ(back.Count(), 0);
  EXPECT_FALSE(ReadBuffer("default", nullptr, Db()));
  Bytes before = File();
  StringList over = Lines({"would cut off default/message"});
  EXPECT_EQ(WriteSection("DEFAULT", &over, Db()), 1);
  EXPECT_EQ(Hex(File()), Hex(before));
}

TEST_F(StoreOps, ListRootReadBufferAndReadSectionTo) {
  StringList a = Lines({"1"}), b = Lines({"2", "3"});
  ASSERT_EQ(WriteSection("first", &a, Db()), 0);
  ASSERT_EQ(WriteSection("second", &b, Db()), 0);
  StringList root = Lines({"kept"});
  ASSERT_EQ(ListRoot(root, Db()), 0);
  ASSERT_EQ(Texts(root), (std::vector<Text>{"kept", "first", "second"}));
  EXPECT_EQ(root.Value(1), 58);
  TDataBuf target;
  EXPECT_TRUE(ReadBuffer("second", &target, Db()));
  EXPECT_EQ(target.PayloadText(), "2\r\n3\r\n");
  StringList to = Lines({"old"});
  EXPECT_TRUE(ReadSectionTo("SECOND", &to, Db()));
  EXPECT_EQ(Texts(to), (std::vector<Text>{"2", "3"}));
  EXPECT_FALSE(ReadSectionTo("missing", &to, Db()));
  EXPECT_EQ(to.Count(), 0);
}

TEST_F(StoreOps, RenameKeepsTheRecord) {
  StringList m = DefaultMessage();
  ASSERT_EQ(WriteSection(DefaultMessageKey, &m, Db()), 0);
  ASSERT_EQ(RenameEntry(DefaultMessageKey, "old message", Db()), 0);
  ASSERT_EQ(RenameTrimmedEntry(" \t" "default\xFFold message\r\n", "kept", Db()), 0);
  ASSERT_EQ(RenameEntry("DEFAULT", "templates", Db()), 0);
  StringList back;
  ASSERT_EQ(ReadSection(back, "templates\xFFkept", Db()), 0);
  EXPECT_EQ(Texts(back), Texts(m));
  EXPECT_EQ(ReadSection(back, DefaultMessageKey, Db()), 0);
  EXPECT_EQ(back.Count(), 0);
}

class Mailboxes : public StoreOps {
 protected:
  void SetUp() override {
    StoreOps::SetUp();
    for (const char* name : {"m1", "m2", "m3"}) {
      StringList l = Lines({name});
      ASSERT_EQ(WriteSection(std::string("Mailboxes\xFFinbox\xFF") + name, &l, Db()), 0);
    }
  }
  std::vector<Text> Box(const char* name) {
    StringList l;
    EXPECT_EQ(ListIndex(l, std::string("Mailboxes\xFF") + name, Db()), 0);
    return Texts(l);
  }
};

TEST_F(Mailboxes, DeleteTakesTheSelectedEntriesWithTheirRecords) {
  std::vector<uint8_t> selection = {9, 1, 0, 1};  // byte 0 ignored; entries 0 and 2
  EXPECT_EQ(DeleteMailboxEntries("INBOX", &selection, Db()), 2);
  EXPECT_EQ(Box("inbox"), (std::vector<Text>{"m2"}));
  EXPECT_EQ(DeleteMailboxEntries("inbox", nullptr, Db()), 1);
  EXPECT_EQ(Box("inbox"), (std::vector<Text>{}));
  EXPECT_EQ(DeleteMailboxEntries("inbox", nullptr, PathOf("missing.dbc")), 0);
}

TEST_F(Mailboxes, ShortSelectionsSelectNothingPastTheirEnd) {
  std::vector<uint8_t> selection = {0, 1};
  EXPECT_EQ(DeleteMailboxEntries("inbox", &selection, Db()), 1);
  EXPECT_EQ(Box("inbox"), (std::vector<Text>{"m2", "m3"}));
}

TEST_F(Mailboxes, MoveAppendsFromTheLastEntryBackwards) {
  EXPECT_EQ(MoveMailboxEntries("inbox", nullptr, "archive", Db()), 3);
  EXPECT_EQ(Box("inbox"), (std::vector<Text>{}));
  EXPECT_EQ(Box("archive"), (std::vector<Text>{"m3", "m2", "m1"}));
  StringList back;
  ASSERT_EQ(ReadSection(back, "Mailboxes\xFF" "archive\xFFm2", Db()), 0);
  EXPECT_EQ(Texts(back), (std::vector<Text>{"m2"}));
}

TEST_F(Mailboxes, ADamagedEntryStopsTheDeleteBeforeAnythingIsFreed) {
  StringList boxes;
  ASSERT_EQ(ListIndex(boxes, "Mailboxes", Db()), 0);
  size_t inbox = static_cast<size_t>(boxes.Value(0));
  Bytes f = File();
  size_t stored = static_cast<size_t>(test::GetLe32At(f, inbox + 4));
  std::copy_n(Le32(999999).begin(), 4, f.begin() + static_cast<long>(inbox + 12 + stored + 4));
  test::WriteFileBytes(Db(), f);
  EXPECT_EQ(DeleteMailboxEntries("inbox", nullptr, Db()), -1);
  EXPECT_EQ(Hex(File()), Hex(f));
}

TEST_F(Mailboxes, MovingAMailboxOntoItselfChangesNothing) {
  Bytes before = File();
  EXPECT_EQ(MoveMailboxEntries("inbox", nullptr, "Inbox", Db()), 0);
  EXPECT_EQ(Hex(File()), Hex(before));
  EXPECT_EQ(DeleteMailboxEntries("", nullptr, Db()), 0);
  EXPECT_EQ(Hex(File()), Hex(before));
}

// A kill left half an operation on disk and its journal beside it: the next
// opener, a reader, puts the old bytes back and deletes the journal.
TEST_F(StoreOps, TheNextOpenerRollsALeftJournalBack) {
  StringList msg;
  msg.Add("From: a@example.org");
  ASSERT_EQ(WriteSection(DefaultMessageKey, &msg, Db()), 0);
  const Bytes before = File();
  Bytes half = before;
  JournalRegion region;
  region.offset = 38;
  region.old.assign(before.begin() + 38, before.begin() + 46);
  region.now = {1, 2, 3, 4, 5, 6, 7, 8};
  std::copy(region.now.begin(), region.now.end(), half.begin() + 38);
  half.resize(half.size() + 20, 0x77);  // an append that landed too
  test::WriteFileBytes(Db(), half);
  test::WriteFileBytes(Db() + ".jnl",
                       EncodeJournal(static_cast<int64_t>(before.size()),
                                     static_cast<int64_t>(half.size()), {region}));
  StringList back;
  EXPECT_EQ(ReadSection(back, DefaultMessageKey, Db()), 0);
  EXPECT_EQ(back.GetText(), "From: a@example.org\r\n");
  EXPECT_EQ(File(), before);
  EXPECT_FALSE(std::filesystem::exists(Db() + ".jnl"));
}

TEST_F(StoreOps, AFileHeldByAnotherOpenerIsToldAndKeepsItsRecords) {
  StringList l = Lines({"x"});
  ASSERT_EQ(WriteSection("a", &l, Db()), 0);
  Bytes before = File();
  {
    TFileManager holder(Db());
    StoreFileError why;
    EXPECT_EQ(ReadSection(l, "a", Db(), &why), kOpenError);
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(why.message, "Cannot open file " + Db());
    StringList other = Lines({"y"});
    StoreFileError whyWrite;
    EXPECT_EQ(WriteSection("b", &other, Db(), &whyWrite), kOpenError);
    EXPECT_EQ(whyWrite.message, "Cannot open file " + Db());
    // Operations that return no code tell it only through the failure.
    StoreFileError whySetting;
    EXPECT_EQ(ReadSetting("Version", "none", Db(), &whySetting), "none");
    EXPECT_EQ(whySetting.message, "Cannot open file " + Db());
  }
  EXPECT_EQ(File(), before);
  EXPECT_EQ(ReadSection(l, "a", Db()), 0);
  EXPECT_EQ(l.GetText(), "x\r\n");
}

TEST_F(StoreOps, OverlappingBlocksAreFoundBeforeAnythingIsWritten) {
  StringList msg = DefaultMessage();
  ASSERT_EQ(WriteSection(DefaultMessageKey, &msg, Db()), 0);
  Bytes f = File();
  std::copy_n(Le32(63).begin(), 4, f.begin() + 172);  // "default" runs into the root index
  test::WriteFileBytes(Db(), f);
  EXPECT_EQ(RenameEntry(DefaultMessageKey, "old", Db()), 2);
  EXPECT_EQ(WriteSection(DefaultMessageKey, &msg, Db()), 2);
  EXPECT_EQ(Hex(File()), Hex(f));
}

TEST_F(StoreOps, ForeignFilesGiveReadErrorsAndStayUnchanged) {
  Bytes foreign = test::AsBytes("This is a plain text file, not a store at all.\r\n");
  test::WriteFileBytes(Db(), foreign);
  StringList l = Lines({"x"});
  EXPECT_EQ(WriteSection(DefaultMessageKey, &l, Db()), 2);
  EXPECT_EQ(ReadSection(l, DefaultMessageKey, Db()), 2);
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(WriteSetting("Version", "1", Db()), 2);
  EXPECT_EQ(Hex(File()), Hex(foreign));
}

}  // namespace
}  // namespace pel
