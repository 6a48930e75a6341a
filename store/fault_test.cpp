// Fault injection: every seek, read and write a store operation makes is failed (or cut short) in turn.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <functional>

#include "app/constants.h"
#include "store/data_buf.h"
#include "store/file_manager.h"
#include "store/store_ops.h"
#include "store/stream.h"
#include "store/test_util.h"

namespace pel {
namespace {

using test::Bytes;
using test::FaultStream;

StringList Message(const char* host) {
  StringList l;
  for (const char* s : {"Fcc: outbox", host, "From: me@example.org", "", "~~"}) l.Add(s);
  return l;
}

Bytes StoreWith(std::initializer_list<std::pair<std::string_view, const char*>> records) {
  MemoryStream s;
  for (auto [path, host] : records) {
    StringList l = Message(host);
    EXPECT_EQ(WriteSection(path, &l, s), 0);
  }
  return s.Bytes();
}

struct Scenario {
  const char* name;
  Bytes start;
  // Runs the operation; returns what the caller sees as its result.
  std::function<int(ByteStream&)> run;
};

std::vector<Scenario> Scenarios() {
  Bytes one = StoreWith({{DefaultMessageKey, "Host: a"}});
  Bytes two = StoreWith({{DefaultMessageKey, "Host: a"}, {SettingsRecord, "Version=1"}});
  Bytes boxes = StoreWith({{"Mailboxes\xFFin\xFFm1", "1"}, {"Mailboxes\xFFin\xFFm2", "2"}});
  return {
      {"write into a new store", {},
       [](ByteStream& s) { StringList l = Message("Host: b"); return WriteSection(DefaultMessageKey, &l, s); }},
      {"write a second record", one,
       [](ByteStream& s) { StringList l = Message("Host: b"); return WriteSection(DefaultArticleKey, &l, s); }},
      {"replace a record", two,
       [](ByteStream& s) { StringList l = Message("Host: c"); return WriteSection(DefaultMessageKey, &l, s); }},
      {"delete a record", two,
       [](ByteStream& s) { return WriteSection(DefaultMessageKey, nullptr, s); }},
      {"read a record", two,
       [](ByteStream& s) { StringList l; return ReadSection(l, DefaultMessageKey, s); }},
      {"write a setting", two,
       [](ByteStream& s) { return WriteSetting("Cutmarks", "--", s); }},
      {"rename", two,
       [](ByteStream& s) { return RenameEntry(DefaultMessageKey, "old", s); }},
      {"list the root", two,
       [](ByteStream& s) { StringList l; return ListRoot(l, s); }},
      // The mailbox operations return a count; -1 stands for a store error.
      {"delete mailbox entries", boxes,
       [](ByteStream& s) { return DeleteMailboxEntries("in", nullptr, s) == -1 ? -1 : 0; }},
      {"move mailbox entries", boxes,
       [](ByteStream& s) { return MoveMailboxEntries("in", nullptr, "out", s) == -1 ? -1 : 0; }},
  };
}

int Expected(FaultStream::Kind kind, const Scenario& sc) {
  if (std::string_view(sc.name).find("mailbox") != std::string_view::npos) return -1;
  return kind == FaultStream::kSeek ? 3 : kind == FaultStream::kRead ? 2 : 1;
}

TEST(FaultInjection, EveryPrimitiveFailureGivesItsCodeAndStopsAllFurtherIo) {
  int injected = 0;
  for (const Scenario& sc : Scenarios()) {
    MemoryStream cleanInner(sc.start);
    FaultStream clean(cleanInner);
    ASSERT_EQ(sc.run(clean), 0) << sc.name;
    for (FaultStream::Kind kind : {FaultStream::kSeek, FaultStream::kRead, FaultStream::kWrite}) {
      for (int n = 1; n <= clean.Calls(kind); ++n) {
        for (bool cutShort : {false, true}) {
          MemoryStream inner(sc.start);
          FaultStream s(inner);
          s.FailNth(kind, n, cutShort);
          int result = sc.run(s);
          ASSERT_TRUE(s.Failed()) << sc.name;
          EXPECT_EQ(result, Expected(kind, sc))
              << sc.name << ": call " << n << " of kind " << kind << (cutShort ? " (short)" : "");
          // Either nothing more reached the stream, or what did put the file
          // back as it was (a failure while the writes land).
          bool restored = inner.Bytes().size() >= sc.start.size() &&
                          std::equal(sc.start.begin(), sc.start.end(), inner.Bytes().begin());
          EXPECT_TRUE(s.CallsAfterFailure() == 0 || restored)
              << sc.name << ": call " << n << " of kind " << kind;
          ++injected;
        }
      }
    }
  }
  EXPECT_GT(injected, 200);
  std::printf("%d failures injected\n", injected);
}

TEST(FaultInjection, AFailedReadNeverYieldsASettingOrLines) {
  Bytes two = StoreWith({{SettingsRecord, "Version=1"}});
  {
    MemoryStream inner(two);
    EXPECT_EQ(ReadSetting("Version", "", inner), "1");
  }
  for (FaultStream::Kind kind : {FaultStream::kSeek, FaultStream::kRead}) {
    for (int n = 1; n <= 8; ++n) {
      MemoryStream inner(two);
      FaultStream s(inner);
      s.FailNth(kind, n, true);
      Text v = ReadSetting("Version", "dflt", s);
      if (s.Failed()) {
        EXPECT_EQ(v, "dflt");
      }
    }
  }
}

TEST(FaultInjection, AFailureWhileCreatingAStoreIsReportedFromTheOpenSequence) {
  for (FaultStream::Kind kind : {FaultStream::kSeek, FaultStream::kWrite}) {
    for (int n = 1; n <= 3; ++n) {
      MemoryStream inner;
      FaultStream s(inner);
      s.FailNth(kind, n);
      TFileManager m(s);
      EXPECT_EQ(m.ErrorCode(), kind == FaultStream::kSeek ? 3 : 1);
      EXPECT_EQ(m.OperationNumber(), n == 1 ? 9 : n == 2 ? 10 : 2);
      EXPECT_FALSE(m.FailureReport().empty());
    }
  }
}

}  // namespace
}  // namespace pel
