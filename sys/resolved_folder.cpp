// A folder known by its identity rather than by the spelling it was given in.
#include "sys/resolved_folder.h"

#include "sys/paths.h"

namespace pel {
namespace {

// The longest path the system's file calls take at all.
constexpr size_t kLongestPath = 32767;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A drive path (C:\ or C:/), a share (\\server\share) or one of the two
// prefixed forms; never relative to the current folder or drive.
bool FullPath(std::string_view p) {
  if (p.starts_with("\\\\?\\") || p.starts_with("\\\\.\\")) p.remove_prefix(4);
  if (p.size() >= 3 && IsLetter(p[0]) && p[1] == ':' && IsSeparator(p[2])) return true;
  if (p.size() < 5 || !IsSeparator(p[0]) || !IsSeparator(p[1]) || IsSeparator(p[2])) return false;
  size_t share = p.find_first_of("\\/", 2);
  return share != std::string_view::npos && share + 1 < p.size() && !IsSeparator(p[share + 1]);
}

FolderResolution Refuse(FolderResolution::Outcome outcome, Text reason) {
  FolderResolution r;
  r.outcome = outcome;
  r.reason = std::move(reason);
  return r;
}

}  // namespace

bool ResolvedFolder::IsRoot() const {
  if (key_.size() == 3 && key_[1] == ':') return true;
  if (!key_.starts_with("\\\\")) return false;
  size_t share = key_.find('\\', 2);
  if (share == Text::npos) return true;
  size_t end = key_.find('\\', share + 1);
  return end == Text::npos || end + 1 >= key_.size();
}

FolderResolution ResolveFolder(FileSystem& fs, std::string_view spelling) {
  using O = FolderResolution::Outcome;
  if (spelling.empty()) return Refuse(O::Empty, "no folder is recorded for it");
  if (spelling.size() > kLongestPath) return Refuse(O::Refused, "it is too long to be a folder");
  for (char ch : spelling) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 32 || c == 127) return Refuse(O::Refused, "it holds characters no folder name has");
  }
  if (!FullPath(spelling)) return Refuse(O::Refused, "it is not a full path");
  Text final = fs.FinalPathName(spelling);
  if (final.empty()) {
    if (fs.Attributes(spelling) == kNoAttributes) return Refuse(O::Missing, "it does not exist");
    return Refuse(O::Refused, "it cannot be told which folder it is");
  }
  uint32_t attributes = fs.Attributes(final);
  if (attributes == kNoAttributes || !(attributes & kAttrDirectory)) {
    return Refuse(O::Refused, "it is not a folder");
  }
  // Who it is, asked of the spelling and of the resolved name alike: a
  // folder swapped between the two answers is not this one, and one whose
  // volume cannot say (a share that does not answer) cannot be held to it.
  FileIdentity by_spelling, by_name;
  if (!fs.Identify(spelling, &by_spelling) || !fs.Identify(final, &by_name) ||
      !(by_spelling == by_name)) {
    return Refuse(O::Refused, "it cannot be told which folder it is");
  }
  Text path = WithTrailingBackslash(final);
  Text short_form = fs.ShortPathName(path);
  if (short_form.empty()) return Refuse(O::Refused, "it cannot be told which folder it is");
  FolderResolution r;
  r.outcome = O::Resolved;
  r.folder = ResolvedFolder(path, AnsiLowerCase(WithTrailingBackslash(short_form)), by_name);
  return r;
}

}  // namespace pel
