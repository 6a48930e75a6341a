// Whether a destination folder holds files that are not the product's, which a removal would delete with it.
#include "setup/foreign_files.h"

#include <algorithm>
#include <memory>

#include "app/constants.h"
#include "app/database_files.h"
#include "setup/install_steps.h"
#include "sys/paths.h"

namespace pel {
namespace {

std::vector<DirEntry> FilesOf(FileSystem& fs, std::string_view folder) {
  std::vector<DirEntry> entries;
  fs.List(WithTrailingBackslash(folder) + "*.*", kAttrAll, &entries);
  std::erase_if(entries, [](const DirEntry& e) { return (e.attributes & kAttrDirectory) != 0; });
  return entries;
}

bool Contains(const std::vector<Text>& names, std::string_view lowerName) {
  return std::find(names.begin(), names.end(), lowerName) != names.end();
}

}  // namespace

std::vector<Text> InstalledFileNames(FileSystem& fs, std::string_view sourceFolder) {
  std::vector<Text> names;
  for (const DirEntry& e : FilesOf(fs, sourceFolder)) {
    Text name = AnsiLowerCase(e.name);
    names.push_back(name == "setup.exe" ? AnsiLowerCase(UninstallerExe) : name);
  }
  return names;
}

bool IsProductFolder(FileSystem& fs, Registry& registry, std::string_view folder) {
  Text dir = WithTrailingBackslash(folder);
  if (fs.FileExists(dir + Text(ProductExe)) || fs.FileExists(dir + Text(UninstallerExe))) return true;
  std::unique_ptr<RegistryKey> key = registry.OpenKey(ProductKey);
  if (!key) return false;
  RegText recorded = key->ReadString(RegAppDir);
  if (!recorded.ok() || recorded.value.empty()) return false;
  Text form = ComparisonForm(fs, folder);
  return !form.empty() && form == ComparisonForm(fs, recorded.value);
}

Text FindForeignFile(FileSystem& fs, Registry& registry, std::string_view folder,
                     std::string_view sourceFolder) {
  if (folder.empty() || !fs.DirectoryExists(folder) || IsProductFolder(fs, registry, folder))
    return Text();
  std::vector<Text> installed = InstalledFileNames(fs, sourceFolder);
  for (const DirEntry& e : FilesOf(fs, folder)) {
    Text name = AnsiLowerCase(e.name);
    if (!IsDatabaseFileName(name) && !Contains(installed, name)) return e.name;
  }
  return Text();
}

Text ForeignFolderQuestion(std::string_view folder, std::string_view file) {
  return "The folder " + Text(folder) + " already holds other files, " + Text(file) +
         " among them.\n\nIf I install " + Text(ProductName) + " there, removing " +
         Text(ProductName) +
         " later will delete every file in that folder except the PL database, yours "
         "included.\n\nInstall " + Text(ProductName) + " in this folder anyway?";
}

}  // namespace pel
