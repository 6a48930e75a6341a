// What is installed and where, as the registry tells it, and how the two folders lie to each other.
#pragma once

#include "base/text.h"
#include "sys/file_system.h"
#include "sys/registry.h"

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

// How the folders lie, compared as lower-cased short paths (which end in a
// backslash). All four are false when either folder is empty or missing.
struct FolderRelations {
  bool mixInsideApp = false;
  bool appInsideMix = false;
  bool sameDirs = false;
  bool separateDirs = false;
};

// The lower-cased short form of a folder; empty when it does not exist.
Text ComparableFolder(FileSystem& fs, std::string_view folder);

FolderRelations RelateFolders(FileSystem& fs, const InstalledState& state);

}  // namespace pel
