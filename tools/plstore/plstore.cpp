// plstore commands: list, read, write, delete, settings, check and dump of a store file.
#include "tools/plstore/plstore.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "base/string_list.h"
#include "store/data_buf.h"
#include "store/file_manager.h"
#include "store/store_check.h"
#include "store/store_ops.h"
#include "store/stream.h"
#include "sys/ui.h"

namespace pel {

namespace {

constexpr const char* kUsage =
    "usage: plstore ls      STORE [PATH]        names in the root index, or in the index at PATH\n"
    "       plstore get     STORE PATH          the record's lines\n"
    "       plstore cat     STORE PATH          the record's payload bytes, decompressed\n"
    "       plstore put     STORE PATH [FILE]   store the lines of FILE (or standard input)\n"
    "       plstore rm      STORE PATH          delete the record\n"
    "       plstore setting STORE NAME [VALUE]  print a setting, or set it (empty VALUE removes)\n"
    "       plstore check   STORE               report every inconsistency, one a line\n"
    "       plstore dump    STORE               header, blocks, records and free list\n"
    "PATH: names separated by \"/\" (or the byte 0xFF). A missing record reads as empty.\n";

// Shows the store's message boxes on standard error, since a tool has no windows.
class StreamUi final : public Ui {
 public:
  explicit StreamUi(std::ostream& err) : err_(err) {}
  MsgAnswer ShowMessage(std::string_view text, std::string_view caption, MsgButtons buttons,
                       MsgIcon) override {
    err_ << caption << ": " << text << "\n";
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
  }

 private:
  std::ostream& err_;
};

class UiScope {
 public:
  explicit UiScope(Ui* ui) : previous_(SetCurrentUi(ui)) {}
  ~UiScope() { SetCurrentUi(previous_); }

 private:
  Ui* previous_;
};

Text StorePath(std::string path) {
  std::replace(path.begin(), path.end(), '/', kPathSeparator);
  return path;
}

int Usage(std::ostream& err) {
  err << kUsage;
  return kPlstoreUsage;
}

int StoreResult(int code, std::ostream& err) {
  if (code == 0) return kPlstoreOk;
  err << "plstore: " << TFileManager::ErrorText(code) << "\n";
  return kPlstoreStoreError;
}

// Read-only commands never create a store.
bool RequireStore(const Text& store, std::ostream& err) {
  if (StoreFileExists(store)) return true;
  err << "Cannot open file " << store << "\n";
  return false;
}

// Opening an empty file as a store writes a new store into it; a command that
// only reads must not change the file, and an empty file holds nothing anyway.
bool EmptyFile(const Text& store) {
  std::error_code ec;
  return std::filesystem::file_size(store, ec) == 0 && !ec;
}

std::vector<uint8_t> ReadWhole(const Text& store) {
  std::unique_ptr<ByteStream> s = OpenStoreFile(store, StoreOpenMode::kReading);  // held like any store opener holds it
  int64_t size = s->Size();
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(size, 0)));
  if (size > 0 && (s->Seek(0) != 0 || s->Read(bytes.data(), static_cast<int32_t>(size)) != size))
    throw StoreFileError("Cannot open file " + store);
  return bytes;
}

int Run(const std::vector<std::string>& a, std::istream& in, std::ostream& out, std::ostream& err) {
  if (a.size() < 2) return Usage(err);
  const std::string& cmd = a[0];
  const Text store = a[1];
  const size_t n = a.size();

  if (cmd == "ls" && n <= 3) {
    if (!RequireStore(store, err)) return kPlstoreUsage;
    if (EmptyFile(store)) return kPlstoreOk;
    StringList names;
    int code = ListIndex(names, n == 3 ? StorePath(a[2]) : Text(), store);
    if (code == 0)
      for (int i = 0; i < names.Count(); ++i) out << names[i] << "\n";
    return StoreResult(code, err);
  }
  if (cmd == "get" && n == 3) {
    if (!RequireStore(store, err)) return kPlstoreUsage;
    if (EmptyFile(store)) return kPlstoreOk;
    StringList lines;
    int code = ReadSection(lines, StorePath(a[2]), store);
    for (int i = 0; i < lines.Count(); ++i) out << lines[i] << "\n";
    return StoreResult(code, err);
  }
  if (cmd == "cat" && n == 3) {
    if (!RequireStore(store, err)) return kPlstoreUsage;
    if (EmptyFile(store)) return kPlstoreOk;
    TDataBuf buffer;
    int code = StoreRead(StorePath(a[2]), buffer, store);
    if (code == 0 && buffer.HasPayload())
      out.write(reinterpret_cast<const char*>(buffer.Payload()), buffer.storedLength);
    return StoreResult(code, err);
  }
  if (cmd == "put" && (n == 3 || n == 4)) {
    std::string text;
    if (n == 4) {
      std::ifstream file(a[3], std::ios::binary);
      if (!file) {
        err << "Cannot open file " << a[3] << "\n";
        return kPlstoreUsage;
      }
      text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } else {
      text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    StringList lines;
    lines.SetText(text);
    return StoreResult(WriteSection(StorePath(a[2]), &lines, store), err);
  }
  if (cmd == "rm" && n == 3) {
    return StoreResult(WriteSection(StorePath(a[2]), nullptr, store), err);
  }
  if (cmd == "setting" && n == 3) {
    if (!RequireStore(store, err)) return kPlstoreUsage;
    out << (EmptyFile(store) ? Text() : ReadSetting(a[2], "", store)) << "\n";
    return kPlstoreOk;
  }
  if (cmd == "setting" && n == 4) {
    return StoreResult(WriteSetting(a[2], a[3], store), err);
  }
  if ((cmd == "check" || cmd == "dump") && n == 2) {
    if (!RequireStore(store, err)) return kPlstoreUsage;
    std::vector<uint8_t> bytes = ReadWhole(store);
    if (cmd == "dump") {
      out << DumpStore(bytes);
      return kPlstoreOk;
    }
    std::vector<Text> problems = CheckStore(bytes);
    for (const Text& p : problems) out << p << "\n";
    return problems.empty() ? kPlstoreOk : kPlstoreUsage;
  }
  return Usage(err);
}

}  // namespace

int RunPlstore(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err) {
  StreamUi ui(err);
  UiScope scope(&ui);
  try {
    return Run(args, in, out, err);
  } catch (const StoreFileError& e) {
    err << e.what() << "\n";
    return kPlstoreUsage;
  }
}

}  // namespace pel
