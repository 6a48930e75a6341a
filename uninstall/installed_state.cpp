// What is installed and where, as the registry tells it, and how the two folders lie to each other.
#include "uninstall/installed_state.h"

#include <memory>
#include <stdexcept>

#include "app/constants.h"
#include "sys/paths.h"

namespace pel {
namespace {

Text ReadText(RegistryKey& key, std::string_view name) {
  RegText read = key.ReadString(name);
  if (!read.ok()) throw std::runtime_error(read.error);
  return read.value;
}

}  // namespace

InstalledState ReadInstalledState(Registry& registry) {
  InstalledState s;
  s.mixInstalled = registry.KeyExists(MixmasterKey);
  s.appInstalled = registry.KeyExists(ProductKey);
  if (!s.appInstalled && !s.mixInstalled) return s;
  if (auto key = registry.OpenKey(MixmasterKey)) {
    s.mixDir = WithTrailingBackslash(ReadText(*key, RegMixDir));
  }
  if (auto key = registry.OpenKey(ProductKey)) {
    s.appDir = WithTrailingBackslash(ReadText(*key, RegAppDir));
    s.programGroup = ReadText(*key, RegProgramGroup);
    s.version = ReadText(*key, RegVersion);
  }
  return s;
}

Text ComparableFolder(FileSystem& fs, std::string_view folder) {
  if (folder.empty()) return Text();
  return AnsiLowerCase(ShortPathName(fs, folder));
}

FolderRelations RelateFolders(FileSystem& fs, const InstalledState& state) {
  FolderRelations r;
  Text a = state.appInstalled ? ComparableFolder(fs, state.appDir) : Text();
  Text m = state.mixInstalled ? ComparableFolder(fs, state.mixDir) : Text();
  if (a.empty() || m.empty()) return r;
  r.mixInsideApp = m.size() > a.size() && m.starts_with(a);
  r.appInsideMix = a.size() > m.size() && a.starts_with(m);
  r.sameDirs = a == m;
  r.separateDirs = !r.mixInsideApp && !r.appInsideMix && !r.sameDirs;
  return r;
}

}  // namespace pel
