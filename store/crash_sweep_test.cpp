// Kills, failures and power losses at every change of every writing operation, on a store of realistic size.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "app/constants.h"
#include "store/data_buf.h"
#include "store/file_manager.h"
#include "store/sim_volume.h"
#include "store/store_check.h"
#include "store/store_ops.h"

namespace pel {
namespace {

using test::SimVolume;
using Bytes = std::vector<uint8_t>;
using Op = std::function<int(ByteStream&)>;

constexpr int kBoxes = 5;

Text Box(int b) { return "box" + std::to_string(b); }
Text InBox(int b, const Text& name) {
  return Text("Mailboxes") + kPathSeparator + Box(b) + kPathSeparator + name;
}
StringList Body(uint32_t seed) {
  StringList l;
  l.Add("Subject: message " + std::to_string(seed));
  for (uint32_t i = 0; i < seed % 7 + 1; ++i) l.Add("line " + std::to_string(seed * 31 + i));
  return l;
}

// Hundreds of records in five mailboxes, and more than a thousand free
// extents left behind by deleting every other message.
const Bytes& MidSizedStore() {
  static const Bytes bytes = [] {
    MemoryStream s;
    StringList msg = Body(1);
    WriteSection(DefaultMessageKey, &msg, s);
    WriteSetting("Version", "2.0", s);
    for (int i = 0; i < 3600; ++i) {
      StringList body = Body(static_cast<uint32_t>(i));
      WriteSection(InBox(i % kBoxes, "m" + std::to_string(i)), &body, s);
    }
    std::vector<uint8_t> everyOther(800, 0);
    for (size_t k = 1; k < everyOther.size(); k += 2) everyOther[k] = 1;
    for (int b = 0; b < kBoxes; ++b) DeleteMailboxEntries(Box(b), &everyOther, s);
    return s.Bytes();
  }();
  return bytes;
}

// One writing operation of each kind in turn, its target drawn from the store.
Op Draw(int kind, std::mt19937& rng, const Bytes& store) {
  MemoryStream view(store);
  int b = static_cast<int>(rng() % kBoxes), to = (b + 1 + static_cast<int>(rng() % (kBoxes - 1))) % kBoxes;
  StringList names;
  ListIndex(names, Text("Mailboxes") + kPathSeparator + Box(b), view);
  Text some = names.Count() ? names[static_cast<int>(rng() % names.Count())] : Text("none");
  uint32_t seed = rng();
  std::vector<uint8_t> pick(static_cast<size_t>(names.Count()) + 1, 0);
  for (size_t k = 1; k < pick.size(); ++k) pick[k] = rng() % 5 == 0;
  switch (kind) {
    case 0: return [=](ByteStream& s) { StringList l = Body(seed); return WriteSection(InBox(b, "n" + std::to_string(seed)), &l, s); };
    case 1: return [=](ByteStream& s) { StringList l = Body(seed); return WriteSection(InBox(b, some), &l, s); };
    case 2: return [=](ByteStream& s) { return WriteSection(InBox(b, some), nullptr, s); };
    case 3: return [=](ByteStream& s) { return WriteSetting("Cutmarks", std::to_string(seed), s); };
    case 4: return [=](ByteStream& s) { return RenameEntry(InBox(b, some), "r" + std::to_string(seed), s); };
    case 5: return [=](ByteStream& s) { return DeleteMailboxEntries(Box(b), &pick, s) >= 0 ? 0 : 1; };
    case 6: return [=](ByteStream& s) { return MoveMailboxEntries(Box(b), &pick, Box(to), s) >= 0 ? 0 : 1; };
    default: return [=](ByteStream& s) {
      Text big;
      for (int i = 0; i < 3000; ++i) big += std::to_string(seed + static_cast<uint32_t>(i) * 7919u % 1000u) + "\r\n";
      TDataBuf buffer(big);
      return StoreWrite("big" + std::to_string(seed % 3), &buffer, s);
    };
  }
}

int RunOn(SimVolume& v, const Op& op) {
  auto s = v.OpenStore();
  return op(*s);
}

// What the next opener (a reader) finds.
Bytes NextOpen(SimVolume& v) {
  auto s = v.OpenStore();
  StringList root;
  EXPECT_EQ(ListIndex(root, "", *s), 0);
  EXPECT_FALSE(v.Exists(SimVolume::kJournal));
  return v.Bytes(SimVolume::kStore);
}

TEST(CrashSweep, TheFixtureIsOfRealisticSize) {
  MemoryStream s(MidSizedStore());
  TFileManager m(s);
  EXPECT_GT(m.FreeList().Count(), 1000);
  StringList names;
  ListIndex(names, Text("Mailboxes") + kPathSeparator + Box(0), s);
  EXPECT_GT(names.Count() * kBoxes, 1000);
  EXPECT_TRUE(CheckStore(MidSizedStore()).empty());
}

// Every writing operation, killed before each of its changes (journal ones
// included), or failing from each on, or losing power after each with the
// unflushed writes dropped and reordered at random: after the next open the
// file is byte for byte the store before or after the operation, never
// anything else, and no journal is left. A successful one has reached the
// medium and left no journal before it returns.
TEST(CrashSweep, EveryChangeOfEveryWritingOperation) {
  std::mt19937 rng(20261209);
  Bytes before = MidSizedStore();
  int points = 0;
  for (int step = 0; step < 12; ++step) {
    Op op = Draw(step % 8, rng, before);
    SimVolume clean(before);
    ASSERT_EQ(RunOn(clean, op), 0) << "step " << step;
    EXPECT_FALSE(clean.Exists(SimVolume::kJournal));
    EXPECT_TRUE(clean.AllDurable()) << "step " << step;
    const Bytes after = clean.Bytes(SimVolume::kStore);
    ASSERT_TRUE(CheckStore(after).empty()) << "step " << step;
    const int changes = clean.Changes();
    EXPECT_GE(changes, 3) << "step " << step;  // journal, store, commit
    for (int n = 1; n <= changes + 1; ++n, ++points) {
      SCOPED_TRACE("step " + std::to_string(step) + ", change " + std::to_string(n));
      SimVolume killed(before);
      killed.KillBefore(n);
      RunOn(killed, op);
      killed.Revive();
      Bytes now = NextOpen(killed);
      EXPECT_TRUE(now == before || now == after);
      if (n > changes) {
        EXPECT_TRUE(now == after);
      }

      SimVolume failing(before);
      failing.FailFrom(n);
      int result = RunOn(failing, op);
      failing.Revive();
      now = NextOpen(failing);
      EXPECT_EQ(result != 0, n <= changes);
      EXPECT_TRUE(result == 0 ? now == after : now == before);

      SimVolume lost(before);
      lost.KillBefore(n);
      RunOn(lost, op);
      lost.PowerLoss(rng);
      now = NextOpen(lost);
      EXPECT_TRUE(now == before || now == after);
      if (n > changes) {
        EXPECT_TRUE(now == after);
      }
      EXPECT_FALSE(lost.Exists(SimVolume::kAside));
    }
    before = after;
  }
  EXPECT_GT(points, 70);
}

TEST(CrashSweep, ReadsChangeNothing) {
  const Bytes& store = MidSizedStore();
  SimVolume v(store);
  auto s = v.OpenStore();
  TDataBuf buffer;
  StringList list;
  EXPECT_EQ(StoreRead(DefaultMessageKey, buffer, *s), 0);
  EXPECT_EQ(ReadSection(list, InBox(0, "m0"), *s), 0);
  EXPECT_EQ(ReadSetting("Version", "", *s), "2.0");
  EXPECT_EQ(ListRoot(list, *s), 0);
  EXPECT_EQ(v.Changes(), 0);
  EXPECT_EQ(v.Bytes(SimVolume::kStore), store);
}

// A journal whose store was written since (by a program that knows nothing
// of journals) is not applied over those writes but kept aside; a journal
// whose close failed is not trusted, and nothing lands.
TEST(CrashSweep, AJournalThatNoLongerFitsIsSetAsideAndOneNotClosedIsNotUsed) {
  const Bytes& store = MidSizedStore();
  StringList l = Body(7);
  Op op = [&](ByteStream& s) { return WriteSection(InBox(1, "m1"), &l, s); };
  SimVolume v(store);
  v.KillBefore(4);  // the journal is written, the store partly
  RunOn(v, op);
  v.Revive();
  ASSERT_TRUE(v.Exists(SimVolume::kJournal));
  Bytes changed = v.Bytes(SimVolume::kStore);
  auto s = v.OpenStore();
  s->WriteAt(static_cast<int64_t>(changed.size()) + 100, "\x55", 1);  // the other program grew it
  changed = v.Bytes(SimVolume::kStore);
  StringList root;
  ListIndex(root, "", *s);
  EXPECT_EQ(v.Bytes(SimVolume::kStore), changed);
  EXPECT_FALSE(v.Exists(SimVolume::kJournal));
  EXPECT_TRUE(v.Exists(SimVolume::kAside));

  SimVolume unclosed(store);
  unclosed.FailClose(true);
  EXPECT_NE(RunOn(unclosed, op), 0);
  EXPECT_EQ(unclosed.Bytes(SimVolume::kStore), store);
  EXPECT_FALSE(unclosed.Exists(SimVolume::kJournal));
}

}  // namespace
}  // namespace pel
