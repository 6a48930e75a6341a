// A file seam that hands every call to another: decorators override only what they change.
#pragma once

#include <string_view>
#include <vector>

#include "sys/file_system.h"

namespace pel {

// A new call on FileSystem is forwarded here once, not in every decorator.
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(FileSystem& inner) : in_(inner) {}

  bool FileExists(std::string_view p) override { return in_.FileExists(p); }
  bool DirectoryExists(std::string_view p) override { return in_.DirectoryExists(p); }
  uint32_t Attributes(std::string_view p) override { return in_.Attributes(p); }
  bool SetAttributes(std::string_view p, uint32_t a) override { return in_.SetAttributes(p, a); }
  bool MakeDirectory(std::string_view p) override { return in_.MakeDirectory(p); }
  bool RemoveEmptyDirectory(std::string_view p) override { return in_.RemoveEmptyDirectory(p); }
  bool Copy(std::string_view from, std::string_view to, bool fail_if_exists) override {
    return in_.Copy(from, to, fail_if_exists);
  }
  bool Delete(std::string_view p) override { return in_.Delete(p); }
  bool Move(std::string_view from, std::string_view to, bool replace_existing) override {
    return in_.Move(from, to, replace_existing);
  }
  Text ShortPathName(std::string_view p) override { return in_.ShortPathName(p); }
  Text FinalPathName(std::string_view p) override { return in_.FinalPathName(p); }
  bool Identify(std::string_view p, FileIdentity* id) override { return in_.Identify(p, id); }
  std::unique_ptr<HeldFolder> HoldFolder(std::string_view p) override { return in_.HoldFolder(p); }
  bool RemoveEmptyDirectoryIf(std::string_view p, const FileIdentity& id) override {
    return in_.RemoveEmptyDirectoryIf(p, id);
  }
  Text WindowsDirectory() override { return in_.WindowsDirectory(); }
  Text SystemFolderPath(SystemFolder which) override { return in_.SystemFolderPath(which); }
  std::vector<Text> KnownFolders() override { return in_.KnownFolders(); }
  Text ExpandEnvironment(std::string_view text) override { return in_.ExpandEnvironment(text); }
  Text CurrentDirectory() override { return in_.CurrentDirectory(); }
  bool ChangeDirectory(std::string_view p) override { return in_.ChangeDirectory(p); }
  bool WriteWholeFile(std::string_view p, std::string_view data) override {
    return in_.WriteWholeFile(p, data);
  }
  bool WriteFileDurably(std::string_view p, std::string_view data) override {
    return in_.WriteFileDurably(p, data);
  }
  bool ReadWholeFile(std::string_view p, Text* data) override { return in_.ReadWholeFile(p, data); }
  bool DeleteIdentified(std::string_view p, const FileIdentity& id) override {
    return in_.DeleteIdentified(p, id);
  }
  int64_t FileSize(std::string_view p) override { return in_.FileSize(p); }
  uint32_t LastError() const override { return in_.LastError(); }

 protected:
  FileSystem& inner() const { return in_; }
  bool FindMatches(std::string_view pattern, std::vector<DirEntry>* out) override {
    // The inner listing already drops "." and ".."; an all-bits mask keeps the
    // rest, and the names outside the code page go on, still marked.
    std::vector<DirEntry> foreign;
    if (!in_.List(pattern, 0xFFFFFFFFu, out, &foreign)) return false;
    out->insert(out->end(), foreign.begin(), foreign.end());
    return true;
  }

 private:
  FileSystem& in_;
};

}  // namespace pel
