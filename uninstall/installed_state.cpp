// What is installed and where, as the registry tells it, and how the two folders lie to each other.
#include "uninstall/installed_state.h"

#include <memory>
#include <stdexcept>

#include "app/constants.h"
#include "sys/paths.h"
#include "uninstall/folder_guard.h"

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

InstalledFolders ResolveInstalledFolders(FileSystem& fs, const InstalledState& state) {
  InstalledFolders f;
  if (state.appInstalled) f.app = ResolveFolder(fs, state.appDir);
  if (state.mixInstalled) f.mix = ResolveFolder(fs, state.mixDir);
  f.appHeld = HoldResolved(fs, f.app, &f.appHeldReason);
  f.mixHeld = HoldResolved(fs, f.mix, &f.mixHeldReason);
  f.appProgram = f.appHeld && HoldsProgram(*f.appHeld, PelmoraPrograms);
  f.mixProgram = f.mixHeld && HoldsProgram(*f.mixHeld, MixmasterPrograms);
  return f;
}

std::shared_ptr<HeldFolder> HoldResolved(FileSystem& fs, const FolderResolution& folder, Text* reason) {
  reason->clear();
  if (!folder.folder) return nullptr;
  std::shared_ptr<HeldFolder> held = fs.HoldFolder(folder.folder->Path());
  if (held && held->Identity() == folder.folder->Identity()) return held;
  if (!held && fs.LastError() == kErrorEntryChanged) {
    *reason = "it has been replaced by a link since it was checked";
  } else if (held || fs.LastError() == kErrorFileNotFound || fs.LastError() == kErrorPathNotFound) {
    *reason = "it has been moved or replaced since it was checked";
  } else {
    *reason = "it cannot be told whether it is still the folder checked";
  }
  return nullptr;
}

FolderRelations RelateFolders(const InstalledFolders& folders) {
  FolderRelations r;
  if (!folders.app.folder || !folders.mix.folder) return r;
  const ResolvedFolder& a = *folders.app.folder;
  const ResolvedFolder& m = *folders.mix.folder;
  r.mixInsideApp = a.Contains(m);
  r.appInsideMix = m.Contains(a);
  r.sameDirs = a == m;
  r.separateDirs = !r.mixInsideApp && !r.appInsideMix && !r.sameDirs;
  return r;
}

}  // namespace pel
