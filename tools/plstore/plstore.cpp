// plstore commands: list, read, write, delete, settings, check and dump of a store file.
#include "tools/plstore/plstore.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <new>
#include <sstream>
#include <cstdio>
#include <cstdlib>

#include "app/constants.h"
#include "base/string_list.h"
#include "store/data_buf.h"
#include "store/file_manager.h"
#include "store/journal.h"
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
    return UnattendedAnswer(buttons);
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

// A store file that could not be opened: in use is a store error (2), any
// other refusal a usage error (1), as a missing file is.
int OpenFailed(const StoreFileError& e, std::ostream& err) {
  if (e.reason == StoreFileError::kInUse) {
    err << e.message << ": in use by another program";
    if (!e.systemText.empty()) err << " (" << e.systemText << ")";
    err << "\n";
    return kPlstoreStoreError;
  }
  err << e.message << "\n";
  return kPlstoreUsage;
}

// why: the opening failure behind kOpenError.
int StoreResult(int code, std::ostream& err, const StoreFileError& why) {
  if (code == kOpenError) return OpenFailed(why, err);
  if (code == 0) return kPlstoreOk;
  err << "plstore: " << TFileManager::ErrorText(code) << "\n";
  return kPlstoreStoreError;
}

// A store refusal the tool can name: exit 2 with what was refused.
int Refuse(std::ostream& err, const std::string& why) {
  err << "plstore: " << why << "\n";
  return kPlstoreStoreError;
}

// What the store would refuse about a path, said in words; empty when none.
std::string PathProblem(const Text& path) {
  int names = 0;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != kPathSeparator) continue;
    std::string_view name(path.data() + start, i - start);
    if (!name.empty()) {
      ++names;
      if (name.find_first_of("\r\n") != std::string_view::npos)
        return "a name in a path cannot hold CR or LF";
    }
    start = i + 1;
  }
  if (names > kMaxPathNames)
    return "a path holds at most " + std::to_string(kMaxPathNames) + " names, this one " +
           std::to_string(names);
  return {};
}

// The lines of a text as the string list splits them (at CR LF, CR or LF; a
// final line end starts no empty line), without building the list: a record
// of line feeds alone would cost some 40 bytes a line that way.
template <typename F>
void ForEachLine(std::string_view s, F f) {
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r' && s[i] != '\n') continue;
    f(s.substr(start, i - start));
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < s.size()) f(s.substr(start));
}

// Reads the record at path; refuses (exit 2, nothing printed) on a store
// error or a payload that failed to inflate, whose bytes are not the record.
int ReadRecordOrRefuse(std::string_view path, const Text& store, TDataBuf& buffer, std::ostream& err) {
  StoreFileError why;
  int code = StoreRead(path, buffer, store, &why);
  if (code != 0) return StoreResult(code, err, why);
  if (buffer.compressed == 1) return Refuse(err, "the record does not inflate; nothing printed");
  return kPlstoreOk;
}

// The whole input of put, refused past what a record can hold before it is
// read whole (a sparse file of 2 GiB says its size without being read).
constexpr int64_t kLargestInput = kLargestRecordPayload;

bool ReadInput(std::istream& in, std::string& text) {
  char chunk[1 << 16];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text.append(chunk, static_cast<size_t>(in.gcount()));
    if (static_cast<int64_t>(text.size()) > kLargestInput) return false;
  }
  return true;
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

// The file as the store operations would read it, with every write refused:
// a blank file they would make new stays as it is.
class ReadOnlyView final : public ByteStream {
 public:
  explicit ReadOnlyView(ByteStream& file) : file_(file) {}
  int64_t Size() override { return file_.Size(); }
  int64_t Seek(int64_t offset) override { return file_.Seek(offset); }
  int32_t Read(void* buffer, int32_t n) override { return file_.Read(buffer, n); }
  int32_t ReadAt(int64_t offset, void* buffer, int32_t n) override {
    return file_.ReadAt(offset, buffer, n);
  }
  int32_t Write(const void*, int32_t) override { return 0; }
  int32_t WriteAt(int64_t, const void*, int32_t) override { return 0; }
  bool Truncate(int64_t) override { return false; }

 private:
  ByteStream& file_;
};

// Whether the store operations refuse the file as damaged before reading a
// record: then nothing can be checked or dumped either.
bool HeaderDamaged(ByteStream& file) {
  ReadOnlyView view(file);
  TFileManager m(view);
  return m.ErrorCode() == kReadError && m.OperationNumber() == kOpReadHeader;
}

