// Which folders a removal must never empty, whatever the registry names.
#include "uninstall/folder_guard.h"

#include <vector>

#include "sys/paths.h"
#include "uninstall/installed_state.h"

namespace pel {
namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool FullPath(std::string_view p) {
  if (p.size() >= 3 && IsLetter(p[0]) && p[1] == ':' && p[2] == '\\') return true;
  // \\server\share\...: both names present.
  if (!p.starts_with("\\\\")) return false;
  size_t share = p.find('\\', 2);
  return share != std::string_view::npos && share > 2 && share + 1 < p.size() &&
         p[share + 1] != '\\';
}

// A comparable folder (lower-cased short path with its final backslash) that
// is the root of a drive or a network share.
bool IsRoot(const Text& c) {
  if (c.size() == 3 && c[1] == ':') return true;
  if (!c.starts_with("\\\\")) return false;
  size_t share = c.find('\\', 2);
  if (share == Text::npos) return true;
  size_t end = c.find('\\', share + 1);
  return end == Text::npos || end + 1 >= c.size();
}

Text Comparable(FileSystem& fs, std::string_view folder) {
  Text c = ComparableFolder(fs, folder);
  return c.empty() ? c : WithTrailingBackslash(c);
}

struct Protected {
  Text folder;
  Text reason;
};

std::vector<Protected> ProtectedFolders(Platform& p) {
  FileSystem& fs = p.files;
  std::vector<Protected> list = {
      {fs.WindowsDirectory(), "it is the Windows folder"},
      {fs.SystemFolderPath(SystemFolder::System), "it is the Windows system folder"},
      {fs.SystemFolderPath(SystemFolder::ProgramFiles), "it is the Program Files folder"},
      {fs.SystemFolderPath(SystemFolder::ProgramFilesX86), "it is the Program Files folder"},
      {fs.SystemFolderPath(SystemFolder::Profile), "it is your user profile folder"},
  };
  for (std::string_view keyPath : {ShellFoldersKey, UserShellFoldersKey}) {
    auto key = p.registry.OpenKey(keyPath);
    if (!key) continue;
    for (const Text& name : key->ValueNames()) {
      RegText value = key->ReadString(name);
      // A value that is not text names no folder; it is no reason to stop.
      if (!value.ok() || value.value.empty()) continue;
      list.push_back({fs.ExpandEnvironment(value.value),
                      "it is one of your personal folders (" + name + ")"});
    }
  }
  return list;
}

}  // namespace

Text FolderLeftAloneReason(Platform& platform, std::string_view folder) {
  if (folder.empty()) return "no folder is recorded for it";
  if (!FullPath(folder)) return "it is not a full path";
  FileSystem& fs = platform.files;
  Text c = Comparable(fs, folder);
  if (c.empty()) return Text();
  if (IsRoot(c)) return "it is the root of a drive";
  for (const Protected& p : ProtectedFolders(platform)) {
    if (!p.folder.empty() && Comparable(fs, p.folder) == c) return p.reason;
  }
  return Text();
}

Text FolderLeftAloneMessage(std::string_view component, std::string_view folder,
                            std::string_view reason) {
  Text shown = folder.empty() ? Text("(none)") : Text(folder);
  return "The files of " + Text(component) + " were not deleted from the folder\n" + shown +
         "\nbecause " + Text(reason) + ". Nothing in it was touched.";
}

}  // namespace pel
