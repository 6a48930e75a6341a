// Failure safety: every store operation, failed at each write or stopped there as by a crash, loses no record.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <algorithm>
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
using Snapshot = std::map<Text, Text>;  // path -> "index" or the record's payload

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

void Walk(MemoryStream& s, const Text& path, Snapshot& out, int depth) {
  StringList names;
  if (ListIndex(names, path, s) != 0) out[path] = "<unreadable index>";
  for (int i = 0; i < names.Count() && depth < 8; ++i) {
    Text child = path.empty() ? names[i] : path + kSep + names[i];
    TDataBuf buffer;
    int code = StoreRead(child, buffer, s);
    if (code != 0 || buffer.compressed == 1) {
      out[child] = "<unreadable record>";
    } else if (buffer.HasPayload()) {
      out[child] = Text(buffer.PayloadText());
    } else {
      out[child] = "index";
      Walk(s, child, out, depth + 1);
    }
  }
}

// Every record the file holds, read through the store's own operations.
Snapshot Records(const Bytes& bytes) {
  Snapshot out;
  if (bytes.empty()) return out;  // an empty file is a store yet to be made
  MemoryStream s(bytes);
  Walk(s, "", out, 0);
  return out;
}

Bytes Build(const std::function<void(ByteStream&)>& fill) {
  MemoryStream s;
  fill(s);
  return s.Bytes();
}

