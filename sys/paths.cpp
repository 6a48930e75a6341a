// Folder paths and folder trees over the file-system seam.
#include "sys/paths.h"

#include <vector>

namespace pel {

bool ExcludedByMask(uint32_t attributes, uint32_t mask) {
  constexpr uint32_t kExcluding = kAttrHidden | kAttrSystem | kAttrVolume | kAttrDirectory;
  return (attributes & ~mask & kExcluding) != 0;
}

bool FileSystem::List(std::string_view pattern, uint32_t mask, std::vector<DirEntry>* out,
                      std::vector<DirEntry>* foreign) {
  out->clear();
  if (foreign) foreign->clear();
  std::vector<DirEntry> all;
  if (!FindMatches(pattern, &all)) return false;
  for (DirEntry& e : all) {
    if (e.name == "." || e.name == "..") continue;
    if (ExcludedByMask(e.attributes, mask)) continue;
    if (e.outside_code_page) {
      if (foreign) foreign->push_back(std::move(e));
      continue;
    }
    out->push_back(std::move(e));
  }
  return true;
}

Text WithTrailingBackslash(std::string_view path) {
  Text result(path);
  if (!result.empty() && result.back() != '\\') result += '\\';
  return result;
}

Text WithoutTrailingBackslash(std::string_view path) {
  Text result(path);
  if (!result.empty() && result.back() == '\\') result.pop_back();
  return result;
}

Text FolderPart(std::string_view path) {
  size_t cut = path.find_last_of("\\:");
  if (cut == std::string_view::npos) return Text();
  return Text(path.substr(0, cut + 1));
}

Text ShortPathName(FileSystem& fs, std::string_view path) {
  if (path.empty()) return Text();
  return fs.ShortPathName(path);
}

Text WindowsDirectory(FileSystem& fs) { return fs.WindowsDirectory(); }

namespace {

// The walk below a resolved folder: every path it is given was built from the
// resolved one and the names the listing gave.
bool DeleteTreeAt(FileSystem& fs, Text path) {
  if (path.empty() || !fs.DirectoryExists(path)) return false;
  path = WithTrailingBackslash(path);
  // A link names another tree: it goes, its target stays.
  Text bare = WithoutTrailingBackslash(path);
  uint32_t own = bare.ends_with(':') ? kAttrDirectory : fs.Attributes(bare);
  if (own != kNoAttributes && (own & kAttrReparsePoint)) return fs.RemoveEmptyDirectory(bare);

  std::vector<DirEntry> entries;
  fs.List(path + "*.*", kAttrAll, &entries);
  std::vector<Text> folders;
  std::vector<Text> files;
  std::vector<Text> folderLinks;
  for (const DirEntry& e : entries) {
    // The name as listed, not lower-cased: Windows ignores the case anyway,
    // and a file system that keeps it (Wine's) then finds each entry without
    // searching the folder for it, which made large folders quadratic.
    Text full = path + e.name;
    // A folder by its folder bit: read-only, hidden, compressed or not
    // indexed, it is still a folder. A folder link is removed as the link it
    // is, never walked.
    if (IsPlainFolder(e.attributes)) {
      folders.push_back(std::move(full));
    } else if ((e.attributes & kAttrReparsePoint) && (e.attributes & kAttrDirectory)) {
      folderLinks.push_back(std::move(full));
    } else {
      files.push_back(std::move(full));
    }
  }
  for (const Text& link : folderLinks) fs.RemoveEmptyDirectory(link);
  for (const Text& folder : folders) {
    DeleteTreeAt(fs, ShortPathName(fs, folder));
  }
  for (const Text& file : files) fs.Delete(file);
  return fs.RemoveEmptyDirectory(path);
}

}  // namespace

bool DeleteTree(FileSystem& fs, const ResolvedFolder& folder) {
  return DeleteTreeAt(fs, folder.Path());
}

int ListDirectory(FileSystem& fs, StringList* target, std::string_view pattern, uint32_t mask) {
  if (target) target->Clear();
  std::vector<DirEntry> entries;
  fs.List(pattern, mask, &entries);
  Text folder = FolderPart(pattern);
  StringList found;
  for (const DirEntry& e : entries) found.Add(folder + e.name);
  if (target) *target = found;
  return found.Count();
}

}  // namespace pel
