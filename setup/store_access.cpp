// Store files on the real disk: the store operations as they are.
#include "setup/store_access.h"

#include "store/store_ops.h"

namespace pel {
namespace {

class Disk final : public StoreAccess {
 public:
  int ReadSection(StringList& list, std::string_view path, const Text& file,
                  StoreFileError& openFailure) override {
    return pel::ReadSection(list, path, file, &openFailure);
  }
  int WriteSection(std::string_view path, const StringList* list, const Text& file,
                   StoreFileError& openFailure) override {
    return pel::WriteSection(path, list, file, &openFailure);
  }
  Text ReadSetting(std::string_view name, std::string_view def, const Text& file,
                   StoreFileError& openFailure) override {
    return pel::ReadSetting(name, def, file, &openFailure);
  }
};

}  // namespace

StoreAccess& DiskStore() {
  static Disk disk;
  return disk;
}

}  // namespace pel
