// libFuzzer target: arbitrary bytes as a store file, through the read and write operations, check and dump.
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "app/constants.h"
#include "base/string_list.h"
#include "store/data_buf.h"
#include "store/fault_stream.h"
#include "store/journal.h"
#include "store/store_check.h"
#include "store/store_ops.h"
#include "store/stream.h"

using namespace pel;

namespace {

// A file found damaged (or a write refused) must come out exactly as it went in.
void Unchanged(bool refused, const std::vector<uint8_t>& before, const MemoryStream& after) {
  if (refused && !before.empty() && after.Bytes() != before) __builtin_trap();
}

using Records = std::map<Text, Text>;

// Every record reachable from the root, read through the store's operations;
// bounded so that a deep or wide input stays quick.
void Collect(MemoryStream& s, const Text& path, Records& out, int depth) {
  StringList names;
  if (ListIndex(names, path, s) != 0) out[path + "\x01"] = "unreadable";
  for (int i = 0; i < names.Count() && i < 32 && depth < 4 && out.size() < 128; ++i) {
    Text child = path.empty() ? names[i] : path + '\xFF' + names[i];
    TDataBuf buffer;
    int code = StoreRead(child, buffer, s);
    if (code != 0 || buffer.compressed == 1)
      out[child] = "unreadable";
    else if (buffer.HasPayload())
      out[child] = Text(buffer.PayloadText());
    else
      Collect(s, child, out, depth + 1);
  }
}

Records Readable(const std::vector<uint8_t>& bytes) {
  Records out;
  MemoryStream s(bytes);
  Collect(s, "", out, 0);
  return out;
}

// A write that fails at its n-th stream write must cost no other record.
void FailingWriteLosesNothing(const std::vector<uint8_t>& bytes, int n, bool cutShort) {
  const Records before = Readable(bytes);
  MemoryStream inner(bytes);
  test::FaultStream s(inner);
  s.FailNth(test::FaultStream::kWrite, n, cutShort);
  StringList lines;
  lines.Add("written while failing");
  WriteSection("fuzz", &lines, s);
  if (!s.Failed()) return;
  Records after = Readable(inner.Bytes());
  for (const auto& [path, text] : before) {
    if (path == "fuzz") continue;
    auto it = after.find(path);
    if (it == after.end() || it->second != text) __builtin_trap();
  }
}

// The input as a journal found beside a store: it is rolled back, deleted
// or set aside, never half applied, and a store it cannot belong to is left
// as it was.
class InputJournal final : public JournalHost {
 public:
  explicit InputJournal(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool Exists() override { return !gone_; }
  std::unique_ptr<ByteStream> Open(bool) override { return std::make_unique<MemoryStream>(bytes_); }
  bool Remove() override { return gone_ = true; }
  bool SetAside() override { return gone_ = true; }
  bool gone_ = false;

 private:
  std::vector<uint8_t> bytes_;
};

void JournalNeverHalfApplied(const std::vector<uint8_t>& bytes) {
  MemoryStream store;
  StringList lines;
  lines.Add("before");
  WriteSection(DefaultMessageKey, &lines, store);
  const std::vector<uint8_t> before = store.Bytes();
  InputJournal journal(bytes);
  if (RecoverFromJournal(store, journal) != 0 || !journal.gone_) __builtin_trap();
  StringList back;
  if (store.Bytes() == before) return;
  // Rolled back: then the input really was this store's journal, and the
  // file is what it says the old bytes were; it must at least open.
  ReadSection(back, DefaultMessageKey, store);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  CheckStore(bytes);
  DumpStore(bytes);
  {
    MemoryStream s(bytes);
    StringList lines;
    ReadSection(lines, DefaultMessageKey, s);
  }
  {
    MemoryStream s(bytes);
    ReadSetting("Version", "", s);
  }
  {
    MemoryStream s(bytes);
    StringList names;
    ListRoot(names, s);
    ListIndex(names, "Mailboxes\xFFinbox", s);
  }
  {
    MemoryStream s(bytes);
    TDataBuf target;
    ReadBuffer(DefaultArticleKey, &target, s);
    ReadSectionTo("a\xFF" "b\xFF" "c", nullptr, s);
  }
  {
    // A write that succeeded reads back.
    MemoryStream s(bytes);
    StringList lines;
    lines.Add("fuzz");
    int code = WriteSection("fuzz", &lines, s);
    Unchanged(code == 2, bytes, s);
    if (code == 0) {
      StringList back;
      if (ReadSection(back, "fuzz", s) == 0 && (back.Count() != 1 || back[0] != "fuzz"))
        __builtin_trap();
    }
  }
  FailingWriteLosesNothing(bytes, static_cast<int>(size % 5) + 1, size % 2 == 1);
  JournalNeverHalfApplied(bytes);
  {
    MemoryStream s(bytes);
    Unchanged(WriteSection(DefaultMessageKey, nullptr, s) == 2, bytes, s);
  }
  {
    MemoryStream s(bytes);
    Unchanged(WriteSetting("Version", "1", s) == 2, bytes, s);
  }
  {
    MemoryStream s(bytes);
    Unchanged(RenameEntry(DefaultMessageKey, "old", s) == 2, bytes, s);
  }
  {
    MemoryStream s(bytes);
    Unchanged(DeleteMailboxEntries("inbox", nullptr, s) == -1, bytes, s);
  }
  {
    MemoryStream s(bytes);
    Unchanged(MoveMailboxEntries("inbox", nullptr, "archive", s) == -1, bytes, s);
  }
  return 0;
}
