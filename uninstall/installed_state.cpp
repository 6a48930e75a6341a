// What is installed and where, as the registry tells it, and how the two folders lie to each other.
#include "uninstall/installed_state.h"

#include <memory>

#include "app/constants.h"
#include "sys/paths.h"
#include "uninstall/folder_guard.h"

namespace pel {
namespace {

// The value's text; a value of another type leaves its error in the state,
// and nothing after it is read.
bool ReadText(RegistryKey& key, std::string_view name, Text& value, InstalledState& s) {
  RegText read = key.ReadString(name);
  if (!read.ok()) {
    s.failure = read.error;
    return false;
  }
  value = read.value;
  return true;
}

}  // namespace

InstalledState ReadInstalledState(Registry& registry) {
  InstalledState s;
  s.mixInstalled = registry.KeyExists(MixmasterKey);
  s.appInstalled = registry.KeyExists(ProductKey);
  if (!s.appInstalled && !s.mixInstalled) return s;
  if (auto key = registry.OpenKey(MixmasterKey)) {
    Text dir;
    if (!ReadText(*key, RegMixDir, dir, s)) return s;
    s.mixDir = WithTrailingBackslash(dir);
  }
  if (auto key = registry.OpenKey(ProductKey)) {
    Text dir;
    if (!ReadText(*key, RegAppDir, dir, s)) return s;
    s.appDir = WithTrailingBackslash(dir);
    if (!ReadText(*key, RegProgramGroup, s.programGroup, s)) return s;
    ReadText(*key, RegVersion, s.version, s);
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
