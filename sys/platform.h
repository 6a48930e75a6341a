// All the platform seams the installer and uninstaller use, handed around as one bundle.
#pragma once

#include "sys/dde.h"
#include "sys/file_system.h"
#include "sys/processes.h"
#include "sys/registry.h"
#include "sys/shell.h"

namespace pel {

// References only: whoever made the services owns them.
struct Platform {
  FileSystem& files;
  Registry& registry;
  Shell& shell;
  DdeClient& dde;
  Processes& processes;
};

// The real services of this build (Win32); defined only in the Windows build,
// living until the process ends.
Platform& RealPlatform();
// The services the wizards work through: RealPlatform() unless the entry point
// put a wrapper in front (the logging one, for /LOG=). Windows build only.
Platform& ActivePlatform();
void SetActivePlatform(Platform* platform);  // nullptr: back to RealPlatform()
// The system's own Programs folder of the user; empty when it has none.
Text SystemProgramsFolder();

}  // namespace pel
