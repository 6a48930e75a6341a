// The file-system seam: the folder, file and listing operations the installer and uninstaller need.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "sys/held_folder.h"

namespace pel {

// File attribute bits as Windows reports them.
inline constexpr uint32_t kAttrReadOnly = 1;
inline constexpr uint32_t kAttrHidden = 2;
inline constexpr uint32_t kAttrSystem = 4;
inline constexpr uint32_t kAttrVolume = 8;
inline constexpr uint32_t kAttrDirectory = 16;
inline constexpr uint32_t kAttrArchive = 32;
inline constexpr uint32_t kAttrNormal = 128;  // a file with no other bit set
// A junction, symbolic link or other reparse point: what it names lies
// elsewhere, possibly outside the tree being walked.
inline constexpr uint32_t kAttrReparsePoint = 0x400;
// Bits a folder often carries besides the folder bit on a Windows volume.
inline constexpr uint32_t kAttrCompressed = 0x800;
inline constexpr uint32_t kAttrNotContentIndexed = 0x2000;
inline constexpr uint32_t kAttrAll = 63;      // the listing mask that excludes nothing
inline constexpr uint32_t kNoAttributes = 0xFFFFFFFFu;

// Folders of the system that a removal must never empty.
enum class SystemFolder {
  System,           // the system folder (System32)
  ProgramFiles,     // the Program Files folder itself
  ProgramFilesX86,  // its 32-bit twin on a 64-bit system; empty where there is none
  Profile,          // the user's profile folder
};

// Windows error codes the callers and tests look at (LastError()).
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorSharingViolation = 32;
inline constexpr uint32_t kErrorNotSameDevice = 17;
inline constexpr uint32_t kErrorFileExists = 80;
inline constexpr uint32_t kErrorInvalidName = 123;
inline constexpr uint32_t kErrorDirNotEmpty = 145;
inline constexpr uint32_t kErrorAlreadyExists = 183;
inline constexpr uint32_t kErrorDirectory = 267;
// A path or name the system's code page cannot hold, and that has no short
// form it can: it cannot reach the 8-bit core at all.
inline constexpr uint32_t kErrorNoUnicodeTranslation = 1113;
// The file at a path is not the one a call was given the identity of.
inline constexpr uint32_t kErrorNotSameFile = 1006;

// An entry met where a link stands, or that is no longer the one listed or
// resolved: nothing was done to it.
inline constexpr uint32_t kErrorEntryChanged = 681;  // ERROR_STOPPED_ON_SYMLINK

struct DirEntry {
  // Without folder, spelled as stored; for a name the code page cannot hold,
  // its short form, or empty when the volume keeps none.
  Text name;
  uint32_t attributes = 0;
  // The stored name lies outside the system's code page: no file of the
  // product's, and never to be copied, deleted or named by a look-alike.
  bool outside_code_page = false;
  // Such a name for messages, with '?' for what the code page cannot hold.
  Text shown;
  bool operator==(const DirEntry&) const = default;
};

// True when an entry with these attributes is left out of a listing with this
// mask: the hidden, system, volume and folder bits exclude unless the mask has
// them; read-only and archive never exclude.
bool ExcludedByMask(uint32_t attributes, uint32_t mask);

// A folder to walk: the folder bit, whatever else is set (read-only, not
// content indexed, compressed), but no link, which leads elsewhere.
inline bool IsPlainFolder(uint32_t attributes) {
  return attributes != kNoAttributes && (attributes & kAttrDirectory) &&
         !(attributes & kAttrReparsePoint);
}

// Paths are 8-bit ANSI in the Windows form; names compare without regard to
// case and keep their spelling. No method throws or shows anything; a failing
// one records the Windows error code that LastError() then returns.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True only for an existing regular file (a folder is not a file); false for
  // an empty or missing path.
  virtual bool FileExists(std::string_view path) = 0;
  // True only for an existing folder; false for an empty or missing path.
  virtual bool DirectoryExists(std::string_view path) = 0;
  // The attribute set, or kNoAttributes when the path does not exist.
  virtual uint32_t Attributes(std::string_view path) = 0;
  // Sets the attributes (the folder bit cannot be changed); false on failure.
  virtual bool SetAttributes(std::string_view path, uint32_t attributes) = 0;

  // Lists the matches of pattern (a folder path followed by a mask with * and ?)
  // in the order the platform yields them, without "." and "..", leaving out
  // those ExcludedByMask(attributes, mask). False, with *out empty, when the
  // search cannot start (missing folder: 3; nothing matches: 2); true otherwise,
  // even when the mask left nothing. Entries whose names the code page cannot
  // hold are never in *out: they go to *foreign when it is given.
  bool List(std::string_view pattern, uint32_t mask, std::vector<DirEntry>* out,
            std::vector<DirEntry>* foreign = nullptr);

