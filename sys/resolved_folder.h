// A folder known by its identity rather than by the spelling it was given in.
#pragma once

#include <optional>
#include <string_view>

#include "base/text.h"
#include "sys/file_system.h"

namespace pel {

struct FolderResolution;

// An existing folder as the system names it, made only by ResolveFolder.
// Two are the same folder exactly when their keys are equal.
class ResolvedFolder {
 public:
  // The full path with one final backslash, names as stored, no prefix: what
  // every operation on the folder is given.
  const Text& Path() const { return path_; }
  // The lower-cased short form with one final backslash: what folders are
  // compared by.
  const Text& Key() const { return key_; }
  // Which folder it was when resolved, whatever names it later: what a
  // removal holds it by.
  const FileIdentity& Identity() const { return identity_; }

  bool operator==(const ResolvedFolder& other) const { return key_ == other.key_; }
  // True when other lies somewhere below this folder.
  bool Contains(const ResolvedFolder& other) const {
    return other.key_.size() > key_.size() && other.key_.starts_with(key_);
  }
  // A drive root (C:\) or a network share's (\\server\share\).
  bool IsRoot() const;

 private:
  ResolvedFolder(Text path, Text key, FileIdentity identity)
      : path_(std::move(path)), key_(std::move(key)), identity_(identity) {}
  friend FolderResolution ResolveFolder(FileSystem& fs, std::string_view spelling);

  Text path_;
  Text key_;
  FileIdentity identity_;
};


// What resolving a spelling gave: the folder, or why there is none.
struct FolderResolution {
  enum class Outcome {
    Resolved,
    Empty,    // no spelling at all
    Missing,  // a well-formed full path that names nothing
    Refused,  // malformed, not a folder, or there but not identifiable
  };
  Outcome outcome = Outcome::Empty;
  std::optional<ResolvedFolder> folder;
  Text reason;  // why it was refused; empty otherwise
};

// Resolves a spelling through the platform once: a full path (drive letter
// and separator, or a network share) is opened as the file calls open it, and
// the folder it reaches, every link or junction on the way followed, is
// named as the system names it. Control characters, a relative path, more
// than 32767 characters, a file, or a folder whose short form or identity
// the system cannot give, or that is not the same folder by its spelling and
// by its name once resolved (it changed while it was looked at), are refused.
FolderResolution ResolveFolder(FileSystem& fs, std::string_view spelling);

}  // namespace pel
