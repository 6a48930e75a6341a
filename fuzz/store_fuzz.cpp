// libFuzzer target: arbitrary bytes as a store file, through the read and write operations, check and dump.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/constants.h"
#include "base/string_list.h"
#include "store/data_buf.h"
#include "store/store_check.h"
#include "store/store_ops.h"
#include "store/stream.h"

using namespace pel;

namespace {

// A file found damaged (or a write refused) must come out exactly as it went in.
void Unchanged(bool refused, const std::vector<uint8_t>& before, const MemoryStream& after) {
  if (refused && !before.empty() && after.Bytes() != before) __builtin_trap();
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
