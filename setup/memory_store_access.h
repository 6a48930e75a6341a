// Store files kept in the in-memory file system, for tests of the steps that use the store.
#pragma once

#include <set>

#include "setup/store_access.h"
#include "store/store_ops.h"
#include "store/stream.h"
#include "sys/file_system.h"
#include "sys/paths.h"

namespace pel {

// Runs the real store operations on the file's bytes and writes them back.
class MemoryStoreAccess final : public StoreAccess {
 public:
  explicit MemoryStoreAccess(FileSystem& fs) : fs_(fs) {}

  // Files held open elsewhere: opening them throws as the disk store does.
  std::set<Text> locked;

  int ReadSection(StringList& list, std::string_view path, const Text& file) override {
    list.Clear();
    if (!fs_.FileExists(file)) return 0;
    MemoryStream stream = Open(file);
    return pel::ReadSection(list, path, stream);
  }
  int WriteSection(std::string_view path, const StringList* list, const Text& file) override {
    if (!fs_.FileExists(file) && !fs_.DirectoryExists(FolderPart(file)))
      throw StoreFileError("Cannot create file " + file);
    MemoryStream stream = Open(file, true);
    int r = pel::WriteSection(path, list, stream);
    fs_.WriteWholeFile(file, std::string_view(reinterpret_cast<const char*>(stream.Bytes().data()),
                                              stream.Bytes().size()));
    return r;
  }
  Text ReadSetting(std::string_view name, std::string_view def, const Text& file) override {
    if (!fs_.FileExists(file)) return Text(def);
    MemoryStream stream = Open(file);
    return pel::ReadSetting(name, def, stream);
  }

 private:
  MemoryStream Open(const Text& file, bool forWriting = false) {
    if (locked.count(file)) throw StoreFileError("Cannot open file " + file);
    // A write opens the file for writing, which a read-only file refuses;
    // operations that only read fall back to reading.
    uint32_t a = fs_.Attributes(file);
    if (forWriting && a != kNoAttributes && (a & kAttrReadOnly))
      throw StoreFileError("Cannot open file " + file);
    Text bytes;
    fs_.ReadWholeFile(file, &bytes);
    return MemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  FileSystem& fs_;
};

}  // namespace pel