Bytes Mail() {
  return Build([](ByteStream& s) {
    StringList msg = Lines({"Fcc: outbox", "Host: mail.example.org", "From: me@example.org", "", "~~"});
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
  int writeCalls;  // write calls a successful run took before the writes were ordered; never more now
  uint64_t bytes;  // hash of the file a successful run leaves, which must not change
};

std::vector<Scenario> Scenarios() {
  const Bytes mail = Mail();
  const std::vector<uint8_t> pick = {0, 1, 0, 1};
  return {
      {"StoreWrite replaces a record", mail,
       [](ByteStream& s) { TDataBuf b(std::string_view("Host: other\r\n")); return StoreWrite(DefaultMessageKey, &b, s); }, 17, 0x74e5feef1ed4b4c1ull},
      {"StoreWrite of a large record grows the file", mail,
       [](ByteStream& s) { Text t = LongText(); TDataBuf b(t); return StoreWrite(P({"big"}), &b, s); }, 10, 0xcd8f9cefb7179558ull},
      {"StoreRead", mail, [](ByteStream& s) { TDataBuf b; return StoreRead(DefaultArticleKey, b, s); }, 0, 0x58aaba82479ab384ull},
      {"ReadSection", mail, [](ByteStream& s) { StringList l; return ReadSection(l, DefaultMessageKey, s); }, 0, 0x58aaba82479ab384ull},
      {"WriteSection adds a record", mail,
       [](ByteStream& s) { StringList l = Lines({"a", "b"}); return WriteSection(P({"default", "note"}), &l, s); }, 15, 0x531d67938fd97d43ull},
      {"WriteSection deletes a record", mail,
       [](ByteStream& s) { return WriteSection(DefaultArticleKey, nullptr, s); }, 12, 0xc15f908c535a7eb5ull},
      {"WriteSection into a new store", {},
       [](ByteStream& s) { StringList l = Lines({"Host: a"}); return WriteSection(DefaultMessageKey, &l, s); }, 21, 0xfc30fa216a4032f4ull},
      {"ReadSetting", mail, [](ByteStream& s) { return ReadSetting("Version", "", s) == "2.0" ? 0 : 1; }, 0, 0x58aaba82479ab384ull},
      {"WriteSetting", mail, [](ByteStream& s) { return WriteSetting("Cutmarks", "--", s); }, 11, 0xe2ed26bad146ff63ull},
      {"ListRoot", mail, [](ByteStream& s) { StringList l; return ListRoot(l, s); }, 0, 0x58aaba82479ab384ull},
      {"ListRoot of a new store", {}, [](ByteStream& s) { StringList l; return ListRoot(l, s); }, 8, 0xba8b993d1dac2e96ull},
      {"ReadBuffer", mail, [](ByteStream& s) { TDataBuf b; return ReadBuffer(DefaultArticleKey, &b, s) ? 0 : 1; }, 0, 0x58aaba82479ab384ull},
      {"ReadSectionTo", mail, [](ByteStream& s) { StringList l; return ReadSectionTo(DefaultMessageKey, &l, s) ? 0 : 1; }, 0, 0x58aaba82479ab384ull},
      {"RenameEntry", mail, [](ByteStream& s) { return RenameEntry(DefaultArticleKey, "news", s); }, 11, 0x4a0d3f00453426ffull},
      {"RenameTrimmedEntry", mail,
       [](ByteStream& s) { return RenameTrimmedEntry(" " + P({"Mailboxes", "out"}) + "\t", "sent", s); }, 11, 0xbd7162fb2bd8f56bull},
      {"DeleteMailboxEntries", mail,
       [pick](ByteStream& s) { return DeleteMailboxEntries("in", &pick, s) == 2 ? 0 : 1; }, 18, 0x08198864dc658b15ull},
      {"MoveMailboxEntries", mail,
       [](ByteStream& s) { return MoveMailboxEntries("in", nullptr, "out", s) == 3 ? 0 : 1; }, 32, 0xd9ca1fe73e222856ull},
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

// What a point of failure left behind must be the store as it was or as the
// operation makes it, whole, with nothing else gone: check finds nothing,
// every record reads as in one of the two, and a later write (which reuses
// whatever the free list offers) costs nothing either.
// Space that is neither used nor free (left so while the old free list was
// parked) is wasted, not lost: check names it, nothing reads or reuses it.
bool Parked(const Text& problem) {
  return problem.find("are neither a reachable block nor free") != Text::npos;
}

void ExpectNothingLost(const Bytes& after, const Snapshot& before, const Snapshot& done,
                       const std::string& where, int& lost, int& parked) {
  Snapshot now = Records(after);
  bool whole = now == before || now == done;
  std::vector<Text> problems;
  bool wasted = false;
  if (!after.empty())
    for (const Text& p : CheckStore(after)) {
      if (Parked(p)) wasted = true;
      else problems.push_back(p);
    }
  if (wasted) ++parked;
  MemoryStream next(after);
  StringList probe = Lines({"probe"});
  bool probeWritten = WriteSection(P({"probe"}), &probe, next) == 0;
  Snapshot later = Records(next.Bytes());
  now["probe"] = "probe\r\n";
  bool laterWhole = later == now;
  if (!whole || !problems.empty() || !probeWritten || !laterWhole) ++lost;
  if (!whole || !problems.empty() || !probeWritten || !laterWhole)
    std::printf("  lost at %s: %s\n", where.c_str(),
                !problems.empty() ? problems[0].c_str() : !whole ? "records differ" : "a later write lost records");
}

// How a write can go wrong: it fails (an I/O error), the disk fills up during
// it, or the process dies before it (a crash: nothing from there on lands).
enum class Trouble { kFails, kDiskFills, kCrash };

struct Tally {
  int points = 0, lost = 0, parked = 0;
};

Tally Inject(Trouble trouble) {
  Tally t;
  for (const Scenario& sc : Scenarios()) {
    MemoryStream cleanInner(sc.start);
    FaultStream clean(cleanInner);
    EXPECT_EQ(sc.run(clean), 0) << sc.name;
    const Snapshot before = Records(sc.start), done = Records(cleanInner.Bytes());
    for (int n = 1; n <= clean.Calls(FaultStream::kWrite); ++n) {
      MemoryStream inner(sc.start);
      FaultStream s(inner);
      if (trouble == Trouble::kCrash) s.KillAtWrite(n);
      else s.FailNth(FaultStream::kWrite, n, trouble == Trouble::kDiskFills);
      int result = sc.run(s);
      if (trouble != Trouble::kCrash) EXPECT_NE(result, 0) << sc.name << ": write " << n;
      static const char* kWhat[] = {"failed", "disk full at", "crash before"};
      ExpectNothingLost(inner.Bytes(), before, done,
                        std::string(sc.name) + ": " + kWhat[static_cast<int>(trouble)] + " write " +
                            std::to_string(n),
                        t.lost, t.parked);
      ++t.points;
    }
  }
  return t;
}

TEST(CrashSafety, AFailedWriteLeavesTheFileAsItWas) {
  for (Trouble trouble : {Trouble::kFails, Trouble::kDiskFills}) {
    Tally t = Inject(trouble);
    std::printf("%d failed writes: %d records lost, %d left unused space\n", t.points, t.lost, t.parked);
    EXPECT_GT(t.points, 50);
    EXPECT_EQ(t.lost, 0);
    EXPECT_EQ(t.parked, 0);  // the failure was undone: nothing is even wasted
  }
}

TEST(CrashSafety, ADiskThatFillsAtAnyByteLosesNothing) {
  int points = 0, lost = 0, parked = 0;
  for (const Scenario& sc : Scenarios()) {
    MemoryStream cleanInner(sc.start);
    ASSERT_EQ(sc.run(cleanInner), 0);
    const Snapshot before = Records(sc.start), done = Records(cleanInner.Bytes());
    const int64_t from = static_cast<int64_t>(sc.start.size()), to = cleanInner.Size();
    for (int64_t limit = from; limit < to; limit += std::max<int64_t>(1, (to - from) / 40)) {
      MemoryStream inner(sc.start);
      FaultStream s(inner);
      s.LimitSize(limit);
      EXPECT_NE(sc.run(s), 0) << sc.name << ": room for " << limit << " bytes";
      ExpectNothingLost(inner.Bytes(), before, done,
                        std::string(sc.name) + ": room for " + std::to_string(limit) + " bytes", lost,
                        parked);
      ++points;
    }
  }
  std::printf("%d disk sizes: %d records lost, %d left unused space\n", points, lost, parked);
  EXPECT_GT(points, 100);
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(parked, 0);
}

// A crash cannot be undone. Before the switch to the new records the old ones
// must read whole, after it the new ones; the free list is parked (emptied)
// in between, which wastes space but never hands out a used block. Two points
// remain where first fit put a record's new block over the head of its own
// old block (or of the old index that lists it): no order of the same bytes
// keeps both readable there, and the bytes of a successful operation are
// fixed. They are counted here so that a change that adds one shows.
TEST(CrashSafety, ACrashAtAnyWriteLosesNoRecordButWhereNewBytesCoverTheOld) {
  Tally t = Inject(Trouble::kCrash);
  std::printf("%d crash points: %d lose records, %d left unused space\n", t.points, t.lost, t.parked);
  EXPECT_GT(t.points, 50);
  EXPECT_LE(t.lost, 2);
}

}  // namespace
}  // namespace pel
