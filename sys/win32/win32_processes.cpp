// The process seam on Toolhelp and the process images, by file identity.
#include "sys/win32/win32_handles.h"
#include "sys/win32/win32_platform.h"

#include <tlhelp32.h>

namespace pel::win32 {

namespace {

struct FileIdentity {
  DWORD volume = 0;
  DWORD high = 0;
  DWORD low = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The volume and index of the file at path, which stay the same whatever the
// path's spelling; false when it cannot be opened even for its attributes.
bool IdentityOf(const Text& path, FileIdentity* id) {
  FileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) return false;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  *id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

}  // namespace

bool Win32Processes::RunsFrom(std::string_view image) {
  FileIdentity wanted;
  if (!IdentityOf(Text(image), &wanted)) return false;
  FileHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap.valid()) return false;
  DWORD self = GetCurrentProcessId();
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snap.get(), &entry); more; more = Process32Next(snap.get(), &entry)) {
    if (entry.th32ProcessID == self || entry.th32ProcessID == 0) continue;
    KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process.valid()) continue;
    char path[MAX_PATH * 4] = "";
    DWORD size = sizeof path;
    if (!QueryFullProcessImageNameA(process.get(), 0, path, &size)) continue;
    FileIdentity id;
    if (IdentityOf(Text(path, size), &id) && id == wanted) return true;
  }
  return false;
}

bool Win32Processes::HeldOpen(std::string_view path) {
  FileHandle file(CreateFileA(Text(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.valid()) return false;
  DWORD e = GetLastError();
  return e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION;
}

}  // namespace pel::win32
