// Failure safety: a store operation that fails at any write or fills the disk leaves the file as it was; successful bytes stay fixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

#include "app/constants.h"
#include "store/data_buf.h"
#include "store/fault_stream.h"
#include "store/store_check.h"
#include "store/store_ops.h"
#include "store/stream.h"

namespace pel {
namespace {

using test::FaultStream;
using Bytes = std::vector<uint8_t>;

constexpr char kSep = kPathSeparator;

StringList Lines(std::initializer_list<const char*> lines) {
  StringList l;
  for (const char* s : lines) l.Add(s);
  return l;
}

Text P(std::initializer_list<std::string_view> names) {
  Text path;
  for (std::string_view n : names) path += (path.empty() ? "" : Text(1, kSep)) + Text(n);
  return path;
}

Bytes Build(const std::function<void(ByteStream&)>& fill) {
  MemoryStream s;
  fill(s);
  return s.Bytes();
}

Bytes Mail() {
  return Build([](ByteStream& s) {
    StringList msg =
        Lines({"Fcc: outbox", "Host: mail.example.org", "From: me@example.org", "", "~~"});
    StringList art = Lines({"Newsgroups: ", "Subject: ", "", "~~"});
    WriteSection(DefaultMessageKey, &msg, s);
    WriteSection(DefaultArticleKey, &art, s);
    WriteSetting("Version", "2.0", s);
    WriteSetting("Cutmarks", "~~", s);
    for (const char* m : {"m1", "m2", "m3"}) {
      StringList body = Lines({"Subject: ", m});
      WriteSection(P({"Mailboxes", "in", m}), &body, s);
    }
    StringList x = Lines({"Subject: x"});
    WriteSection(P({"Mailboxes", "out", "x"}), &x, s);
    // Leave free extents behind, as a file in use has them.
    StringList longer = Lines({"Fcc: outbox", "Host: mail.example.org", "From: me@example.org",
                               "Reply-To: me@example.org", "", "~~"});
    WriteSection(DefaultMessageKey, &longer, s);
  });
}

Text LongText() {
  Text t;
  for (int i = 0; i < 400; ++i) t += "line " + std::to_string(i * 7919 % 1000) + "\r\n";
  return t;
}

struct Scenario {
  const char* name;
  Bytes start;
  std::function<int(ByteStream&)> run;  // 0 when the operation succeeded
  int writeCalls;  // write calls a successful run took before the writes were ordered; never more
                   // now
  uint64_t bytes;  // hash of the file a successful run leaves, which must not change
};

std::vector<Scenario> Scenarios() {
  const Bytes mail = Mail();
  const std::vector<uint8_t> pick = {0, 1, 0, 1};
  return {
      {"StoreWrite replaces a record", mail,
       [](ByteStream& s) {
         TDataBuf b(std::string_view("Host: other\r\n"));
         return StoreWrite(DefaultMessageKey, &b, s);
       },
       17, 0x74e5feef1ed4b4c1ull},
      {"StoreWrite of a large record grows the file", mail,
       [](ByteStream& s) {
         Text t = LongText();
         TDataBuf b(t);
         return StoreWrite(P({"big"}), &b, s);
       },
       10, 0xcd8f9cefb7179558ull},
      {"StoreRead", mail,
       [](ByteStream& s) {
         TDataBuf b;
         return StoreRead(DefaultArticleKey, b, s);
       },
       0, 0x58aaba82479ab384ull},
      {"ReadSection", mail,
       [](ByteStream& s) {
         StringList l;
         return ReadSection(l, DefaultMessageKey, s);
       },
       0, 0x58aaba82479ab384ull},
      {"WriteSection adds a record", mail,
       [](ByteStream& s) {
         StringList l = Lines({"a", "b"});
         return WriteSection(P({"default", "note"}), &l, s);
       },
       15, 0x531d67938fd97d43ull},
      {"WriteSection deletes a record", mail,
       [](ByteStream& s) { return WriteSection(DefaultArticleKey, nullptr, s); }, 12,
       0xc15f908c535a7eb5ull},
      {"WriteSection into a new store",
       {},
       [](ByteStream& s) {
         StringList l = Lines({"Host: a"});
         return WriteSection(DefaultMessageKey, &l, s);
       },
       21,
       0xfc30fa216a4032f4ull},
      {"ReadSetting", mail,
       [](ByteStream& s) { return ReadSetting("Version", "", s) == "2.0" ? 0 : 1; }, 0,
       0x58aaba82479ab384ull},
      {"WriteSetting", mail, [](ByteStream& s) { return WriteSetting("Cutmarks", "--", s); }, 11,
       0xe2ed26bad146ff63ull},
      {"ListRoot", mail,
       [](ByteStream& s) {
         StringList l;
         return ListRoot(l, s);
       },
       0, 0x58aaba82479ab384ull},
      {"ListRoot of a new store",
       {},
       [](ByteStream& s) {
         StringList l;
         return ListRoot(l, s);
       },
       8,
       0xba8b993d1dac2e96ull},
      {"ReadBuffer", mail,
       [](ByteStream& s) {
         TDataBuf b;
         return ReadBuffer(DefaultArticleKey, &b, s) ? 0 : 1;
       },
       0, 0x58aaba82479ab384ull},
      {"ReadSectionTo", mail,
       [](ByteStream& s) {
         StringList l;
         return ReadSectionTo(DefaultMessageKey, &l, s) ? 0 : 1;
       },
       0, 0x58aaba82479ab384ull},
      {"RenameEntry", mail, [](ByteStream& s) { return RenameEntry(DefaultArticleKey, "news", s); },
       11, 0x4a0d3f00453426ffull},
      {"RenameTrimmedEntry", mail,
       [](ByteStream& s) {
         return RenameTrimmedEntry(" " + P({"Mailboxes", "out"}) + "\t", "sent", s);
       },
       11, 0xbd7162fb2bd8f56bull},
      {"DeleteMailboxEntries", mail,
       [pick](ByteStream& s) { return DeleteMailboxEntries("in", &pick, s) == 2 ? 0 : 1; }, 18,
       0x08198864dc658b15ull},
      {"MoveMailboxEntries", mail,
       [](ByteStream& s) { return MoveMailboxEntries("in", nullptr, "out", s) == 3 ? 0 : 1; }, 32,
       0xd9ca1fe73e222856ull},
  };
}

uint64_t Fnv(const Bytes& b) {
  uint64_t h = 1469598103934665603ull;
  for (uint8_t v : b) h = (h ^ v) * 1099511628211ull;
  return h;
}

TEST(CrashSafety, SuccessfulOperationsKeepTheirBytesInNoMoreWriteCalls) {
  for (const Scenario& sc : Scenarios()) {
    MemoryStream inner(sc.start);
    FaultStream s(inner);
    ASSERT_EQ(sc.run(s), 0) << sc.name;
    EXPECT_EQ(Fnv(inner.Bytes()), sc.bytes) << sc.name;
    EXPECT_LE(s.Calls(FaultStream::kWrite), sc.writeCalls) << sc.name;
  }
}

// How a write can go wrong: it fails (an I/O error) or the disk fills up
// during it. Kills and power losses are swept in crash_sweep_test.cpp.
enum class Trouble { kFails, kDiskFills };

// A failure at any write leaves the file byte for byte as it was.
TEST(CrashSafety, AFailedWriteLeavesTheFileAsItWas) {
  for (Trouble trouble : {Trouble::kFails, Trouble::kDiskFills}) {
    int points = 0;
    for (const Scenario& sc : Scenarios()) {
      MemoryStream cleanInner(sc.start);
      FaultStream clean(cleanInner);
      EXPECT_EQ(sc.run(clean), 0) << sc.name;
      for (int n = 1; n <= clean.Calls(FaultStream::kWrite); ++n, ++points) {
        MemoryStream inner(sc.start);
        FaultStream s(inner);
        s.FailNth(FaultStream::kWrite, n, trouble == Trouble::kDiskFills);
        EXPECT_NE(sc.run(s), 0) << sc.name << ": write " << n;
        EXPECT_EQ(inner.Bytes(), sc.start) << sc.name << ": write " << n;
      }
    }
    EXPECT_GT(points, 25);
  }
}

TEST(CrashSafety, ADiskThatFillsAtAnyByteLosesNothing) {
  int points = 0;
  for (const Scenario& sc : Scenarios()) {
    MemoryStream cleanInner(sc.start);
    ASSERT_EQ(sc.run(cleanInner), 0);
    const int64_t from = static_cast<int64_t>(sc.start.size()), to = cleanInner.Size();
    for (int64_t limit = from; limit < to; limit += std::max<int64_t>(1, (to - from) / 40)) {
      MemoryStream inner(sc.start);
      FaultStream s(inner);
      s.LimitSize(limit);
      EXPECT_NE(sc.run(s), 0) << sc.name << ": room for " << limit << " bytes";
      EXPECT_EQ(inner.Bytes(), sc.start) << sc.name << ": room for " << limit << " bytes";
      ++points;
    }
  }
  EXPECT_GT(points, 100);
}

}  // namespace
}  // namespace pel
