// What is installed and where, as the registry tells it, and how the two folders lie to each other.
#pragma once

#include "base/text.h"
#include "sys/file_system.h"
#include "sys/registry.h"
#include "sys/resolved_folder.h"

namespace pel {

struct InstalledState {
  bool appInstalled = false;  // the product's key exists
  bool mixInstalled = false;  // Mixmaster's key exists
  Text appDir;                // "AppDir" with a final backslash; empty when not read
  Text mixDir;                // "MixDir" likewise
  Text programGroup;          // "Program Group"
  Text version;               // "Version"
};

// Reads both keys under HKEY_CURRENT_USER. A key that exists but cannot be
// opened leaves its texts empty and still counts as installed; a missing value
// reads as empty. Throws std::runtime_error("Invalid data type for '<name>'")
// when a value is not text.
InstalledState ReadInstalledState(Registry& registry);

// Both folders, each resolved once; a component that is not installed has
// none (Empty).
struct InstalledFolders {
  FolderResolution app;
  FolderResolution mix;
  // Whether each folder held its component's own program when resolved.
  bool appProgram = false;
  bool mixProgram = false;
};
InstalledFolders ResolveInstalledFolders(FileSystem& fs, const InstalledState& state);

// How the folders lie, compared by their resolved keys (lower-cased short
// paths ending in a backslash). All four are false when either folder did not
// resolve.
struct FolderRelations {
  bool mixInsideApp = false;
  bool appInsideMix = false;
  bool sameDirs = false;
  bool separateDirs = false;
};

FolderRelations RelateFolders(const InstalledFolders& folders);

}  // namespace pel
