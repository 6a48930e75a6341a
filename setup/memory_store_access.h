// Store files kept in the in-memory file system, for tests of the steps that use the store.
#pragma once

#include <optional>
#include <set>

#include "setup/store_access.h"
#include "store/file_manager.h"
#include "store/store_ops.h"
#include "store/stream.h"
#include "sys/file_system.h"
#include "sys/paths.h"

namespace pel {

// Runs the real store operations on the file's bytes and writes them back.
class MemoryStoreAccess final : public StoreAccess {
 public:
  explicit MemoryStoreAccess(FileSystem& fs) : fs_(fs) {}

  // Files held open elsewhere: opening them fails as the disk store does.
  std::set<Text> locked;

  int ReadSection(StringList& list, std::string_view path, const Text& file,
                  StoreFileError& openFailure) override {
    list.Clear();
    if (!fs_.FileExists(file)) return 0;
    std::optional<MemoryStream> stream = Open(file, false, openFailure);
    if (!stream) return kOpenError;
    return pel::ReadSection(list, path, *stream);
  }
  int WriteSection(std::string_view path, const StringList* list, const Text& file,
                   StoreFileError& openFailure) override {
    if (!fs_.FileExists(file) && !fs_.DirectoryExists(FolderPart(file))) {
      openFailure = {"Cannot create file " + file};
      return kOpenError;
    }
    std::optional<MemoryStream> stream = Open(file, true, openFailure);
    if (!stream) return kOpenError;
    int r = pel::WriteSection(path, list, *stream);
    fs_.WriteWholeFile(file, std::string_view(reinterpret_cast<const char*>(stream->Bytes().data()),
                                              stream->Bytes().size()));
    return r;
  }
  Text ReadSetting(std::string_view name, std::string_view def, const Text& file,
                   StoreFileError& openFailure) override {
    if (!fs_.FileExists(file)) return Text(def);
    std::optional<MemoryStream> stream = Open(file, false, openFailure);
    if (!stream) return Text(def);
    return pel::ReadSetting(name, def, *stream);
  }

  // The same for a test that expects the file to open.
  int ReadSection(StringList& list, std::string_view path, const Text& file) {
    StoreFileError why;
    return ReadSection(list, path, file, why);
  }
  int WriteSection(std::string_view path, const StringList* list, const Text& file) {
    StoreFileError why;
    return WriteSection(path, list, file, why);
  }
  Text ReadSetting(std::string_view name, std::string_view def, const Text& file) {
    StoreFileError why;
    return ReadSetting(name, def, file, why);
  }

 private:
  std::optional<MemoryStream> Open(const Text& file, bool forWriting, StoreFileError& openFailure) {
    // A write opens the file for writing, which a read-only file refuses;
    // operations that only read fall back to reading.
    uint32_t a = fs_.Attributes(file);
    if (locked.count(file) || (forWriting && a != kNoAttributes && (a & kAttrReadOnly))) {
      openFailure = {"Cannot open file " + file,
                     locked.count(file) ? StoreFileError::kInUse : StoreFileError::kOther};
      return std::nullopt;
    }
    Text bytes;
    fs_.ReadWholeFile(file, &bytes);
    return MemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  FileSystem& fs_;
};

}  // namespace pel
