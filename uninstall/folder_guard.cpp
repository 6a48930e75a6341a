// Which folders a removal must never empty, whatever the registry names.
#include "uninstall/folder_guard.h"

#include <vector>

#include "sys/paths.h"

namespace pel {
namespace {

struct Protected {
  Text folder;  // as the system or the registry gives it
  Text what;    // how the user knows it
};

std::vector<Protected> ProtectedFolders(Platform& p) {
  FileSystem& fs = p.files;
  std::vector<Protected> list = {
      {fs.SystemFolderPath(SystemFolder::System), "the Windows system folder"},
      {fs.SystemFolderPath(SystemFolder::ProgramFiles), "the Program Files folder"},
      {fs.SystemFolderPath(SystemFolder::ProgramFilesX86), "the Program Files folder"},
      {fs.SystemFolderPath(SystemFolder::Profile), "your user profile folder"},
  };
  for (Text& known : fs.KnownFolders()) {
    Text what = "a folder of the system (" + known + ")";
    list.push_back({std::move(known), std::move(what)});
  }
  for (std::string_view keyPath : {ShellFoldersKey, UserShellFoldersKey}) {
    auto key = p.registry.OpenKey(keyPath);
    if (!key) continue;
    for (const Text& name : key->ValueNames()) {
      RegText value = key->ReadString(name);
      // A value that is not text names no folder; it is no reason to stop.
      if (!value.ok() || value.value.empty()) continue;
      list.push_back({fs.ExpandEnvironment(value.value), "one of your personal folders (" + name + ")"});
    }
  }
  return list;
}

}  // namespace

Text FolderLeftAloneReason(Platform& platform, const ResolvedFolder& folder) {
  FileSystem& fs = platform.files;
  if (folder.IsRoot()) return "it is the root of a drive";
  FolderResolution windows = ResolveFolder(fs, fs.WindowsDirectory());
  // Without a Windows folder to measure by, nothing can be told safe.
  if (!windows.folder) return "the Windows folder cannot be found";
  if (*windows.folder == folder) return "it is the Windows folder";
  if (windows.folder->Contains(folder)) return "it lies inside the Windows folder";
  if (folder.Contains(*windows.folder)) return "it holds the Windows folder";
  for (const Protected& p : ProtectedFolders(platform)) {
    if (p.folder.empty()) continue;
    // A protected folder that does not exist cannot be emptied by mistake.
    FolderResolution r = ResolveFolder(fs, p.folder);
    if (!r.folder) continue;
    if (*r.folder == folder) return "it is " + p.what;
    if (folder.Contains(*r.folder)) return "it holds " + p.what;
  }
  return Text();
}

bool HoldsProgram(FileSystem& fs, const FolderResolution& folder,
                  std::span<const std::string_view> programs) {
  if (!folder.folder) return false;
  for (std::string_view program : programs) {
    if (fs.FileExists(folder.folder->Path() + Text(program))) return true;
  }
  return false;
}

bool HoldsProgram(HeldFolder& folder, std::span<const std::string_view> programs) {
  std::vector<HeldEntry> entries;
  folder.List(&entries);
  for (const HeldEntry& e : entries) {
    if (e.attributes & (kAttrDirectory | kAttrReparsePoint)) continue;
    for (std::string_view program : programs) {
      if (AnsiSameText(e.name, program)) return true;
    }
  }
  return false;
}

FolderVerdict JudgeComponentFolder(Platform& platform, const FolderResolution& folder,
                                   std::span<const std::string_view> programs, bool holdsProgram) {
  using O = FolderResolution::Outcome;
  FolderVerdict v;
  if (folder.outcome == O::Empty || folder.outcome == O::Missing) return v;
  if (!folder.folder) {
    v.reason = folder.reason;
    return v;
  }
  v.reason = FolderLeftAloneReason(platform, *folder.folder);
  if (!v.reason.empty()) return v;
  if (holdsProgram) {
    v.deletable = true;
    return v;
  }
  Text names;
  for (std::string_view program : programs) {
    names += (names.empty() ? "" : " or ") + Text(program);
  }
  v.reason = "it does not hold " + names + ", so it is not known to be that component's folder";
  return v;
}

Text FolderLeftAloneMessage(std::string_view component, std::string_view folder,
                            std::string_view reason) {
  Text shown = folder.empty() ? Text("(none)") : Text(folder);
  return "The files of " + Text(component) + " were not deleted from the folder\n" + shown +
         "\nbecause " + Text(reason) + ". Nothing in it was touched.";
}

}  // namespace pel
