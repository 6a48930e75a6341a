// The real platform of the Windows build.
#include "sys/win32/win32_platform.h"

namespace pel {

Platform& RealPlatform() {
  static win32::Win32FileSystem files;
  static win32::Win32Registry registry;
  static win32::Win32Shell shell;
  static win32::Win32Dde dde;
  static Platform platform{files, registry, shell, dde};
  return platform;
}

}  // namespace pel