int Run(const std::vector<std::string>& a, std::istream& in, std::ostream& out, std::ostream& err) {
  if (a.size() < 2) return Usage(err);
  const std::string& cmd = a[0];
  const Text store = a[1];
  const size_t n = a.size();
  StoreFileError why;
  const bool hasPath = (cmd == "ls" && n == 3) || ((cmd == "get" || cmd == "cat" || cmd == "rm") && n == 3) ||
                       (cmd == "put" && (n == 3 || n == 4));
  if (hasPath) {
    std::string problem = PathProblem(StorePath(a[2]));
    if (!problem.empty()) return Refuse(err, problem);
  }
  if (cmd == "setting" && (n == 3 || n == 4)) {
    if (a[2].find('=') != std::string::npos) return Refuse(err, "a setting name cannot hold \"=\"");
    for (size_t i = 2; i < n; ++i)
      if (a[i].find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        return Refuse(err, "a setting name or value cannot hold CR or LF");
    if (a[2].empty()) return Refuse(err, "a setting needs a name");
  }

  if (cmd == "ls" && n <= 3) {
    if (!RequireStore(store, err)) return kPlstoreUsage;
    if (EmptyFile(store)) return kPlstoreOk;
    StringList names;
    int code = ListIndex(names, n == 3 ? StorePath(a[2]) : Text(), store, &why);
    if (code == 0)
      for (int i = 0; i < names.Count(); ++i) out << names[i] << "\n";
    return StoreResult(code, err, why);
  }
  if ((cmd == "get" || cmd == "cat") && n == 3) {
    if (!RequireStore(store, err)) return kPlstoreUsage;
    if (EmptyFile(store)) return kPlstoreOk;
    TDataBuf buffer;
    if (int status = ReadRecordOrRefuse(StorePath(a[2]), store, buffer, err)) return status;
    if (cmd == "cat") {
      if (buffer.HasPayload())
        out.write(reinterpret_cast<const char*>(buffer.Payload()), buffer.storedLength);
    } else {
      ForEachLine(buffer.PayloadText(), [&](std::string_view line) { out << line << "\n"; });
    }
    return kPlstoreOk;
  }
  if (cmd == "put" && (n == 3 || n == 4)) {
    std::string raw;
    const std::string source = n == 4 ? a[3] : std::string("standard input");
    std::error_code ec;
    if (n == 4 && std::filesystem::is_regular_file(a[3], ec) &&
        static_cast<int64_t>(std::filesystem::file_size(a[3], ec)) > kLargestInput && !ec)
      return Refuse(err, source + " is " + std::to_string(std::filesystem::file_size(a[3], ec)) +
                             " bytes; a record holds less than 2 GiB; nothing written");
    bool fits;
    if (n == 4) {
      std::ifstream file(a[3], std::ios::binary);
      if (!file) {
        err << "Cannot open file " << a[3] << "\n";
        return kPlstoreUsage;
      }
      fits = ReadInput(file, raw);
    } else {
      fits = ReadInput(in, raw);
    }
    // Stored as the string list would store the lines: CR LF after each.
    std::string text;
    if (fits) {
      text.reserve(raw.size() + raw.size() / 8);
      ForEachLine(raw, [&](std::string_view line) {
        text.append(line);
        text.append("\r\n");
      });
      fits = static_cast<int64_t>(text.size()) <= kLargestInput;
    }
    if (!fits) return Refuse(err, source + " holds 2 GiB or more; a record holds less; nothing written");
    raw.clear();
    raw.shrink_to_fit();
    TDataBuf buffer;
    buffer.Assign(text.data(), static_cast<int32_t>(text.size()));
    text.clear();
    text.shrink_to_fit();
    return StoreResult(StoreWrite(StorePath(a[2]), &buffer, store, &why), err, why);
  }
  if (cmd == "rm" && n == 3) {
    return StoreResult(WriteSection(StorePath(a[2]), nullptr, store, &why), err, why);
  }
  if (cmd == "setting" && n == 3) {
    if (!RequireStore(store, err)) return kPlstoreUsage;
    if (EmptyFile(store)) {
      out << "\n";
      return kPlstoreOk;
    }
    TDataBuf buffer;
    if (int status = ReadRecordOrRefuse(SettingsRecord, store, buffer, err)) return status;
    // The value ReadSetting gives, found without a line list.
    Text value;
    bool found = false;
    ForEachLine(buffer.PayloadText(), [&](std::string_view line) {
      size_t eq = line.find('=');
      if (found || eq == std::string_view::npos || !AnsiSameText(line.substr(0, eq), a[2])) return;
      found = true;
      value = Text(line.substr(eq + 1));
    });
    out << value << "\n";
    return kPlstoreOk;
  }
  if (cmd == "setting" && n == 4) {
    return StoreResult(WriteSetting(a[2], a[3], store, &why), err, why);
  }
  if ((cmd == "check" || cmd == "dump") && n == 2) {
    if (!RequireStore(store, err)) return kPlstoreUsage;
    std::unique_ptr<ByteStream> file = OpenStoreFile(store, StoreOpenMode::kReading, why);
    if (!file) return OpenFailed(why, err);
    // What an operation left half landed is undone first, as every opener does.
    if (JournalHost* journal = file->Journal()) {
      int code = RecoverFromJournal(*file, *journal);
      if (code != 0) return StoreResult(code, err, why);
    }
    if (HeaderDamaged(*file)) {
      for (const Text& p : CheckStore(*file)) out << p << "\n";
      return StoreResult(kReadError, err, why);
    }
    if (cmd == "dump") {
      out << DumpStore(*file);
      return kPlstoreOk;
    }
    std::vector<Text> problems = CheckStore(*file);
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
  // Out of memory (a record that inflates past what the machine holds) is a
  // store error like any other: said, and the tool ends with 2, never an abort.
  std::new_handler before = std::set_new_handler([] {
    std::fputs("plstore: out of memory\n", stderr);
    std::fflush(stderr);
    std::_Exit(kPlstoreStoreError);
  });
  int status = Run(args, in, out, err);
  std::set_new_handler(before);
  return status;
}

}  // namespace pel
