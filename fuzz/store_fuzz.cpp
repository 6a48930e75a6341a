// libFuzzer target: arbitrary bytes as a store file, through the read operations, a write, check and dump.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/constants.h"
#include "app/string_list.h"
#include "store/data_buf.h"
#include "store/store_check.h"
#include "store/store_ops.h"
#include "store/stream.h"

using namespace pel;

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
    // A file found damaged must come out of a write exactly as it went in.
    MemoryStream s(bytes);
    StringList lines;
    lines.Add("fuzz");
    int code = WriteSection("fuzz", &lines, s);
    if (code == 2 && !bytes.empty() && s.Bytes() != bytes) __builtin_trap();
    // A write that succeeded reads back.
    if (code == 0) {
      StringList back;
      if (ReadSection(back, "fuzz", s) == 0 && (back.Count() != 1 || back[0] != "fuzz"))
        __builtin_trap();
    }
  }
  return 0;
}
