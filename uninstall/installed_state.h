// What is installed and where, as the registry tells it, and how the two folders lie to each other.
#pragma once

#include <memory>

#include "base/text.h"
#include "sys/file_system.h"
#include "sys/registry.h"
#include "sys/resolved_folder.h"
#include "uninstall/held_removal.h"

namespace pel {

struct InstalledState {
  bool appInstalled = false;  // the product's key exists
  bool mixInstalled = false;  // Mixmaster's key exists
  Text appDir;                // "AppDir" with a final backslash; empty when not read
  Text mixDir;                // "MixDir" likewise
  Text programGroup;          // "Program Group"
  Text version;               // "Version"
  // "Invalid data type for '<name>'" when a value is not text: nothing after
  // it was read, and the state must not be acted on. Empty otherwise.
  Text failure;
};

// Reads both keys under HKEY_CURRENT_USER. A key that exists but cannot be
// opened leaves its texts empty and still counts as installed; a missing value
// reads as empty. A value that is not text stops the read with failure set.
InstalledState ReadInstalledState(Registry& registry);

// Both folders, each resolved once; a component that is not installed has
// none (Empty).
struct InstalledFolders {
  FolderResolution app;
  FolderResolution mix;
  // Whether each folder held its component's own program when resolved.
  bool appProgram = false;
  bool mixProgram = false;
  // Each resolved folder, held from its resolution until the removal is done
  // with it, so that the folder checked is the folder deleted in: nobody can
  // rename, move or replace it meanwhile. Empty where the folder did not
  // resolve, or could not be held as the folder it resolved to; the reason
  // then says why, for the log.
  std::shared_ptr<HeldFolder> appHeld;
  std::shared_ptr<HeldFolder> mixHeld;
  Text appHeldReason;
  Text mixHeldReason;
  // The files the check for files in use found free, each kept open for
  // deletion until the removal deletes through it or is done.
  EntryClaims claims;
};
// Resolves and holds both folders; a component's program is looked for in
// the held folder itself.
InstalledFolders ResolveInstalledFolders(FileSystem& fs, const InstalledState& state);
// Holds the resolved folder, if it is still the folder resolved; otherwise
// nullptr and *reason says why.
std::shared_ptr<HeldFolder> HoldResolved(FileSystem& fs, const FolderResolution& folder, Text* reason);

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
