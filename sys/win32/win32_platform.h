// The Win32 implementations of the platform seams.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include "sys/platform.h"

namespace pel::win32 {

class Win32FileSystem final : public FileSystem {
 public:
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

 protected:
  bool FindMatches(std::string_view pattern, std::vector<DirEntry>* out) override;

 private:
  // True, with error 5 recorded, when path is an existing read-only entry.
  bool ReadOnlyTarget(std::string_view path);
  // Records the thread's error of the call that just failed; returns false.
  bool Failed();
  uint32_t last_error_ = 0;
};

class Win32Registry final : public Registry {
 public:
  std::unique_ptr<RegistryKey> OpenKey(std::string_view path) override;
  std::unique_ptr<RegistryKey> CreateKey(std::string_view path) override;
  bool KeyExists(std::string_view path) override;
  bool DeleteKey(std::string_view path) override;
  bool DeleteEmptyKey(std::string_view path) override;
};

class Win32Shell final : public Shell {
 public:
  int32_t SaveShortcut(const ShortcutFields& link, std::string_view link_file) override;
  bool LoadShortcut(std::string_view link_file, ShortcutFields* link) override;
  std::unique_ptr<StartedProcess> StartProcess(std::string_view application,
                                               std::string_view command_line, int show) override;
  void Beep(uint32_t sound_type) override;
  Text ErrorText(uint32_t code) override;
};

// One DDEML client instance, made on the first Connect and ended with this object.
class Win32Dde final : public DdeClient {
 public:
  Win32Dde() = default;
  ~Win32Dde() override;
  Win32Dde(const Win32Dde&) = delete;
  Win32Dde& operator=(const Win32Dde&) = delete;
  std::unique_ptr<DdeConversation> Connect(std::string_view service, std::string_view topic,
                                           std::string_view program) override;

 private:
  DWORD instance_ = 0;
};

// The process list (Toolhelp) and each process's image, compared with a
// file by the file's identity (volume and file index), not by its spelling.
class Win32Processes final : public Processes {
 public:
  bool RunsFrom(std::string_view image) override;
  bool HeldOpen(std::string_view path) override;
};

// Who an open file is and whether it has changed, from what the handle reports
// (a folder's size counts as 0: its content is not its identity).
FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info);

}  // namespace pel::win32
