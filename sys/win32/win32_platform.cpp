// The real platform of the Windows build.
#include "sys/win32/win32_platform.h"
#include "base/win32/wide_path.h"

#include <shlobj.h>

namespace pel {

Platform& RealPlatform() {
  static win32::Win32FileSystem files;
  static win32::Win32Registry registry;
  static win32::Win32Shell shell;
  static win32::Win32Dde dde;
  static win32::Win32Processes processes;
  static Platform platform{files, registry, shell, dde, processes};
  return platform;
}

namespace {
Platform* g_active = nullptr;
}  // namespace

Platform& ActivePlatform() { return g_active ? *g_active : RealPlatform(); }
void SetActivePlatform(Platform* platform) { g_active = platform; }

Text SystemProgramsFolder() {
  wchar_t path[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path))) return Text();
  return win32::NarrowSystemPath(path).path;
}

}  // namespace pel
