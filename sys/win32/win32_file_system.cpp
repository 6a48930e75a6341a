// The file-system seam on the real Win32 file API.
#include <vector>

#include "sys/win32/win32_handles.h"
#include "sys/win32/win32_platform.h"
#include "base/win32/wide_path.h"

#include <shlobj.h>

namespace pel::win32 {

namespace {

// Asks a buffer-filling W call for the size it needs, then fills a buffer of
// that size plus one; empty when either call fails or the answer grew.
template <typename Call>
std::wstring TwoStepWide(Call call) {
  DWORD needed = call(nullptr, 0);
  if (needed == 0) return std::wstring();
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  DWORD got = call(buffer.data(), needed + 1);
  if (got == 0 || got > needed) return std::wstring();
  return std::wstring(buffer.data(), got);
}

// A path the system gave in Unicode, as the core may hold it (the one rule
// of NarrowSystemPath); empty, error 1113 recorded, when it cannot come in.
Text Incoming(std::wstring_view wide, uint32_t* error) {
  if (wide.empty()) return Text();
  NarrowedPath p = NarrowSystemPath(wide);
  if (!p.ok()) *error = kErrorNoUnicodeTranslation;
  return p.path;
}

}  // namespace

// Windows refuses to replace a read-only file; Wine, run by root, does not
// (it keeps the bit as a missing Unix write permission, which root ignores).
bool Win32FileSystem::ReadOnlyTarget(std::string_view path) {
  DWORD a = GetFileAttributesA(Text(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_READONLY)) return false;
  last_error_ = ERROR_ACCESS_DENIED;
  return true;
}

bool Win32FileSystem::Failed() {
  last_error_ = GetLastError();
  return false;
}

bool Win32FileSystem::FileExists(std::string_view path) {
  uint32_t a = Attributes(path);
  return a != kNoAttributes && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::DirectoryExists(std::string_view path) {
  uint32_t a = Attributes(path);
  return a != kNoAttributes && (a & FILE_ATTRIBUTE_DIRECTORY);
}

uint32_t Win32FileSystem::Attributes(std::string_view path) {
  if (path.empty()) {
    last_error_ = ERROR_PATH_NOT_FOUND;
    return kNoAttributes;
  }
  DWORD a = GetFileAttributesA(Text(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    Failed();
    return kNoAttributes;
  }
  return a;
}

bool Win32FileSystem::SetAttributes(std::string_view path, uint32_t attributes) {
  DWORD a = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  return SetFileAttributesA(Text(path).c_str(), a) || Failed();
}

bool Win32FileSystem::FindMatches(std::string_view pattern, std::vector<DirEntry>* out) {
  out->clear();
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileW(Wide(pattern).c_str(), &data));
  if (!find.valid()) return Failed();
  do {
    DirEntry e;
    e.attributes = data.dwFileAttributes;
    if (!NarrowText(data.cFileName, &e.name)) {
      // Not the product's, whatever it is: marked, and named only by a
      // short form the code page holds exactly.
      e.outside_code_page = true;
      e.shown = e.name;
      e.name.clear();
      Text alternate;
      if (data.cAlternateFileName[0] && NarrowText(data.cAlternateFileName, &alternate))
        e.name = alternate;
    }
    out->push_back(std::move(e));
  } while (FindNextFileW(find.get(), &data));
  return true;
}

bool Win32FileSystem::MakeDirectory(std::string_view path) {
  return CreateDirectoryA(Text(path).c_str(), nullptr) || Failed();
}

bool Win32FileSystem::RemoveEmptyDirectory(std::string_view path) {
  return RemoveDirectoryA(Text(path).c_str()) || Failed();
}

bool Win32FileSystem::Copy(std::string_view from, std::string_view to, bool fail_if_exists) {
  Text source(from), target(to);
  // A new target needs no questions: that is every file of a fresh installation.
  if (CopyFileA(source.c_str(), target.c_str(), TRUE)) return true;
  if (fail_if_exists || GetLastError() != ERROR_FILE_EXISTS) return Failed();
  if (ReadOnlyTarget(to)) return false;
  return CopyFileA(source.c_str(), target.c_str(), FALSE) || Failed();
}

bool Win32FileSystem::Move(std::string_view from, std::string_view to, bool replace_existing) {
  Text source(from), target(to);
  DWORD flags = 0;
  if (replace_existing) {
    // As for a copy: Wine run by root would replace a read-only file.
    if (ReadOnlyTarget(to)) return false;
    flags = MOVEFILE_REPLACE_EXISTING;
  }
  return MoveFileExA(source.c_str(), target.c_str(), flags) || Failed();
}

bool Win32FileSystem::Delete(std::string_view path) {
  return DeleteFileA(Text(path).c_str()) || Failed();
}

Text Win32FileSystem::ShortPathName(std::string_view path) {
  std::wstring long_path = Wide(path);
  std::wstring wide = TwoStepWide([&](wchar_t* buffer, DWORD size) {
    return GetShortPathNameW(long_path.c_str(), buffer, size);
  });
  if (wide.empty()) return Failed(), Text();
  // A short form is the short form, or nothing: never a best-fitted one.
  Text result;
  if (!NarrowText(wide, &result)) {
    last_error_ = kErrorNoUnicodeTranslation;
    return Text();
  }
  return result;
}

Text Win32FileSystem::FinalPathName(std::string_view path) {
  if (path.empty()) {
    last_error_ = ERROR_PATH_NOT_FOUND;
    return Text();
  }
  // No access asked for: only the identity is wanted, and a folder opens only
  // with backup semantics. Links are followed because the flag to open the
  // link itself is not given.
  FileHandle file(CreateFileW(Wide(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return Failed(), Text();
  // Wine's call does not answer the size it needs when given no buffer; the
  // longest path the system has fits this one.
  std::vector<wchar_t> buffer(32768 + 1, L'\0');
  DWORD got = GetFinalPathNameByHandleW(file.get(), buffer.data(),
                                        static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
  std::wstring wide = got > 0 && got < buffer.size() ? std::wstring(buffer.data(), got) : std::wstring();
  if (wide.empty()) return Failed(), Text();
  if (wide.starts_with(L"\\\\?\\UNC\\")) {
    wide = L"\\\\" + wide.substr(8);
  } else if (wide.starts_with(L"\\\\?\\")) {
    wide = wide.substr(4);
  }
  if (wide.size() > 3 && wide.back() == L'\\') wide.pop_back();
  // Outside the code page the name comes by its short form: still this
  // file's name, though no longer every name as stored.
  return Incoming(wide, &last_error_);
}

std::vector<Text> Win32FileSystem::KnownFolders() {
  std::vector<Text> folders;
  // Every shell folder number there is, the user's and all users' alike; the
  // ones this system does not have fail and are left out.
  for (int csidl = 0; csidl < 0x80; ++csidl) {
    wchar_t path[MAX_PATH + 1] = L"";
    if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) && *path) {
      Text folder = Incoming(path, &last_error_);
      if (!folder.empty()) folders.push_back(std::move(folder));
    }
  }
  // Those without a number of their own.
  for (const KNOWNFOLDERID* id : {&FOLDERID_Public, &FOLDERID_UserProfiles, &FOLDERID_ProgramData,
                                  &FOLDERID_Downloads, &FOLDERID_SavedGames, &FOLDERID_Contacts,
                                  &FOLDERID_Links, &FOLDERID_LocalAppDataLow}) {
    PWSTR wide = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(*id, 0, nullptr, &wide)) && wide) {
      Text folder = Incoming(wide, &last_error_);
      if (!folder.empty()) folders.push_back(std::move(folder));
    }
    CoTaskMemFree(wide);
  }
  return folders;
}

Text Win32FileSystem::WindowsDirectory() {
  std::wstring wide = TwoStepWide([](wchar_t* buffer, DWORD size) {
    return static_cast<DWORD>(GetWindowsDirectoryW(buffer, size));
  });
  if (wide.empty()) return Failed(), Text();
  return Incoming(wide, &last_error_);
}

Text Win32FileSystem::SystemFolderPath(SystemFolder which) {
  if (which == SystemFolder::System) {
    return Incoming(TwoStepWide([](wchar_t* buffer, DWORD size) {
                      return static_cast<DWORD>(GetSystemDirectoryW(buffer, size));
                    }),
                    &last_error_);
  }
  int csidl = which == SystemFolder::ProgramFiles      ? CSIDL_PROGRAM_FILES
              : which == SystemFolder::ProgramFilesX86 ? CSIDL_PROGRAM_FILESX86
                                                       : CSIDL_PROFILE;
  wchar_t path[MAX_PATH + 1] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return Text();
  return Incoming(path, &last_error_);
}

Text Win32FileSystem::ExpandEnvironment(std::string_view text) {
  Text source(text);
  std::wstring wide_source = Wide(text);
  std::wstring wide = TwoStepWide([&](wchar_t* buffer, DWORD size) {
    return ExpandEnvironmentStringsW(wide_source.c_str(), buffer, size);
  });
  // The count includes the terminating zero.
  while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
  if (wide.empty()) return source;
  // A value the code page cannot hold comes by its short form when it is a
  // path; otherwise the text stays unexpanded rather than become another.
  Text result = Incoming(wide, &last_error_);
  return result.empty() ? source : result;
}

Text Win32FileSystem::CurrentDirectory() {
  std::wstring wide = TwoStepWide([](wchar_t* buffer, DWORD size) {
    return GetCurrentDirectoryW(size, buffer);
  });
  if (wide.empty()) return Failed(), Text();
  return Incoming(wide, &last_error_);
}

bool Win32FileSystem::ChangeDirectory(std::string_view path) {
  if (path.empty()) {
    last_error_ = ERROR_PATH_NOT_FOUND;
    return false;
  }
  return SetCurrentDirectoryA(Text(path).c_str()) || Failed();
}

bool Win32FileSystem::WriteWholeFile(std::string_view path, std::string_view data) {
  if (ReadOnlyTarget(path)) return false;
  FileHandle file(CreateFileA(Text(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return Failed();
  while (!data.empty()) {
    DWORD chunk = data.size() > 0x10000000u ? 0x10000000u : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (!WriteFile(file.get(), data.data(), chunk, &written, nullptr) || written == 0) {
      return Failed();
    }
    data.remove_prefix(written);
  }
  return true;
}

bool Win32FileSystem::WriteFileDurably(std::string_view path, std::string_view data) {
  if (ReadOnlyTarget(path)) return false;
  // The bytes go to a name beside it and reach the disk; one rename that
  // itself reaches the disk then puts them in place whole.
  Text side = Text(path) + ".new";
  {
    FileHandle file(CreateFileA(side.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file.valid()) return Failed();
    while (!data.empty()) {
      DWORD chunk = data.size() > 0x10000000u ? 0x10000000u : static_cast<DWORD>(data.size());
      DWORD written = 0;
      if (!WriteFile(file.get(), data.data(), chunk, &written, nullptr) || written == 0) {
        Failed();
        file = FileHandle();
        DeleteFileA(side.c_str());
        return false;
      }
      data.remove_prefix(written);
    }
    if (!FlushFileBuffers(file.get())) {
      Failed();
      file = FileHandle();
      DeleteFileA(side.c_str());
      return false;
    }
  }
  if (MoveFileExA(side.c_str(), Text(path).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  Failed();
  DeleteFileA(side.c_str());
  return false;
}

bool Win32FileSystem::DeleteIdentified(std::string_view path, const FileIdentity& identity) {
  if (ReadOnlyTarget(path)) return false;
  // The link itself is opened, never what it names: a link is not the file.
  FileHandle h(CreateFileA(Text(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h.valid()) return Failed();
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h.get(), &info)) return Failed();
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
      !Unchanged(identity, IdentityOf(info))) {
    last_error_ = kErrorNotSameFile;
    return false;
  }
  FILE_DISPOSITION_INFO gone{TRUE};
  return SetFileInformationByHandle(h.get(), FileDispositionInfo, &gone, sizeof gone) || Failed();
}

bool Win32FileSystem::ReadWholeFile(std::string_view path, Text* data) {
  data->clear();
  FileHandle file(CreateFileA(Text(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return Failed();
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      data->clear();
      return Failed();
    }
    if (got == 0) return true;
    data->append(buffer, got);
  }
}

int64_t Win32FileSystem::FileSize(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(Text(path).c_str(), GetFileExInfoStandard, &data)) return Failed(), -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    SetLastError(ERROR_ACCESS_DENIED);
    return Failed(), -1;
  }
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace pel::win32
