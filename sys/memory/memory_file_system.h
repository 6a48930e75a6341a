// An in-memory file system that behaves, for the callers, like a Windows volume set.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "sys/file_system.h"

namespace pel {

// Every entry has an identity (the drive's serial and a number kept across
// renames), and a folder can be held as HeldFolder says: a held folder cannot
// be moved, renamed or removed (32), while the folders above it still can be
// (the harsher of the platforms: Wine lets them go).
// Drive roots, case-insensitive names that keep their spelling, attribute
// bits, generated 8.3 short names for long names, Windows error codes, and
// links (reparse points) as Windows has them: a path through a link goes on in
// its target, while deleting or removing the link itself leaves the target
// alone. Starts with drive C:, the folders C:\Windows (explorer.exe) and
// C:\Windows\System32 (cmd.exe, ping.exe, progman.exe), and C:\ as the current folder. It
// names C:\Program Files and the profile C:\Users\user as system folders (and
// in the environment) without making them, and a list of known folders of
// a Windows system like them (Common Files, ProgramData, Public, the user's
// Documents, Desktop, AppData and Temp among them).
// Spellings are taken as the platform takes them: the file calls drop "." and
// resolve ".." by the text alone (so a missing folder before ".." does not
// matter), take "/" as a separator, collapse doubled ones, drop a name's
// trailing dots; after a "\\?\" prefix nothing of this is done, and "\\.\"
// before a drive path changes nothing. ShortPathName walks the spelling as
// written (see FileSystem).
class MemoryFileSystem final : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;
  MemoryFileSystem(const MemoryFileSystem&) = delete;
  MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

  bool FileExists(std::string_view path) override;
  bool DirectoryExists(std::string_view path) override;
  uint32_t Attributes(std::string_view path) override;
  bool SetAttributes(std::string_view path, uint32_t attributes) override;
  bool MakeDirectory(std::string_view path) override;
  bool RemoveEmptyDirectory(std::string_view path) override;
  bool Copy(std::string_view from, std::string_view to, bool fail_if_exists) override;
  bool Delete(std::string_view path) override;
  bool Move(std::string_view from, std::string_view to, bool replace_existing) override;
  Text ShortPathName(std::string_view path) override;
  Text FinalPathName(std::string_view path) override;
  std::vector<Text> KnownFolders() override;
  Text WindowsDirectory() override;
  Text SystemFolderPath(SystemFolder which) override;
  Text ExpandEnvironment(std::string_view text) override;
  Text CurrentDirectory() override;
  bool ChangeDirectory(std::string_view path) override;
  bool WriteWholeFile(std::string_view path, std::string_view data) override;
  bool WriteFileDurably(std::string_view path, std::string_view data) override;
  bool ReadWholeFile(std::string_view path, Text* data) override;
  bool DeleteIdentified(std::string_view path, const FileIdentity& identity) override;
  int64_t FileSize(std::string_view path) override;
  bool Identify(std::string_view path, FileIdentity* identity) override;
  std::unique_ptr<HeldFolder> HoldFolder(std::string_view path) override;
  bool RemoveEmptyDirectoryIf(std::string_view path, const FileIdentity& identity) override;
  uint32_t LastError() const override { return last_error_; }

