// Held folders on Win32: a folder handle without delete sharing, and every entry opened relative to it.
#include <windows.h>
#include <winternl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/win32/wide_path.h"
#include "sys/win32/win32_handles.h"
#include "sys/win32/win32_platform.h"

#ifndef FILE_OPEN_REPARSE_POINT
#define FILE_OPEN_REPARSE_POINT 0x00200000
#endif
#ifndef FILE_OPEN_FOR_BACKUP_INTENT
#define FILE_OPEN_FOR_BACKUP_INTENT 0x00004000
#endif
#ifndef FILE_DIRECTORY_FILE
#define FILE_DIRECTORY_FILE 0x00000001
#endif
#ifndef FILE_SYNCHRONOUS_IO_NONALERT
#define FILE_SYNCHRONOUS_IO_NONALERT 0x00000020
#endif

namespace pel::win32 {

namespace {

// What a held folder is opened with: enough to list and walk it, and no
// delete sharing, so nobody can rename, move or remove it meanwhile. It asks
// no delete access itself, so a process whose current folder it is (which
// shares reading and writing only) does not keep it from being held.
constexpr DWORD kHoldAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kHoldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kDeleteAccess = DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// An entry opened for deletion: this much shared, no deletion by others.
constexpr DWORD kClaimShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr FILE_INFORMATION_CLASS kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
constexpr FILE_INFORMATION_CLASS kFileDispositionInformationEx = static_cast<FILE_INFORMATION_CLASS>(64);
constexpr ULONG kDispositionDelete = 0x1;
constexpr ULONG kDispositionPosix = 0x2;

// Marks the open entry for deletion. Where the volume takes it, its name goes
// at once, whoever else has it open (POSIX semantics); where it does not (an
// older system, a FAT volume), posix is cleared and the entry goes when the
// last handle closes. A read-only file stays either way.
bool MarkForDeletion(HANDLE h, bool* posix, DWORD* error) {
  if (*posix) {
    ULONG flags = kDispositionDelete | kDispositionPosix;
    IO_STATUS_BLOCK io;
    NTSTATUS status = NtSetInformationFile(h, &io, &flags, sizeof flags, kFileDispositionInformationEx);
    if (status == 0) return true;
    constexpr NTSTATUS kNotTaken[] = {static_cast<NTSTATUS>(0xC0000002), static_cast<NTSTATUS>(0xC0000003),
                                      static_cast<NTSTATUS>(0xC000000D), static_cast<NTSTATUS>(0xC00000BB)};
    bool taken = true;
    for (NTSTATUS n : kNotTaken) taken = taken && status != n;
    if (taken) {
      *error = RtlNtStatusToDosError(status);
      return false;
    }
    *posix = false;
  }
  FILE_DISPOSITION_INFO gone = {TRUE};
  if (SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone)) return true;
  *error = GetLastError();
  return false;
}

// The number of an open entry on its volume: read from the handle alone, the
// volume being the held folder's.
bool IndexOf(HANDLE h, uint64_t* index) {
  LARGE_INTEGER id;
  IO_STATUS_BLOCK io;
  if (NtQueryInformationFile(h, &io, &id, sizeof id, kFileInternalInformation) != 0) return false;
  *index = static_cast<uint64_t>(id.QuadPart);
  return true;
}

class Win32Claimed final : public ClaimedEntry {
 public:
  Win32Claimed(FileHandle h, std::shared_ptr<bool> posix) : h_(std::move(h)), posix_(std::move(posix)) {}

  bool Delete() override {
    if (!h_.valid()) return Fail(ERROR_INVALID_HANDLE);
    DWORD error = 0;
    bool marked = MarkForDeletion(h_.get(), posix_.get(), &error);
    h_ = FileHandle();
    return marked || Fail(error);
  }
  uint32_t LastError() const override { return last_error_; }

 private:
  bool Fail(DWORD code) {
    last_error_ = code;
    return false;
  }
  FileHandle h_;
  std::shared_ptr<bool> posix_;
  uint32_t last_error_ = 0;
};

// The identity and attributes of an open handle; false when the volume does not say.
bool HandleInfo(HANDLE h, FileIdentity* id, uint32_t* attributes) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return false;
  *id = IdentityOf(info);
  if (attributes) *attributes = info.dwFileAttributes;
  return true;
}

