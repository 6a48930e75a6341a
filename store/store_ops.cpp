// The store operations over a file path or a caller's stream.
#include "store/store_ops.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "app/constants.h"
#include "base/function_ref.h"
#include "store/data_buf.h"
#include "store/file_manager.h"
#include "store/index.h"
#include "store/stream.h"
#include "sys/delimited_field.h"

namespace pel {

namespace {

constexpr std::string_view kSeparator("\xFF", 1);
constexpr std::string_view kMailboxes = "Mailboxes";

// Where an operation's store lives: a path (opened, or created, per call) or a
// stream the caller holds.
struct Store {
  const Text* path = nullptr;
  ByteStream* stream = nullptr;
  StoreFileError* openFailure = nullptr;  // told why a path could not be opened

  bool Exists() const { return stream != nullptr || StoreFileExists(*path); }
  // Operations that write nothing pass kReading, so a store on a read-only
  // medium can still be read.
  std::unique_ptr<TFileManager> Open(StoreOpenMode mode = StoreOpenMode::kWriting) const {
    constexpr auto kAtCommit = TFileManager::WriteMode::kAtCommit;
    if (stream) return std::make_unique<TFileManager>(*stream, kAtCommit);
    auto m = std::make_unique<TFileManager>(*path, mode, kAtCommit);
    if (m->ErrorCode() == kOpenError && openFailure) *openFailure = m->OpenFailure();
    return m;
  }
};

Text Field(int k, std::string_view path) { return DelimitedField(k, path, kSeparator, ""); }

int CountNames(std::string_view path) {
  int n = 0;
  while (n <= kMaxPathNames && !Field(n, path).empty()) ++n;
  return n;
}

bool PathNamesStorable(std::string_view path) {
  for (int k = 0; k < kMaxPathNames; ++k) {
    Text name = Field(k, path);
    if (name.empty()) return true;
    if (!IsStorableName(name)) return false;
  }
  return true;
}

using LeafStep = FunctionRef<void(TFMindex& index, const Text& name)>;

// Walks path from the root index; runs leaf on the index that holds the last
// name. Every index object is gone before the manager closes the file.
int Walk(TFileManager& m, std::string_view path, bool writes, LeafStep leaf) {
  if (m.ErrorCode() != kNoError) return m.ErrorCode();
  std::vector<std::unique_ptr<TFMindex>> chain;
  chain.push_back(std::make_unique<TFMindex>(m, nullptr, ""));
  for (int level = 1; m.ErrorCode() == kNoError; ++level) {
    Text name = Field(level - 1, path);
    if (name.empty()) break;
    if (Field(level, path).empty()) {
      leaf(*chain.back(), name);
      break;
    }
    chain.push_back(std::make_unique<TFMindex>(m, chain.back().get(), name));
    if (!chain.back()->IsIndex()) {
      if (writes) m.RefuseWrite();
      break;
    }
  }
  while (!chain.empty()) chain.pop_back();  // innermost first, root index last
  return m.Commit();
}

int DoStoreWrite(std::string_view path, TDataBuf* buffer, const Store& store) {
  if (CountNames(path) > kMaxPathNames || !PathNamesStorable(path)) return kWriteError;
  auto m = store.Open();
  return Walk(*m, path, true, [&](TFMindex& index, const Text& name) {
    index.WriteRecord(name, buffer, true);
  });
}

int DoStoreRead(std::string_view path, TDataBuf& buffer, const Store& store) {
  if (CountNames(path) > kMaxPathNames) return kReadError;
  if (!store.Exists()) return kNoError;
  auto m = store.Open(StoreOpenMode::kReading);
  return Walk(*m, path, false, [&](TFMindex& index, const Text& name) {
    if (index.StoredLengthOf(name) > 0) index.ReadRecord(name, &buffer);
  });
}

// intact tells whether the record's payload is what was stored (it is not
// when inflating it failed and the compressed bytes were left in place).
int DoReadSection(StringList& list, std::string_view path, const Store& store, bool* intact) {
  list.Clear();
  TDataBuf buffer;
  int result = DoStoreRead(path, buffer, store);
  // A failed read leaves whatever part of the payload arrived; it is not text
  // anyone should act on.
  if (result == kNoError) list.SetText(buffer.PayloadText());
  if (intact) *intact = buffer.compressed != 1;
  return result;
}

int DoWriteSection(std::string_view path, const StringList* list, const Store& store) {
  if (!list) return DoStoreWrite(path, nullptr, store);
  Text text = list->GetText();
  // A text the record's int32 lengths cannot hold is refused whole, before
  // the file is even opened: cut to 32 bits it would be stored wrong.
  if (static_cast<int64_t>(text.size()) > kLargestRecordPayload) return kWriteError;
  TDataBuf buffer;
  buffer.Assign(text.data(), static_cast<int32_t>(text.size()));
  return DoStoreWrite(path, &buffer, store);
}

Text DoReadSetting(std::string_view name, std::string_view def, const Store& store) {
  StringList lines;
  DoReadSection(lines, SettingsRecord, store, nullptr);
  Text value = lines.ValueOf(name);
  return value.empty() ? Text(def) : value;
}

bool HasLineBreakOrZero(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

int DoWriteSetting(std::string_view name, std::string_view value, const Store& store) {
  if (name.empty() || name.find('=') != std::string_view::npos || HasLineBreakOrZero(name) ||
      HasLineBreakOrZero(value))
    return kWriteError;
  StringList lines;
  bool intact = true;
  int result = DoReadSection(lines, SettingsRecord, store, &intact);
  if (result != kNoError) return result;
  if (!intact) return kReadError;
  if (!value.empty()) {
    lines.SetValueOf(name, value);
  } else {
    int i = lines.IndexOfName(name);
    if (i >= 0) lines.Delete(i);
  }
  return DoWriteSection(SettingsRecord, &lines, store);
}

int DoListIndex(StringList& list, std::string_view path, const Store& store) {
  int names = CountNames(path);
  if (names > kMaxPathNames) return kReadError;
  if (!store.Exists()) return kNoError;
  auto m = store.Open(StoreOpenMode::kReading);
  if (m->ErrorCode() != kNoError) return m->ErrorCode();
  std::vector<std::unique_ptr<TFMindex>> chain;
  chain.push_back(std::make_unique<TFMindex>(*m, nullptr, ""));
  for (int k = 0; k < names && m->ErrorCode() == kNoError && chain.back()->IsIndex(); ++k)
    chain.push_back(std::make_unique<TFMindex>(*m, chain.back().get(), Field(k, path)));
  // Names read from an index whose text did not inflate are not its names.
  for (const auto& index : chain)
    if (!index->TextIntact()) m->MarkDamaged();
  if (m->ErrorCode() == kNoError && chain.back()->IsIndex())
    for (int i = 0; i < chain.back()->Count(); ++i)
      list.Add((*chain.back())[i], chain.back()->Value(i));
  while (!chain.empty()) chain.pop_back();
  return m->Commit();
}

int DoListRoot(StringList& list, const Store& store) {
  auto m = store.Open(StoreOpenMode::kReading);
  if (m->ErrorCode() != kNoError) return m->ErrorCode();
  {
    TFMindex root(*m, nullptr, "");
    if (m->ErrorCode() == kNoError)
      for (int i = 0; i < root.Count(); ++i) list.Add(root[i], root.Value(i));
  }
  return m->Commit();
}

bool DoReadBuffer(std::string_view path, TDataBuf* target, const Store& store) {
  TDataBuf temp;
  DoStoreRead(path, temp, store);
  int32_t n = temp.storedLength;
  if (target) target->Assign(temp.Payload(), n);
  return n != 0;
}

bool DoReadSectionTo(std::string_view path, StringList* strings, const Store& store) {
  StringList temp;
  DoReadSection(temp, path, store, nullptr);
  if (strings) strings->SetText(temp.GetText());
  return temp.Count() > 0;
}

int DoRenameEntry(std::string_view path, std::string_view newName, const Store& store) {
  // An entry renamed to something no path can reach, or that its index
  // would read back as other names, is as good as lost.
  if (!IsStorableName(newName) || newName.find(kPathSeparator) != std::string_view::npos ||
      CountNames(path) > kMaxPathNames)
    return kWriteError;
  auto m = store.Open();
  return Walk(*m, path, true, [&](TFMindex& index, const Text& name) {
    int i = index.IndexOf(name);
    if (i < 0) return;
    index[i] = Text(newName);
    index.Save();
  });
}

std::string_view TrimControls(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool Selected(const std::vector<uint8_t>* selection, int entry) {
  if (!selection) return true;
  size_t k = static_cast<size_t>(entry) + 1;
  return k < selection->size() && (*selection)[k] != 0;
}

int DoDeleteMailboxEntries(std::string_view mailbox, const std::vector<uint8_t>* selection,
                           const Store& store) {
  // An empty name would load the root index in the mailbox's place.
  if (!store.Exists() || !IsStorableName(mailbox)) return 0;
  auto m = store.Open();
  if (m->ErrorCode() != kNoError) return -1;
  int count = [&] {
    int count = 0;
    TFMindex root(*m, nullptr, "");
    TFMindex boxes(*m, &root, kMailboxes);
    if (!boxes.IsIndex()) return 0;
    TFMindex box(*m, &boxes, mailbox);
    if (!box.IsIndex()) return 0;
    if (!box.ChainWritable()) return -1;
    // Every block to be freed is checked first: finding damage halfway would
    // leave some entries freed and still listed.
    std::vector<std::pair<int64_t, int64_t>> toFree;  // block start, length
    for (int k = 0; k < box.Count(); ++k) {
      int32_t p = box.Value(k), length = 0;
      if (!Selected(selection, k) || p == -1) continue;
      if (!box.CanFreeRecordAt(p, &length)) {
        m->MarkDamaged();
        return -1;
      }
      toFree.emplace_back(int64_t{p} - 4, length);
    }
    // Two entries naming one block, or blocks that overlap, are damage too.
    std::sort(toFree.begin(), toFree.end());
    for (size_t i = 1; i < toFree.size(); ++i) {
      if (toFree[i - 1].first == toFree[i].first ||
          toFree[i - 1].first + toFree[i - 1].second > toFree[i].first) {
        m->MarkDamaged();
        return -1;
      }
    }
    for (int k = box.Count() - 1; k >= 0 && m->ErrorCode() == kNoError; --k) {
      if (!Selected(selection, k)) continue;
      if (box.Value(k) != -1) m->FreeBlock(box.Value(k));
      box.Delete(k);
      ++count;
    }
    box.Save();
    return count;
  }();
  return m->Commit() == kNoError ? count : -1;
}

int DoMoveMailboxEntries(std::string_view source, const std::vector<uint8_t>* selection,
                         std::string_view target, const Store& store) {
  // Two index objects over one record would each free it on saving: the
  // second free would hand out bytes that are in use again.
  if (!store.Exists() || !IsStorableName(source) || !IsStorableName(target) ||
      AnsiSameText(source, target))
    return 0;
  auto m = store.Open();
  if (m->ErrorCode() != kNoError) return -1;
  int count = [&] {
    int count = 0;
    TFMindex root(*m, nullptr, "");
    TFMindex boxes(*m, &root, kMailboxes);
    if (!boxes.IsIndex()) return 0;
    TFMindex from(*m, &boxes, source);
    TFMindex to(*m, &boxes, target);
    if (!from.IsIndex() || !to.IsIndex()) return 0;
    if (!from.ChainWritable() || !to.ChainWritable()) return -1;
    // Two mailboxes sharing index bytes: saving one would free bytes the
    // other is about to free again.
    if ((from.RecordPosition() != -1 && from.RecordPosition() == to.RecordPosition()) ||
        (to.BlockLength() > 0 && from.ChainOverlaps(to.BlockStart(), to.BlockLength()))) {
      m->MarkDamaged();
      return -1;
    }
    for (int k = from.Count() - 1; k >= 0; --k) {
      if (!Selected(selection, k)) continue;
      to.Add(from[k], from.Value(k));
      from.Delete(k);
      ++count;
    }
    to.Save();
    from.Save();
    return count;
  }();
  return m->Commit() == kNoError ? count : -1;
}

Store OnPath(const Text& file, StoreFileError* openFailure) {
  return Store{&file, nullptr, openFailure};
}
Store OnStream(ByteStream& stream) { return Store{nullptr, &stream}; }

}  // namespace

int StoreWrite(std::string_view path, TDataBuf* buffer, const Text& file,
    StoreFileError* openFailure) {
  return DoStoreWrite(path, buffer, OnPath(file, openFailure));
}
int StoreRead(std::string_view path, TDataBuf& buffer, const Text& file,
    StoreFileError* openFailure) {
  return DoStoreRead(path, buffer, OnPath(file, openFailure));
}
int ReadSection(StringList& list, std::string_view path, const Text& file,
    StoreFileError* openFailure) {
  return DoReadSection(list, path, OnPath(file, openFailure), nullptr);
}
int WriteSection(std::string_view path, const StringList* list, const Text& file,
    StoreFileError* openFailure) {
  return DoWriteSection(path, list, OnPath(file, openFailure));
}
Text ReadSetting(std::string_view name, std::string_view def, const Text& file,
    StoreFileError* openFailure) {
  return DoReadSetting(name, def, OnPath(file, openFailure));
}
int WriteSetting(std::string_view name, std::string_view value, const Text& file,
    StoreFileError* openFailure) {
  return DoWriteSetting(name, value, OnPath(file, openFailure));
}
int ListRoot(StringList& list, const Text& file,
    StoreFileError* openFailure) { return DoListRoot(list, OnPath(file, openFailure)); }
bool ReadBuffer(std::string_view path, TDataBuf* target, const Text& file,
    StoreFileError* openFailure) {
  return DoReadBuffer(path, target, OnPath(file, openFailure));
}
bool ReadSectionTo(std::string_view path, StringList* strings, const Text& file,
    StoreFileError* openFailure) {
  return DoReadSectionTo(path, strings, OnPath(file, openFailure));
}
int RenameEntry(std::string_view path, std::string_view newName, const Text& file,
    StoreFileError* openFailure) {
  return DoRenameEntry(path, newName, OnPath(file, openFailure));
}
int RenameTrimmedEntry(std::string_view path, std::string_view newName, const Text& file,
    StoreFileError* openFailure) {
  return DoRenameEntry(TrimControls(path), newName, OnPath(file, openFailure));
}
int DeleteMailboxEntries(std::string_view mailbox, const std::vector<uint8_t>* selection,
                         const Text& storeFile,
    StoreFileError* openFailure) {
  return DoDeleteMailboxEntries(mailbox, selection, OnPath(storeFile, openFailure));
}
int MoveMailboxEntries(std::string_view source, const std::vector<uint8_t>* selection,
                       std::string_view target, const Text& storeFile,
    StoreFileError* openFailure) {
  return DoMoveMailboxEntries(source, selection, target, OnPath(storeFile, openFailure));
}
int ListIndex(StringList& list, std::string_view path, const Text& file,
    StoreFileError* openFailure) {
  return DoListIndex(list, path, OnPath(file, openFailure));
}

int StoreWrite(std::string_view path, TDataBuf* buffer, ByteStream& stream) {
  return DoStoreWrite(path, buffer, OnStream(stream));
}
int StoreRead(std::string_view path, TDataBuf& buffer, ByteStream& stream) {
  return DoStoreRead(path, buffer, OnStream(stream));
}
int ReadSection(StringList& list, std::string_view path, ByteStream& stream) {
  return DoReadSection(list, path, OnStream(stream), nullptr);
}
int WriteSection(std::string_view path, const StringList* list, ByteStream& stream) {
  return DoWriteSection(path, list, OnStream(stream));
}
Text ReadSetting(std::string_view name, std::string_view def, ByteStream& stream) {
  return DoReadSetting(name, def, OnStream(stream));
}
int WriteSetting(std::string_view name, std::string_view value, ByteStream& stream) {
  return DoWriteSetting(name, value, OnStream(stream));
}
int ListRoot(StringList& list, ByteStream& stream) { return DoListRoot(list, OnStream(stream)); }
bool ReadBuffer(std::string_view path, TDataBuf* target, ByteStream& stream) {
  return DoReadBuffer(path, target, OnStream(stream));
}
bool ReadSectionTo(std::string_view path, StringList* strings, ByteStream& stream) {
  return DoReadSectionTo(path, strings, OnStream(stream));
}
int RenameEntry(std::string_view path, std::string_view newName, ByteStream& stream) {
  return DoRenameEntry(path, newName, OnStream(stream));
}
int RenameTrimmedEntry(std::string_view path, std::string_view newName, ByteStream& stream) {
  return DoRenameEntry(TrimControls(path), newName, OnStream(stream));
}
int DeleteMailboxEntries(std::string_view mailbox, const std::vector<uint8_t>* selection,
                         ByteStream& stream) {
  return DoDeleteMailboxEntries(mailbox, selection, OnStream(stream));
}
int MoveMailboxEntries(std::string_view source, const std::vector<uint8_t>* selection,
                       std::string_view target, ByteStream& stream) {
  return DoMoveMailboxEntries(source, selection, target, OnStream(stream));
}
int ListIndex(StringList& list, std::string_view path, ByteStream& stream) {
  return DoListIndex(list, path, OnStream(stream));
}

}  // namespace pel