  // Adds an empty drive (letter A to Z); false when it exists. A volume
  // without short names gives none to its long names, as NTFS can be set to.
  bool AddDrive(char letter, bool short_names = true);
  // Another program makes a file (or folder) in folder under a name given in
  // UTF-8, as the system's Unicode calls can. A name the code page holds
  // becomes an ordinary entry; any other can be reached only by its short
  // form (none on a volume without short names), is listed as outside the
  // code page, and makes every path through it come out by its short form
  // or, without one, not at all (error 1113). False when folder is missing.
  bool MakeUnicodeEntry(std::string_view folder, std::string_view utf8_name, bool is_folder,
                        std::string_view data = {});
  // Creates path and every missing folder above it; false when a file is in the way.
  bool MakeDirectories(std::string_view path);
  // Makes link a reparse point naming target (which need not exist): a
  // folder link (a junction) when folder is true, else a file link. False when
  // link's folder is missing or link exists.
  bool MakeLink(std::string_view link, std::string_view target, bool folder);
  // Sets what SystemFolderPath gives (empty: the system has no such folder).
  void SetSystemFolder(SystemFolder which, std::string_view path) { system_folders_[which] = Text(path); }
  // Sets what KnownFolders gives.
  void SetKnownFolders(std::vector<Text> folders) { known_folders_ = std::move(folders); }
  // Sets an environment variable for ExpandEnvironment (names without regard to case).
  void SetEnvironment(std::string_view name, std::string_view value);
  // Another program opens the file without sharing (held) or runs from it
  // (running), as often as called; false when no file is there. A held file
  // can be neither read, written, copied, replaced, moved nor deleted (32); a
  // running image can be read and moved away, but not written or replaced (32
  // for a write or copy, 5 for a replace or delete), as Windows has it.
  bool SetHeld(std::string_view path, bool on);
  bool SetRunning(std::string_view path, bool on);
  bool IsHeld(std::string_view path);
  // Compresses a file or folder, as the volume's own compression does: the
  // entry then reports the compressed bit, which SetAttributes keeps.
  bool MarkCompressed(std::string_view path);
  // The drive stops answering who its files are (a share that does not
  // answer): Identify fails and no folder on it can be held (59).
  void SetIdentityUnreadable(char drive, bool on);
  // The full path of an existing entry with every name spelled as stored
  // (drive letter upper-case); empty when missing.
  Text StoredSpelling(std::string_view path);

 protected:
  bool FindMatches(std::string_view pattern, std::vector<DirEntry>* out) override;

 private:
  struct Node;
  struct Parsed;
  class Held;  // a folder held open (memory_held_folder.cpp)
  class Claimed;  // an entry of it opened for deletion (memory_held_folder.cpp)
  static uint32_t Refusal(Node* node);

  bool Fail(uint32_t code);
  bool Parse(std::string_view path, Parsed* parsed);
  // The part after a "\\?\" prefix, taken literally.
  bool ParseVerbatim(std::string_view path, Parsed* parsed);
  // The full path of a node, names as stored, drive letter upper-case.
  Text Path(Node* node);
  // The path of a node as the 8-bit calls give it: as stored when the code
  // page holds every name, else its short form; empty, error 1113, when a
  // name outside the code page has no short form.
  Text Outgoing(Node* node);
  // The root of the drive path names, with path parsed into *parsed; nullptr
  // with the error recorded when it does not parse or the drive is missing.
  Node* ParsedRoot(std::string_view path, Parsed* parsed);
  // The node at path; nullptr with the error recorded (2 for a missing last
  // name, 3 for a missing or non-folder parent).
  Node* Resolve(std::string_view path);
  // The folder that would hold path and the new entry's name; nullptr with the
  // error recorded when that folder is missing.
  Node* ResolveParent(std::string_view path, Text* name);
  Node* NewChild(Node* parent, std::string_view name, uint32_t attributes);
  // The folder a link leads to (node itself when it is no link); nullptr,
  // error recorded, when the target is missing or links chain too deep.
  Node* Follow(Node* node, int depth = 0);

  FileIdentity IdentityOf(Node* node);
  // The drive letter a node lies on.
  char DriveOf(Node* node);

  std::map<char, std::unique_ptr<Node>> drives_;
  std::map<char, bool> unreadable_;
  char current_drive_ = 'C';
  std::vector<Text> current_;  // stored spelling of each name below the root
  uint32_t last_error_ = 0;
  std::map<SystemFolder, Text> system_folders_;
  std::map<Text, Text> environment_;  // by lower-cased name
  std::vector<Text> known_folders_;
  uint64_t next_index_ = 1;
};

// True when a name is a valid 8.3 name, which keeps its own spelling as its short form.
bool IsShortName(std::string_view name);
// Windows' wildcard match of a name against a mask (* and ?, case-insensitive,
// "*.*" matching every name).
bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace pel