  // Creates one folder; false when it exists (183) or its parent does not (3).
  virtual bool MakeDirectory(std::string_view path) = 0;
  // Removes an empty folder; false when missing (2/3) or not empty (145).
  virtual bool RemoveEmptyDirectory(std::string_view path) = 0;
  // Copies a file; with fail_if_exists false an existing target is replaced.
  // False when the source is missing (2/3), the target exists and may not be
  // replaced (80), or the target is read-only or a folder (5).
  virtual bool Copy(std::string_view from, std::string_view to, bool fail_if_exists) = 0;
  // Deletes a file; false when missing (2/3), read-only or a folder (5).
  virtual bool Delete(std::string_view path) = 0;
  // Gives a file (or folder) another name on the same drive in one step: a
  // reader sees the old entry or the new one, never a part. With
  // replace_existing an existing file at to is replaced, never a folder or a
  // read-only file (5); without it an existing target fails (183). False when
  // the source is missing (2/3) or to is on another drive (17).
  virtual bool Move(std::string_view from, std::string_view to, bool replace_existing) = 0;

  // The short (8.3) form of an existing path; empty text when there is none.
  // Like the platform's call it walks the path name by name as written: "."
  // and ".." parts, forward slashes, doubled separators and a "\\?\" prefix
  // stay as given, and a name on the way that does not exist fails the whole.
  virtual Text ShortPathName(std::string_view path) = 0;
  // The full path of the existing file or folder that path opens, as the
  // system itself names it: "." and ".." taken as the file calls take them,
  // every link or junction on the way and at the end followed, names and
  // drive letter as stored, one backslash between names, no "\\?\" prefix
  // and no final backslash (except a drive root's). Empty when path opens
  // nothing.
  virtual Text FinalPathName(std::string_view path) = 0;
  // The identity of the file or folder that path opens, every link on the
  // way and at the end followed (as FinalPathName); false when nothing opens
  // or the volume cannot tell (identity left unknown).
  virtual bool Identify(std::string_view path, FileIdentity* identity) = 0;
  // Holds the folder at path (see HeldFolder): a link at path itself is
  // refused (kErrorEntryChanged), as is a file (267) or nothing (2/3);
  // nullptr then. Links on the way to it are followed.
  virtual std::unique_ptr<HeldFolder> HoldFolder(std::string_view path) = 0;
  // Removes the empty folder at path, not following a link at path itself,
  // only while it is the folder of that identity (else kErrorEntryChanged).
  virtual bool RemoveEmptyDirectoryIf(std::string_view path, const FileIdentity& identity) = 0;
  // The Windows folder as the system gives it (no backslash added); empty on failure.
  virtual Text WindowsDirectory() = 0;
  // One of the system's own folders as the system gives it (no backslash
  // added); empty when the system has none or the call fails.
  virtual Text SystemFolderPath(SystemFolder which) = 0;
  // Every folder the system reports as one of its own or of its users (the
  // shell and known folders of the user and of all users), as it gives them;
  // the ones it cannot give are left out.
  virtual std::vector<Text> KnownFolders() = 0;
  // text with every %NAME% replaced by that environment variable's value; an
  // unknown name stays as written.
  virtual Text ExpandEnvironment(std::string_view text) = 0;
  // The process's current folder; empty on failure.
  virtual Text CurrentDirectory() = 0;
  // Makes path the current folder; false (current folder unchanged) when it is not one.
  virtual bool ChangeDirectory(std::string_view path) = 0;

  // Creates or replaces a file with these bytes; false when its folder is
  // missing (3) or it is read-only or a folder (5).
  virtual bool WriteWholeFile(std::string_view path, std::string_view data) = 0;
  // Replaces or creates a file with these bytes in one step, on the disk
  // before it returns: after a power cut or a kill at any moment the path
  // holds its earlier bytes or these, never a part. Fails as WriteWholeFile.
  virtual bool WriteFileDurably(std::string_view path, std::string_view data) = 0;
  // Reads a whole file; false (and *data empty) when it cannot be read.
  virtual bool ReadWholeFile(std::string_view path, Text* data) = 0;
  // The size of a file in bytes; -1 when it is missing or a folder.
  virtual int64_t FileSize(std::string_view path) = 0;

  // Deletes the file at path only while it is the file of that identity,
  // unchanged: checked on the handle that deletes it, so a file put there
  // since, or the same one written since, stays (kErrorNotSameFile). Fails
  // otherwise as Delete.
  virtual bool DeleteIdentified(std::string_view path, const FileIdentity& identity) = 0;

  // The Windows error code of the most recent failed operation on this object.
  virtual uint32_t LastError() const = 0;

 protected:
  // Every match of pattern with its attributes, "." and ".." included, in the
  // platform's order; false (error recorded) when the search cannot start.
  virtual bool FindMatches(std::string_view pattern, std::vector<DirEntry>* out) = 0;
};

}  // namespace pel