// A link shows as one in its folder's entry even where opening it follows it
// (Wine opens the target whatever it is asked).
bool NamesLink(std::string_view path) {
  DWORD a = GetFileAttributesA(Text(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

class Win32Held final : public HeldFolder {
 public:
  Win32Held(FileHandle h, FileIdentity id, std::shared_ptr<bool> posix)
      : h_(std::move(h)), id_(id), posix_(std::move(posix)) {}

  FileIdentity Identity() const override { return id_; }

  bool List(std::vector<HeldEntry>* out) override {
    out->clear();
    wide_.clear();
    std::vector<char> buffer(64 * 1024);
    FILE_INFO_BY_HANDLE_CLASS cls = FileIdBothDirectoryRestartInfo;
    for (;;) {
      if (!GetFileInformationByHandleEx(h_.get(), cls, buffer.data(), static_cast<DWORD>(buffer.size()))) {
        DWORD e = GetLastError();
        if (e == ERROR_NO_MORE_FILES) return true;
        out->clear();
        return Fail(e);
      }
      cls = FileIdBothDirectoryInfo;
      size_t at = 0;
      for (;;) {
        auto* e = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(buffer.data() + at);
        std::wstring name(e->FileName, e->FileNameLength / sizeof(wchar_t));
        Text narrow;
        if (name != L"." && name != L".." && NarrowText(name, &narrow)) {
          HeldEntry entry;
          entry.name = std::move(narrow);
          entry.attributes = e->FileAttributes;
          entry.identity = {id_.volume, static_cast<uint64_t>(e->FileId.QuadPart), true};
          // The name as the system has it, for names the code page cannot spell.
          wide_[entry.name] = name;
          out->push_back(std::move(entry));
        }
        if (e->NextEntryOffset == 0) break;
        at += e->NextEntryOffset;
      }
    }
  }

  std::unique_ptr<ClaimedEntry> Claim(const HeldEntry& entry) override {
    FileHandle h = Open(entry, kDeleteAccess, kClaimShare, 0);
    if (!h.valid()) return nullptr;
    return std::make_unique<Win32Claimed>(std::move(h), posix_);
  }

  bool Delete(const HeldEntry& entry) override {
    FileHandle h = Open(entry, kDeleteAccess, kShareAll, 0);
    if (!h.valid()) return false;
    DWORD error = 0;
    return MarkForDeletion(h.get(), posix_.get(), &error) || Fail(error);
  }

  std::unique_ptr<HeldFolder> HoldChild(const HeldEntry& entry) override {
    if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Fail(kErrorEntryChanged), nullptr;
    FileHandle h = Open(entry, kHoldAccess, kHoldShare, FILE_DIRECTORY_FILE);
    if (!h.valid()) return nullptr;
    return std::make_unique<Win32Held>(std::move(h), entry.identity, posix_);
  }

  uint32_t LastError() const override { return last_error_; }

 private:
  bool Fail(DWORD code) {
    last_error_ = code;
    return false;
  }

  // The entry by its name relative to this folder, not following a link at
  // that name, and only while it is still the entry listed.
  FileHandle Open(const HeldEntry& entry, DWORD access, DWORD share, ULONG options) {
    auto known = wide_.find(entry.name);
    std::wstring name = known != wide_.end() ? known->second : Wide(entry.name);
    UNICODE_STRING u;
    u.Buffer = name.data();
    u.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    u.MaximumLength = u.Length;
    OBJECT_ATTRIBUTES oa;
    InitializeObjectAttributes(&oa, &u, OBJ_CASE_INSENSITIVE, h_.get(), nullptr);
    IO_STATUS_BLOCK io;
    HANDLE raw = nullptr;
    NTSTATUS status = NtCreateFile(&raw, access, &oa, &io, nullptr, 0, share, FILE_OPEN,
                                   options | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT |
                                       FILE_SYNCHRONOUS_IO_NONALERT,
                                   nullptr, 0);
    if (status != 0) {
      Fail(RtlNtStatusToDosError(status));
      return FileHandle();
    }
    FileHandle h(raw);
    uint64_t index = 0;
    if (!IndexOf(h.get(), &index) || !entry.identity.known || entry.identity.volume != id_.volume ||
        index != entry.identity.index) {
      Fail(kErrorEntryChanged);
      return FileHandle();
    }
    return h;
  }

  FileHandle h_;
  FileIdentity id_;
  // Whether this volume takes deletions with POSIX semantics, until it refuses one.
  std::shared_ptr<bool> posix_;
  std::map<Text, std::wstring> wide_;
  uint32_t last_error_ = 0;
};

}  // namespace

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& i) {
  bool folder = i.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
  return {i.dwVolumeSerialNumber, (uint64_t{i.nFileIndexHigh} << 32) | i.nFileIndexLow, true,
          folder ? 0 : static_cast<int64_t>((uint64_t{i.nFileSizeHigh} << 32) | i.nFileSizeLow),
          (uint64_t{i.ftLastWriteTime.dwHighDateTime} << 32) | i.ftLastWriteTime.dwLowDateTime};
}

bool Win32FileSystem::Identify(std::string_view path, FileIdentity* identity) {
  *identity = FileIdentity();
  FileHandle h(CreateFileA(Text(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.valid() || !HandleInfo(h.get(), identity, nullptr)) return Failed();
  return true;
}

std::unique_ptr<HeldFolder> Win32FileSystem::HoldFolder(std::string_view path) {
  if (NamesLink(path)) {
    last_error_ = kErrorEntryChanged;
    return nullptr;
  }
  FileHandle h(CreateFileA(Text(path).c_str(), kHoldAccess, kHoldShare, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h.valid()) return Failed(), nullptr;
  FileIdentity id;
  uint32_t attributes = 0;
  if (!HandleInfo(h.get(), &id, &attributes)) return Failed(), nullptr;
  // Looked at again once held: a link put there before the handle was
  // opened has been followed where the platform cannot help it.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || NamesLink(path)) {
    last_error_ = kErrorEntryChanged;
    return nullptr;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    last_error_ = ERROR_DIRECTORY;
    return nullptr;
  }
  return std::make_unique<Win32Held>(std::move(h), id, std::make_shared<bool>(true));
}

bool Win32FileSystem::RemoveEmptyDirectoryIf(std::string_view path, const FileIdentity& identity) {
  FileHandle h(CreateFileA(Text(path).c_str(), kDeleteAccess, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h.valid()) return Failed();
  FileIdentity id;
  uint32_t attributes = 0;
  if (!HandleInfo(h.get(), &id, &attributes) || !(id == identity) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    last_error_ = kErrorEntryChanged;
    return false;
  }
  bool posix = true;
  DWORD error = 0;
  if (MarkForDeletion(h.get(), &posix, &error)) return true;
  last_error_ = error;
  return false;
}

}  // namespace pel::win32
